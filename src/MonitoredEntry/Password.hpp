#pragma once
// An account password, kept only in enciphered form.

#include <string>
#include <vector>

namespace MonitoredEntry {

class Password {
public:
    using Bytes = std::vector<unsigned char>;

    /// The empty password.
    Password() = default;
    /// Enciphers the plain text at once; the plain text is not kept.
    explicit Password(const std::wstring& plain);

    /// Adopts bytes that are already enciphered (as stored).
    static Password FromData(const Bytes& data);

    const Bytes& GetData() const { return data_; }
    void SetData(const Bytes& data) { data_ = data; }

    /// Deciphers the stored bytes; empty data gives the empty text.
    std::wstring GetPlainText() const;

    /// At most 28 characters, all plain ASCII. Deciphering failures pass through.
    bool IsValid() const;

    friend bool operator==(const Password& a, const Password& b) { return a.data_ == b.data_; }
    friend bool operator!=(const Password& a, const Password& b) { return !(a == b); }

private:
    Bytes data_;
};

}  // namespace MonitoredEntry
