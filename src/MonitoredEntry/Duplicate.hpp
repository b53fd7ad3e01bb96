#pragma once
// The program's whole notion of a duplicate entry: at most one entry per machine
// host. A new entry may not share its host with any entry; a changed entry clashes
// only with other monitored entries, and only while it is monitored itself. The
// account plays no part; hosts compare exactly, case-sensitively.

#include "MonitoredEntry/Entry.hpp"

#include <string>

namespace MonitoredEntry::Conditions {

template <class Candidate>
class Duplicate;

/// For a new entry: true for every entry on the candidate's host.
template <>
class Duplicate<EntryProperty> {
public:
    explicit Duplicate(const EntryProperty& candidate) : host_(candidate.GetMFP().GetHost()) {}
    bool operator()(const Entry& other) const { return other.GetProperty().GetMFP().GetHost() == host_; }

private:
    std::wstring host_;
};

/// For a changed entry: true for another monitored entry on the host of a monitored candidate.
template <>
class Duplicate<Entry> {
public:
    explicit Duplicate(const Entry& candidate)
        : id_(candidate.GetID()), monitoring_(candidate.IsMonitoring()), host_(candidate.GetProperty().GetMFP().GetHost())
    {
    }
    bool operator()(const Entry& other) const
    {
        return monitoring_ && other.GetID() != id_ && other.IsMonitoring() &&
               other.GetProperty().GetMFP().GetHost() == host_;
    }

private:
    ID id_;
    bool monitoring_;
    std::wstring host_;
};

}  // namespace MonitoredEntry::Conditions
