#pragma once

#include <ostrel/exception.hpp>

#include <cerrno>

/// A failure of the operating system, carrying its error code.
class SystemError : public ostrel::system_error {
public:
    explicit SystemError(int code = errno) : ostrel::system_error(code) {}
};

/// Another instance of the program holds the single-instance lock.
class ApplicationBusy : public ostrel::domain_error {
public:
    const char* what() const noexcept override { return "ApplicationBusy"; }
};
