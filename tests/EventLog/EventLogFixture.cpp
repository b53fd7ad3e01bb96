#include "EventLogFixture.hpp"
#include "QtApplication.hpp"

#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EventListCtrl.hpp"
#include "MonitoredEntry/Entry.hpp"
#include "MonitoredEntry/EntryDB.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "QH/TimeoutTable.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include <QApplication>
#include <QLocale>
#include <QTreeWidget>


namespace EventLogTest {

using namespace MonitoredEntry;

std::string Rfc822(const QDateTime& time)
{
    return QLocale::c().toString(time, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toStdString() + " +0900";
}

QDateTime Day(int days, int hour, int minute, int second)
{
    return QDateTime(QDate::currentDate().addDays(days), QTime(hour, minute, second));
}

EventProperty DocumentEvent(const std::wstring& category, const std::wstring& info, const QDateTime& time)
{
    const RSS::EventTime at(Rfc822(time));
    return EventProperty(category, L"3", "0", L"1", info, boost::none, boost::none, boost::none, "0",
                         std::wstring(L"0001"), std::wstring(L"-1"), boost::none, boost::none, boost::none, at, at);
}

EventProperty NoticeEvent(const std::wstring& notifyId, const std::wstring& status, const std::wstring& content,
                          const QDateTime& notifyDate, const QDateTime& time, const std::wstring& docId)
{
    return EventProperty(LoadString(222), L"9", "0", L"16", L"notice info", boost::none, boost::none, boost::none, "0",
                         docId, std::wstring(L"1"), content, status, notifyId, RSS::EventTime(Rfc822(notifyDate)),
                         RSS::EventTime(Rfc822(time)));
}

void EventLogFixture::SetUpTestSuite()
{
    EnsureApplication();
}

EventLogFixture::EventLogFixture()
{
    machine.AddUser("alice", "secret", "Alice & Co");
    QH::Config table;
    for (std::size_t kind = 0; kind < QH::RequestKinds; ++kind)
        table[static_cast<QH::Request>(kind)] = HTTP::Timeout{2000, 0, 3000, 3000};
    QH::Config::Install(table);
    UI::Message::SetService(messages);
    System::SetOpener(opener);
    MachineEvent::GetNoticeFlags().Reset();
}

EventLogFixture::~EventLogFixture()
{
    delete viewer.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    UI::Message::SetService(nullptr);
    System::SetOpener(nullptr);
    MachineEvent::GetNoticeFlags().Reset();
}

void EventLogFixture::MakeManager(const std::vector<EntrySpec>& entries)
{
    EntryDB::EntryList list;
    long id = 0;
    for (const EntrySpec& setup : entries) {
        const MonitoredEntry::Config config(200, 60000, true, false, false, 0, false, false, setup.notifyDisplay);
        const MFP mfp(setup.machineName, setup.host, int(machine.HttpPort()), int(machine.HttpsPort()), false);
        const User user(std::wstring(L"Alice"), setup.userId, Password(L"secret"));
        auto entry = std::make_shared<Entry>(ID(id++), EntryProperty(setup.monitoring, mfp, user, config));
        EventLog log = entry->GetEventLog();
        for (const LoggedEvent& logged : setup.events) {
            Event event = log.GetEvent(log.Append(logged.property));
            event.SetRead(logged.read);
            log.SetEvent(event);
        }
        entry->SetEventLog(log);
        list.push_back(entry);
    }
    manager = std::make_shared<EntryManager>(EntryDB(ID(id), list));
}

UI::EventLogDlg& EventLogFixture::OpenViewer()
{
    delete viewer.data();
    viewer = new UI::EventLogDlg(manager, &monitors);
    return *viewer;
}

bool EventLogFixture::EventRead(long entry, long event) const
{
    std::lock_guard lock(*manager);
    return manager->GetDB().GetEntry(ID(entry)).ReadEventLog().GetEvent(ID(event)).GetRead();
}

std::vector<std::pair<long, long>> EventLogFixture::EventRows() const
{
    std::vector<std::pair<long, long>> rows;
    for (const auto& key : *viewer->EventList().Keys()) rows.emplace_back(key.first.GetValue(), key.second.GetValue());
    return rows;
}

std::wstring EventLogFixture::EventCell(int row, int column) const
{
    const auto& list = viewer->EventList();
    return list.model()->data(list.model()->index(row, column)).toString().toStdWString();
}

std::vector<std::wstring> EventLogFixture::NoticeColumnTexts(int column) const
{
    std::vector<std::wstring> texts;
    const QTreeWidget& list = viewer->NoticeList();
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts.push_back(list.topLevelItem(row)->text(column).toStdWString());
    return texts;
}

bool EventLogFixture::Enabled(int control) const { return viewer->Control(control)->isEnabled(); }

void EventLogFixture::ClickEntryRow(int row)
{
    auto& list = viewer->EntryList();
    list.selectionModel()->setCurrentIndex(list.model()->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace EventLogTest
