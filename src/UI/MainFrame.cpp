#include "Norvane/UI/MainFrame.hpp"

#include "Application/Config.hpp"
#include "Application/ExitCode.hpp"
#include "HTTP/Error.hpp"
#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/InstanceChannel.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/PopupMenu.hpp"
#include "Norvane/UI/SystemTrayIcon.hpp"
#include "Norvane/UI/TerminationSignals.hpp"
#include "QH/QuillhavenServer.hpp"
#include "System/InstanceLock.hpp"
#include "System/SystemError.hpp"
#include "Utility/StringIds.hpp"

#include <QApplication>
#include <QTimer>

#include <mutex>

namespace UI {

namespace {
// The page a Login item opens: the machine's login page for the user.
constexpr int loginPageMode = 3;
}  // namespace

MainFrame::MainFrame(System::InstanceLock& instanceLock)
    : View<QWidget>(nullptr, Qt::Tool), instanceLock_(instanceLock)
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
        DetachView();
        instanceLock_.Release();
        throw;
    }
}

MainFrame::~MainFrame() { DetachView(); }

void MainFrame::OnCreate()
{
    tray_ = new SystemTrayIcon(this);
    tray_->Initialize(QApplication::applicationDisplayName());
    tray_->Show(StatusTag::Normal);
    connect(tray_, &SystemTrayIcon::DoubleClicked, this, &MainFrame::OnActivate);

    LoadData();

    menu_ = new PopupMenu(manager_, this);
    connect(tray_, &SystemTrayIcon::MenuRequested, menu_, &PopupMenu::Popup);
    connect(menu_, &PopupMenu::ExitRequested, this, &MainFrame::Shutdown);
    connect(menu_, &PopupMenu::LoginRequested, this, &MainFrame::OpenLoginPage);

    AttachView(manager_);
    StartTimers();

    channel_ = new InstanceChannelServer([this] { OnActivate(); }, [this] { Shutdown(); }, this);
    channel_->Listen();
    signals_ = new TerminationSignals([this] { Shutdown(); }, this);
    // The end of the desktop session runs the same orderly shutdown.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Shutdown(); });
}

void MainFrame::LoadData()
{
    manager_ = std::make_shared<MonitoredEntry::EntryManager>();
    const auto outcome = MonitoredEntry::DataFile::LoadAtStartup(manager_, MonitoredEntry::DataFile::DefaultPath());
    if (outcome == MonitoredEntry::DataFile::StartupLoad::Unreadable) Message::Show(StringId::DataNotLoaded);
}

void MainFrame::StartTimers()
{
    const auto& config = Config::Instance();
    serializeTimer_ = new QTimer(this);
    connect(serializeTimer_, &QTimer::timeout, this, &MainFrame::SaveData);
    serializeTimer_->start(config.RegularSerializeIntervalMs());
}

bool MainFrame::SaveData()
{
    try {
        MonitoredEntry::DataFile::Save(*manager_, MonitoredEntry::DataFile::DefaultPath());
        saveFailureShown_ = false;
        return true;
    } catch (...) {
        // A failing periodic save is told once and tried again at the next tick.
        if (!saveFailureShown_) Message::Show(StringId::DataNotSaved);
        saveFailureShown_ = true;
        return false;
    }
}

void MainFrame::OnUpdate()
{
    if (shuttingDown_) return;
    bool unread = false;
    {
        std::lock_guard lock(*manager_);
        unread = manager_->GetDB().CountUnread() > 0;
    }
    if (unread == unread_) return;
    unread_ = unread;
    tray_->Change(unread ? StatusTag::Unread : StatusTag::Normal);
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

void MainFrame::OpenLoginPage(ID entry)
{
    std::shared_ptr<MonitoredEntry::Entry> copy;
    {
        std::lock_guard lock(*manager_);
        copy = manager_->GetEntryCopy(entry);
    }
    if (!copy) return;
    try {
        QuillhavenServer server(copy->GetProperty().GetMFP());
        server.OpenInBrowser(copy->GetProperty().GetUser(), loginPageMode);
    } catch (const HTTP::Error&) {
        Message::Show(StringId::CommunicationError);
    }
}

void MainFrame::Shutdown()
{
    if (shuttingDown_) return;
    shuttingDown_ = true;
    if (serializeTimer_) serializeTimer_->stop();
    DetachView();

    saveFailureShown_ = false;
    if (!SaveData()) emit ExitCodeChosen(ExitCode::DataNotSaved);

    tray_->Hide();
    channel_->StopListening();
    instanceLock_.Release();
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

}  // namespace UI
