#pragma once
// The private part of the event windows, shared by the window and its preview and
// save threads. The threads never touch a widget: they post to the window.

#include "Norvane/UI/EventDlg.hpp"

#include "MonitoredEntry/Config.hpp"
#include "QH/MemoryImage.hpp"

#include <QPointer>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class QuillhavenServer;

namespace UI {

struct EventDlg::Pimpl {
    QPointer<EventDlg> dialog;
    std::shared_ptr<const MachineEvent::Event> snapshot;

    MonitoredEntry::EntryManager* entryManager = nullptr;
    ID entryID;
    ID eventID;

    int unreadCount = 0;
    int eraseTime = 0;
    std::atomic<bool> readFlag{false};
    bool deleteConfirmation = false;
    bool leftForLog = false;
    bool closedByTimer = false;
    bool thumbnailHiddenSetting = false;

    std::shared_ptr<QH::MemoryImage> thumbnail;
    bool thumbnailFailed = false;

    bool initialized = false;
    int layoutMode = 0;
    bool closing = false;

    /// Controls by number; the template rectangles in dialog units.
    std::map<int, QWidget*> controls;
    std::map<int, QRect> templateRects;

    // Document actions.
    std::mutex serverLock;                      // guards server and downloadId
    std::shared_ptr<QuillhavenServer> server;   // the download under way, for a cancel
    std::wstring downloadId;
    std::thread worker;
    std::atomic<int> workerState{0};            // 0 none, 1 running, 5 finished
    std::atomic<bool> downloading{false};
    std::atomic<bool> cancelRequested{false};
    std::mutex finishedMutex;
    std::condition_variable finishedCondition;

    /// Window side: the window is closing; a running preview or save gives up.
    void RequestCancel();
    /// Worker side: the worker has ended.
    void MarkFinished();
    /// Window side: waits (showing worker messages meanwhile) until the worker has
    /// finished or `steps` half-second steps have passed; true when it finished.
    bool WaitForWorker(int steps);
    /// Window side: the worker's thread is joined, if there is one.
    void JoinWorker();

    QWidget* Control(int id) const
    {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : it->second;
    }
};

/// The Preview, Save, Print and Delete buttons and the waiting and cancelling that
/// closing the window involves.
class EventDlgActions {
public:
    static void Preview(EventDlg& dlg);
    static void Save(EventDlg& dlg);
    static void Print(EventDlg& dlg);
    static void Delete(EventDlg& dlg);
    /// Asks a running preview or save to give up and waits for it, at most
    /// QH_DOWNLOAD_IMAGE_RECV_TIMEOUT_MS / 500 + 10 half-second steps.
    static void CloseWait(EventDlg& dlg);
    /// A document still being prepared at the machine is cancelled there.
    static void CancelAtDestruction(EventDlg::Pimpl& p);

    /// The disabling set: Close, 1067, 1078, 1079, 1130, 1131, 1127 and 1128.
    static void EnableDisablingSet(EventDlg& dlg, bool enable);
};

}  // namespace UI
