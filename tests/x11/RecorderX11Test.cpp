#include "X11Input.h"
#include "XTestClient.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/RecorderView.h"
#include "support/ShortcutModule.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <gmock/gmock.h>
#include <xcb/xcb.h>

#include <cstdlib>

using namespace GlobalShortcuts;

namespace {

constexpr int alertPollMs = 10;

// The left, right, top and bottom edges the window manager framed a window of ours with; empty
// until it has managed the window.
QList<quint32> frameExtents(const QWidget& window)
{
    xcb_connection_t* connection =
        qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const QByteArray name = QByteArrayLiteral("_NET_FRAME_EXTENTS");
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()),
        nullptr);
    if (!atom)
        return {};
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, xcb_window_t(window.winId()),
                                                atom->atom, XCB_ATOM_CARDINAL, 0, 4),
                               nullptr);
    std::free(atom);
    QList<quint32> extents;
    if (reply && xcb_get_property_value_length(reply) == 4 * sizeof(quint32)) {
        const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply));
        extents = {values[0], values[1], values[2], values[3]};
    }
    std::free(reply);
    return extents;
}

// Counts the button releases that reach a window.
class ReleaseCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::MouseButtonRelease ? 1 : 0;
        return false;
    }
};

// A settings page on a real X server under a window manager: a labelled recorder first, a
// text field and a button under it. Like a scrolling page, the page itself takes the focus
// when it is clicked.
class RecorderOnScreen : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(client.isConnected());
        page.setFocusPolicy(Qt::ClickFocus);
        auto* column = new QVBoxLayout(&page);
        column->addWidget(view);
        column->addWidget(field);
        column->addWidget(button);
        page.resize(pageSize);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page, X11Input::timeoutMs));
        page.windowHandle()->installEventFilter(&releases);
    }
    ~RecorderOnScreen() override { forgetEveryShortcut(); }

    Recorder& recorder() const { return *view->recorder(); }

    // Clicks a point of a widget of the page, as a person would, and waits until the page has
    // the release: a window manager slow to let a press through holds back the release too,
    // which then comes where the pointer has gone meanwhile.
    bool clickOn(const QWidget& widget, const QPoint& point)
    {
        const int before = releases.count;
        return X11Input::clickAt(onScreen(widget, point)) &&
               X11Input::waitFor([&] { return releases.count > before; });
    }

    QPoint onScreen(const QWidget& widget, const QPoint& point) const
    {
        return X11Input::screenPosition(page) + widget.mapTo(&page, point);
    }

    static bool activate(QWidget& window)
    {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window, X11Input::timeoutMs);
    }

    static constexpr QSize pageSize{320, 200};
    const Name name{QStringLiteral("togglePopover"),
                    Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command)};
    XTestClient client;
    ReleaseCounter releases;
    QWidget page;
    RecorderView* view = new RecorderView(QStringLiteral("Open with"), name);
    QLineEdit* field = new QLineEdit;
    QPushButton* button = new QPushButton(QStringLiteral("Elsewhere"));
};

TEST_F(RecorderOnScreen, TheWindowComingToTheFrontNeverStartsRecording)
{
    // The page came to the front with the recorder first in line: the focus went past it.
    EXPECT_TRUE(field->hasFocus());
    EXPECT_FALSE(recorder().isRecording());

    // Once the page is in front, the keyboard reaches the recorder.
    client.type(XTestClient::tabKey, {XTestClient::shiftKey});
    ASSERT_TRUE(X11Input::waitFor([&] { return recorder().isRecording(); }));

    // Another window in front ends recording, and nothing of the page keeps the focus.
    QWidget other;
    other.resize(pageSize);
    other.show();
    ASSERT_TRUE(activate(other));
    EXPECT_FALSE(recorder().isRecording());
    EXPECT_FALSE(isRecorderActive());
    EXPECT_EQ(page.focusWidget(), nullptr);

    // Back in front, the focus goes past the recorder again.
    ASSERT_TRUE(activate(page));
    EXPECT_TRUE(field->hasFocus());
    EXPECT_FALSE(recorder().isRecording());
    EXPECT_FALSE(isRecorderActive());
}

// A click on the field or just beside it keeps it recording and leaves the field's text as it
// was; the page goes on following the pointer afterwards. A click farther away ends recording
// and reaches what it was meant for. The clicks come in quick succession, as pairs.
TEST_F(RecorderOnScreen, AClickOnOrJustBesideTheFieldKeepsRecordingAndThePointerIsFollowed)
{
    const QRect bounds = recorder().rect();
    const int beside = Recorder::clickSlop - 1;
    const struct
    {
        const char* where;
        QPoint point;
    } clicks[] = {
        {"on the field", bounds.center()},
        {"just below it", {bounds.center().x(), bounds.bottom() + beside}},
        {"just left of it", {bounds.left() - beside, bounds.center().y()}},
    };
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.where);
        ASSERT_TRUE(clickOn(recorder(), bounds.center()));
        ASSERT_TRUE(X11Input::waitFor([&] { return recorder().isRecording(); }));
        ASSERT_TRUE(clickOn(recorder(), click.point));
        const QPoint overButton = onScreen(*button, button->rect().center());
        client.movePointer(overButton.x(), overButton.y());
        EXPECT_TRUE(X11Input::waitFor([&] { return button->underMouse(); }));
        EXPECT_TRUE(recorder().isRecording());
        EXPECT_EQ(QGuiApplication::clipboard()->text(QClipboard::Selection), QString());

        const qsizetype before = clicked.size();
        ASSERT_TRUE(clickOn(*button, button->rect().center()));
        EXPECT_TRUE(X11Input::waitFor([&] { return clicked.size() == before + 1; }));
        EXPECT_FALSE(recorder().isRecording());
    }
}

// The alert that refuses a menu entry's combination is a sheet of the page: the window
// manager gives it no frame of its own, and so no buttons to minimise or maximise it.
TEST_F(RecorderOnScreen, TheClashAlertHasNoFrameOfTheWindowManagers)
{
    QMenu menu;
    menu.addAction(QStringLiteral("New Note"))->setShortcut(Qt::CTRL | Qt::Key_N);
    setMainMenu(&menu);
    QList<quint32> extents;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &page, [&] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert || !X11Input::isViewable(*alert))
            return;
        extents = frameExtents(*alert);
        if (!extents.isEmpty())
            alert->buttons().first()->click();
    });
    watch.start(alertPollMs);

    ASSERT_TRUE(clickOn(recorder(), recorder().rect().center()));
    ASSERT_TRUE(X11Input::waitFor([&] { return recorder().isRecording(); }));
    client.type(XTestClient::nKey, {XTestClient::controlKey});
    ASSERT_TRUE(X11Input::waitFor([&] { return !extents.isEmpty(); }));
    EXPECT_EQ(extents, (QList<quint32>{0, 0, 0, 0}));
    EXPECT_EQ(getShortcut(name), Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command));
}

} // namespace
