#pragma once
// The per-request timeout table of the server layer and its process-wide current copy.

#include "HTTP/Timeout.hpp"

#include <array>
#include <cstddef>
#include <memory>

namespace QH {

/// The request kinds, in the order of the table.
enum class Request : std::size_t {
    General,
    GetMachineSettings,
    GetUserInfo,
    GetUserList,
    Authenticate,
    DownloadImage,
    CancelDownloadImage,
    GetImage,
    Print,
    GetThumbnail,
    Subscribe,
    Unsubscribe,
    Delete,
};
inline constexpr std::size_t RequestKinds = 13;

class Config {
public:
    Config();
    Config(const Config& other);
    Config& operator=(const Config& other);
    ~Config();

    HTTP::Timeout& operator[](Request kind);
    const HTTP::Timeout& operator[](Request kind) const;

    /// Makes `table` the current table; replaces the previous one.
    static void Install(const Config& table);
    /// The current table (all zero until one is installed).
    static std::shared_ptr<const Config> Current();
    /// Shorthand for Current()[kind].
    static HTTP::Timeout CurrentRecord(Request kind);

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace QH
