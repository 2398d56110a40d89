// The note page on the main thread: a keystroke into a long note, from the key event to the
// store holding the new text and the editor repainted; every frame of a page change between
// two long notes; opening the note list over many notes, from Alt+Down to the card painted; a
// keystroke in the rename field; and each move of a corner drag with a long note open. Each
// reports its median and worst time in milliseconds.
#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/shell/Analytics.h"
#include "app/shell/PanelPlacement.h"
#include "app/shell/PopoverController.h"
#include "app/shell/ReportingServices.h"
#include "app/views/HeaderView.h"
#include "app/views/NoteListView.h"
#include "app/views/NotePager.h"
#include "app/views/NoteTextView.h"
#include "app/views/NoteView.h"
#include "app/views/PopoverRootView.h"
#include "app/views/RenameField.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr qsizetype longNote = 100 * 1024;
constexpr int frameInterval = 16; // ms

class SilentReporting : public ReportingServices
{
public:
    bool startCrashReporting() override { return false; }
    void startCrashSession() override {}
    void endCrashSession() override {}
    void closeCrashReporting() override {}
    void configureAnalytics() override {}
    void setAnalyticsAllowed(bool) override {}
    void sendSignal(const QString&) override {}
};

QString longText(bool paragraphs)
{
    const QString line = paragraphs
                             ? QStringLiteral("Call Anna about the weekend trip, bring the map.\n")
                             : QStringLiteral("Call Anna about the weekend trip, bring the map. ");
    return line.repeated(longNote / line.size() + 1).left(longNote);
}

// The panel's content as the program builds it, on screen in the offscreen platform.
struct Panel
{
    explicit Panel(int noteCount, bool paragraphs)
    {
        store.setText(store.currentNote().id, longText(paragraphs));
        for (int i = 1; i < noteCount; ++i)
            store.addNote(longText(paragraphs));
        store.select(0);
        page = new NoteView(controller, store, settings, scheduler, appearance);
        root.setNotePage(page);
        root.resize(360, 298);
        root.show();
        QCoreApplication::processEvents();
        editor()->focusAtEnd();
    }

    NoteTextView* editor() const { return page->pager()->editor(); }

    QTemporaryDir folder;
    UserDefaults defaults{QStringLiteral("settings"), folder.path()};
    AppSettings settings{defaults};
    ManualClock clock;
    ManualScheduler scheduler;
    ManualMainQueue mainQueue;
    NoteStore store{folder.path() + QStringLiteral("/notes.json"), clock, scheduler};
    SilentReporting reporting;
    Analytics analytics{reporting, QString(), QString()};
    Appearance appearance{false};
    PopoverController controller{
        store, settings, analytics, {mainQueue, scheduler, clock, appearance}};
    PopoverRootView root{controller, store, appearance};
    NoteView* page = nullptr;
};

void report(benchmark::State& state, std::vector<double> times, const std::string& prefix = {})
{
    std::sort(times.begin(), times.end());
    state.counters[prefix + "median_ms"] = times[times.size() / 2];
    state.counters[prefix + "worst_ms"] = times.back();
}

void typing(benchmark::State& state)
{
    Panel panel(1, state.range(0) != 0);
    NoteTextView* editor = panel.editor();
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        QTest::keyClick(editor, Qt::Key_A);
        editor->viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (panel.store.currentNote().text.size() != longNote + qsizetype(times.size()))
        state.SkipWithError("a keystroke did not reach the store");
    report(state, times);
}
BENCHMARK(typing)
    ->ArgName("paragraphs")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

void paging(benchmark::State& state)
{
    Panel panel(2, state.range(0) != 0);
    std::vector<double> changes;
    std::vector<double> frames;
    QElapsedTimer timer;
    for (auto _ : state) {
        const bool forward = panel.store.currentIndex() == 0;
        if (forward)
            panel.controller.nextNote();
        else
            panel.controller.previousNote();
        // Before the move: the store changes, the new editor is made and the old page pictured.
        timer.start();
        panel.mainQueue.runPending();
        changes.push_back(double(timer.nsecsElapsed()) / 1e6);
        // Then every frame of the move, with whatever the change left for the event loop.
        timer.start();
        panel.root.repaint();
        QCoreApplication::processEvents();
        frames.push_back(double(timer.nsecsElapsed()) / 1e6);
        QVariantAnimation& transition = panel.page->pager()->transition();
        transition.pause();
        for (int time = frameInterval; time <= transition.duration(); time += frameInterval) {
            timer.start();
            transition.setCurrentTime(time);
            panel.root.repaint();
            QCoreApplication::processEvents();
            frames.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        transition.setCurrentTime(transition.duration());
    }
    report(state, changes, "change_");
    report(state, frames, "frame_");
}
BENCHMARK(paging)
    ->ArgName("paragraphs")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void listOpening(benchmark::State& state)
{
    Panel panel(1, true);
    for (int i = 1; i < state.range(0); ++i)
        panel.store.addNote(QStringLiteral("A short note"));
    const QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Down, Qt::AltModifier);
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        panel.controller.handleKey(altDown);
        panel.root.repaint();
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!panel.page->noteList())
            state.SkipWithError("the list did not open");
        panel.controller.closeList();
        QCoreApplication::processEvents();
    }
    report(state, times);
}
BENCHMARK(listOpening)
    ->ArgName("notes")
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

void renameKeystroke(benchmark::State& state)
{
    Panel panel(1, true);
    panel.controller.setRenaming(true);
    RenameField* field = panel.page->header()->renameField();
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        if (field->text().size() >= 39)
            field->clear();
        timer.start();
        QTest::keyClick(field, Qt::Key_A);
        field->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report(state, times);
}
BENCHMARK(renameKeystroke)->Iterations(400)->Unit(benchmark::kMillisecond);

void cornerDrag(benchmark::State& state)
{
    Panel panel(1, true);
    constexpr int moves = 100;
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        const QPointF press(600, 300);
        panel.controller.beginResize(press);
        for (int move = 1; move <= moves; ++move) {
            timer.start();
            panel.controller.resizeDrag(PopoverController::Corner::bottomRight,
                                        press + QPointF(move, move));
            panel.root.resize(PanelGeometry::frameSize(panel.controller.size()).toSize());
            panel.root.repaint();
            QCoreApplication::processEvents();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        panel.controller.endResize();
        panel.controller.resetSize();
    }
    report(state, times);
}
BENCHMARK(cornerDrag)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
