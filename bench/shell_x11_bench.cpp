// What opening the panel costs the desktop stand-ins: the click monitor is started anew on
// every opening, and the window's shape is handed to the X server on every step of a resize.
// Needs an X server: tests/x11/with-xvfb build/release/bench/shell_x11_bench
#include "platform/GlobalClickMonitor.h"
#include "platform/PanelWindow.h"

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

void BM_PanelShapeUpdate(benchmark::State& state)
{
    PanelWindow panel;
    panel.setGeometry(100, 100, 360, 298);
    // A rounded outline of the panel's size: a few hundred rectangles for the server.
    const auto outline = [] {
        QPainterPath path;
        path.addRoundedRect(QRectF(40, 24, 280, 226), 12, 12);
        return path;
    };
    panel.setShapes({outline, outline, outline});
    panel.show();
    for (auto _ : state)
        panel.updateShape();
    QApplication::sync();
}
BENCHMARK(BM_PanelShapeUpdate);

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
