// Save and Load of a full data file (3 entries, 200 logged events each with
// thumbnails and notice fields, a latest feed of 200 items each), set against the
// time libxml2 alone takes to parse the same file: the floor any XML reader pays.

#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/PasswordCodec.hpp"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using namespace MonitoredEntry;
namespace fs = boost::filesystem;

namespace {

constexpr int kEntries = 3;
constexpr int kEvents = 200;
constexpr int kItems = 200;

std::string Time(int i)
{
    char text[64];
    std::snprintf(text, sizeof text, "Tue, %02d Jun 2008 %02d:%02d:%02d +0900", 1 + i / 1440 % 28, i / 60 % 24,
                  i % 60, i % 60);
    return text;
}

void FillFullStore(EntryManager& manager)
{
    EntryManager::Transaction t(manager);
    for (int e = 0; e < kEntries; ++e) {
        const EntryProperty property(
            true, MFP(std::wstring(L"複合機 ") + std::to_wstring(e), L"mfp-" + std::to_wstring(e) + L".example", 80,
                      443, false),
            User(std::wstring(L"山田 太郎"), L"yamada", Password(L"password")),
            MonitoredEntry::Config(kEvents, 1800000, true, true, false, 10000, true, true, 1));
        const ID id = t.Append(property);
        auto entry = t.GetEntryCopy(id);
        EventLog log = entry->GetEventLog();
        for (int i = 0; i < kEvents; ++i) {
            const std::wstring n = std::to_wstring(i);
            log.Append(EventProperty(L"スキャン受信", L"12", "1", L"3", L"スキャン文書 " + n,
                                     std::wstring(L"/vozoz/thumbnail?docid=") + n + L"&size=small",
                                     std::wstring(L"/vozoz/voice/") + n + L".wav", std::wstring(L"A1\nB2\n"), "1",
                                     n, std::wstring(L"1"), std::wstring(L"お知らせ内容 ") + n,
                                     std::wstring(L"未完了"), n, RSS::EventTime(Time(i)), RSS::EventTime(Time(i))));
        }
        entry->SetEventLog(log);
        RSS::RSSFeed::ItemList items;
        for (int i = 0; i < kItems; ++i) {
            const std::string n = std::to_string(i);
            items.push_back(RSS::Item{"スキャン受信 " + n, "/vozoz/thumbnail?docid=" + n + "&size=small", "1", "html",
                                      "スキャン受信", "12", "1", "3", "doc-" + n, "/vozoz/voice/" + n + ".wav",
                                      "audio/wav", "20480", "1", "お知らせ内容 " + n, "未完了", n, Time(i), Time(i)});
        }
        entry->SetLatestRSSFeed(RSS::RSSFeed("山田 太郎", "http://mfp.example/", Time(kItems), items));
        t.SetEntry(entry);
    }
    t.Commit();
}

struct Fixture {
    fs::path dir = fs::temp_directory_path() / fs::unique_path("norvane-bench-%%%%-%%%%");
    fs::path file = dir / "data.dat";
    EntryManager manager;
    Fixture()
    {
        fs::create_directories(dir);
        FillFullStore(manager);
        DataFile::Save(manager, file);
    }
    ~Fixture()
    {
        boost::system::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void SaveOnce() { DataFile::Save(Shared().manager, Shared().file); }

void LoadOnce()
{
    std::shared_ptr<EntryManager> loaded;
    DataFile::Load(loaded, Shared().file);
}

void ParseOnce()
{
    xmlDocPtr doc = xmlReadFile(Shared().file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!doc) std::abort();
    xmlFreeDoc(doc);
}

void BM_Save(benchmark::State& state)
{
    for (auto _ : state) SaveOnce();
    state.counters["bytes"] = static_cast<double>(fs::file_size(Shared().file));
}
void BM_Load(benchmark::State& state)
{
    for (auto _ : state) LoadOnce();
}
void BM_Libxml2Parse(benchmark::State& state)
{
    for (auto _ : state) ParseOnce();
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Parse)->Unit(benchmark::kMillisecond);

struct Timing {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

double CpuNowMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Best of several rounds, in wall time and in this process's CPU time (the machine
// may be shared; a save also waits for the disk).
Timing Best(const std::function<void()>& work, int rounds = 7)
{
    Timing best;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNowMs();
        work();
        best.cpuMs = std::min(best.cpuMs, CpuNowMs() - cpuStart);
        best.wallMs =
            std::min(best.wallMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    xmlInitParser();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    const Timing save = Best(SaveOnce);
    const Timing load = Best(LoadOnce);
    const Timing parse = Best(ParseOnce);
    std::printf("\nFull store: %d entries x %d logged events, latest feed of %d items each (best of 7)\n", kEntries,
                kEvents, kItems);
    std::printf("                      wall ms    cpu ms\n");
    std::printf("Save:                 %8.2f  %8.2f\n", save.wallMs, save.cpuMs);
    std::printf("Load:                 %8.2f  %8.2f\n", load.wallMs, load.cpuMs);
    std::printf("libxml2 parse alone:  %8.2f  %8.2f\n", parse.wallMs, parse.cpuMs);
    std::printf("File size:            %llu bytes\n", static_cast<unsigned long long>(fs::file_size(Shared().file)));
    std::printf("Load / libxml2 parse: %8.1f x (cpu %.1f x)\n", load.wallMs / parse.wallMs, load.cpuMs / parse.cpuMs);
    std::printf("Save / libxml2 parse: %8.1f x (cpu %.1f x)\n", save.wallMs / parse.wallMs, save.cpuMs / parse.cpuMs);
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
