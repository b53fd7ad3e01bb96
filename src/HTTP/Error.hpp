#pragma once
// The failures of talking to a machine.

#include <ostrel/exception.hpp>

namespace HTTP {

/// Any transport failure; the base every caller of a request catches.
class Error : public ostrel::communication_failure {
public:
    const char* what() const noexcept override { return "HTTP::Error"; }
};

/// The machine could not be reached.
class OpenFailure : public Error {
public:
    const char* what() const noexcept override { return "HTTP::OpenFailure"; }
};

/// The machine answered 403.
class NoAuthority : public Error {
public:
    const char* what() const noexcept override { return "HTTP::NoAuthority"; }
};

/// The machine answered with a status other than 200 and 403.
class ServerError : public Error {
public:
    const char* what() const noexcept override { return "HTTP::ServerError"; }
};

/// An XML answer was expected and something else came.
class InvalidResponse : public Error {
public:
    const char* what() const noexcept override { return "HTTP::InvalidResponse"; }
};

/// An element's text or number could not be read.
class InvalidContentType : public InvalidResponse {
public:
    const char* what() const noexcept override { return "HTTP::InvalidContentType"; }
};

/// The transport library refused to build or serialise a document; carries the
/// document's error code.
class SystemError : public ostrel::system_error {
public:
    explicit SystemError(int code) : ostrel::system_error(code) {}
};

}  // namespace HTTP
