#include "discovery/Library.hpp"

#include "discovery/AvahiBackend.hpp"
#include "discovery/SelectionDialog.hpp"

#include <QApplication>
#include <QThread>

#include <cerrno>
#include <climits>
#include <new>

namespace Discovery {
namespace {

void SetError(std::int32_t* error, std::int32_t code)
{
    if (error) *error = code;
}

int SystemFailed(std::int32_t* error, int errnoValue)
{
    errno = errnoValue;
    SetError(error, SystemFailure);
    return 0;
}

// Maps whatever a search or the window threw to the error codes; nothing passes out.
int Failed(std::int32_t* error)
{
    try {
        throw;
    } catch (const SearchFailure&) {
        SetError(error, SearchFailed);
        return 0;
    } catch (const std::bad_alloc&) {
        return SystemFailed(error, ENOMEM);
    } catch (...) {
        return SystemFailed(error, EIO);
    }
}

// A search on the window thread freezes the windows for its length; the cursor says why.
class WaitCursor {
public:
    WaitCursor()
        : shown_(qobject_cast<QApplication*>(QCoreApplication::instance()) &&
                 QThread::currentThread() == QCoreApplication::instance()->thread())
    {
        if (shown_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (shown_) QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool shown_;
};

}  // namespace

Library::Library(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}

Library::~Library() = default;

Library& Library::Instance()
{
    static Library library(std::make_shared<AvahiBackend>());
    return library;
}

void Library::SetBackend(std::shared_ptr<Backend> backend)
{
    std::lock_guard lock(mutex_);
    backend_ = std::move(backend);
    ++generation_;
    found_.reset();
    chosen_.reset();
}

std::vector<Machine> Library::Search()
{
    std::shared_ptr<Backend> backend;
    unsigned generation;
    {
        std::lock_guard lock(mutex_);
        backend = backend_;
        generation = generation_;
    }
    // The search may take seconds; the lock is not held meanwhile.
    WaitCursor cursor;
    std::vector<Machine> machines = backend->Search();
    std::lock_guard lock(mutex_);
    if (generation == generation_) found_ = machines;  // not an answer of a replaced backend
    return machines;
}

std::vector<Machine> Library::KnownMachines()
{
    {
        std::lock_guard lock(mutex_);
        if (found_) return *found_;
    }
    return Search();
}

int Library::Select(QWidget* parent, Record* record, int mode, int reserved, std::int32_t* error)
{
    if (!record || reserved != 0 || (mode != LastChoice && mode != SelectionWindow)) return SystemFailed(error, EINVAL);
    try {
        std::optional<Machine> chosen;
        if (mode == LastChoice) {
            std::lock_guard lock(mutex_);
            chosen = chosen_;
            if (!chosen) {
                SetError(error, NothingChosen);
                return 0;
            }
        } else {
            // A window needs a widget application on this thread.
            if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return SystemFailed(error, ENXIO);
            SelectionDialog dialog(KnownMachines(), [this] { return Search(); }, parent);
            const int result = dialog.exec();
            if (dialog.failure()) std::rethrow_exception(dialog.failure());
            if (result != QDialog::Accepted || !dialog.chosen()) {
                SetError(error, Cancelled);
                return 0;
            }
            chosen = dialog.chosen();
            std::lock_guard lock(mutex_);
            chosen_ = chosen;
        }
        Encode(*chosen, *record);
        SetError(error, NoError);
        return 1;
    } catch (...) {
        return Failed(error);
    }
}

Record* Library::Machines(QWidget*, int flag, int* count, std::int32_t* error)
{
    if (count) *count = 0;
    if (!count || (flag != NewSearch && flag != FoundSoFar)) {
        SystemFailed(error, EINVAL);
        return nullptr;
    }
    try {
        const std::vector<Machine> machines = flag == NewSearch ? Search() : KnownMachines();
        if (machines.size() > std::size_t(INT_MAX)) throw std::bad_alloc();
        auto records = std::make_unique<Record[]>(machines.size());
        for (std::size_t i = 0; i < machines.size(); ++i) Encode(machines[i], records[i]);
        *count = int(machines.size());
        SetError(error, NoError);
        return records.release();
    } catch (...) {
        Failed(error);
        return nullptr;
    }
}

void Library::Release(Record* records) { delete[] records; }

}  // namespace Discovery
