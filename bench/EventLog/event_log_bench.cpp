// How long the event log viewer takes to open with three entries of 200 events each
// (made, shown, the first entry chosen and its events listed and drawn), and to sort
// its event list again by a column (a header click). Runs offscreen.

#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EventListCtrl.hpp"
#include "Norvane/UI/EventLogDlg.hpp"

#include "MonitoredEntry/Entry.hpp"
#include "MonitoredEntry/EntryDB.hpp"
#include "MonitoredEntry/EntryManager.hpp"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace MonitoredEntry;

constexpr int Entries = 3;
constexpr int EventsPerEntry = 200;

RSS::EventTime Time(int n)
{
    const QDateTime at = QDateTime(QDate(2026, 12, 1), QTime(0, 0)).addSecs(qint64(n) * 3607 % (30 * 86400));
    return RSS::EventTime(QLocale::c().toString(at, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toStdString() + " +0900");
}

// Every fifth event a due-date notice; names, information and times scattered.
EventProperty Property(int n)
{
    const std::wstring number = std::to_wstring((n * 7919) % 1000);
    if (n % 5 == 0)
        return EventProperty(L"期限お知らせ", L"9", "0", L"16", L"", boost::none, boost::none, boost::none, "0",
                             std::wstring(L"0001"), std::wstring(L"1"), L"notice " + number,
                             std::wstring(std::to_wstring(n % 3)), L"N" + number, Time(n + 11), Time(n));
    return EventProperty(L"Scan " + number, L"3", "0", L"1", L"document " + number, boost::none, boost::none,
                         boost::none, "0", L"D" + number, std::wstring(L"-1"), boost::none, boost::none, boost::none,
                         Time(n), Time(n));
}

std::shared_ptr<EntryManager> MakeManager()
{
    EntryDB::EntryList entries;
    for (int e = 0; e < Entries; ++e) {
        const MonitoredEntry::Config config(EventsPerEntry, 60000, true, false, false, 0, false, false, 1);
        const MFP mfp(std::wstring(L"Machine ") + std::to_wstring(e), L"192.0.2." + std::to_wstring(e + 1), 80, 443,
                      false);
        const User user(std::wstring(L"User"), L"user" + std::to_wstring(e), Password(L"secret"));
        auto entry = std::make_shared<Entry>(ID(e), EntryProperty(true, mfp, user, config));
        EventLog log = entry->GetEventLog();
        for (int n = 0; n < EventsPerEntry; ++n) {
            Event event = log.GetEvent(log.Append(Property(e * EventsPerEntry + n)));
            event.SetRead(n % 2 == 0);
            log.SetEvent(event);
        }
        entry->SetEventLog(log);
        entries.push_back(entry);
    }
    return std::make_shared<EntryManager>(EntryDB(ID(Entries), entries));
}

void ChooseFirstEntry(UI::EventLogDlg& viewer)
{
    auto& list = viewer.EntryList();
    const auto keys = list.Keys();
    list.AdjustSelectedItem(keys->front(), *keys);
}

void OpenViewer(benchmark::State& state)
{
    const auto manager = MakeManager();
    for (auto _ : state) {
        auto* viewer = new UI::EventLogDlg(manager, nullptr);
        viewer->show();
        ChooseFirstEntry(*viewer);
        benchmark::DoNotOptimize(viewer->grab());
        if (viewer->EventList().Keys()->size() != EventsPerEntry) state.SkipWithError("the events are not listed");
        delete viewer;
    }
}
BENCHMARK(OpenViewer)->Unit(benchmark::kMillisecond);

// Arg: the column clicked (1 event name, 2 time, 3 related information).
void ResortEvents(benchmark::State& state)
{
    const auto manager = MakeManager();
    UI::EventLogDlg viewer(manager, nullptr);
    viewer.show();
    ChooseFirstEntry(viewer);
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        viewer.EventList().SortBy(column);
        benchmark::DoNotOptimize(viewer.EventList().grab());
    }
}
BENCHMARK(ResortEvents)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
