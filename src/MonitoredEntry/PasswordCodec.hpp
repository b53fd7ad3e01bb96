#pragma once
// The only path between plain passwords and their stored, enciphered bytes.

#include <string>
#include <vector>

namespace MonitoredEntry {

class PasswordCodec {
public:
    using Bytes = std::vector<unsigned char>;

    /// Enciphers the text's UTF-16LE code units. Failures: std::bad_alloc when the
    /// cipher runs out of memory, ostrel::fatal_error otherwise.
    static Bytes Encrypt(const std::wstring& plain);
    /// Deciphers stored bytes; empty bytes give the empty text without touching the
    /// cipher. Bytes that were altered or enciphered elsewhere raise ostrel::fatal_error
    /// with the message "md5 crypt failure.".
    static std::wstring Decrypt(const Bytes& data);
};

}  // namespace MonitoredEntry
