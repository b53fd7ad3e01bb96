#include "Norvane/UI/PopupWindow.hpp"

#include "Norvane/UI/PopupEventDlg.hpp"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace UI {

struct PopupWindowFactory::Shared {
    QPointer<PopupEventDlg> current;  // GUI thread only
};

namespace {

using MachineEvent::PopupResult;

// Runs `work` on the GUI thread without waiting for it.
template <class Work>
void Post(Work work)
{
    if (auto* app = QCoreApplication::instance()) QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

class PopupWindow : public MachineEvent::Popup {
public:
    PopupWindow(std::shared_ptr<PopupWindowFactory::Shared> factory,
                std::shared_ptr<const MachineEvent::Event> snapshot, MonitoredEntry::EntryManager& manager,
                const ID& entryID, const ID& eventID)
        : state_(std::make_shared<State>())
    {
        state_->factory = std::move(factory);
        state_->snapshot = std::move(snapshot);
        state_->manager = &manager;
        state_->entryID = entryID;
        state_->eventID = eventID;
    }

    ~PopupWindow() override
    {
        {
            std::lock_guard lock(state_->mutex);
            state_->closeRequested = true;
        }
        state_->changed.notify_all();
        // The window goes on the GUI thread (it may still have to cancel a download),
        // once no handler of its own is running any more.
        Post([state = state_] {
            if (state->window) state->window->deleteLater();
        });
    }

    void LoadThumbnail() override
    {
        auto thumbnail = EventDlg::FetchThumbnail(*state_->snapshot);
        std::lock_guard lock(state_->mutex);
        state_->thumbnail = std::move(thumbnail);
    }

    PopupResult Run() override
    {
        auto state = state_;
        {
            std::lock_guard lock(state->mutex);
            if (state->closeRequested) return PopupResult::Cancel;  // never shown: not seen
            state->finished = false;
        }
        Post([state] { Show(state); });
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return state->finished || state->closeRequested; });
        if (state->finished) return state->result;
        // A close request ends a shown popup with OK, as the close box would; its window
        // follows as soon as the GUI thread is free.
        return state->shown ? PopupResult::OK : PopupResult::Cancel;
    }

    void Close() override
    {
        {
            std::lock_guard lock(state_->mutex);
            state_->closeRequested = true;
        }
        state_->changed.notify_all();
        Post([state = state_] {
            if (state->window && state->window->isVisible()) state->window->RequestClose();
        });
    }

private:
    struct State {
        std::shared_ptr<PopupWindowFactory::Shared> factory;
        std::shared_ptr<const MachineEvent::Event> snapshot;
        MonitoredEntry::EntryManager* manager = nullptr;
        ID entryID;
        ID eventID;
        EventDlg::Thumbnail thumbnail;

        std::mutex mutex;
        std::condition_variable changed;
        bool closeRequested = false;
        bool shown = false;
        bool finished = false;
        PopupResult result = PopupResult::Cancel;
        QPointer<PopupEventDlg> window;  // GUI thread only
    };

    static void Finish(State& state, PopupResult result)
    {
        {
            std::lock_guard lock(state.mutex);
            if (state.finished) return;
            state.finished = true;
            state.result = result;
        }
        state.changed.notify_all();
    }

    // On the GUI thread.
    static void Show(const std::shared_ptr<State>& state)
    {
        EventDlg::Thumbnail thumbnail;
        {
            std::lock_guard lock(state->mutex);
            if (state->closeRequested) {
                state->finished = true;
                state->result = PopupResult::Cancel;
                state->changed.notify_all();
                return;
            }
            thumbnail = state->thumbnail;
        }
        PopupEventDlg* window = state->window;
        if (!window) {
            window = new PopupEventDlg(state->snapshot);
            window->SetEntryManager(state->manager);
            window->SetEntryID(state->entryID);
            window->SetEventID(state->eventID);
            window->SetThumbnail(thumbnail);
            state->window = window;
            QObject::connect(window, &QDialog::finished, window, [state, window](int code) {
                Finish(*state, code == QDialog::Accepted ? PopupResult::OK
                               : window->IsLeftForLog()   ? PopupResult::EventLog
                                                          : PopupResult::Cancel);
            });
            QObject::connect(window, &QObject::destroyed, [state] { Finish(*state, PopupResult::Cancel); });
        }
        state->factory->current = window;
        {
            std::lock_guard lock(state->mutex);
            state->shown = true;
        }
        window->show();
    }

    std::shared_ptr<State> state_;
};

}  // namespace

PopupWindowFactory::PopupWindowFactory() : shared_(std::make_shared<Shared>()) {}

PopupWindowFactory::~PopupWindowFactory() = default;

std::unique_ptr<MachineEvent::Popup> PopupWindowFactory::Make(
    const std::shared_ptr<const MachineEvent::Event>& snapshot, MonitoredEntry::EntryManager& manager,
    const ID& entryID, const ID& eventID)
{
    return std::make_unique<PopupWindow>(shared_, snapshot, manager, entryID, eventID);
}

PopupEventDlg* PopupWindowFactory::Current() const { return shared_->current; }

}  // namespace UI
