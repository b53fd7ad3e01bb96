// Feed analysis against the bare XML parse of the same bytes, and whole feed reads
// of 1000 items over loopback: from a plain local server and from the simulated machine.

#include "HTTP/XML.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "RSS/RSSFeed.hpp"
#include "ScriptedServer.hpp"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstdio>
#include <map>

namespace {

constexpr int kItems = 1000;

// A feed in the shape machines send: documents with thumbnail link and voice,
// every tenth item a due-date notice.
std::string MakeFeed(int items)
{
    std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                       "<title>\xE3\x82\xA2\xE3\x83\xAA\xE3\x82\xB9</title><link>http://127.0.0.1/vozoz/norvane</link>"
                       "<lastBuildDate>Tue, 10 Jun 2008 04:00:05 +0900</lastBuildDate>\n";
    char buffer[2048];
    for (int i = 0; i < items; ++i) {
        const bool notice = i % 10 == 9;
        std::snprintf(buffer, sizeof buffer,
                      "<item><title>\xE3\x82\xB9\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE6\x96\x87\xE6\x9B\xB8 %05d</title>"
                      "<description view=\"0\" type=\"html\">&lt;a href=\"http://127.0.0.1/vozoz/norvane?NVF=6&amp;amp;"
                      "UN=alice&amp;amp;DC=%05d\"&gt;&lt;img src=\"t.jpg\"/&gt;&lt;/a&gt;</description>"
                      "<category id=\"2\" type=\"0\" notice=\"3\">Scan</category>"
                      "<enclosure url=\"http://127.0.0.1/vozoz/voice/%05d.wav\" type=\"audio/wav\" length=\"4410\"/>"
                      "<guid>%05d</guid><pubDate>Tue, 10 Jun 2008 %02d:%02d:%02d +0900</pubDate>"
                      "<notify>%d</notify><content>%s</content><status>0</status><notifyid>%d</notifyid>"
                      "<notifydate></notifydate></item>\n",
                      i, i, i, i, i / 3600 % 24, i / 60 % 60, i % 60, notice ? 1 : 0, notice ? "toner" : "", i);
        feed += buffer;
    }
    return feed + "</channel></rss>\n";
}

const std::string& FeedBytes()
{
    static const std::string bytes = MakeFeed(kItems);
    return bytes;
}

void BM_BareLibxml2Parse(benchmark::State& state)
{
    const std::string& bytes = FeedBytes();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(bytes.data(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_BareLibxml2Parse)->Unit(benchmark::kMillisecond);

void BM_ParserParse(benchmark::State& state)
{
    const HTTP::Bytes bytes(FeedBytes().begin(), FeedBytes().end());
    HTTP::XML::Parser parser;
    for (auto _ : state) benchmark::DoNotOptimize(parser.Parse(bytes));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_ParserParse)->Unit(benchmark::kMillisecond);

void BM_AnalyzeRSSFeed(benchmark::State& state)
{
    HTTP::XML::Parser parser;
    if (!parser.Parse(HTTP::Bytes(FeedBytes().begin(), FeedBytes().end()))) state.SkipWithError("feed does not parse");
    for (auto _ : state) {
        auto feed = QH::AnalyzeRSSFeed()(parser);
        if (feed->GetItemList().size() != std::size_t(kItems)) state.SkipWithError("wrong item count");
        benchmark::DoNotOptimize(feed);
    }
}
BENCHMARK(BM_AnalyzeRSSFeed)->Unit(benchmark::kMillisecond);

MonitoredEntry::User Alice()
{
    return MonitoredEntry::User(boost::none, L"alice", MonitoredEntry::Password(L"secret"));
}

void BM_GetRSSFeed_LocalServer1000(benchmark::State& state)
{
    testing_http::ScriptedServer server([](const testing_http::Request&) {
        return testing_http::Response::Make(200, "application/rss+xml", FeedBytes());
    });
    QuillhavenServer client(MonitoredEntry::MFP(boost::none, L"127.0.0.1", server.Port(), 1, false));
    for (auto _ : state) {
        auto feed = client.GetRSSFeed(Alice(), L"/feed/alice");
        if (feed->GetItemList().size() != std::size_t(kItems)) state.SkipWithError("wrong item count");
    }
}
BENCHMARK(BM_GetRSSFeed_LocalServer1000)->Unit(benchmark::kMillisecond);

void BM_GetRSSFeed_Simulator(benchmark::State& state)
{
    const bool ssl = state.range(0) != 0;
    QuillhavenSim::Options options;
    options.feedCapacity = kItems;
    QuillhavenSim::Machine machine(options);
    machine.AddUser("alice", "secret", "\xE3\x82\xA2\xE3\x83\xAA\xE3\x82\xB9");
    for (int i = 0; i < kItems; ++i) machine.PublishScan("alice");
    QuillhavenServer client(
        MonitoredEntry::MFP(boost::none, L"127.0.0.1", machine.HttpPort(), machine.HttpsPort(), ssl));
    const std::wstring location = client.SubscribeToRSSFeed(61099, Alice(), HTTP::Timeout{3000, 0, 3000, 3000});
    for (auto _ : state) {
        if (client.GetRSSFeed(Alice(), location)->GetItemList().size() != std::size_t(kItems))
            state.SkipWithError("wrong item count");
    }
}
BENCHMARK(BM_GetRSSFeed_Simulator)->Arg(0)->Arg(1)->ArgName("https")->Unit(benchmark::kMillisecond);

// Keeps each run's time so that main can print the ratios.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("feed: %d items, %zu bytes\n", kItems, FeedBytes().size());
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto find = [](const std::map<std::string, double>& in, const char* name) {
        auto it = in.find(name);
        return it == in.end() ? 0.0 : it->second;
    };
    // CPU time for the work done on this thread, wall time for the loopback reads
    // (their server runs on other threads).
    const double bareCpu = find(reporter.cpuTimes, "BM_BareLibxml2Parse");
    const double bareWall = find(reporter.times, "BM_BareLibxml2Parse");
    if (bareCpu > 0 && bareWall > 0) {
        std::printf("ratio AnalyzeRSSFeed / bare libxml2 parse (CPU time):  %.2f\n",
                    find(reporter.cpuTimes, "BM_AnalyzeRSSFeed") / bareCpu);
        std::printf("ratio Parser::Parse / bare libxml2 parse (CPU time):   %.2f\n",
                    find(reporter.cpuTimes, "BM_ParserParse") / bareCpu);
        std::printf("ratio GetRSSFeed 1000 items from a local server / bare parse (wall time): %.2f\n",
                    find(reporter.times, "BM_GetRSSFeed_LocalServer1000") / bareWall);
        std::printf("ratio GetRSSFeed 1000 items from the simulator, HTTP / bare parse (wall time): %.2f\n",
                    find(reporter.times, "BM_GetRSSFeed_Simulator/https:0") / bareWall);
    }
    benchmark::Shutdown();
}
