#include "ClientHarness.h"

#include "analytics/NavigationStatus.h"
#include "analytics/widgets/TrackNavigationModifier.h"

#include <QCoreApplication>
#include <QPointer>
#include <QShowEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

namespace {

const QString navigationSignal = QStringLiteral("Insights.Navigation.pathChanged");

QStringList identifiers(const QList<SignalPostBody>& records)
{
    QStringList list;
    for (const SignalPostBody& record : signalsOfType(records, navigationSignal))
        list.append(record.payload.value(QStringLiteral("Insights.Navigation.identifier")));
    return list;
}

using TrackNavigationTest = ClientTest;

// Reported when the widget comes on screen, each time, and never when it leaves; the window
// system showing a window again that was there all along is no new appearance.
TEST_F(TrackNavigationTest, EachAppearanceOfTheWidgetReportsOnce)
{
    harness.start();
    QWidget window;
    QWidget* settings = trackNavigation(new QWidget(&window), QStringLiteral("settings"));
    QWidget* notes = trackNavigation(new QWidget(&window), QStringLiteral("notes"));
    notes->hide();
    window.show();
    harness.settle();
    settings->hide();
    notes->show();
    settings->show();
    QShowEvent restored;
    QSpontaneKeyEvent::setSpontaneous(&restored);
    // Delivered as the window system's own: sendEvent() would mark it as the program's.
    QCoreApplication::instance()->notify(settings, &restored);
    harness.settle();

    EXPECT_EQ(NavigationStatus::previousNavigationPath(), QStringLiteral("settings"));
    EXPECT_EQ(identifiers(sent()),
              (QStringList{QStringLiteral(" -> settings"), QStringLiteral("settings -> notes"),
                           QStringLiteral("notes -> settings")}));
}

TEST_F(TrackNavigationTest, TheModifierHoldsItsPathAndGoesWithItsWidget)
{
    auto* page = new QWidget;
    EXPECT_EQ(trackNavigation(page, QStringLiteral("list")), page);
    const QPointer modifier = page->findChild<TrackNavigationModifier*>();
    ASSERT_TRUE(modifier);
    EXPECT_EQ(modifier->path(), QStringLiteral("list"));
    delete page;
    EXPECT_TRUE(modifier.isNull());
}

} // namespace
