#pragma once
// The hidden main window: it owns the running system from the moment the program is
// the one running instance until the orderly shutdown.

#include <QWidget>

#include <memory>

namespace System {
class InstanceLock;
}

namespace UI {

class InstanceChannelServer;
class TerminationSignals;

class MainFrame : public QWidget {
    Q_OBJECT
public:
    /// Takes the single-instance lock (or brings the running instance forward and
    /// throws ApplicationBusy), loads the settings, makes the process-wide copy of the
    /// limits and creates the hidden window with everything it runs.
    explicit MainFrame(System::InstanceLock& instanceLock);
    ~MainFrame() override;

    /// The orderly shutdown: everything stops, the lock is released and the message
    /// loop ends. Runs once; later calls do nothing.
    void Shutdown();
    bool ShuttingDown() const { return shuttingDown_; }

signals:
    /// Another instance asked this one to come forward (the tray double-click action).
    void Activated();

private:
    void OnCreate();
    void OnActivate();

    System::InstanceLock& instanceLock_;
    InstanceChannelServer* channel_ = nullptr;
    TerminationSignals* signals_ = nullptr;
    bool shuttingDown_ = false;
};

}  // namespace UI
