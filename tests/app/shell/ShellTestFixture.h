#pragma once

#include "RecordingReportingServices.h"

#include "app/notes/AppSettings.h"
#include "app/notes/NoteStore.h"
#include "app/shell/Analytics.h"
#include "app/shell/PopoverController.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/FileWriteQueue.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"

#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A panel controller over a real store and settings, with the clock, timers and main queue
// in the test's hands and the reporting services recorded. The store writes at once unless
// the test gives it a write queue of its own.
class ShellTestFixture : public testing::Test
{
public:
    explicit ShellTestFixture(FileWriteQueue& writeQueue = FileWriteQueue::immediate())
        : m_store(m_notesFile, m_clock, m_scheduler, NoteStore::defaultAutosaveDelay, writeQueue)
    {
        m_analytics.start(true);
        m_reporting.calls.clear();
    }

    bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QKeyEvent event(QEvent::KeyPress, key, modifiers);
        return m_controller.handleKey(event);
    }

    // Runs what the controller deferred to the next turn of the event loop.
    void nextTurn() { m_mainQueue.runPending(); }

    void addNotes(const QStringList& texts)
    {
        for (const QString& text : texts) {
            m_store.addNote(text);
        }
        m_store.select(0);
    }

    QTemporaryDir m_folder;
    QString m_notesFile = m_folder.path() + QStringLiteral("/notes.json");
    UserDefaults m_defaults{QStringLiteral("settings"), m_folder.path()};
    AppSettings m_settings{m_defaults};
    ManualClock m_clock;
    ManualScheduler m_scheduler;
    ManualMainQueue m_mainQueue;
    NoteStore m_store;
    RecordingReportingServices m_reporting;
    Analytics m_analytics{
        m_reporting, QStringLiteral("https://0123456789abcdef0123456789abcdef@crash.example/1"),
        QStringLiteral("5C1D7E2A-6B3F-4A8C-9D0E-1F2A3B4C5D6E")};
    Appearance m_appearance{false};
    PopoverController m_controller{
        m_store, m_settings, m_analytics, {m_mainQueue, m_scheduler, m_clock, m_appearance}};
};
