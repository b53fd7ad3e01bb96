#pragma once
// Where the machines come from. The library runs one search at a time through its
// backend; the program uses the Avahi backend, tests use their own.

#include "discovery/Record.hpp"

#include <stdexcept>
#include <vector>

namespace Discovery {

/// The network search itself failed (the discovery service broke off or refused).
class SearchFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Backend {
public:
    virtual ~Backend() = default;
    /// Runs one search and returns the machines found. A network without a discovery
    /// service yields an empty list; a search that failed throws SearchFailure.
    virtual std::vector<Machine> Search() = 0;
};

}  // namespace Discovery
