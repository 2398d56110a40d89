#include "platform/PanelWindow.h"
#include "platform/FocusLossObserver.h"
#include "platform/GlobalClickMonitor.h"
#include "platform/LocalKeyMonitor.h"

#include "support/LogCapture.h"
#include "support/MainThreadChecks.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records what reaches the panel's content.
class Content : public QWidget
{
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

constexpr QRect panelGeometry(100, 100, 200, 150);
// The drawn shape: the window less a 20-point margin all round.
constexpr QRect shapeInWindow(20, 20, 160, 110);

class PanelWindowTest : public testing::Test
{
protected:
    PanelWindow panel;
    Content* content = new Content;
    int outsideClicks = 0;

    void SetUp() override
    {
        panel.setContentWidget(content);
        panel.setGeometry(panelGeometry);
        const auto shape = [] {
            QPainterPath path;
            path.addRect(QRectF(shapeInWindow));
            return path;
        };
        panel.setShapes({shape, shape, shape});
        panel.setOnClickOutsideShape([this] { ++outsideClicks; });
        panel.showAndFocus();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }
};

TEST_F(PanelWindowTest, PressesOnTheMarginAreReportedAndNeverReachTheContentWhichFillsTheWindow)
{
    QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(outsideClicks, 1);
    EXPECT_EQ(content->presses, 0);
    QTest::mouseClick(content, Qt::RightButton, {}, QPoint(195, 140));
    EXPECT_EQ(outsideClicks, 2);
    EXPECT_EQ(content->presses, 0);
    // The middle button closes nothing, and misses the content all the same.
    QTest::mouseClick(content, Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_EQ(outsideClicks, 2);
    EXPECT_EQ(content->presses, 0);

    QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(100, 75));
    EXPECT_EQ(content->presses, 1);
    EXPECT_EQ(outsideClicks, 2);

    // Without a shape everything is inside.
    panel.setShapes({});
    EXPECT_TRUE(panel.shapeContains(QPointF(1, 1)));
    QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(outsideClicks, 2);
    EXPECT_EQ(content->presses, 2);

    panel.resize(320, 240);
    EXPECT_EQ(content->geometry(), QRect(0, 0, 320, 240));
}

TEST_F(PanelWindowTest, APressToldAsADoubleClickAloneOnTheMarginIsReportedToo)
{
    // As Qt delivers a press that quickly follows one on another window, the tray icon's.
    const QPointF margin(5, 5);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, margin, content->mapToGlobal(margin),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &doubleClick);
    EXPECT_EQ(outsideClicks, 1);
    EXPECT_EQ(content->presses, 0);

    const QPointF inside(100, 75);
    QMouseEvent insideClick(QEvent::MouseButtonDblClick, inside, content->mapToGlobal(inside),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &insideClick);
    EXPECT_EQ(outsideClicks, 1);
}

TEST_F(PanelWindowTest, AHiddenPanelJudgesNoPresses)
{
    QWidget other;
    other.setGeometry(400, 100, 100, 100);
    other.show();
    panel.hide();
    QTest::mouseClick(&other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(outsideClicks, 0);
}

TEST_F(PanelWindowTest, TheKeyMonitorSeesEachPressOnceAndMaySwallowIt)
{
    content->setFocus();
    std::vector<QWindow*> seen;
    bool swallow = true;
    auto monitor = std::make_unique<LocalKeyMonitor>([&](QWindow* window, QKeyEvent* event) {
        seen.push_back(window);
        return swallow && event->key() == Qt::Key_Escape;
    });
    QTest::keyClick(panel.windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(seen, std::vector<QWindow*>{panel.windowHandle()});
    EXPECT_EQ(content->keys, 0);

    QTest::keyClick(panel.windowHandle(), Qt::Key_A);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(content->keys, 1);

    monitor.reset();
    QTest::keyClick(panel.windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(content->keys, 2);
}

TEST_F(PanelWindowTest, LosingTheFocusIsReportedAfterTheCurrentEvent)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    int losses = 0;
    FocusLossObserver observer(panel.windowHandle(), [&] { ++losses; });
    QWidget other;
    other.setGeometry(400, 100, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_TRUE(QTest::qWaitFor([&] { return losses == 1; }));

    // Focus moving between two other windows is no loss of the panel's.
    QWidget third;
    third.show();
    third.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&third));
    QCoreApplication::processEvents();
    EXPECT_EQ(losses, 1);
}

TEST_F(PanelWindowTest, EachEntryChecksItRunsOnTheMainThread)
{
    PanelWindow& p = panel;
    QWidget* c = content;
    expectEachCaughtOffTheMainThread({
        {"constructor", [] { PanelWindow(); }},
        {"setShapes", [&p] { p.setShapes({}); }},
        {"shapeContains", [&p] { p.shapeContains(QPointF(5, 5)); }},
        {"updateShape", [&p] { p.updateShape(); }},
        {"setContentWidget", [&p] { p.setContentWidget(nullptr); }},
        {"showAndFocus", [&p] { p.showAndFocus(); }},
        {"setOpacity", [&p] { p.setOpacity(0.5); }},
        {"press filter",
         [&p, c] {
             const QPointF margin(5, 5);
             QMouseEvent press(QEvent::MouseButtonPress, margin, c->mapToGlobal(margin),
                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
             static_cast<QObject&>(p).eventFilter(c, &press);
         }},
    });
}

TEST(GlobalClickMonitorOffscreenTest, WithoutX11ItReportsNothingAndLogsOnce)
{
    LogCapture log;
    const auto first = GlobalClickMonitor::create();
    const auto second = GlobalClickMonitor::create();
    EXPECT_FALSE(first->isActive());
    EXPECT_FALSE(second->isActive());
    EXPECT_EQ(log.matching(QStringLiteral("clicks outside the panel cannot be seen")).size(), 1);
}

} // namespace
