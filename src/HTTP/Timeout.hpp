#pragma once

namespace HTTP {

/// The limits one request runs with: connect timeout, retry count, send and receive timeouts.
struct Timeout {
    int connectMs = 0;
    int retry = 0;
    int sendMs = 0;
    int recvMs = 0;

    friend bool operator==(const Timeout&, const Timeout&) = default;
};

}  // namespace HTTP
