// Opening the settings page while the panel is open, from Ctrl+, reaching the panel to the
// page painted, over 50 openings: the median and worst time in milliseconds, and how many
// widgets the panel gained after the first opening (the page is made once, with the panel).
#include "PanelBench.h"

#include "GlobalShortcuts/Name.h"
#include "app/notes/AppSettings.h"
#include "app/notes/LaunchAtLogin.h"
#include "app/notes/NoteStore.h"
#include "app/shell/Analytics.h"
#include "app/shell/PopoverController.h"
#include "app/views/page/NoteView.h"
#include "app/views/panel/PopoverRootView.h"
#include "app/views/settings/SettingsView.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/PanelWindow.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr quint32 commaKeyCode = 59;

// The panel as the program builds it, open in the offscreen platform.
struct Panel : PanelModel
{
    Panel()
    {
        auto* root = new PopoverRootView(controller, store, appearance);
        root->setNotePage(new NoteView(controller, store, settings, scheduler, appearance));
        root->setSettingsPage(
            new SettingsView(controller, settings, launchAtLogin, updater, name, appearance));
        controller.setContent(root);
        controller.open();
        QCoreApplication::processEvents();
    }

    void pressControlComma()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Comma, Qt::ControlModifier, commaKeyCode, 0, 0);
        QApplication::sendEvent(controller.panel()->windowHandle(), &press);
    }

    qsizetype widgetCount() const { return controller.panel()->findChildren<QWidget*>().size(); }

    LoginItem loginItem{folder.path() + QStringLiteral("/autostart/quillory.desktop"),
                        QStringLiteral("/usr/bin/quillory")};
    LaunchAtLogin launchAtLogin{loginItem};
    Updater updater{QUrl(), QVersionNumber(1), scheduler};
    GlobalShortcuts::Name name{QStringLiteral("settingsPageBench")};
};

void openingSettings(benchmark::State& state)
{
    Panel panel;
    std::vector<double> times;
    std::optional<qsizetype> widgetsAfterFirst;
    qsizetype widgetsAdded = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        panel.pressControlComma();
        panel.controller.panel()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (panel.controller.mode() != PopoverController::Mode::settings) {
            state.SkipWithError("Ctrl+, did not open the settings page");
            return;
        }
        const qsizetype widgets = panel.widgetCount();
        widgetsAdded = std::max(widgetsAdded, widgets - widgetsAfterFirst.value_or(widgets));
        widgetsAfterFirst = widgetsAfterFirst.value_or(widgets);
        // Back to the note, and whatever that left for the event loop, untimed.
        panel.pressControlComma();
        QCoreApplication::processEvents();
    }
    report(state, times);
    state.counters["widgets_added_after_first"] = double(widgetsAdded);
}
BENCHMARK(openingSettings)->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runPanelBenchmarks(argc, argv);
}
