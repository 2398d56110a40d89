// Delivery of one hot-key release through the shortcut module, from the system layer to the
// handler, with 100 named shortcuts registered.
#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/KeyCodes.h"
#include "support/FakeHotKeyCenter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace GlobalShortcuts;

constexpr int nameCount = 100;
const std::array letters{Key::a, Key::b, Key::c, Key::d, Key::e, Key::f, Key::g, Key::h, Key::i,
                         Key::j, Key::k, Key::l, Key::m, Key::n, Key::o, Key::p, Key::q, Key::r,
                         Key::s, Key::t, Key::u, Key::v, Key::w, Key::x, Key::y, Key::z};
const std::array<ModifierFlags, 4> modifierSets{
    ModifierFlag::command, ModifierFlag::command | ModifierFlag::option,
    ModifierFlag::command | ModifierFlag::shift, ModifierFlag::control | ModifierFlag::option};

void dispatchOneKeyEvent(benchmark::State& state)
{
    FakeHotKeyCenter center;
    CarbonGlobalShortcuts::setHotKeyCenter(&center);
    int calls = 0;
    for (int i = 0; i < nameCount; ++i) {
        const Shortcut shortcut(letters[i % letters.size()], modifierSets[i / letters.size()]);
        const Name name(QStringLiteral("name%1").arg(i), shortcut);
        onKeyUp(name, [&calls] { ++calls; });
    }
    // The last name's shortcut, so that every name is looked at before the match.
    const Shortcut pressed(letters[(nameCount - 1) % letters.size()],
                           modifierSets[(nameCount - 1) / letters.size()]);
    const quint32 keyCode = *x11KeyCode(pressed.carbonKeyCode());
    const quint32 modifiers = *x11Modifiers(pressed.carbonModifiers());

    for (auto _ : state)
        benchmark::DoNotOptimize(center.release(keyCode, modifiers));
    if (calls != static_cast<int>(state.iterations()))
        state.SkipWithError("the handler did not run once per event");
    removeAllHandlers();
}
BENCHMARK(dispatchOneKeyEvent)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // The shortcuts are stored; keep them out of the real settings.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
