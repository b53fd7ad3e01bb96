#pragma once
// Building an XML request item by item:
//   cmd << Tag{"REQUEST"} << Node{"COMMAND", "GETUSERLIST"} << ETag{};

#include "HTTP/Mcmd.hpp"

#include <memory>
#include <string>

namespace HTTP::Command {

/// Opens an element.
struct Tag {
    std::string name;
};
/// Closes the innermost open element.
struct ETag {};
/// Adds an element holding a value (decimal or text).
template <class T>
struct BasicNode {
    std::string name;
    T value;
};
using Node = BasicNode<std::string>;
using LongNode = BasicNode<long>;

/// A request document under construction; copies write into the same document.
class Cmd {
public:
    struct Pimpl {
        Mcmd document;
        /// Marks the next value element written as protected (passwords).
        bool protectNext = false;
    };

    Cmd();

    Pimpl& pimpl() const { return *impl; }
    /// Protects the next value element written, and only that one.
    void ProtectNext() { impl->protectNext = true; }
    transport::Document* Document() const { return impl->document.Handle(); }
    /// The request for diagnosis, protected values hidden.
    std::string Dump() const;

private:
    std::shared_ptr<Pimpl> impl;
};

/// Each throws HTTP::SystemError (with the document's error code) when refused.
Cmd& operator<<(Cmd& cmd, const Tag& item);
Cmd& operator<<(Cmd& cmd, const ETag& item);
Cmd& operator<<(Cmd& cmd, const BasicNode<long>& item);
Cmd& operator<<(Cmd& cmd, const BasicNode<std::string>& item);

}  // namespace HTTP::Command
