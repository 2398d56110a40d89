#include "platform/FocusLossObserver.h"
#include "platform/GlobalClickMonitor.h"
#include "platform/PanelWindow.h"

#include "ServerClock.h"
#include "X11Input.h"
#include "XTestClient.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

using X11Input::clickAt;
using X11Input::waitFor;
constexpr int eventTimeoutMs = X11Input::timeoutMs;
constexpr QRect panelGeometry(300, 40, 360, 300);
constexpr int margin = 40;

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* qtConnection()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The bounding box of a window's shape of one kind (the window itself when unshaped).
QRect shapeExtents(xcb_connection_t* connection, xcb_window_t window, xcb_shape_kind_t kind)
{
    const Reply<xcb_shape_get_rectangles_reply_t> reply(xcb_shape_get_rectangles_reply(
        connection, xcb_shape_get_rectangles(connection, window, kind), nullptr));
    QRect extents;
    if (!reply)
        return extents;
    const xcb_rectangle_t* rectangles = xcb_shape_get_rectangles_rectangles(reply.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
        extents |=
            QRect(rectangles[i].x, rectangles[i].y, rectangles[i].width, rectangles[i].height);
    return extents;
}

// The 32-bit values of a window's property, whatever their type.
std::vector<uint32_t> cardinals(xcb_connection_t* connection, xcb_window_t window,
                                const char* property)
{
    constexpr uint32_t maximumValues = 64;
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, atom(connection, property),
                                                XCB_ATOM_ANY, 0, maximumValues),
                               nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

// The window manager's frame around a window: its ancestor just below the root.
xcb_window_t frameOf(xcb_connection_t* connection, xcb_window_t window)
{
    for (;;) {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree || tree->parent == tree->root)
            return window;
        window = tree->parent;
    }
}

// Another client holding a selection, as a compositor or a tray holds theirs.
class SelectionOwner
{
public:
    explicit SelectionOwner(const char* selection)
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_connection, m_window, atom(m_connection, selection),
                                XCB_CURRENT_TIME);
        xcb_flush(m_connection);
    }
    ~SelectionOwner() { xcb_disconnect(m_connection); }
    SelectionOwner(const SelectionOwner&) = delete;
    SelectionOwner& operator=(const SelectionOwner&) = delete;

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window;
};

// A window of another X client, managed by the window manager like any application's.
class ForeignWindow
{
public:
    explicit ForeignWindow(const QRect& geometry)
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = {screen->white_pixel};
        xcb_create_window(
            m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root,
            static_cast<int16_t>(geometry.x()), static_cast<int16_t>(geometry.y()),
            static_cast<uint16_t>(geometry.width()), static_cast<uint16_t>(geometry.height()), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        // Takes the focus when given it (the input hint of WM_HINTS), but a user time of 0 asks
        // the window manager not to give it when the window appears.
        const uint32_t inputHint = 1;
        const uint32_t hints[9] = {inputHint, 1, 0, 0, 0, 0, 0, 0, 0};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_HINTS,
                            XCB_ATOM_WM_HINTS, 32, 9, hints);
        const uint32_t noUserTime = 0;
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window,
                            atom(m_connection, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, 32, 1,
                            &noUserTime);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~ForeignWindow() { xcb_disconnect(m_connection); }

    bool hasFocus() const
    {
        const Reply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return focus && focus->focus == m_window;
    }

    // Taken over by the window manager, which then handles clicks on it.
    bool isManaged() const
    {
        const xcb_atom_t state = atom(m_connection, "WM_STATE");
        const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_window, state, state, 0, 2),
            nullptr));
        return property && xcb_get_property_value_length(property.get()) > 0;
    }

    bool isViewable() const
    {
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, m_window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // Where the window really is on screen, whatever the window manager did with it.
    QRect geometry() const
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(
            m_connection, xcb_get_geometry(m_connection, m_window), nullptr));
        const Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, m_window, screen->root, 0, 0),
            nullptr));
        if (!size || !origin)
            return {};
        return QRect(origin->dst_x, origin->dst_y, size->width, size->height);
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window;
};

// The panel's content: counts the presses that reach it.
class Content : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class PanelWindowX11Test : public testing::Test
{
protected:
    PanelWindow panel;
    Content* content = nullptr;
    QLineEdit* editor = nullptr;
    int outsideClicks = 0;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        content = new Content;
        auto* layout = new QVBoxLayout(content);
        layout->setContentsMargins(margin, margin, margin, margin);
        editor = new QLineEdit;
        layout->addWidget(editor);
        layout->addStretch();
        panel.setContentWidget(content);
        const auto rectangle = [this](int left, int top, int right, int bottom) {
            return [=, this] {
                QPainterPath path;
                path.addRect(QRectF(panel.rect()).adjusted(left, top, right, bottom));
                return path;
            };
        };
        const auto outline = rectangle(margin, margin, -margin, -margin);
        panel.setShapes({outline, rectangle(0, margin, 0, 0), outline});
        panel.setOnClickOutsideShape([this] { ++outsideClicks; });
        panel.setGeometry(panelGeometry);
        panel.showAndFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel, eventTimeoutMs));
        editor->setFocus();
    }

    QPoint inside() const { return X11Input::screenPosition(panel) + panel.rect().center(); }
    QPoint onMargin() const
    {
        return X11Input::screenPosition(panel) + QPoint(margin / 2, margin / 2);
    }
};

TEST_F(PanelWindowX11Test, ThePanelMapsWithoutATaskbarEntryAndTakesTheKeyboard)
{
    xcb_connection_t* connection = qtConnection();
    const auto window = static_cast<xcb_window_t>(panel.winId());
    // The window manager hands the focus over in steps; it must end with the panel.
    const auto xFocus = [connection] {
        const Reply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return focus ? focus->focus : xcb_window_t{XCB_WINDOW_NONE};
    };
    EXPECT_TRUE(waitFor([&] { return xFocus() == window; })) << xFocus() << " " << window;

    ASSERT_TRUE(X11Input::type(QStringLiteral("hello")));
    EXPECT_TRUE(waitFor([&] { return editor->text() == QStringLiteral("hello"); }))
        << editor->text().toStdString();

    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 32), nullptr));
    ASSERT_TRUE(property);
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(property.get()));
    const int count = xcb_get_property_value_length(property.get()) / 4;
    EXPECT_NE(std::find(atoms, atoms + count, skipTaskbar), atoms + count);
}

TEST_F(PanelWindowX11Test, APressOnTheTransparentMarginGoesToWhatLiesBelow)
{
    const auto monitor = GlobalClickMonitor::create();
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);
    ASSERT_TRUE(clickAt(inside()));
    EXPECT_TRUE(waitFor([&] { return content->presses == 1; }));
    ASSERT_TRUE(clickAt(onMargin(), 3));
    EXPECT_TRUE(waitFor([&] { return pressed.count() == 1; })) << pressed.count();
    EXPECT_EQ(pressed.first().at(0).toPoint(), onMargin());
    EXPECT_EQ(content->presses, 1);
    EXPECT_EQ(outsideClicks, 0);
}

TEST_F(PanelWindowX11Test, ADragBegunOnThePanelIsNoPressElsewhereWhereverItGoes)
{
    const auto monitor = GlobalClickMonitor::create();
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);
    XTestClient pointer;
    const QPoint desktop(1100, 650);
    pointer.movePointer(inside().x(), inside().y());
    pointer.pressButton();
    // Off the panel before the monitor gets to the press.
    pointer.movePointer(desktop.x(), desktop.y());
    pointer.releaseButton();
    pointer.sync();
    ASSERT_TRUE(waitFor([&] { return content->presses == 1; }));

    // So the first press reported is this later one, at a later time than the drag's, as a
    // person's would be: presses are told apart by their times.
    ServerClock clock;
    const quint32 dragged = clock.now();
    ASSERT_TRUE(waitFor([&] { return clock.now() != dragged; }));
    ASSERT_TRUE(clickAt(desktop));
    ASSERT_TRUE(waitFor([&] { return !pressed.isEmpty(); }));
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(PanelWindowX11Test, ShapedToTheOutlineWithoutACompositorAndAskedForNoShadowOfItsOwn)
{
    xcb_connection_t* connection = qtConnection();
    const auto window = static_cast<xcb_window_t>(panel.winId());
    const QRect outline = panel.rect().adjusted(margin, margin, -margin, -margin);
    EXPECT_EQ(shapeExtents(connection, window, XCB_SHAPE_SK_INPUT), outline);
    EXPECT_EQ(shapeExtents(connection, window, XCB_SHAPE_SK_BOUNDING), outline);

    // A compositor blends the translucent margin: it shows, for the shadow.
    {
        SelectionOwner compositor("_NET_WM_CM_S0");
        const QRect shadowed = panel.rect().adjusted(0, margin, 0, 0);
        EXPECT_TRUE(waitFor(
            [&] { return shapeExtents(connection, window, XCB_SHAPE_SK_BOUNDING) == shadowed; }));
        EXPECT_EQ(shapeExtents(connection, window, XCB_SHAPE_SK_INPUT), outline);
    }
    EXPECT_TRUE(waitFor(
        [&] { return shapeExtents(connection, window, XCB_SHAPE_SK_BOUNDING) == outline; }));

    EXPECT_EQ(cardinals(connection, window, "_COMPTON_SHADOW"), std::vector<uint32_t>{0});
    // Some compositors read the hint from the frame alone.
    const xcb_window_t frame = frameOf(connection, window);
    ASSERT_NE(frame, window) << "the window manager did not frame the panel";
    EXPECT_TRUE(waitFor([&] {
        return cardinals(connection, frame, "_COMPTON_SHADOW") == std::vector<uint32_t>{0};
    }));
    const std::vector<uint32_t> types = cardinals(connection, window, "_NET_WM_WINDOW_TYPE");
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), atom(connection, "_NET_WM_WINDOW_TYPE_POPUP_MENU"));
}

// A handle straddling the outline's bottom left corner, reaching `reach` beyond it, as the
// panel's corner handles do: it takes presses over the margin too.
class Handle : public QWidget
{
public:
    static constexpr int reach = 6;
    static constexpr int side = 30;

    explicit Handle(QWidget* parent)
        : QWidget(parent)
    {
        setCursor(Qt::SizeBDiagCursor);
    }
    int presses = 0;
    int doubleClicks = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
};

// The cursor the X server shows now; another one looks different.
uint32_t shownCursor(xcb_connection_t* connection)
{
    free(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
    const Reply<xcb_xfixes_get_cursor_image_reply_t> image(xcb_xfixes_get_cursor_image_reply(
        connection, xcb_xfixes_get_cursor_image(connection), nullptr));
    return image ? image->cursor_serial : 0;
}

TEST_F(PanelWindowX11Test, WithoutACompositorAHandleTakesThePointerBeyondTheOutlineToo)
{
    const QRect outline = panel.rect().adjusted(margin, margin, -margin, -margin);
    auto* handle = new Handle(content);
    handle->setGeometry(outline.left() - Handle::reach,
                        outline.bottom() + 1 + Handle::reach - Handle::side, Handle::side,
                        Handle::side);
    handle->show();
    const auto rectangle = [this](const QRect& rect) {
        return [rect] {
            QPainterPath path;
            path.addRect(rect);
            return path;
        };
    };
    panel.setShapes(
        {rectangle(outline), rectangle(panel.rect().adjusted(0, margin, 0, 0)), [outline, handle] {
             QPainterPath body;
             body.addRect(outline);
             QPainterPath square;
             square.addRect(handle->geometry());
             return body.united(square);
         }});
    const QPoint origin = X11Input::screenPosition(panel);
    const QPoint overContent = origin + outline.center() + QPoint(0, outline.height() / 4);
    const QPoint overOutline = origin + outline.bottomLeft() + QPoint(4, -4);
    const QPoint beyondOutline = origin + outline.bottomLeft() + QPoint(-3, 3);
    const QPoint desktop(1100, 650);
    XTestClient pointer;
    xcb_connection_t* connection = qtConnection();
    const auto pointAt = [&](const QPoint& point) {
        pointer.movePointer(point.x(), point.y());
        pointer.sync();
    };
    pointAt(desktop);
    const uint32_t desktopArrow = shownCursor(connection);
    pointAt(overContent);
    ASSERT_TRUE(waitFor([&] { return shownCursor(connection) != desktopArrow; }));
    const uint32_t arrow = shownCursor(connection);
    // The handle's own, not the content's arrow that may show first.
    pointAt(overOutline);
    ASSERT_TRUE(waitFor([&] {
        const uint32_t shown = shownCursor(connection);
        return shown != desktopArrow && shown != arrow;
    }));
    const uint32_t diagonal = shownCursor(connection);
    pointAt(beyondOutline);
    EXPECT_TRUE(waitFor([&] { return shownCursor(connection) == diagonal; }))
        << shownCursor(connection) << " instead of " << diagonal;

    const auto monitor = GlobalClickMonitor::create();
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);
    pointer.click(beyondOutline.x(), beyondOutline.y(), 2);
    EXPECT_TRUE(waitFor([&] { return handle->doubleClicks == 1; })) << handle->doubleClicks;
    EXPECT_EQ(handle->presses, 2);
    // Presses are told apart by their times: the desktop's comes later, as a person's would.
    ServerClock clock;
    const quint32 doubleClicked = clock.now();
    ASSERT_TRUE(waitFor([&] { return clock.now() != doubleClicked; }));
    ASSERT_TRUE(clickAt(desktop));
    ASSERT_TRUE(waitFor([&] { return !pressed.isEmpty(); }));
    EXPECT_EQ(pressed.count(), 1); // the desktop's alone
    EXPECT_EQ(outsideClicks, 0);
}

TEST_F(PanelWindowX11Test, TheGlobalMonitorSeesPressesOnTheDesktopButNotOnOurWindows)
{
    const auto monitor = GlobalClickMonitor::create();
    ASSERT_TRUE(monitor->isActive());
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);

    // Ours and wheel steps first: the first report must be the desktop press after them.
    ASSERT_TRUE(clickAt(inside()));
    ASSERT_TRUE(clickAt(QPoint(1000, 700), 4));
    const QPoint desktop(1100, 650);
    ASSERT_TRUE(clickAt(desktop));
    ASSERT_TRUE(waitFor([&] { return !pressed.isEmpty(); }));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.first().at(0).toPoint(), desktop);
    EXPECT_EQ(pressed.first().at(1).value<Qt::MouseButton>(), Qt::LeftButton);

    ASSERT_TRUE(clickAt(QPoint(20, 780), 3));
    EXPECT_TRUE(waitFor([&] { return pressed.count() == 2; })) << pressed.count();
    EXPECT_EQ(pressed.last().at(0).toPoint(), QPoint(20, 780));
    EXPECT_EQ(pressed.last().at(1).value<Qt::MouseButton>(), Qt::RightButton);
}

TEST_F(PanelWindowX11Test, APressOnAnotherClientsWindowIsSeenAndTakesTheFocusAway)
{
    ForeignWindow other(QRect(800, 300, 300, 200));
    ASSERT_TRUE(waitFor([&] { return other.isViewable() && other.isManaged(); }));
    ASSERT_TRUE(panel.isActiveWindow());

    int focusLosses = 0;
    FocusLossObserver observer(panel.windowHandle(), [&] { ++focusLosses; });
    const auto monitor = GlobalClickMonitor::create();
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);
    const QPoint target = other.geometry().center();
    ASSERT_TRUE(clickAt(target));
    ASSERT_TRUE(waitFor([&] { return !pressed.isEmpty(); }));
    EXPECT_EQ(pressed.first().at(0).toPoint(), target);
    EXPECT_TRUE(waitFor([&] { return focusLosses == 1; })) << focusLosses;
    EXPECT_EQ(outsideClicks, 0);
}

// Hidden and shown again at once, the window may still count as focused in Qt's eyes: then the
// focus the window system gives it again goes unannounced, or the loss from its hiding is
// announced late, after the new showing. Only the loss of the new focus counts.
TEST_F(PanelWindowX11Test, AWindowShownAgainAtOnceReportsTheLossOfItsNewFocusOnly)
{
    ForeignWindow other(QRect(800, 300, 300, 200));
    ASSERT_TRUE(waitFor([&] { return other.isViewable() && other.isManaged(); }));
    panel.hide();
    ASSERT_TRUE(waitFor([this] { return !panel.windowHandle()->isExposed(); }));
    panel.showAndFocus();
    int focusLosses = 0;
    FocusLossObserver observer(panel.windowHandle(), [&] { ++focusLosses; });
    xcb_connection_t* connection = qtConnection();
    ASSERT_TRUE(waitFor([&] {
        const Reply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        return focus && focus->focus == static_cast<xcb_window_t>(panel.winId());
    }));

    ASSERT_TRUE(clickAt(other.geometry().center()));
    ASSERT_TRUE(waitFor([&] { return other.hasFocus() && focusLosses > 0; })) << focusLosses;
    EXPECT_EQ(focusLosses, 1);
}

// Hidden and shown again in one go, before Qt has read a single event of the window system:
// then Qt still counts the window as on screen and focused, and its late word of the hiding
// belongs to the old showing. A busy window manager gives the new showing the focus only after
// that word: the showing loses the focus once, when it goes elsewhere.
TEST_F(PanelWindowX11Test, AWindowHiddenAndShownInOneGoCountsOnlyTheFocusItIsGivenAfter)
{
    ForeignWindow other(QRect(800, 300, 300, 200));
    ASSERT_TRUE(waitFor([&] { return other.isViewable() && other.isManaged(); }));
    ASSERT_TRUE(panel.isActiveWindow());
    const pid_t manager = pid_t(qEnvironmentVariableIntValue("QUILLORY_TEST_WINDOW_MANAGER_PID"));
    ASSERT_GT(manager, 0) << "run under tests/x11/with-xvfb, with openbox installed";
    ASSERT_EQ(kill(manager, SIGSTOP), 0);
    panel.hide();
    panel.showAndFocus();
    int focusLosses = 0;
    FocusLossObserver observer(panel.windowHandle(), [&] { ++focusLosses; });
    const bool stale = panel.windowHandle()->isExposed();
    // Qt's word of the hiding, and the moment after it in which a loss would be reported.
    const bool told =
        waitFor([&] { return QGuiApplication::focusWindow() != panel.windowHandle(); });
    QCoreApplication::processEvents();
    ASSERT_EQ(kill(manager, SIGCONT), 0);
    ASSERT_TRUE(stale) << "Qt had read the hiding already";
    ASSERT_TRUE(told);
    ASSERT_TRUE(waitFor([&] { return panel.isActiveWindow(); }));
    EXPECT_EQ(focusLosses, 0) << "the old showing's loss was counted";

    ASSERT_TRUE(clickAt(other.geometry().center()));
    ASSERT_TRUE(waitFor([&] { return other.hasFocus() && focusLosses > 0; })) << focusLosses;
    EXPECT_EQ(focusLosses, 1);
}

TEST_F(PanelWindowX11Test, AStoppedMonitorReportsNothing)
{
    auto monitor = GlobalClickMonitor::create();
    QSignalSpy pressed(monitor.get(), &GlobalClickMonitor::pressed);
    monitor.reset();
    const auto later = GlobalClickMonitor::create();
    QSignalSpy laterPressed(later.get(), &GlobalClickMonitor::pressed);
    ASSERT_TRUE(clickAt(QPoint(1100, 650)));
    ASSERT_TRUE(waitFor([&] { return !laterPressed.isEmpty(); }));
    EXPECT_EQ(pressed.count(), 0);
}

} // namespace
