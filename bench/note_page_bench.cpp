// The note page on the main thread: opening the panel on a long note; a keystroke into one,
// from the key event to the store holding the new text and the editor repainted; every frame
// of a page change between two long notes; opening the note list over many notes, from
// Alt+Down to the card painted; a row deleted from an open list over many notes, to the card
// painted, and each frame of the rows gliding after it; a keystroke in the rename field; and
// each move of a corner drag with a long note open, each step of the lines settling after it
// and the whole of their settling. Each reports its median and worst time in milliseconds.
#include "PanelBench.h"

#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/shell/Analytics.h"
#include "app/shell/PopoverController.h"
#include "app/views/editor/NoteTextView.h"
#include "app/views/outline/PanelPlacement.h"
#include "app/views/overlays/NoteListView.h"
#include "app/views/overlays/NoteRowsView.h"
#include "app/views/page/HeaderView.h"
#include "app/views/page/NotePager.h"
#include "app/views/page/NoteView.h"
#include "app/views/page/RenameField.h"
#include "app/views/panel/PopoverRootView.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr qsizetype kilobyte = 1024;
constexpr qsizetype longNote = 100 * kilobyte;
constexpr int frameInterval = 16; // ms

// What a long note is made of. Figures all have the same width: after a keystroke at the
// start of a paragraph of them, every line of it moves.
enum class Shape { lines, paragraph, unbroken, figures };

QString longText(Shape shape, qsizetype size)
{
    QString piece;
    switch (shape) {
    case Shape::lines:
        piece = QStringLiteral("Call Anna about the weekend trip, bring the map.\n");
        break;
    case Shape::paragraph:
        piece = QStringLiteral("Call Anna about the weekend trip, bring the map. ");
        break;
    case Shape::unbroken: // pasted base64
        piece = QStringLiteral("Q2FsbCBBbm5hIGFib3V0IHRoZSB3ZWVrZW5kIHRyaXAsIGJyaW5nIHRoZSBtYXAu");
        break;
    case Shape::figures:
        piece = QStringLiteral("0123456789");
        break;
    }
    return piece.repeated(size / piece.size() + 1).left(size);
}

QString longText(const benchmark::State& state)
{
    return longText(Shape(state.range(0)), state.range(1) * kilobyte);
}

// The panel's content as the program builds it, on screen in the offscreen platform. The
// page's timers are the benchmark's, unless it is given others.
struct Panel : PanelModel
{
    Panel(int noteCount, const QString& text, Scheduler* timers = nullptr)
        : pageTimers(timers ? *timers : scheduler)
    {
        store.setText(store.currentNote().id, text);
        for (int i = 1; i < noteCount; ++i)
            store.addNote(text);
        store.select(0);
        open();
    }

    // Builds the page and shows it with the caret at the end of the note, as opening does.
    void open()
    {
        delete page;
        page = new NoteView(controller, store, settings, pageTimers, appearance);
        root.setNotePage(page);
        root.resize(360, 298);
        root.show();
        QCoreApplication::processEvents();
        editor()->focusAtEnd();
        root.repaint();
    }

    NoteTextView* editor() const { return page->pager()->editor(); }

    Scheduler& pageTimers;
    PopoverRootView root{controller, store, appearance};
    NoteView* page = nullptr;
};

void opening(benchmark::State& state)
{
    Panel panel(1, longText(state));
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        panel.open();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report(state, times);
}
BENCHMARK(opening)
    ->ArgNames({"shape", "kb"})
    ->Args({int(Shape::unbroken), 1024})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void typing(benchmark::State& state)
{
    const QString text = longText(state);
    Panel panel(1, text);
    NoteTextView* editor = panel.editor();
    const bool atStart = state.range(2) != 0;
    if (atStart)
        editor->setCursorPosition(0);
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        QTest::keyClick(editor, Qt::Key_A);
        editor->viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (panel.store.currentNote().text.size() != text.size() + qsizetype(times.size()))
        state.SkipWithError("a keystroke did not reach the store");
    report(state, times);
}
BENCHMARK(typing)
    ->ArgNames({"shape", "kb", "at_start"})
    ->Args({int(Shape::lines), 100, 0})
    ->Args({int(Shape::paragraph), 100, 0})
    ->Args({int(Shape::unbroken), 1024, 0})
    ->Args({int(Shape::unbroken), 1024, 1})
    ->Args({int(Shape::figures), 1024, 1})
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

void paging(benchmark::State& state)
{
    Panel panel(2, longText(state));
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
    ->ArgNames({"shape", "kb"})
    ->Args({int(Shape::lines), 100})
    ->Args({int(Shape::paragraph), 100})
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void listOpening(benchmark::State& state)
{
    Panel panel(1, longText(Shape::lines, longNote));
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

void listRowsGliding(benchmark::State& state)
{
    Panel panel(int(state.range(0)), QStringLiteral("A short note"));
    panel.controller.openList();
    NoteListView* list = panel.page->noteList();
    if (!list || !QTest::qWaitFor([list] { return !list->graphicsEffect(); })) {
        state.SkipWithError("the list did not open");
        return;
    }
    std::vector<double> changes;
    std::vector<double> frames;
    QElapsedTimer timer;
    for (auto _ : state) {
        // A row under the current one goes: the rows below it glide up.
        const QUuid second = panel.store.notes()[1].id;
        timer.start();
        panel.controller.deleteNotes({second});
        panel.root.repaint();
        QCoreApplication::processEvents();
        changes.push_back(double(timer.nsecsElapsed()) / 1e6);
        QVariantAnimation& glide = list->rows()->motion().animation();
        glide.pause();
        for (int time = frameInterval; time <= glide.duration(); time += frameInterval) {
            timer.start();
            glide.setCurrentTime(time);
            panel.root.repaint();
            QCoreApplication::processEvents();
            frames.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        glide.setCurrentTime(glide.duration());
    }
    report(state, changes, "change_");
    report(state, frames, "frame_");
}
BENCHMARK(listRowsGliding)
    ->ArgName("notes")
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void renameKeystroke(benchmark::State& state)
{
    Panel panel(1, longText(Shape::lines, longNote));
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
    // The lines off screen settle on the event loop's timers, between moves, as in the program.
    Panel panel(1, longText(Shape::lines, longNote), &Scheduler::system());
    constexpr int moves = 100;
    std::vector<double> times;
    std::vector<double> settleSteps;
    std::vector<double> settled;
    QElapsedTimer timer;
    QElapsedTimer sinceRelease;
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
        // After the release, a step per turn of the event loop until every line is settled.
        sinceRelease.start();
        while (!panel.editor()->lines().isSettled()) {
            timer.start();
            QCoreApplication::processEvents();
            settleSteps.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        settled.push_back(double(sinceRelease.nsecsElapsed()) / 1e6);
        panel.controller.resetSize();
    }
    report(state, times);
    report(state, settleSteps, "settle_step_");
    report(state, settled, "settled_");
}
BENCHMARK(cornerDrag)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runPanelBenchmarks(argc, argv);
}
