// The panel's hit test runs on every press inside it, and the palette is read on every paint.
#include "app/views/outline/PopoverShape.h"
#include "app/views/theme/HexColor.h"
#include "app/views/theme/Theme.h"

#include <benchmark/benchmark.h>

namespace {

const QRectF panelOutline(40, 24, 280, 226);

PopoverShape panelShape()
{
    PopoverShape shape;
    shape.notchCenterX = 140;
    return shape;
}

void BM_OutlinePath(benchmark::State& state)
{
    const PopoverShape shape = panelShape();
    for (auto _ : state)
        benchmark::DoNotOptimize(shape.path(panelOutline));
}
BENCHMARK(BM_OutlinePath);

void BM_OutlineHitTest(benchmark::State& state)
{
    const PopoverShape shape = panelShape();
    const QPointF points[] = {{180, 24.5}, {41, 34}, {200, 150}, {319, 249}};
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shape.contains(panelOutline, points[next]));
        next = (next + 1) % std::size(points);
    }
}
BENCHMARK(BM_OutlineHitTest);

void BM_HexParse(benchmark::State& state)
{
    const QString text = QStringLiteral("#34C759");
    for (auto _ : state)
        benchmark::DoNotOptimize(HexColor::parse(text));
}
BENCHMARK(BM_HexParse);

void BM_HueBackground(benchmark::State& state)
{
    int hue = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Theme::hueBackground(hue).resolved(Appearance::ColorScheme::Dark));
        hue = (hue + 1) % Theme::hueCount;
    }
}
BENCHMARK(BM_HueBackground);

void BM_StaticColour(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Theme::textPrimary().resolved(Appearance::ColorScheme::Light));
}
BENCHMARK(BM_StaticColour);

} // namespace

BENCHMARK_MAIN();
