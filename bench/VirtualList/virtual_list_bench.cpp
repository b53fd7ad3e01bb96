// How long a virtual list takes to refresh (take, sort and install the keys) and to
// draw its visible rows, by the number of keys. Runs offscreen.

#include "FakeSource.hpp"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace fake;

struct Fixture {
    explicit Fixture(int count)
    {
        for (int key = 0; key < count; ++key)
            store.put(key, Row{L"machine " + std::to_wstring((key * 7919) % count), key % 7, key % 3 == 0});
        list.SetSource(&source);
        list.AddColumn(std::make_shared<FlagColumn>(store, 0));
        list.AddColumn(std::make_shared<NameColumn>(store, 1));
        list.AddColumn(std::make_shared<SizeColumn>(store, 2));
        list.SetSortColumn(1);
        list.resize(500, 400);
        list.show();
    }
    Store store;
    FakeSource source{store};
    Control<FakeSource> list;
};

// Refresh sorted by a text column: every comparison reads two texts.
void Refresh(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) f.list.Refresh();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(Refresh)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Drawing the list: the cost must not grow with the number of keys.
void Draw(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    f.list.Refresh();
    for (auto _ : state) benchmark::DoNotOptimize(f.list.grab());
    state.counters["cells asked"] = benchmark::Counter(f.store.fills, benchmark::Counter::kAvgIterations);
}
BENCHMARK(Draw)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
