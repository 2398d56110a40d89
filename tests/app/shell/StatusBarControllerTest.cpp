#include "ShellTestFixture.h"

#include "app/notes/LaunchAtLogin.h"
#include "app/shell/StatusBarController.h"
#include "platform/LoginItem.h"
#include "platform/StatusItem.h"

#include "support/Contrast.h"
#include "support/LogCapture.h"
#include "support/MainThreadChecks.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>

namespace {

class StatusBarControllerTest : public ShellTestFixture
{
protected:
    QAction* action(const QString& title) const
    {
        for (QAction* entry : m_statusBar.menu()->actions()) {
            if (entry->text() == title)
                return entry;
        }
        ADD_FAILURE() << "no menu entry " << title.toStdString();
        return nullptr;
    }

    // The alerts on screen.
    static QList<QMessageBox*> shownAlerts()
    {
        QList<QMessageBox*> alerts;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                alerts.append(box);
        }
        return alerts;
    }

    // Answers the clear-all question with the button titled `answer`.
    void answerClearAll(const QString& answer)
    {
        m_statusBar.clearAllNotes();
        const QList<QMessageBox*> alerts = shownAlerts();
        ASSERT_EQ(alerts.size(), 1);
        QMessageBox* alert = alerts.first();
        EXPECT_EQ(alert->text(), QStringLiteral("Clear all notes?"));
        EXPECT_EQ(alert->informativeText(),
                  QStringLiteral("Every page will be removed. This can't be undone."));
        // Never squeezed into a narrow column.
        for (const QLabel* label : alert->findChildren<QLabel*>()) {
            if (label->text() == alert->informativeText()) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
            }
        }
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == answer)
                button->click();
        }
    }

    StatusItem m_item{m_clock};
    LoginItem m_loginItem{m_folder.path() + QStringLiteral("/autostart/quillory.desktop"),
                          QStringLiteral("/usr/bin/quillory")};
    LaunchAtLogin m_launchAtLogin{m_loginItem};
    StatusBarController m_statusBar{m_item, m_controller, m_store, m_launchAtLogin, m_appearance};
};

TEST_F(StatusBarControllerTest, EveryMenuActionChecksItRunsOnTheMainThread)
{
    expectEachCaughtOffTheMainThread({
        {"New Note", [this] { m_statusBar.newNote(); }},
        {"Copy Current Note", [this] { m_statusBar.copyCurrentNote(); }},
        {"Settings", [this] { m_statusBar.openSettings(); }},
        {"Launch at Login", [this] { m_statusBar.toggleLaunchAtLogin(); }},
        {"Clear All Notes", [this] { m_statusBar.clearAllNotes(); }},
    });
}

TEST_F(StatusBarControllerTest, TheMenuHasItsEntriesInOrder)
{
    QStringList titles;
    for (QAction* entry : m_statusBar.menu()->actions())
        titles.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
    EXPECT_EQ(titles, (QStringList{QStringLiteral("New Note"), QStringLiteral("Copy Current Note"),
                                   QStringLiteral("-"), QStringLiteral("Settings\u2026"),
                                   QStringLiteral("Launch at Login"), QStringLiteral("-"),
                                   QStringLiteral("Clear All Notes\u2026"), QStringLiteral("-"),
                                   QStringLiteral("Quit Quillory")}));
    EXPECT_EQ(action(QStringLiteral("New Note"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(action(QStringLiteral("Copy Current Note"))->shortcut(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    EXPECT_FALSE(action(QStringLiteral("New Note"))->icon().isNull());
    EXPECT_EQ(m_item.accessibilityLabel(), QStringLiteral("Quillory"));
    EXPECT_EQ(m_item.autosaveName(), QStringLiteral("zorvik.quillory.statusItem"));
}

TEST_F(StatusBarControllerTest, ALeftClickTogglesAndARightClickClosesBeforeTheMenu)
{
    m_statusBar.leftClicked();
    EXPECT_TRUE(m_controller.isOpen());
    m_statusBar.leftClicked();
    EXPECT_FALSE(m_controller.isOpen());
    m_statusBar.leftClicked();
    m_statusBar.rightClicked();
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_TRUE(m_statusBar.menu()->isVisible());
    m_statusBar.menu()->hide();
}

TEST_F(StatusBarControllerTest, NewNoteFromTheMenuOpensThePanelFirst)
{
    action(QStringLiteral("New Note"))->trigger();
    EXPECT_TRUE(m_controller.isOpen());
    nextTurn();
    EXPECT_EQ(m_store.notes().size(), 2u);
    EXPECT_EQ(m_store.currentIndex(), 1);

    action(QStringLiteral("Settings\u2026"))->trigger();
    EXPECT_EQ(m_controller.mode(), PopoverController::Mode::settings);
}

TEST_F(StatusBarControllerTest, CopyCurrentNoteLeavesThePanelClosed)
{
    m_store.setText(QStringLiteral("to the clipboard"));
    action(QStringLiteral("Copy Current Note"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("to the clipboard"));
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_EQ(m_controller.copiedPulse(), 0);
}

TEST_F(StatusBarControllerTest, ClearingAllNotesNeedsAConfirmation)
{
    addNotes({QStringLiteral("a"), QStringLiteral("b")});
    m_store.deleteCurrent();
    answerClearAll(QStringLiteral("Cancel"));
    EXPECT_EQ(m_store.notes().size(), 2u);

    answerClearAll(QStringLiteral("Clear All"));
    ASSERT_EQ(m_store.notes().size(), 1u);
    EXPECT_TRUE(m_store.currentNote().text.isEmpty());
    EXPECT_FALSE(m_store.pendingUndo());
}

TEST_F(StatusBarControllerTest, WhileTheClearAllAlertAsksNothingOpensThePanelAndAskingAgainRaisesIt)
{
    m_statusBar.clearAllNotes();
    const QList<QMessageBox*> alerts = shownAlerts();
    ASSERT_EQ(alerts.size(), 1);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));

    m_statusBar.clearAllNotes();
    EXPECT_EQ(shownAlerts(), alerts);
    EXPECT_TRUE(QTest::qWaitForWindowActive(alerts.first()));
    m_statusBar.leftClicked();
    action(QStringLiteral("New Note"))->trigger();
    action(QStringLiteral("Settings\u2026"))->trigger();
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_EQ(m_store.notes().size(), 1u);

    alerts.first()->reject();
    m_statusBar.leftClicked();
    EXPECT_TRUE(m_controller.isOpen());
}

TEST_F(StatusBarControllerTest, TheIconFollowsAChangeOfColourScheme)
{
    const auto strokes = [this] {
        const QImage drawn = m_item.trayIcon()->icon().pixmap(QSize(16, 16)).toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (qAlpha(drawn.pixel(x, y)) == 255)
                    colours.insert(drawn.pixel(x, y) & RGB_MASK);
            }
        }
        return colours;
    };
    for (const auto scheme : {Appearance::ColorScheme::Dark, Appearance::ColorScheme::Light}) {
        m_appearance.forceColorScheme(scheme);
        const QRgb glyph =
            StatusBarController::glyphColor(std::nullopt, std::nullopt, scheme).rgb();
        EXPECT_EQ(strokes(), QSet<QRgb>{glyph & RGB_MASK});
    }
}

TEST_F(StatusBarControllerTest, LaunchAtLoginShowsTheStateReadBackAfterEveryChange)
{
    QAction* entry = action(QStringLiteral("Launch at Login"));
    m_statusBar.rightClicked();
    EXPECT_FALSE(entry->isChecked());
    m_statusBar.menu()->hide();

    entry->trigger();
    EXPECT_TRUE(m_loginItem.isEnabled());
    EXPECT_TRUE(entry->isChecked());
    entry->trigger();
    EXPECT_FALSE(m_loginItem.isEnabled());
    EXPECT_FALSE(entry->isChecked());

    // A file where the autostart folder should be: the change fails, and says so.
    QDir(m_folder.path() + QStringLiteral("/autostart")).removeRecursively();
    TestFiles::write(m_folder.path() + QStringLiteral("/autostart"), "not a folder");
    LogCapture log;
    entry->trigger();
    EXPECT_EQ(log.matching(QStringLiteral("Quillory: launch at login change failed: ")).size(), 1);
    EXPECT_FALSE(entry->isChecked());
}

TEST_F(StatusBarControllerTest, ACheckedEntryKeepsItsIconAndShowsACheckMarkBeforeIt)
{
    QMenu* menu = m_statusBar.menu();
    QAction* entry = action(QStringLiteral("Launch at Login"));
    const auto rowImage = [&](bool checked) {
        entry->setChecked(checked);
        return menu->grab(menu->actionGeometry(entry)).toImage();
    };
    const QImage off = rowImage(false);
    const QImage on = rowImage(true);
    ASSERT_EQ(off.size(), on.size());
    int firstInk = off.width(); // where the icon begins
    int lastChange = -1;
    for (int y = 0; y < off.height(); ++y) {
        for (int x = 0; x < off.width(); ++x) {
            if (off.pixel(x, y) != off.pixel(0, y))
                firstInk = std::min(firstInk, x);
            if (on.pixel(x, y) != off.pixel(x, y))
                lastChange = std::max(lastChange, x);
        }
    }
    EXPECT_GE(lastChange, 0);
    EXPECT_LT(lastChange, firstInk);
}

TEST_F(StatusBarControllerTest, OpenedAtTheBottomThePanelStandsOnTheIconAndItsHandlesTakePresses)
{
    // Where the tray does not say where the icon is, the click does.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.center().x(), screen.bottom() - 2);
    Q_EMIT m_item.trayIcon()->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(m_controller.isOpen());
    ASSERT_EQ(m_controller.notchEdge(), NotchEdge::bottom);
    const QRectF body = PanelGeometry::bodyRect(m_controller.size(), NotchEdge::bottom);
    // The top right handle, over the body and past it.
    EXPECT_TRUE(m_controller.shapeContains(body.topRight() + QPointF(-16, 16)));
    EXPECT_TRUE(m_controller.shapeContains(body.topRight() + QPointF(3, -3)));
}

TEST_F(StatusBarControllerTest, QuitIsAskedOfTheApplication)
{
    QSignalSpy quit(&m_statusBar, &StatusBarController::quitRequested);
    action(QStringLiteral("Quit Quillory"))->trigger();
    EXPECT_EQ(quit.count(), 1);
}

TEST(StatusBarGlyphTest, DrawnInTheTraysColourElseToReadOnTheColourScheme)
{
    using Scheme = Appearance::ColorScheme;
    const QColor requested(0x20, 0x60, 0xA0);
    struct Case
    {
        std::optional<QColor> trayForeground;
        Scheme scheme;
        bool wantsDark; // when the tray asks for nothing
    };
    const Case cases[] = {
        {requested, Scheme::Light, false},
        {requested, Scheme::Dark, false},
        {std::nullopt, Scheme::Light, true},
        {std::nullopt, Scheme::Dark, false},
    };
    for (const Case& c : cases) {
        const QColor glyph =
            StatusBarController::glyphColor(c.trayForeground, std::nullopt, c.scheme);
        if (c.trayForeground)
            EXPECT_EQ(glyph, *c.trayForeground);
        else if (c.wantsDark)
            EXPECT_LT(glyph.lightness(), 64) << glyph.name().toStdString();
        else
            EXPECT_GT(glyph.lightness(), 192) << glyph.name().toStdString();
    }
}

TEST(StatusBarGlyphTest, OnABarOfKnownColourTheGlyphStandsOutWhateverTheColourScheme)
{
    using Scheme = Appearance::ColorScheme;
    // Enough for a glyph to be made out at a glance.
    constexpr double legible = 3.0;
    const QColor glyphs[] = {
        StatusBarController::glyphColor(std::nullopt, QColor(Qt::black), Scheme::Light),
        StatusBarController::glyphColor(std::nullopt, QColor(Qt::white), Scheme::Dark)};
    // Light on black, dark on white: the glyph's two colours.
    ASSERT_NE(glyphs[0], glyphs[1]);
    const QColor bars[] = {
        QColor(0x20, 0x20, 0x20), QColor(0xE0, 0xE0, 0xE0), QColor(0x00, 0x00, 0x00),
        QColor(0xFF, 0xFF, 0xFF), QColor(0x76, 0x76, 0x76), QColor(0x30, 0x30, 0x38),
        QColor(0x34, 0x65, 0xA4), QColor(0xF6, 0xD3, 0x2D), QColor(0xD6, 0xD6, 0xD6),
    };
    for (const QColor& bar : bars) {
        for (const Scheme scheme : {Scheme::Light, Scheme::Dark}) {
            const QColor glyph = StatusBarController::glyphColor(std::nullopt, bar, scheme);
            const std::string where =
                bar.name().toStdString() + (scheme == Scheme::Dark ? " dark" : " light");
            // The better of the two, and read the same under either scheme.
            for (const QColor& other : glyphs)
                EXPECT_GE(contrastRatio(glyph, bar), contrastRatio(other, bar)) << where;
            EXPECT_GE(contrastRatio(glyph, bar), legible) << where;
            EXPECT_EQ(glyph, StatusBarController::glyphColor(std::nullopt, bar, Scheme::Light))
                << where;
            // The colour a tray asks for stands above the bar's.
            const QColor requested(0x20, 0x60, 0xA0);
            EXPECT_EQ(StatusBarController::glyphColor(requested, bar, scheme), requested) << where;
        }
    }
}

TEST_F(StatusBarControllerTest, TheIconGoesByItsSymbolicNameAndIsDrawnInTheGlyphsColour)
{
    const QIcon icon = m_item.trayIcon()->icon();
    EXPECT_EQ(icon.name(), QString::fromLatin1(StatusBarController::glyphThemeName));
    const QImage drawn = icon.pixmap(QSize(16, 16)).toImage();
    const QColor expected =
        StatusBarController::glyphColor(std::nullopt, std::nullopt, m_appearance.colorScheme());
    int strokes = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor pixel = drawn.pixelColor(x, y);
            if (pixel.alpha() < 255)
                continue;
            ++strokes;
            EXPECT_EQ(pixel.rgb(), expected.rgb());
        }
    }
    EXPECT_GT(strokes, 0);
}

// Shells recolour a symbolic icon by filling its shapes: the one installed for the theme must be
// the tray glyph's strokes as filled outlines.
TEST(StatusBarGlyphTest, TheSymbolicIconOfTheThemeIsTheGlyphInFilledShapes)
{
    constexpr int side = 96;
    // Where two renderings may differ: the edges of the outlines, smoothed differently.
    constexpr int alphaTolerance = 96;
    constexpr double differingShare = 0.02;
    const auto render = [](const QString& file) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(file);
        EXPECT_TRUE(renderer.isValid()) << file.toStdString();
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    };
    const QString symbolic =
        QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../../resources/quillory-symbolic.svg");
    QFile file(symbolic);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("stroke"));

    const QImage filled = render(symbolic);
    const QImage stroked = render(QStringLiteral(":/icons/MenuBarGlyph.svg"));
    int covered = 0;
    int differing = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int a = qAlpha(filled.pixel(x, y));
            const int b = qAlpha(stroked.pixel(x, y));
            covered += b > 0;
            differing += std::abs(a - b) > alphaTolerance;
        }
    }
    EXPECT_GT(covered, side * side / 10);
    EXPECT_LE(differing, covered * differingShare) << differing << " of " << covered;
}

} // namespace
