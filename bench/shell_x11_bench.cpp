// What opening the panel costs the desktop stand-ins: the click monitor is started anew on
// every opening. Needs an X server: tests/x11/with-xvfb build/release/bench/shell_x11_bench
#include "platform/GlobalClickMonitor.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_ClickMonitorStartAndStop(benchmark::State& state)
{
    for (auto _ : state) {
        const auto monitor = GlobalClickMonitor::create();
        if (!monitor->isActive()) {
            state.SkipWithError("no X server with XInput 2.2");
            return;
        }
    }
}
BENCHMARK(BM_ClickMonitorStartAndStop);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
