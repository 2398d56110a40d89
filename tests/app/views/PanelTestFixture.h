#pragma once

#include "app/shell/RecordingReportingServices.h"

#include "app/Analytics.h"
#include "app/AppSettings.h"
#include "app/NoteStore.h"
#include "app/PopoverController.h"
#include "app/views/NotePager.h"
#include "app/views/NoteTextView.h"
#include "app/views/NoteView.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The note page over a real store, settings and controller, with the clock, timers and the
// controller's main queue in the test's hands.
class PanelTestFixture : public testing::Test
{
public:
    PanelTestFixture() { m_analytics.start(false); }

    // Makes the page at the controller's size; call after any setting the page reads at start.
    NoteView& makePage()
    {
        m_page = std::make_unique<NoteView>(m_controller, m_store, m_settings, m_scheduler,
                                            m_appearance);
        m_page->resize(m_controller.size().toSize());
        return *m_page;
    }

    // Shows the page as the active window, so focus can be observed.
    void showActive()
    {
        m_page->show();
        QApplication::setActiveWindow(m_page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
    }

    NoteTextView* editor() const { return m_page->pager()->editor(); }

    // Runs what the controller deferred to the next turn (the store change of a page move),
    // then what the widgets queued for theirs (focus).
    void nextTurn()
    {
        m_mainQueue.runPending();
        QCoreApplication::processEvents();
    }

    // Gives the store exactly these notes, the first one current.
    void useNotes(const QStringList& texts)
    {
        m_store.setText(m_store.notes().front().id, texts.front());
        for (qsizetype i = 1; i < texts.size(); ++i)
            m_store.addNote(texts[i]);
        m_store.select(0);
    }

    QString textOf(int index) const { return m_store.notes()[std::size_t(index)].text; }

    QTemporaryDir m_folder;
    QString m_notesFile = m_folder.path() + QStringLiteral("/notes.json");
    UserDefaults m_defaults{QStringLiteral("settings"), m_folder.path()};
    AppSettings m_settings{m_defaults};
    ManualClock m_clock;
    ManualScheduler m_scheduler;
    ManualMainQueue m_mainQueue;
    NoteStore m_store{m_notesFile, m_clock, m_scheduler};
    RecordingReportingServices m_reporting;
    Analytics m_analytics{m_reporting, QString(), QString()};
    Appearance m_appearance{false};
    PopoverController m_controller{
        m_store, m_settings, m_analytics, {m_mainQueue, m_scheduler, m_clock, m_appearance}};
    std::unique_ptr<NoteView> m_page;
};
