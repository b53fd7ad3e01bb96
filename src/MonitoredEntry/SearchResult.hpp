#pragma once
// The entries of a store that matched a predicate, in list order. Holds pointers to
// the stored entries, never copies of them; iterate while holding the manager's lock.

#include "MonitoredEntry/Entry.hpp"

#include <boost/iterator/indirect_iterator.hpp>

#include <memory>
#include <vector>

namespace MonitoredEntry {

class SearchResult {
public:
    using Pointers = std::vector<std::shared_ptr<const Entry>>;
    using const_iterator = boost::indirect_iterator<Pointers::const_iterator>;

    explicit SearchResult(Pointers entries) : entries_(std::move(entries)) {}

    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Pointers& pointers() const { return entries_; }

private:
    Pointers entries_;
};

}  // namespace MonitoredEntry
