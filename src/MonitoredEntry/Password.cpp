#include "MonitoredEntry/Password.hpp"

#include "MonitoredEntry/PasswordCodec.hpp"

#include <algorithm>
#include <cstdint>

namespace MonitoredEntry {

namespace {
constexpr std::size_t kMaxPasswordLength = 28;
}

Password::Password(const std::wstring& plain) : data_(PasswordCodec::Encrypt(plain)) {}

Password Password::FromData(const Bytes& data)
{
    Password password;
    password.data_ = data;
    return password;
}

std::wstring Password::GetPlainText() const { return PasswordCodec::Decrypt(data_); }

bool Password::IsValid() const
{
    const std::wstring plain = GetPlainText();
    return plain.size() <= kMaxPasswordLength &&
           std::all_of(plain.begin(), plain.end(), [](wchar_t c) { return static_cast<std::uint32_t>(c) <= 127; });
}

}  // namespace MonitoredEntry
