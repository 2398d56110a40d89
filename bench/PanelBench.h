#pragma once

// What the benchmarks of the panel share: the state a panel shows, the report of a series of
// times, and a main that runs them in the offscreen platform.
#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/shell/Analytics.h"
#include "app/shell/PopoverController.h"
#include "app/shell/ReportingServices.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/FileWriteQueue.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

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
    void applicationWillTerminate() override {}
};

// The settings, notes and controller of a panel, in a folder of their own, with time in the
// benchmark's hands and usage reports going nowhere. The notes are written at once unless a
// write queue is given.
struct PanelModel
{
    explicit PanelModel(FileWriteQueue& writeQueue = FileWriteQueue::immediate())
        : store(folder.path() + QStringLiteral("/notes.json"), clock, scheduler,
                NoteStore::defaultAutosaveDelay, writeQueue)
    {}

    QTemporaryDir folder;
    UserDefaults defaults{QStringLiteral("settings"), folder.path()};
    AppSettings settings{defaults};
    ManualClock clock;
    ManualScheduler scheduler;
    ManualMainQueue mainQueue;
    NoteStore store;
    SilentReporting reporting;
    Analytics analytics{reporting, QString(), QString()};
    Appearance appearance{false};
    PopoverController controller{
        store, settings, analytics, {mainQueue, scheduler, clock, appearance}};
};

// The median and the worst of the times, in milliseconds.
inline void report(benchmark::State& state, std::vector<double> times,
                   const std::string& prefix = {})
{
    std::sort(times.begin(), times.end());
    state.counters[prefix + "median_ms"] = times[times.size() / 2];
    state.counters[prefix + "worst_ms"] = times.back();
}

inline int runPanelBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
