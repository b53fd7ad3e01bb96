#include "MonitoredEntry/PasswordCodec.hpp"

#include <ostrel/exception.hpp>

#include <codec/codec.h>

#include <cstdint>
#include <new>

namespace MonitoredEntry {

namespace {

// The program's own key text; the cipher derives its key from it.
constexpr char kKeyText[] = "ZUZUDAREZE";
constexpr std::size_t kKeyLength = sizeof kKeyText - 1;

// Releases the library's buffer on every path, success or failure.
struct CodecBuffer {
    unsigned char* data = nullptr;
    std::size_t size = 0;
    ~CodecBuffer() { codec_release(data); }
};

void AppendUnit(PasswordCodec::Bytes& bytes, unsigned unit)
{
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>((unit >> 8) & 0xFF));
}

PasswordCodec::Bytes ToUtf16LE(const std::wstring& text)
{
    PasswordCodec::Bytes bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF && code <= 0x10FFFF) {
            const std::uint32_t v = code - 0x10000;
            AppendUnit(bytes, 0xD800 + (v >> 10));
            AppendUnit(bytes, 0xDC00 + (v & 0x3FF));
        } else {
            AppendUnit(bytes, code > 0x10FFFF ? 0xFFFD : code);
        }
    }
    return bytes;
}

std::wstring FromUtf16LE(const unsigned char* data, std::size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        std::uint32_t unit = data[i] | (data[i + 1] << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < size) {
            const std::uint32_t low = data[i + 2] | (data[i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

[[noreturn]] void Report(int status)
{
    switch (status) {
    case CODEC_OUT_OF_MEMORY:
        OSTREL_THROW(std::bad_alloc());
    case CODEC_AUTHENTICATION_FAILED:
        OSTREL_THROW(ostrel::fatal_error() << ostrel::error_message("md5 crypt failure."));
    default:
        // 999 and any status the library does not document: no value was built.
        OSTREL_THROW(ostrel::fatal_error());
    }
}

}  // namespace

PasswordCodec::Bytes PasswordCodec::Encrypt(const std::wstring& plain)
{
    const Bytes input = ToUtf16LE(plain);
    CodecBuffer out;
    const int status = codec_encipher(input.data(), input.size(), kKeyText, kKeyLength, &out.data, &out.size);
    if (status != CODEC_OK) Report(status);
    return Bytes(out.data, out.data + out.size);
}

std::wstring PasswordCodec::Decrypt(const Bytes& data)
{
    if (data.empty()) return std::wstring();
    CodecBuffer out;
    const int status = codec_decipher(data.data(), data.size(), kKeyText, kKeyLength, &out.data, &out.size);
    if (status != CODEC_OK) Report(status);
    // UTF-16 text is always an even number of bytes; anything else was not built by us.
    if (out.size % 2 != 0) Report(CODEC_FAILURE);
    return FromUtf16LE(out.data, out.size);
}

}  // namespace MonitoredEntry
