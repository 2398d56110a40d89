#include "app/views/PanelTestFixture.h"

#include "app/views/page/HeaderView.h"
#include "app/views/page/NoticeBanner.h"

#include <QAbstractButton>
#include <QDir>

namespace {

using namespace std::chrono_literals;

class NoticeBannerTest : public PanelTestFixture
{
protected:
    NoticeBanner& banner() const { return *m_page->banner(); }

    // Saving fails until the link is removed: it points into a folder that does not exist.
    void breakSaving()
    {
        QDir().mkpath(QFileInfo(m_notesFile).absolutePath());
        ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/notes.json"), m_notesFile));
    }
};

TEST_F(NoticeBannerTest, AFailingSaveIsShownAboveTheNoteUntilTheNextGoodSave)
{
    makePage();
    m_page->show();
    QCoreApplication::processEvents();
    const QRect pagerAlone = m_page->pager()->geometry();
    EXPECT_FALSE(banner().isVisible());

    breakSaving();
    m_store.setText(QStringLiteral("typed"));
    m_scheduler.advance(1s);
    QCoreApplication::processEvents();
    ASSERT_TRUE(banner().isVisible());
    EXPECT_TRUE(banner().isWarning());
    EXPECT_EQ(banner().textShown(), m_store.saveProblem());
    EXPECT_FALSE(banner().dismissButton()->isVisible()); // it goes only when saving works
    EXPECT_EQ(banner().geometry().top(), m_page->header()->geometry().bottom() + 1);
    EXPECT_GT(m_page->pager()->geometry().top(), banner().geometry().bottom());
    const QRect box = banner().contentsRect();
    EXPECT_EQ(banner().mapTo(m_page.get(), box.topLeft()).x(), NoteView::sidePadding);

    QFile::remove(m_notesFile);
    m_scheduler.advance(NoteStore::saveRetryInterval);
    QCoreApplication::processEvents();
    EXPECT_FALSE(banner().isVisible());
    EXPECT_EQ(m_page->pager()->geometry(), pagerAlone);
}

TEST_F(NoticeBannerTest, NoticesStayUntilDismissedAndTheEditorKeepsTheKeyboard)
{
    makePage();
    showActive();
    editor()->setFocus();
    m_store.addNotice(QStringLiteral("first"));
    m_store.addNotice(
        QStringLiteral("kept as ~/a/very-long/path/notes.json.outside-2024-05-01T09-30-00Z"));
    QCoreApplication::processEvents();
    ASSERT_TRUE(banner().isVisible());
    EXPECT_FALSE(banner().isWarning());
    EXPECT_EQ(banner().textShown(), m_store.notices().join(u'\n'));
    // However long, a path wraps inside the box.
    EXPECT_LE(banner().sizeHint().width(), m_page->width());

    breakSaving();
    m_store.setText(QStringLiteral("typed"));
    m_scheduler.advance(1s);
    EXPECT_TRUE(banner().textShown().startsWith(m_store.saveProblem() + u'\n'));
    ASSERT_TRUE(banner().dismissButton()->isVisible());
    QTest::mouseClick(banner().dismissButton(), Qt::LeftButton);
    EXPECT_TRUE(m_store.notices().isEmpty());
    EXPECT_EQ(banner().textShown(), m_store.saveProblem());
    EXPECT_TRUE(editor()->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!"));
    EXPECT_EQ(textOf(0).size(), 6);
}

} // namespace
