#include "Norvane/UI/MainFrame.hpp"

#include "Application/Config.hpp"
#include "Norvane/UI/InstanceChannel.hpp"
#include "Norvane/UI/TerminationSignals.hpp"
#include "System/InstanceLock.hpp"
#include "System/SystemError.hpp"

#include <QApplication>
#include <QTimer>

namespace UI {

MainFrame::MainFrame(System::InstanceLock& instanceLock) : QWidget(nullptr, Qt::Tool), instanceLock_(instanceLock)
{
    setObjectName(QLatin1String(InstanceChannelName));
    if (!instanceLock_.TryTake()) {
        InstanceChannel::Activate();
        OSTREL_THROW(ApplicationBusy());
    }
    try {
        auto& config = Config::Instance();
        config.Load();
        config.MakeProcessWideCopy();
        OnCreate();
    } catch (...) {
        instanceLock_.Release();
        throw;
    }
}

MainFrame::~MainFrame() = default;

void MainFrame::OnCreate()
{
    channel_ = new InstanceChannelServer([this] { OnActivate(); }, [this] { Shutdown(); }, this);
    channel_->Listen();
    signals_ = new TerminationSignals([this] { Shutdown(); }, this);
    // The end of the desktop session runs the same orderly shutdown.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Shutdown(); });
}

void MainFrame::OnActivate()
{
    if (shuttingDown_) return;
    // A window of ours that is open comes to the front; otherwise the tray's double-click action.
    if (QWidget* window = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                            : QApplication::activePopupWidget()) {
        window->raise();
        window->activateWindow();
    }
    emit Activated();
}

void MainFrame::Shutdown()
{
    if (shuttingDown_) return;
    shuttingDown_ = true;
    channel_->StopListening();
    instanceLock_.Release();
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

}  // namespace UI
