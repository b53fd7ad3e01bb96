#pragma once
// The failures of a machine's web service.

#include "HTTP/Error.hpp"

namespace QH {

#define QH_DECLARE_ERROR(name, base)                                             \
    class name : public base {                                                   \
    public:                                                                      \
        const char* what() const noexcept override { return "QH::" #name; }      \
    }

/// Base of all service errors.
QH_DECLARE_ERROR(Error, HTTP::Error);
/// A required element is missing, a value is out of range, or RESULT is unlisted.
QH_DECLARE_ERROR(InvalidResponse, Error);
/// The feed is not usable.
QH_DECLARE_ERROR(InvalidRSSFeed, InvalidResponse);
/// Base of the failures the machine reports in RESULT.
QH_DECLARE_ERROR(ErrorResult, Error);
QH_DECLARE_ERROR(MachineBusy, ErrorResult);            // "FAIL_MACHINE_BUSY"
QH_DECLARE_ERROR(InvalidMode, ErrorResult);            // "FAIL_QH_NETWORK_MODE"
QH_DECLARE_ERROR(AuthenticateFailure, ErrorResult);    // "FAIL_AUTHENTICATE"
QH_DECLARE_ERROR(MissingRSSFeed, ErrorResult);         // "FAIL_NO_FEED_REGISTERED"
QH_DECLARE_ERROR(ListenPortUnreachable, ErrorResult);  // "FAIL_LISTENPORT_UNREACHABLE"
QH_DECLARE_ERROR(MissingEntry, ErrorResult);           // "FAIL_NO_SUCH_ENTRY"
QH_DECLARE_ERROR(MissingUser, ErrorResult);            // "FAIL_NO_SUCH_USER"

#undef QH_DECLARE_ERROR

}  // namespace QH
