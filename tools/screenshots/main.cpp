// Renders the popup, the event details, the event log viewer, the entry manager and the
// add-entry wizard with sample data from a simulated machine, each into a PNG file.
//
//   norvane4-screenshots <output folder>

#include "Application/Config.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/EntryManagerDlg.hpp"
#include "Norvane/UI/EntryWizard/Wizard.hpp"
#include "Norvane/UI/EventDlg.hpp"
#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EventLogDlg.hpp"
#include "Norvane/UI/PopupEventDlg.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "RSS/RSSFeed.hpp"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <QTimer>

#include <cstdio>

namespace {

void save(QWidget& window, const QString& folder, const char* name)
{
    window.show();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString file = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (!window.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    std::printf("%s\n", qPrintable(file));
    window.hide();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qtTexts);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    // Sample data: a machine with a scan, a fax and a detail list for alice.
    QuillhavenSim::Machine machine;
    machine.SetMachineName("複合機 3F-East");
    machine.AddUser("alice", "secret", "田中 アリス");
    machine.PublishScan("alice");
    machine.PublishFax("alice");
    machine.PublishScan("alice");

    auto manager = std::make_shared<MonitoredEntry::EntryManager>();
    const MonitoredEntry::MFP mfp(std::wstring(L"複合機 3F-East"), L"127.0.0.1", int(machine.HttpPort()), 443, false);
    const MonitoredEntry::User user(std::wstring(L"田中 アリス"), L"alice", MonitoredEntry::Password(L"secret"));
    const MonitoredEntry::Config config(200, 1800000, true, true, false, 0, false, true, 1);
    ID entry;
    {
        MonitoredEntry::EntryManager::Transaction t(*manager);
        entry = t.Append(MonitoredEntry::EntryProperty(true, mfp, user, config, 1, 0));
        t.Append(MonitoredEntry::EntryProperty(false,
                                               MonitoredEntry::MFP(std::wstring(L"Copy & Print 1F"), L"192.0.2.20", 80,
                                                                   443, false),
                                               MonitoredEntry::User(boost::none, L"bob", MonitoredEntry::Password(L"x")),
                                               config));
        t.Commit();
    }
    QuillhavenServer server(mfp);
    const auto location = server.SubscribeToRSSFeed(61010, user, QH::Config::CurrentRecord(QH::Request::Subscribe));
    const auto feed = server.GetRSSFeed(user, location);
    ID lastEvent;
    {
        MonitoredEntry::EntryManager::Transaction t(*manager);
        auto copy = t.GetEntryCopy(entry);
        auto log = copy->GetEventLog();
        for (const auto& item : feed->GetItemList()) lastEvent = log.Append(QH::ToEventProperty(item));
        copy->SetEventLog(log);
        t.SetEntry(copy);
        t.Commit();
    }

    const auto snapshot = MachineEvent::PopupEventManager::LookUp(*manager, entry, lastEvent);
    {
        UI::PopupEventDlg popup(snapshot);
        popup.SetEntryManager(manager.get());
        popup.SetEntryID(entry);
        popup.SetEventID(lastEvent);
        popup.LoadThumbnail();
        save(popup, folder, "popup");
    }
    {
        UI::EventDlg details(snapshot);
        details.SetEntryManager(manager.get());
        details.SetEntryID(entry);
        details.SetEventID(lastEvent);
        details.LoadThumbnail();
        save(details, folder, "event-details");
    }
    {
        std::unique_ptr<QDialog> viewer(UI::MakeEventLogDlg(manager, nullptr));
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
        viewer->show();
        auto& entries = static_cast<UI::EventLogDlg*>(viewer.get())->EntryList();
        entries.AdjustSelectedItem(entry, *entries.Keys());
        save(*viewer, folder, "event-log");
    }
    {
        std::unique_ptr<QDialog> entries(UI::MakeEntryManagerDlg(manager, [](QWidget*) {}));
        entries->setAttribute(Qt::WA_DeleteOnClose, false);
        save(*entries, folder, "entry-manager");
    }
    {
        UI::EntryWizard::Wizard wizard(manager, UI::EntryWizard::Settings::Current());
        save(wizard, folder, "add-entry-wizard");
    }
    return 0;
}
