#include "MonitoredEntry/Distinction.hpp"

#include "MonitoredEntry/Entry.hpp"

namespace MonitoredEntry {

Distinction::Distinction(const Entry& entry)
    : mfp_(entry.GetProperty().GetMFP()), user_(entry.GetProperty().GetUser())
{
}

}  // namespace MonitoredEntry
