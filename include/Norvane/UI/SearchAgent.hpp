#pragma once
// The program's side of machine discovery: the machines found, a new search, and the
// selection window with the machine chosen there, each machine as a machine part.

#include "MonitoredEntry/MFP.hpp"

#include <boost/optional.hpp>

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace Discovery {
class Library;
}

class SearchAgent {
public:
    using MFP = MonitoredEntry::MFP;

    /// `parent` is the window the selection window belongs to (may be none). The
    /// library is the process-wide one unless a test passes its own.
    explicit SearchAgent(QWidget* parent = nullptr);
    SearchAgent(QWidget* parent, Discovery::Library& library);
    SearchAgent(const SearchAgent&) = delete;
    SearchAgent& operator=(const SearchAgent&) = delete;
    ~SearchAgent();

    /// Shows the selection window; true when the person confirmed a machine.
    /// Throws ostrel::communication_failure when the search failed and SystemError
    /// when the library failed.
    bool Choose();
    /// The machine chosen in the last selection (a machine part with an empty host
    /// when none was chosen); kept as the agent's chosen machine.
    MFP GetChosen();
    /// The machines found, in the library's order.
    std::vector<MFP> GetMachines();
    /// Runs a new search, showing the wait under `parent`.
    void SearchAgain(QWidget* parent);

    /// The text a machine shows in lists: its name if present, else its host.
    static std::wstring DisplayText(const MFP& mfp);

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl_;
};
