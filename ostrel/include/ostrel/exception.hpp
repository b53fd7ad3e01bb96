#pragma once
// The exception family every failure of the program derives from.
//
// Raise with OSTREL_THROW(ostrel::open_file_failure()): the object records the
// raising function's signature, the source file (relative to the project) and the
// line, and is clonable into an exception pointer so that a worker thread's failure
// can be raised again in its owner.

#include <boost/exception/exception.hpp>
#include <boost/exception/info.hpp>
#include <boost/exception/get_error_info.hpp>
#include <boost/system/system_error.hpp>
#include <boost/throw_exception.hpp>

#include <exception>
#include <string>

namespace ostrel {

class exception : public virtual boost::exception, public virtual std::exception {
public:
    const char* what() const noexcept override { return "ostrel::exception"; }
};

#define OSTREL_DECLARE_EXCEPTION(name, base)                                    \
    class name : public base {                                                   \
    public:                                                                      \
        const char* what() const noexcept override { return "ostrel::" #name; } \
    }

OSTREL_DECLARE_EXCEPTION(logic_error, exception);
OSTREL_DECLARE_EXCEPTION(domain_error, logic_error);
OSTREL_DECLARE_EXCEPTION(runtime_error, exception);
OSTREL_DECLARE_EXCEPTION(fatal_error, runtime_error);
OSTREL_DECLARE_EXCEPTION(communication_failure, exception);
OSTREL_DECLARE_EXCEPTION(sync_queue_disabled, exception);
OSTREL_DECLARE_EXCEPTION(open_file_failure, exception);
OSTREL_DECLARE_EXCEPTION(nonsupport_version, exception);
OSTREL_DECLARE_EXCEPTION(defective_config, exception);
OSTREL_DECLARE_EXCEPTION(convertible_version, exception);

/// A failure that carries an operating-system error code (system category).
class system_error : public boost::system::system_error, public virtual boost::exception {
public:
    explicit system_error(int code)
        : boost::system::system_error(code, boost::system::system_category()) {}
    system_error(int code, const std::string& context)
        : boost::system::system_error(code, boost::system::system_category(), context) {}
};

/// A free-text message attached to an exception (the password codec uses it).
using error_message = boost::error_info<struct tag_error_message, std::string>;

/// The recorded raise location of an exception, for diagnosis only.
struct raise_location {
    std::string function;
    std::string file;
    int line = 0;
};

template <class E>
raise_location location_of(const E& e)
{
    raise_location loc;
    if (auto* f = boost::get_error_info<boost::throw_function>(e)) loc.function = *f;
    if (auto* f = boost::get_error_info<boost::throw_file>(e)) loc.file = *f;
    if (auto* l = boost::get_error_info<boost::throw_line>(e)) loc.line = *l;
    return loc;
}

}  // namespace ostrel

// Records the location and throws a clonable copy of the exception object.
#define OSTREL_THROW(e) BOOST_THROW_EXCEPTION(e)
