#pragma once
// The bytes a machine hands out: voice messages, thumbnails and documents, made in
// code so that every answer is a valid file of its type.

#include <string>

namespace QuillhavenSim::Media {

std::string Wav(int milliseconds = 300);                  // 8 kHz mono 16-bit PCM tone
std::string Jpeg(int width = 64, int height = 48);        // baseline grey picture, sizes rounded up to 8
std::string Tiff(int width = 16, int height = 16);        // uncompressed 8-bit grey
std::string Pdf(const std::string& text);                 // one A4 page showing an ASCII line

}  // namespace QuillhavenSim::Media
