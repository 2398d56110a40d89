#pragma once

#include "app/shell/ShellTestFixture.h"

#include "app/views/editor/NoteTextView.h"
#include "app/views/page/NotePager.h"
#include "app/views/page/NoteView.h"

#include <QApplication>
#include <QTest>

#include <memory>

// The note page over a real store, settings and controller, with the clock, timers and the
// controller's main queue in the test's hands.
class PanelTestFixture : public ShellTestFixture
{
public:
    using ShellTestFixture::ShellTestFixture;

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

    std::unique_ptr<NoteView> m_page;
};
