#include "Norvane/UI/MainFrame.hpp"

#include "Application/Config.hpp"
#include "Application/ExitCode.hpp"
#include "Application/Limits.hpp"
#include "HTTP/Error.hpp"
#include "Monitoring/DetectedEventManager.hpp"
#include "Monitoring/EventMonitorManager.hpp"
#include "Monitoring/EventSignalReceiver.hpp"
#include "Monitoring/MachineMonitorManager.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/AboutDlg.hpp"
#include "Norvane/UI/AddEntryWizard.hpp"
#include "Norvane/UI/EntryConfigSheet.hpp"
#include "Norvane/UI/EntryManagerDlg.hpp"
#include "Norvane/UI/EventLogDlg.hpp"
#include "Norvane/UI/InstanceChannel.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/PopupMenu.hpp"
#include "Norvane/UI/PopupWindow.hpp"
#include "Norvane/UI/QtSoundOutput.hpp"
#include "Norvane/UI/SingleWindow.hpp"
#include "Norvane/UI/SystemTrayIcon.hpp"
#include "Norvane/UI/TerminationSignals.hpp"
#include "QH/QuillhavenServer.hpp"
#include "System/InstanceLock.hpp"
#include "System/SystemError.hpp"
#include "Utility/StringIds.hpp"

#include <QApplication>
#include <QDate>
#include <QTimer>

#include <mutex>

namespace UI {

namespace {
// The page a Login item opens: the machine's login page for the user.
constexpr int loginPageMode = 3;

std::size_t slot(Window window) { return static_cast<std::size_t>(window); }
}  // namespace

// The monitoring engine the main window runs, in the order it is built.
struct MainFrame::Engine {
    explicit Engine(MonitoredEntry::EntryManager& manager)
        : queue(static_cast<std::size_t>(std::max(1, Limits::Current().detectedEventQueueSize))),
          detected(manager, queue),
          eventMonitors(manager, queue),
          machineMonitors(manager),
          popupManager(manager, popups, sound)
    {
        // Without the listener the program still reads every entry at its interval.
        try {
            receiver = &Monitor::EventSignalReceiver::Instance();
        } catch (const std::exception&) {
            receiver = nullptr;
        }
    }

    MachineEvent::DetectedEventQueue queue;
    MachineEvent::DetectedEventManager detected;
    Monitor::EventMonitorManager eventMonitors;
    Monitor::MachineMonitorManager machineMonitors;
    PopupWindowFactory popups;
    QtSoundOutput sound;
    MachineEvent::PopupEventManager popupManager;
    Monitor::EventSignalReceiver* receiver = nullptr;
};

MainFrame::MainFrame(System::InstanceLock& instanceLock)
    : View<QWidget>(nullptr, Qt::Tool), instanceLock_(instanceLock)
{
    setObjectName(QLatin1String(InstanceChannelName));
    // How the program's other windows find the main window.
    setProperty(InstanceChannelName, true);
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
        StopEngine();
        DetachView();
        instanceLock_.Release();
        throw;
    }
}

MainFrame::~MainFrame()
{
    StopEngine();
    DetachView();
}

void MainFrame::OnCreate()
{
    tray_ = new SystemTrayIcon(this);
    tray_->Initialize(QApplication::applicationDisplayName());
    tray_->Show(StatusTag::Normal);
    connect(tray_, &SystemTrayIcon::DoubleClicked, this, &MainFrame::OnTrayDoubleClick);

    LoadData();

    menu_ = new PopupMenu(manager_, this);
    connect(tray_, &SystemTrayIcon::MenuRequested, menu_, &PopupMenu::Popup);
    connect(menu_, &PopupMenu::ExitRequested, this, &MainFrame::Shutdown);
    connect(menu_, &PopupMenu::LoginRequested, this, &MainFrame::OpenLoginPage);
    connect(menu_, &PopupMenu::SettingsRequested, this, [this] { ShowWindow(Window::EntryManager); });
    connect(menu_, &PopupMenu::AboutRequested, this, [this] { ShowWindow(Window::About); });
    connect(menu_, &PopupMenu::EventLogRequested, this, [this] {
        MachineEvent::GetNoticeFlags().openInNoticeView = false;
        ShowWindow(Window::EventLog);
    });
    windows_[slot(Window::EntryManager)] = std::make_unique<SingleWindow>([this] {
        auto manager = manager_;
        return MakeEntryManagerDlg(manager_, [manager](QWidget* parent) {
            try {
                RunAddEntryWizard(parent, manager);
            } catch (const std::exception& error) {
                // The store refused the entry after the wizard's own checks (it changed meanwhile).
                ReportHandlerFailure("add entry", error);
            }
        });
    });
    windows_[slot(Window::EventLog)] = std::make_unique<SingleWindow>(
        [this] { return MakeEventLogDlg(manager_, engine_ ? &engine_->eventMonitors : nullptr); });
    windows_[slot(Window::About)] = std::make_unique<SingleWindow>([] {
        auto* about = new AboutDlg;
        MoveToWorkAreaCorner(about);
        return about;
    });

    AttachView(manager_);
    StartEngine();
    StartTimers();
    MachineEvent::GetNoticeFlags().dateChangeSeen = false;
    MachineEvent::GetNoticeFlags().lastNoticeDate = 0;

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

void MainFrame::StartEngine()
{
    engine_ = std::make_unique<Engine>(*manager_);
    manager_->AddObserver(&engine_->machineMonitors);
    manager_->AddObserver(&engine_->eventMonitors);
    engine_->detected.SetObserver(&engine_->popupManager);
    if (engine_->receiver) {
        engine_->receiver->AddObserver(&engine_->eventMonitors);
        engine_->receiver->Start();
    }
    engine_->popupManager.start();
    engine_->detected.start();
}

void MainFrame::StopEngine()
{
    if (!engine_) return;
    engine_->popupManager.stop();
    engine_->detected.ClearObserver();
    if (engine_->receiver) {
        try {
            engine_->receiver->RemoveObserver(&engine_->eventMonitors);
            engine_->receiver->Stop();
        } catch (...) {
        }
    }
    engine_->machineMonitors.StopAll();
    manager_->RemoveObserver(&engine_->machineMonitors);
    engine_->eventMonitors.StopAll();
    manager_->RemoveObserver(&engine_->eventMonitors);
    engine_->detected.stop();
    engine_.reset();
}

void MainFrame::StartTimers()
{
    const auto& config = Config::Instance();
    serializeTimer_ = new QTimer(this);
    connect(serializeTimer_, &QTimer::timeout, this, &MainFrame::SaveData);
    serializeTimer_->start(config.RegularSerializeIntervalMs());
    noticeTimer_ = new QTimer(this);
    connect(noticeTimer_, &QTimer::timeout, this, &MainFrame::NoticeDisplay);
    noticeTimer_->start(config.RegularNotifyDisplayIntervalMs());
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

void MainFrame::NoticeDisplay()
{
    if (shuttingDown_) return;
    auto& flags = MachineEvent::GetNoticeFlags();
    {
        std::lock_guard lock(*manager_);
        if (manager_->GetDB().Count() == 0) return;
        const QDate today = QDate::currentDate();
        if (MachineEvent::NoticeFlags::PackDate(today.year(), today.month(), today.day()) != flags.lastNoticeDate &&
            !flags.dateChangeSeen) {
            flags.dateChangeSeen = true;
            flags.dailyNoticeDue = true;
        } else if (!flags.noticeRequested) {
            return;
        }
        flags.noticeRequested = false;
        if (flags.overduePending) {
            flags.overduePending = false;
            flags.overdueNoticeDue = true;
        } else if (!flags.dailyNoticeDue) {
            return;
        }
        flags.openInNoticeView = true;
    }
    ShowWindow(Window::EventLog, false);
}

QWidget* MainFrame::OpenWindow(Window window) const { return windows_[slot(window)]->Window(); }

void MainFrame::ShowWindow(Window window, bool forced)
{
    if (shuttingDown_) return;
    windows_[slot(window)]->Show(forced);
}

void MainFrame::OnTrayDoubleClick()
{
    if (shuttingDown_) return;
    MachineEvent::GetNoticeFlags().openInNoticeView = false;
    ShowWindow(Window::EventLog);
}

void MainFrame::OnActivate()
{
    if (shuttingDown_) return;
    // An open window of ours comes to the front; otherwise the tray's double-click action.
    if (QWidget* window = QApplication::activeModalWidget()) {
        window->raise();
        window->activateWindow();
    } else {
        OnTrayDoubleClick();
    }
    emit Activated();
}

void MainFrame::OpenLoginPage(ID entry)
{
    std::shared_ptr<MonitoredEntry::Entry> copy;
    {
        std::lock_guard lock(*manager_);
        if (!manager_->GetDB().Contains(entry)) return;
        copy = manager_->GetEntryCopy(entry);
    }
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
    if (noticeTimer_) noticeTimer_->stop();
    for (auto& window : windows_)
        if (window) window->Close();
    StopEngine();
    DetachView();

    saveFailureShown_ = false;
    if (!SaveData()) emit ExitCodeChosen(ExitCode::DataNotSaved);

    tray_->Hide();
    channel_->StopListening();
    instanceLock_.Release();
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

}  // namespace UI
