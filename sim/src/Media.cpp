#include "Media.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace QuillhavenSim::Media {

namespace {
void Le16(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& out, std::uint32_t v)
{
    Le16(out, v & 0xFFFF);
    Le16(out, v >> 16);
}
void Be16(std::string& out, unsigned v)
{
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}
}  // namespace

std::string Wav(int milliseconds)
{
    const std::uint32_t rate = 8000;
    const std::uint32_t samples = rate * static_cast<std::uint32_t>(milliseconds > 0 ? milliseconds : 1) / 1000;
    std::string data;
    for (std::uint32_t i = 0; i < samples; ++i) {
        double v = std::sin(2.0 * M_PI * 880.0 * i / rate) * 8000.0;
        Le16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
    std::string out = "RIFF";
    Le32(out, 36 + static_cast<std::uint32_t>(data.size()));
    out += "WAVEfmt ";
    Le32(out, 16);
    Le16(out, 1);         // PCM
    Le16(out, 1);         // mono
    Le32(out, rate);
    Le32(out, rate * 2);  // bytes per second
    Le16(out, 2);         // block align
    Le16(out, 16);        // bits per sample
    out += "data";
    Le32(out, static_cast<std::uint32_t>(data.size()));
    return out + data;
}

std::string Jpeg(int width, int height)
{
    width = (width < 8 ? 8 : (width + 7) / 8 * 8);
    height = (height < 8 ? 8 : (height + 7) / 8 * 8);
    std::string out("\xFF\xD8", 2);
    // JFIF header.
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    // One quantisation table of ones.
    out += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    // Frame: 8-bit, one component, 1x1 sampling, table 0.
    out += std::string("\xFF\xC0\x00\x0B\x08", 5);
    Be16(out, static_cast<unsigned>(height));
    Be16(out, static_cast<unsigned>(width));
    out += std::string("\x01\x01\x11\x00", 4);
    // Huffman tables holding one 1-bit code each: DC difference 0, AC end of block.
    std::string counts = std::string("\x01", 1) + std::string(15, '\0');
    out += std::string("\xFF\xC4\x00\x14\x00", 5) + counts + std::string(1, '\0');
    out += std::string("\xFF\xC4\x00\x14\x10", 5) + counts + std::string(1, '\0');
    out += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    // Every block is "DC 0, end of block": two zero bits; pad the last byte with ones.
    const std::size_t bits = 2u * static_cast<std::size_t>(width / 8) * static_cast<std::size_t>(height / 8);
    out += std::string(bits / 8, '\0');
    if (bits % 8) out += static_cast<char>(0xFF >> (bits % 8));
    out += std::string("\xFF\xD9", 2);
    return out;
}

std::string Tiff(int width, int height)
{
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    struct Entry { unsigned tag, type; std::uint32_t count, value; };
    const std::uint32_t pixels = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
    const unsigned entries = 12;
    const std::uint32_t ifdSize = 2 + entries * 12 + 4;
    const std::uint32_t resolution = 8 + ifdSize;  // two rationals follow the directory
    const std::uint32_t strip = resolution + 16;
    const Entry table[entries] = {
        {256, 3, 1, static_cast<std::uint32_t>(width)}, {257, 3, 1, static_cast<std::uint32_t>(height)},
        {258, 3, 1, 8}, {259, 3, 1, 1}, {262, 3, 1, 1}, {273, 4, 1, strip}, {277, 3, 1, 1},
        {278, 3, 1, static_cast<std::uint32_t>(height)}, {279, 4, 1, pixels}, {282, 5, 1, resolution},
        {283, 5, 1, resolution + 8}, {296, 3, 1, 2}};
    std::string out("II*\0", 4);
    Le32(out, 8);
    Le16(out, entries);
    for (const Entry& e : table) {
        Le16(out, e.tag);
        Le16(out, e.type);
        Le32(out, e.count);
        if (e.type == 3) {
            Le16(out, e.value);
            Le16(out, 0);
        } else {
            Le32(out, e.value);
        }
    }
    Le32(out, 0);  // no further directory
    for (int i = 0; i < 2; ++i) {
        Le32(out, 72);
        Le32(out, 1);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out += static_cast<char>((x * 255 / width + y * 255 / height) / 2);
    return out;
}

std::string Pdf(const std::string& text)
{
    std::string safe;
    for (char c : text)
        if (c >= 0x20 && c < 0x7F && c != '(' && c != ')' && c != '\\') safe += c;
    const std::string content = "BT /F1 24 Tf 72 760 Td (" + safe + ") Tj ET\n";
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string out = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace QuillhavenSim::Media
