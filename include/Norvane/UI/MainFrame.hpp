#pragma once
// The hidden main window: it owns the running system from the moment the program is
// the one running instance until the orderly shutdown — the entry manager loaded from
// the data file, the tray icon and its menu, the timers and the instance channel.

#include "MonitoredEntry/BasicID.hpp"
#include "Norvane/UI/View.hpp"

#include <QWidget>

#include <memory>

class QTimer;

namespace MonitoredEntry {
class EntryManager;
}
namespace System {
class InstanceLock;
}

namespace UI {

class InstanceChannelServer;
class PopupMenu;
class SingleWindow;
class SystemTrayIcon;
class TerminationSignals;

/// The dialogs the tray program opens, one of each at most.
enum class Window { EntryManager, EventLog, About };

class MainFrame : public View<QWidget> {
    Q_OBJECT
public:
    /// Takes the single-instance lock (or brings the running instance forward and
    /// throws ApplicationBusy), loads the settings, makes the process-wide copy of the
    /// limits and creates the hidden window with everything it runs.
    explicit MainFrame(System::InstanceLock& instanceLock);
    ~MainFrame() override;

    /// The orderly shutdown: timers, engine, the data file saved, tray icon removed,
    /// lock released, message loop ended. Runs once; later calls do nothing.
    void Shutdown();
    bool ShuttingDown() const { return shuttingDown_; }

    /// Saves the data file now; false (after telling the person once) when it failed.
    bool SaveData();

    const std::shared_ptr<MonitoredEntry::EntryManager>& Manager() const { return manager_; }
    SystemTrayIcon& Tray() const { return *tray_; }
    PopupMenu& Menu() const { return *menu_; }
    /// The dialog if it is open.
    QWidget* OpenWindow(Window window) const;
    /// Shows a dialog: forced (menu, double-click) or on notice (the notice display).
    void ShowWindow(Window window, bool forced = true);
    /// One tick of the notice display timer.
    void NoticeDisplay();

public slots:
    /// The tray icon's double-click: the event log viewer, in its event view. Other
    /// windows of the program (the popup's event-log button) call it by name.
    void OnTrayDoubleClick();

signals:
    /// Another instance asked this one to come forward (the tray double-click action).
    void Activated();
    /// The shutdown could not save the data file: the process ends with this code.
    void ExitCodeChosen(int code);

protected:
    /// The unread check: the tray shows whether any event is unread.
    void OnUpdate() override;

private:
    void OnCreate();
    void OnActivate();
    void LoadData();
    void StartEngine();
    void StopEngine();
    void StartTimers();
    void OpenLoginPage(ID entry);

    struct Engine;

    System::InstanceLock& instanceLock_;
    std::shared_ptr<MonitoredEntry::EntryManager> manager_;
    SystemTrayIcon* tray_ = nullptr;
    PopupMenu* menu_ = nullptr;
    InstanceChannelServer* channel_ = nullptr;
    TerminationSignals* signals_ = nullptr;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<SingleWindow> windows_[3];
    QTimer* serializeTimer_ = nullptr;
    QTimer* noticeTimer_ = nullptr;
    bool unread_ = false;
    bool saveFailureShown_ = false;
    bool shuttingDown_ = false;
};

}  // namespace UI
