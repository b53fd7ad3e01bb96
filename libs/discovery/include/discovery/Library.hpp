#pragma once
// The three operations of the discovery library: the selection window and the last
// choice, the machines found (or a new search), and the release of a machine array.
// They never throw; a failure is a zero or null result with an error code.

#include "discovery/Backend.hpp"
#include "discovery/Record.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QWidget;

namespace Discovery {

/// The error codes the operations set.
enum ErrorCode : std::int32_t {
    NoError = 0,
    Cancelled = 1,      // the person closed the selection window without a choice
    SearchFailed = 2,   // the network search failed
    NothingChosen = 3,  // no machine has been chosen yet
    SystemFailure = 4,  // bad arguments or a failure of the system; errno tells which
};

/// The modes of Select.
enum SelectMode : int {
    LastChoice = 1,       // fill the record with the last machine chosen
    SelectionWindow = 2,  // let the person choose in the selection window
};

/// The flags of Machines.
enum MachinesFlag : int {
    NewSearch = 0,   // search again
    FoundSoFar = 1,  // the machines of the last search (one is run first if none ran)
};

class Library {
public:
    explicit Library(std::shared_ptr<Backend> backend);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library();

    /// The process-wide library, searching through Avahi unless given another backend.
    static Library& Instance();
    /// Replaces the backend and forgets the machines found and the last choice.
    void SetBackend(std::shared_ptr<Backend> backend);

    /// SelectionWindow: shows the selection window as a modal child of `parent` (may be
    /// null) and returns nonzero when the person confirmed a machine, which then fills
    /// `record` and becomes the last choice; on cancel returns 0 with Cancelled.
    /// LastChoice: fills `record` with the last choice (0 with NothingChosen if none).
    /// `reserved` must be 0.
    int Select(QWidget* parent, Record* record, int mode, int reserved, std::int32_t* error);

    /// Returns an array of `*count` records to be released with Release, or null (and
    /// `*count` 0) with the error code set. A search on the window thread shows the
    /// wait cursor; `window` is accepted for the callers' sake and not otherwise used.
    Record* Machines(QWidget* window, int flag, int* count, std::int32_t* error);

    /// Releases an array returned by Machines; null is allowed.
    static void Release(Record* records);

private:
    /// Runs the backend's search and keeps its answer as the machines found.
    std::vector<Machine> Search();
    /// The machines found; a first search is run if none ran yet.
    std::vector<Machine> KnownMachines();

    std::mutex mutex_;
    std::shared_ptr<Backend> backend_;
    unsigned generation_ = 0;  // counts backend changes
    std::optional<std::vector<Machine>> found_;
    std::optional<Machine> chosen_;
};

}  // namespace Discovery
