// The panel while the disk takes 5 s over every write, as with fsync delayed 5 s: a keystroke,
// from the key event to the editor repainted, with the store handing its document over every
// tenth key as its autosave would; and the global shortcut's answer, from the toggle to the
// panel painted, opening and closing in turn (closing saves at once). Each reports its median
// and worst time in milliseconds. With `background` 0 the writes run on the main thread, as they
// did before the write queue had a thread of its own.
#include "PanelBench.h"

#include "app/shell/PopoverController.h"
#include "app/views/editor/NoteTextView.h"
#include "app/views/page/NotePager.h"
#include "app/views/page/NoteView.h"
#include "app/views/panel/PopoverRootView.h"
#include "platform/FileWriteQueue.h"
#include "platform/MainQueue.h"
#include "platform/PanelWindow.h"

#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto diskDelay = 5s;
constexpr int keysPerSave = 10;

// Every write first waits out the disk's delay, wherever the queue runs it.
class SlowDisk : public FileWriteQueue
{
public:
    explicit SlowDisk(bool background)
        : m_queue(background ? static_cast<FileWriteQueue&>(m_background)
                             : FileWriteQueue::immediate())
    {}

    void submit(const QString& file, Work write, Work done, Turn turn) override
    {
        m_queue.submit(
            file,
            [write = std::move(write)] {
                std::this_thread::sleep_for(diskDelay);
                write();
            },
            std::move(done), turn);
    }
    bool finish(std::chrono::milliseconds bound) override { return m_queue.finish(bound); }

private:
    BackgroundFileWriteQueue m_background{MainQueue::system()};
    FileWriteQueue& m_queue;
};

// Made before the panel, which writes through it, and gone after it.
struct SlowDiskHolder
{
    explicit SlowDiskHolder(bool background)
        : disk(background)
    {}
    SlowDisk disk;
};

// The panel as the program builds it, open in the offscreen platform, on the slow disk.
struct Panel : SlowDiskHolder, PanelModel
{
    explicit Panel(bool background)
        : SlowDiskHolder(background)
        , PanelModel(disk)
    {
        store.setText(
            QStringLiteral("Call Anna about the weekend trip, bring the map.\n").repeated(200));
        auto* root = new PopoverRootView(controller, store, appearance);
        page = new NoteView(controller, store, settings, scheduler, appearance);
        root->setNotePage(page);
        controller.setContent(root);
        controller.open();
        QCoreApplication::processEvents();
    }
    ~Panel() { disk.finish(2 * diskDelay); }

    NoteTextView* editor() const { return page->pager()->editor(); }

    NoteView* page = nullptr;
};

void keystroke(benchmark::State& state)
{
    Panel panel(state.range(0) != 0);
    NoteTextView* editor = panel.editor();
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        QTest::keyClick(editor, Qt::Key_A);
        if (times.size() % keysPerSave == keysPerSave - 1)
            panel.store.save();
        editor->viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report(state, times);
}
BENCHMARK(keystroke)
    ->ArgName("background")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3 * keysPerSave)
    ->Unit(benchmark::kMillisecond);

void hotKey(benchmark::State& state)
{
    Panel panel(state.range(0) != 0);
    PopoverController& controller = panel.controller;
    std::vector<double> times;
    QElapsedTimer timer;
    for (auto _ : state) {
        panel.store.setText(panel.store.currentNote().text + QLatin1Char('a'));
        timer.start();
        if (controller.isOpen())
            controller.close();
        else
            controller.open();
        controller.panel()->repaint();
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    report(state, times);
}
BENCHMARK(hotKey)
    ->ArgName("background")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runPanelBenchmarks(argc, argv);
}
