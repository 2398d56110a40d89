#include "app/views/outline/PanelPlacement.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/FolderLock.h"

#include "RunningQuillory.h"
#include "ServerClock.h"
#include "X11Input.h"
#include "XTestClient.h"
#include "support/Contrast.h"
#include "support/SessionBus.h"
#include "support/StandInPortal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr int startTimeoutMs = 15000;
constexpr QSize screenSize(1280, 800);
constexpr int stepTimeoutMs = 8000;
constexpr quint8 escapeKey = 9;
// Tray icons are small; the panel and the menu are not.
constexpr int largestIconSide = 64;
// A termination shows the orderly quit saving only while the autosave is still to come; a
// machine so busy that the autosave came first gets another try.
constexpr int terminationAttempts = 3;

// The colour of most pixels of `image`, leaving out `except`.
QRgb mostCommonColour(const QImage& image, std::optional<QRgb> except = std::nullopt)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    }
    if (except)
        counts.erase(*except);
    if (counts.empty())
        return {};
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

// What the tests ask of the X server about the program's windows, over a connection of
// their own.
class XQuery
{
public:
    XQuery()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~XQuery() { xcb_disconnect(m_connection); }
    XQuery(const XQuery&) = delete;
    XQuery& operator=(const XQuery&) = delete;

    bool isConnected() const { return m_root != 0; }
    xcb_connection_t* connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name) const
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    std::vector<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const
    {
        constexpr uint32_t maximumValues = 1024;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, property, type, 0, maximumValues), nullptr);
        std::vector<uint32_t> values;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }

    std::optional<uint32_t> pid(xcb_window_t window) const
    {
        const std::vector<uint32_t> values =
            cardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        if (values.empty())
            return std::nullopt;
        return values.front();
    }

    bool isViewable(xcb_window_t window) const
    {
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return viewable;
    }

    bool isOverrideRedirect(xcb_window_t window) const
    {
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool overrides = reply && reply->override_redirect;
        std::free(reply);
        return overrides;
    }

    xcb_window_t selectionOwner(const char* selection) const
    {
        xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, atom(selection)), nullptr);
        const xcb_window_t owner = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
        std::free(reply);
        return owner;
    }

    // The window's title.
    QString name(xcb_window_t window) const
    {
        constexpr uint32_t longestName = 256;
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME,
                                                    XCB_ATOM_ANY, 0, longestName),
                                   nullptr);
        QString result;
        if (reply && reply->format == 8)
            result = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                       xcb_get_property_value_length(reply));
        std::free(reply);
        return result;
    }

    // The window's rectangle in screen coordinates.
    QRect geometry(xcb_window_t window) const
    {
        xcb_get_geometry_reply_t* size =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
        QRect rect;
        if (size && origin)
            rect = QRect(origin->dst_x, origin->dst_y, size->width, size->height);
        std::free(size);
        std::free(origin);
        return rect;
    }

    xcb_window_t inputFocus() const
    {
        xcb_get_input_focus_reply_t* reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const xcb_window_t focus = reply ? reply->focus : xcb_window_t{XCB_NONE};
        std::free(reply);
        return focus;
    }

    std::vector<xcb_window_t> children(xcb_window_t window) const
    {
        xcb_query_tree_reply_t* reply =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        std::vector<xcb_window_t> result;
        if (reply) {
            const xcb_window_t* data = xcb_query_tree_children(reply);
            result.assign(data, data + xcb_query_tree_children_length(reply));
        }
        std::free(reply);
        return result;
    }

    // Every window below the root, depth first.
    std::vector<xcb_window_t> allWindows() const
    {
        std::vector<xcb_window_t> result;
        std::vector<xcb_window_t> pending{m_root};
        while (!pending.empty()) {
            const xcb_window_t window = pending.back();
            pending.pop_back();
            for (xcb_window_t child : children(window)) {
                result.push_back(child);
                pending.push_back(child);
            }
        }
        return result;
    }

    // What the screen shows in `rect`, as a person sees it.
    QImage image(const QRect& rect) const
    {
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                          static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                          static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()),
                          ~0u),
            nullptr);
        QImage picture;
        // The test server's 24-bit screen keeps each pixel in 32 bits, blue first.
        const int length = reply ? xcb_get_image_data_length(reply) : 0;
        if (length == rect.width() * rect.height() * 4)
            picture =
                QImage(xcb_get_image_data(reply), rect.width(), rect.height(), QImage::Format_RGB32)
                    .copy();
        std::free(reply);
        return picture;
    }

    // Paints the desktop behind every window in one colour.
    void paintDesktop(QRgb color) const
    {
        const uint32_t pixel = color & RGB_MASK;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_BACK_PIXEL, &pixel);
        xcb_clear_area(m_connection, 0, m_root, 0, 0, 0, 0);
        xcb_flush(m_connection);
    }

    // The windows the window manager manages.
    std::vector<xcb_window_t> managedWindows() const
    {
        return cardinals(m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

// A plain window of another program.
class OtherClientWindow
{
public:
    explicit OtherClientWindow(const QRect& rect)
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = {screen->white_pixel};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root,
                          static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                          static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()),
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~OtherClientWindow() { xcb_disconnect(m_connection); }
    OtherClientWindow(const OtherClientWindow&) = delete;
    OtherClientWindow& operator=(const OtherClientWindow&) = delete;

    xcb_window_t window() const { return m_window; }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_window = 0;
};

// A tray icon of another program: a square of one colour that asks the tray to take it in.
class OtherTrayIcon
{
public:
    // Atoms and the tray are looked up through `x`; they are the server's, whoever asks.
    OtherTrayIcon(const XQuery& x, QRgb colour)
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_window_t tray = x.selectionOwner("_NET_SYSTEM_TRAY_S0");
        if (xcb_connection_has_error(m_connection) || tray == XCB_WINDOW_NONE)
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = {colour & RGB_MASK};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, side,
                          side, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, values);
        // Its size, which the tray reads from the minimum size hint.
        constexpr uint32_t minimumSizeFlag = 1 << 4;
        constexpr uint32_t hintValues = 18;
        uint32_t sizeHints[hintValues] = {minimumSizeFlag};
        sizeHints[5] = sizeHints[6] = side;
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, hintValues, sizeHints);
        // Embedding protocol version 0, to be mapped once taken in.
        const xcb_atom_t info = x.atom("_XEMBED_INFO");
        const uint32_t mapped[] = {0, 1};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, info, info, 32, 2,
                            mapped);
        xcb_client_message_event_t dock = {};
        dock.response_type = XCB_CLIENT_MESSAGE;
        dock.format = 32;
        dock.window = tray;
        dock.type = x.atom("_NET_SYSTEM_TRAY_OPCODE");
        dock.data.data32[0] = XCB_CURRENT_TIME;
        dock.data.data32[1] = requestDock;
        dock.data.data32[2] = m_window;
        xcb_send_event(m_connection, 0, tray, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&dock));
        xcb_flush(m_connection);
    }
    ~OtherTrayIcon() { xcb_disconnect(m_connection); }
    OtherTrayIcon(const OtherTrayIcon&) = delete;
    OtherTrayIcon& operator=(const OtherTrayIcon&) = delete;

    xcb_window_t window() const { return m_window; }

private:
    static constexpr uint16_t side = 22;
    static constexpr uint32_t requestDock = 0;

    xcb_connection_t* m_connection;
    xcb_window_t m_window = XCB_WINDOW_NONE;
};

// The real program on this test's own X server, under the window manager and beside a tray
// host, in a temporary home, driven through XTest as a person would drive it. The checks ask
// the X server what is on screen and read the saved notes document.
class ShellX11Test : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_quillory.isHomeValid());
        ASSERT_TRUE(m_x.isConnected());
        ASSERT_TRUE(m_keys.isConnected());
        ASSERT_TRUE(m_clock.isConnected());
        ASSERT_NO_FATAL_FAILURE(startTray());
    }

    void startTray(std::optional<QRgb> bar = std::nullopt, Qt::Edge edge = Qt::TopEdge)
    {
        m_tray.start(QStringLiteral("trayer"), X11Input::trayArguments(bar, edge));
        ASSERT_TRUE(m_tray.waitForStarted());
    }

    // A tray host whose bar is drawn in one colour, or that lies along another edge.
    void restartTray(std::optional<QRgb> bar, Qt::Edge edge = Qt::TopEdge)
    {
        m_tray.kill();
        m_tray.waitForFinished();
        ASSERT_NO_FATAL_FAILURE(startTray(bar, edge));
    }

    void TearDown() override
    {
        for (QProcess* process : {&m_app, &m_tray}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(stepTimeoutMs))
                process->kill();
            process->waitForFinished();
        }
    }

    // The glyph's strokes, its pixels that stand out most from the bar, can be made out at a
    // glance.
    void expectGlyphLegibleOn(const QColor& bar)
    {
        constexpr double legible = 3.0;
        double strongest = 0;
        EXPECT_TRUE(waitFor(
            [&] {
                const std::optional<QRect> icon = trayIcon();
                const QImage drawn = icon ? m_x.image(*icon) : QImage();
                strongest = 0;
                for (int y = 0; y < drawn.height(); ++y) {
                    for (int x = 0; x < drawn.width(); ++x)
                        strongest = std::max(strongest, contrastRatio(drawn.pixelColor(x, y), bar));
                }
                return strongest >= legible;
            },
            startTimeoutMs))
            << "at best " << strongest << ":1";
    }

    // A later launch leaves the panel closed until asked.
    void markLaunchedBefore()
    {
        ASSERT_TRUE(m_quillory.writeSettings({{QStringLiteral("quillory.hasLaunchedBefore"),
                                               QJsonObject{{QStringLiteral("bool"), true}}}}));
    }

    void startApp()
    {
        m_app.setProcessEnvironment(m_quillory.environment());
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(QStringLiteral(QUILLORY_BINARY), {});
        ASSERT_TRUE(m_app.waitForStarted());
    }

    // Starts the program and waits for its icon in the tray.
    void startAppInTray()
    {
        ASSERT_NO_FATAL_FAILURE(startApp());
        ASSERT_TRUE(waitFor([this] { return trayIcon().has_value(); }, startTimeoutMs));
    }

    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = stepTimeoutMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    bool isOurs(xcb_window_t window) const
    {
        return m_x.pid(window) == std::optional<uint32_t>(uint32_t(m_app.processId()));
    }

    // The program's windows that the window manager manages, on screen.
    std::vector<xcb_window_t> managedWindowsShown() const
    {
        std::vector<xcb_window_t> windows;
        for (xcb_window_t window : m_x.managedWindows()) {
            if (isOurs(window) && m_x.isViewable(window))
                windows.push_back(window);
        }
        return windows;
    }

    bool isClearAllAlert(xcb_window_t window) const
    {
        return m_x.name(window) == QLatin1String("Clear all notes?");
    }

    // The panel: the program's one window the window manager manages, besides the alert it may
    // show, while on screen.
    std::optional<xcb_window_t> panel() const
    {
        for (xcb_window_t window : managedWindowsShown()) {
            if (!isClearAllAlert(window))
                return window;
        }
        return std::nullopt;
    }

    std::vector<xcb_window_t> clearAllAlerts() const
    {
        std::vector<xcb_window_t> alerts;
        for (xcb_window_t window : managedWindowsShown()) {
            if (isClearAllAlert(window))
                alerts.push_back(window);
        }
        return alerts;
    }

    bool panelIsOpen() const { return panel().has_value(); }

    int panelWidth() const
    {
        const std::optional<xcb_window_t> window = panel();
        return window ? m_x.geometry(*window).width() : 0;
    }

    // What a failed check saw.
    std::string describeScreen() const
    {
        const std::optional<xcb_window_t> window = panel();
        return "panel " + (window ? std::to_string(*window) : std::string("closed")) +
               ", focus on " + std::to_string(m_x.inputFocus()) + ", program " +
               (m_app.state() == QProcess::Running ? "running" : "not running");
    }

    bool panelIsOpenAndFocused() const
    {
        const std::optional<xcb_window_t> window = panel();
        return window && m_x.inputFocus() == *window;
    }

    // The program's icon window, taken in by the tray.
    std::optional<QRect> trayIcon() const
    {
        for (xcb_window_t window : m_x.allWindows()) {
            if (!isOurs(window) || !m_x.isViewable(window))
                continue;
            const QRect rect = m_x.geometry(window);
            if (rect.width() <= largestIconSide && rect.height() <= largestIconSide)
                return rect;
        }
        return std::nullopt;
    }

    // A menu of the program on screen: it draws over everything without the window manager.
    std::optional<xcb_window_t> shownMenu() const
    {
        for (xcb_window_t window : m_x.children(m_x.root())) {
            if (!isOurs(window) || !m_x.isViewable(window) || !m_x.isOverrideRedirect(window))
                continue;
            const QRect rect = m_x.geometry(window);
            if (rect.width() > largestIconSide && rect.height() > largestIconSide)
                return window;
        }
        return std::nullopt;
    }

    bool menuIsShown() const { return shownMenu().has_value(); }

    // Whether the window, as the screen shows it, is drawn in the light or the dark colours:
    // its most common colour besides the desktop's, which shows around the panel.
    bool isDrawnIn(std::optional<xcb_window_t> window, Appearance::ColorScheme scheme) const
    {
        if (!window)
            return false;
        // The screen holds only part of a window that reaches past its edge.
        const QRect shown = m_x.geometry(*window) & QRect(QPoint(0, 0), screenSize);
        const QRgb background = mostCommonColour(m_x.image(shown), desktop);
        return (qGray(background) < darkBelow) == (scheme == Appearance::ColorScheme::Dark);
    }

    // Not a colour of the program's, so that the desktop is told apart from it.
    static constexpr QRgb desktop = qRgb(0x30, 0xD0, 0x60);
    // How near a pixel is to the accent colour to be part of a focus ring, and how much more
    // blue than red a blend of it over the page is.
    static constexpr int accentTolerance = 24;
    static constexpr int blueOverRed = 60;
    static constexpr int darkBelow = 128;

    static void click(const QPoint& position, int button = 1)
    {
        ASSERT_TRUE(X11Input::clickAt(position, button));
    }

    // Waits until a click now would be a click of its own, not the second of a double click
    // with the one at `clickedAt` (a time of the server's clock).
    void waitPastDoubleClick(quint32 clickedAt)
    {
        const auto interval = quint32(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        ASSERT_TRUE(waitFor([&] { return m_clock.now() - clickedAt > interval; }))
            << "the server's clock";
    }

    void openOnFirstLaunch()
    {
        ASSERT_NO_FATAL_FAILURE(startApp());
        ASSERT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); }, startTimeoutMs))
            << describeScreen();
    }

    // A later launch with `environment`: it exits at once and the running copy opens its panel.
    void expectALaunchToHandOver(const QProcessEnvironment& environment)
    {
        QProcess second;
        second.setProcessEnvironment(environment);
        second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        second.start(QStringLiteral(QUILLORY_BINARY), {});
        ASSERT_TRUE(second.waitForFinished(stepTimeoutMs));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); })) << describeScreen();
        EXPECT_EQ(m_app.state(), QProcess::Running);
    }

    // The environment of a launch from another session: the same notes, its own runtime folder.
    QProcessEnvironment anotherSession(const QTemporaryDir& runtime) const
    {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = m_quillory.environment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        return environment;
    }

    // Gives the home and its settings; this test starts the program itself to watch its process.
    RunningQuillory m_quillory{QStringLiteral(QUILLORY_BINARY)};
    XQuery m_x;
    XTestClient m_keys;
    ServerClock m_clock;
    QProcess m_tray;
    QProcess m_app;
};

TEST_F(ShellX11Test, TheFirstLaunchOpensThePanelWithTheKeyboardFocus)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    // Above the screen's lower half, hanging from the tray at the top.
    EXPECT_LT(m_x.geometry(*panel()).top(), 400);
}

TEST_F(ShellX11Test, AClickOnTheDesktopClosesThePanel)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    click(QPoint(60, 760));
    EXPECT_TRUE(waitFor([this] { return !panelIsOpen(); }));
}

TEST_F(ShellX11Test, AClickOnAnotherProgramsWindowClosesThePanel)
{
    OtherClientWindow other(QRect(40, 560, 200, 160));
    ASSERT_TRUE(waitFor([&] { return m_x.isViewable(other.window()); }));
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    click(m_x.geometry(other.window()).center());
    EXPECT_TRUE(waitFor([this] { return !panelIsOpen(); }));
}

TEST_F(ShellX11Test, AClickOnThePanelsTransparentMarginClosesIt)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    const QRect frame = m_x.geometry(*panel());
    const int inset = int(PanelGeometry::sideMargin / 2);
    click(QPoint(frame.left() + inset, frame.center().y()));
    EXPECT_TRUE(waitFor([this] { return !panelIsOpen(); }));
}

TEST_F(ShellX11Test, EscapeClosesThePanel)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    m_keys.press(escapeKey);
    m_keys.release(escapeKey);
    m_keys.sync();
    EXPECT_TRUE(waitFor([this] { return !panelIsOpen(); }));
}

TEST_F(ShellX11Test, ASecondLaunchExitsAndOpensTheRunningCopysPanel)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_FALSE(panelIsOpen());

    expectALaunchToHandOver(m_quillory.environment());
}

// Copies that share the notes but no runtime folder (another session, sudo -u, ssh -X) find
// each other by the notes' folder: the later one hands over to the one using them.
TEST_F(ShellX11Test, ACopyWithAnotherRuntimeFolderHandsOverToTheOneUsingTheNotes)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_FALSE(panelIsOpen());

    const QTemporaryDir otherRuntime;
    expectALaunchToHandOver(anotherSession(otherRuntime));
}

// The notes' folder removed while the program runs (cleared by hand, a clean-up tool): the
// save that makes it again makes the lock in it again, so a launch from another session still
// hands over instead of running a second copy that writes over the first one's notes.
TEST_F(ShellX11Test, ANotesFolderRemovedWhileRunningIsMadeAgainWithItsLock)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    ASSERT_TRUE(X11Input::type(QStringLiteral("kept")));
    ASSERT_TRUE(
        waitFor([this] { return m_quillory.savedTexts() == QStringList{QStringLiteral("kept")}; }));
    ASSERT_TRUE(QDir(QFileInfo(m_quillory.notesFile()).absolutePath()).removeRecursively());
    ASSERT_TRUE(X11Input::type(QStringLiteral(" again")));
    ASSERT_TRUE(waitFor(
        [this] { return m_quillory.savedTexts() == QStringList{QStringLiteral("kept again")}; }));
    m_keys.press(escapeKey);
    m_keys.release(escapeKey);
    m_keys.sync();
    ASSERT_TRUE(waitFor([this] { return !panelIsOpen(); }));

    const QTemporaryDir otherRuntime;
    expectALaunchToHandOver(anotherSession(otherRuntime));
}

// A copy using the notes that cannot be reached (here one that left no way to reach it): the
// later one says so in one line and stops before it reads or writes anything.
TEST_F(ShellX11Test, ACopyThatCannotReachTheOneUsingTheNotesSaysSoAndStops)
{
    const QString notesFolder = QFileInfo(m_quillory.notesFile()).absolutePath();
    FolderLock unreachable(notesFolder);
    ASSERT_EQ(unreachable.tryLock({}), FolderLock::Result::acquired);
    QProcess copy;
    copy.setProcessEnvironment(m_quillory.environment());
    copy.start(QStringLiteral(QUILLORY_BINARY), {});
    ASSERT_TRUE(copy.waitForFinished(startTimeoutMs));
    EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(copy.readAllStandardError()).toStdString(),
              "Quillory: another copy of Quillory is using the notes in " +
                  notesFolder.toStdString() + "\n");
    EXPECT_FALSE(QFileInfo::exists(m_quillory.notesFile()));
    EXPECT_FALSE(QFileInfo::exists(m_quillory.configFolder() + QStringLiteral("/Quillory")));
}

TEST_F(ShellX11Test, TerminationRightAfterTypingSavesTheTyping)
{
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    const int notePageWidth = panelWidth();
    QStringList typed;
    for (int attempt = 1;; ++attempt) {
        typed.append(QStringLiteral("kept"));
        // Ctrl+, right behind the letters: once the wider settings page shows, the program has
        // handled every letter before it. Switching pages saves nothing.
        ASSERT_TRUE(X11Input::type(typed.last()));
        m_keys.type(XTestClient::commaKey, {XTestClient::controlKey});
        ASSERT_TRUE(waitFor([&] { return panelWidth() > notePageWidth; }))
            << "the settings page after the typing; " << describeScreen();
        // Still inside the autosave delay: only the orderly quit can save it.
        if (m_quillory.savedTexts() != typed)
            break;
        ASSERT_LT(attempt, terminationAttempts) << "the autosave came before every termination";
        // Back to the note page, and the next try in a new note.
        m_keys.type(XTestClient::commaKey, {XTestClient::controlKey});
        m_keys.type(XTestClient::nKey, {XTestClient::controlKey});
        ASSERT_TRUE(waitFor([&] { return panelWidth() == notePageWidth; }))
            << "the note page; " << describeScreen();
    }
    m_app.terminate();
    ASSERT_TRUE(m_app.waitForFinished(stepTimeoutMs));
    EXPECT_EQ(m_app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_quillory.savedTexts(), typed);
}

TEST_F(ShellX11Test, ALeftClickOnTheIconClosesTheOpenPanelForGood)
{
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); }, startTimeoutMs))
        << describeScreen();
    // The tray may still be settling the icon in; click where it is now.
    click(trayIcon()->center());
    const quint32 clicked = m_clock.now();
    ASSERT_TRUE(waitFor([this] { return !panelIsOpen(); }));
    ASSERT_NO_FATAL_FAILURE(waitPastDoubleClick(clicked));
    EXPECT_FALSE(panelIsOpen());

    // And a click on the icon of a closed panel opens it; had the first click opened the panel
    // again after closing it, this one would close it instead.
    click(trayIcon()->center());
    EXPECT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); })) << describeScreen();
}

TEST_F(ShellX11Test, ClosingRightAfterOpeningFromTheIconLeavesThePanelClosed)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    const QPoint icon = trayIcon()->center();
    // The second click comes within the double-click interval of the first.
    click(icon);
    ASSERT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); })) << describeScreen();
    click(icon);
    const quint32 clicked = m_clock.now();
    ASSERT_TRUE(waitFor([this] { return !panelIsOpen(); })) << describeScreen();
    ASSERT_NO_FATAL_FAILURE(waitPastDoubleClick(clicked));
    EXPECT_FALSE(panelIsOpen());
    // It stays closed: had the second click opened it again, a third would close it.
    click(icon);
    EXPECT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); })) << describeScreen();
}

TEST_F(ShellX11Test, TheShortcutOpensAndClosesThePanel)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_FALSE(panelIsOpen());
    // The program takes the hot key while launching, not necessarily before its icon shows.
    ASSERT_TRUE(waitFor(
        [this] { return m_keys.isHeldByAnother(XTestClient::nKey, XTestClient::controlAltMask); },
        startTimeoutMs))
        << "the program did not take its hot key";
    m_keys.typeControlAlt(XTestClient::nKey);
    ASSERT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); })) << describeScreen();
    m_keys.typeControlAlt(XTestClient::nKey);
    EXPECT_TRUE(waitFor([this] { return !panelIsOpen(); }));
}

TEST_F(ShellX11Test, ARightClickOnTheIconShowsTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_FALSE(menuIsShown());
    click(trayIcon()->center(), 3);
    EXPECT_TRUE(waitFor([this] { return menuIsShown(); }));
    EXPECT_FALSE(panelIsOpen());
}

TEST_F(ShellX11Test, ARightClickOnTheIconOfAnOpenPanelClosesItAndShowsTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_TRUE(waitFor([this] { return panelIsOpenAndFocused(); }, startTimeoutMs))
        << describeScreen();
    click(trayIcon()->center(), 3);
    EXPECT_TRUE(waitFor([this] { return menuIsShown(); })) << describeScreen();
    EXPECT_FALSE(panelIsOpen());
}

// The desktop's colour scheme comes from its portal over the session bus, and each change of it
// reaches at once what is on screen: the panel, the tray menu, the clear-all alert. While the
// alert asks, it asks alone: the shortcut, the icon and the menu's entry bring it forward
// rather than open the panel behind it or a second alert.
TEST_F(ShellX11Test, TheColourSchemeIsFollowedLiveAndTheClearAllAlertAsksAlone)
{
    using Scheme = Appearance::ColorScheme;
    SessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    StandInPortal portal(bus.connect(QStringLiteral("portal")));
    ASSERT_TRUE(portal.isServing());
    portal.setColorScheme(StandInPortal::preferDark);
    m_quillory.setVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    m_x.paintDesktop(desktop);

    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(panel(), Scheme::Dark); }));
    portal.setColorScheme(StandInPortal::preferLight);
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(panel(), Scheme::Light); }));

    // Each click on the icon a click of its own, never the second of a double click.
    std::optional<quint32> iconClicked;
    const auto clickIcon = [&](int button) {
        if (iconClicked) {
            ASSERT_NO_FATAL_FAILURE(waitPastDoubleClick(*iconClicked));
        }
        click(trayIcon()->center(), button);
        iconClicked = m_clock.now();
    };
    const auto showMenu = [&] {
        ASSERT_NO_FATAL_FAILURE(clickIcon(3));
        ASSERT_TRUE(waitFor([this] { return menuIsShown(); })) << describeScreen();
    };
    const auto chooseClearAll = [&] {
        ASSERT_NO_FATAL_FAILURE(showMenu());
        // The last entry but one.
        m_keys.type(XTestClient::upKey);
        m_keys.type(XTestClient::upKey);
        m_keys.type(XTestClient::returnKey);
    };
    ASSERT_NO_FATAL_FAILURE(showMenu());
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(shownMenu(), Scheme::Light); }));
    portal.setColorScheme(StandInPortal::preferDark);
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(shownMenu(), Scheme::Dark); }));
    m_keys.type(escapeKey);
    ASSERT_TRUE(waitFor([this] { return !menuIsShown(); }));

    ASSERT_NO_FATAL_FAILURE(chooseClearAll());
    ASSERT_TRUE(waitFor([this] { return clearAllAlerts().size() == 1; })) << describeScreen();
    const xcb_window_t shown = clearAllAlerts().front();
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(shown, Scheme::Dark); }));
    portal.setColorScheme(StandInPortal::preferLight);
    EXPECT_TRUE(waitFor([&] { return isDrawnIn(shown, Scheme::Light); }));

    OtherClientWindow other(QRect(40, 560, 200, 160));
    ASSERT_TRUE(waitFor([&] { return m_x.isViewable(other.window()); }));
    ASSERT_TRUE(waitFor(
        [this] { return m_keys.isHeldByAnother(XTestClient::nKey, XTestClient::controlAltMask); },
        startTimeoutMs));
    const std::function<void()> asksAgain[] = {
        [this] { m_keys.typeControlAlt(XTestClient::nKey); },
        [&] { clickIcon(1); },
        [&] { chooseClearAll(); },
    };
    for (const auto& askAgain : asksAgain) {
        click(m_x.geometry(other.window()).center());
        ASSERT_TRUE(waitFor([&] { return m_x.inputFocus() == other.window(); }));
        askAgain();
        EXPECT_TRUE(waitFor([&] { return m_x.inputFocus() == shown; })) << describeScreen();
        EXPECT_FALSE(panelIsOpen());
        EXPECT_EQ(clearAllAlerts(), std::vector<xcb_window_t>{shown});
    }
}

// Without a compositor the panel shows its outline alone, but its corner handles reach beyond
// the rounded corners: there the pointer shows the handle's cursor whichever way it came, and
// keeps it through a drag begun there.
TEST_F(ShellX11Test, WithoutACompositorTheMarginBesideACornerShowsTheResizeCursor)
{
    m_x.paintDesktop(desktop);
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    // The screen holds only part of a window that reaches past its edge.
    const QRect window = m_x.geometry(*panel()) & QRect(QPoint(0, 0), screenSize);
    // The body's bottom left corner, once it is drawn: its lowest row and its leftmost column.
    QPoint corner;
    ASSERT_TRUE(waitFor([&] {
        const QImage shown = m_x.image(window);
        corner = QPoint(shown.width(), 0);
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixel(x, y) != desktop)
                    corner = QPoint(std::min(corner.x(), x), std::max(corner.y(), y));
            }
        }
        corner += window.topLeft();
        return corner.y() > window.center().y();
    }));
    const auto cursor = [this] {
        xcb_connection_t* connection = m_x.connection();
        std::free(xcb_xfixes_query_version_reply(
            connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, 0),
            nullptr));
        xcb_xfixes_get_cursor_image_reply_t* image = xcb_xfixes_get_cursor_image_reply(
            connection, xcb_xfixes_get_cursor_image(connection), nullptr);
        const uint32_t serial = image ? image->cursor_serial : 0;
        std::free(image);
        return serial;
    };
    // Moves the pointer there and gives back the cursor shown once it is none of `others`.
    const auto cursorAt = [&](const QPoint& point, std::initializer_list<uint32_t> others) {
        m_keys.movePointer(point.x(), point.y());
        m_keys.sync();
        EXPECT_TRUE(waitFor(
            [&] { return std::find(others.begin(), others.end(), cursor()) == others.end(); }));
        return cursor();
    };
    const QPoint away(200, 600);
    const QPoint text = window.center();
    const uint32_t desktopArrow = cursorAt(away, {});
    const uint32_t beam = cursorAt(text, {desktopArrow});
    const uint32_t resize = cursorAt(corner + QPoint(3, -3), {desktopArrow, beam});
    constexpr int pointsTried = 10;
    for (int point = 0; point < pointsTried; ++point) {
        const QPoint beyond = corner + QPoint(point - pointsTried / 2, 1 + point % 3);
        cursorAt(text, {desktopArrow, resize});
        cursorAt(away, {beam});
        EXPECT_EQ(cursorAt(beyond, {desktopArrow}), resize)
            << "at " << beyond.x() << ", " << beyond.y();
    }
    m_keys.pressButton();
    EXPECT_EQ(cursorAt(corner + QPoint(-10, 10), {desktopArrow}), resize) << "during a drag";
    m_keys.releaseButton();
    m_keys.sync();
}

// Tab rings the text size pop-up of the settings; a value then picked with the mouse leaves
// the pop-up without any frame in the accent colour.
TEST_F(ShellX11Test, APopUpValuePickedWithTheMouseAfterTabKeepsNoAccentFrame)
{
    m_quillory.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("light"));
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    m_keys.type(XTestClient::commaKey, {XTestClient::controlKey});
    // The shortcut recorder, the login switch, the first pop-up, then the text size.
    constexpr int tabsToTextSize = 4;
    // The pixels of the panel for which `is` holds; it grows for the settings.
    const auto pixels = [&](const auto& is) {
        QRegion found;
        const std::optional<xcb_window_t> shownPanel = panel();
        const QRect window =
            shownPanel ? m_x.geometry(*shownPanel) & QRect(QPoint(0, 0), screenSize) : QRect();
        const QImage image = m_x.image(window);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (is(image.pixelColor(x, y)))
                    found += QRect(window.x() + x, window.y() + y, 1, 1);
            }
        }
        return found;
    };
    const QColor accent = Theme::accent().resolved(Appearance::ColorScheme::Light);
    const auto inAccent = [&] {
        return pixels([&](const QColor& pixel) { return isNear(pixel, accent, accentTolerance); });
    };
    // The accent colour and its blends over the page, unlike any grey.
    const auto bluish = [&] {
        return pixels([](const QColor& pixel) { return pixel.blue() - pixel.red() > blueOverRed; });
    };
    // The settings page, settled, before any Tab; its links are in the accent colour. The page
    // comes with the panel growing and fading over: it has settled when its links are the same
    // over twice that time, as a busy machine may pause the program halfway through.
    constexpr int pageSwitchMs = 250;
    QRegion shown;
    ASSERT_TRUE(waitFor([&] {
        const QRegion before = inAccent();
        QTest::qWait(2 * pageSwitchMs);
        shown = inAccent();
        return !shown.isEmpty() && shown == before;
    }));
    const QRegion links = shown;
    const QRegion untabbed = bluish();
    const auto settled = [&] {
        const QRegion before = std::exchange(shown, inAccent());
        return shown == before;
    };
    QRect ring;
    for (int tab = 0; tab < tabsToTextSize; ++tab) {
        const QRect previous = ring;
        m_keys.type(XTestClient::tabKey);
        ASSERT_TRUE(waitFor([&] {
            ring = (shown - links).boundingRect();
            return settled() && ring.isValid() && ring != previous;
        }));
    }
    // The pick: the open list shows the chosen entry under the pointer.
    const auto popUpsShown = [this] {
        const std::vector<xcb_window_t> windows = m_x.children(m_x.root());
        return std::count_if(windows.begin(), windows.end(), [this](xcb_window_t window) {
            return isOurs(window) && m_x.isViewable(window) && m_x.isOverrideRedirect(window);
        });
    };
    const auto closed = popUpsShown();
    // Held until the list shows: however late a busy program sees the press, the release then
    // cannot pick and close the list before it was ever seen open.
    m_keys.movePointer(ring.center().x(), ring.center().y());
    m_keys.pressButton();
    ASSERT_TRUE(waitFor([&] { return popUpsShown() > closed; }));
    m_keys.releaseButton();
    // A list takes no release until a moment after it opened; on a busy machine it may see the
    // click before that moment has passed by its own clock, and a person clicks again.
    constexpr int picksTried = 3;
    for (int pick = 0; pick < picksTried && popUpsShown() != closed; ++pick) {
        ASSERT_NO_FATAL_FAILURE(waitPastDoubleClick(m_clock.now()));
        click(ring.center());
        waitFor([&] { return popUpsShown() == closed; }, stepTimeoutMs / picksTried);
    }
    ASSERT_EQ(popUpsShown(), closed);
    const auto framed = [&] { return (bluish() - untabbed) & ring; };
    EXPECT_TRUE(waitFor([&] { return framed().isEmpty(); }))
        << "accent pixels around " << framed().boundingRect().center().x() << ", "
        << framed().boundingRect().center().y();
}

// The clear-all alert is framed as an alert: a dialog that may be moved and closed and nothing
// more. (Some window managers, openbox among them, offer minimising whatever a dialog asks.)
TEST_F(ShellX11Test, TheClearAllAlertAsksTheWindowManagerToOfferMovingAndClosingOnly)
{
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    click(trayIcon()->center(), 3);
    ASSERT_TRUE(waitFor([this] { return menuIsShown(); })) << describeScreen();
    // The last entry but one.
    m_keys.type(XTestClient::upKey);
    m_keys.type(XTestClient::upKey);
    m_keys.type(XTestClient::returnKey);
    ASSERT_TRUE(waitFor([this] { return clearAllAlerts().size() == 1; })) << describeScreen();
    const xcb_window_t alert = clearAllAlerts().front();

    EXPECT_EQ(m_x.cardinals(alert, m_x.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM),
              std::vector<uint32_t>{m_x.atom("_NET_WM_WINDOW_TYPE_DIALOG")});
    const xcb_atom_t motif = m_x.atom("_MOTIF_WM_HINTS");
    const std::vector<uint32_t> hints = m_x.cardinals(alert, motif, motif);
    // Flags, then the functions allowed.
    constexpr uint32_t functionsGiven = 0x1;
    constexpr uint32_t move = 0x4;
    constexpr uint32_t close = 0x20;
    ASSERT_GE(hints.size(), 2u);
    EXPECT_TRUE(hints[0] & functionsGiven);
    EXPECT_EQ(hints[1], move | close);

    const xcb_atom_t allowedActions = m_x.atom("_NET_WM_ALLOWED_ACTIONS");
    const auto allows = [&](const char* action) {
        const std::vector<uint32_t> allowed = m_x.cardinals(alert, allowedActions, XCB_ATOM_ATOM);
        return std::find(allowed.begin(), allowed.end(), m_x.atom(action)) != allowed.end();
    };
    ASSERT_TRUE(waitFor([&] { return allows("_NET_WM_ACTION_CLOSE"); }));
    EXPECT_TRUE(allows("_NET_WM_ACTION_MOVE"));
    for (const char* action :
         {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"})
        EXPECT_FALSE(allows(action)) << action;
}

// Without a compositor the window shows the outline alone, whose edge must be the panel's own
// colours: a pixel of it the content covers only in part would show as if over black.
class PanelEdgeX11Test : public ShellX11Test, public testing::WithParamInterface<int>
{
protected:
    // The border: black at this opacity over the fill, the darkest the edge may be.
    static constexpr int borderAlpha = 36;
    // Rounding of the blend.
    static constexpr int tolerance = 3;
};

TEST_P(PanelEdgeX11Test, WithoutACompositorTheEdgeHasNoDarkFringe)
{
    m_x.paintDesktop(desktop);
    m_quillory.setVariable(QStringLiteral("QT_SCALE_FACTOR"), QString::number(GetParam()));
    m_quillory.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("light"));
    ASSERT_NO_FATAL_FAILURE(openOnFirstLaunch());
    // Below the tray, which the window's margin reaches over.
    const QRect frame = m_x.geometry(*panel()) & QRect(0, X11Input::trayHeight, 1280, 800);
    // Drawn, and done fading in.
    QImage seen;
    ASSERT_TRUE(waitFor([&] {
        const QImage before = seen;
        seen = m_x.image(frame);
        return !seen.isNull() && seen == before && seen.pixel(seen.rect().center()) != desktop;
    })) << "the panel did not settle";
    const QRgb panelFill = mostCommonColour(seen, desktop);
    const int darkest = qGray(panelFill) * (255 - borderAlpha) / 255 - tolerance;
    int edgePixels = 0;
    for (int y = 1; y < seen.height() - 1; ++y) {
        for (int x = 1; x < seen.width() - 1; ++x) {
            const QRgb pixel = seen.pixel(x, y);
            const bool besideDesktop =
                seen.pixel(x - 1, y) == desktop || seen.pixel(x + 1, y) == desktop ||
                seen.pixel(x, y - 1) == desktop || seen.pixel(x, y + 1) == desktop;
            if (pixel == desktop || !besideDesktop)
                continue;
            ++edgePixels;
            EXPECT_GE(qGray(pixel), darkest)
                << "at " << x + frame.x() << ", " << y + frame.y() << ": "
                << QColor(pixel).name().toStdString() << " on a fill of "
                << QColor(panelFill).name().toStdString();
        }
    }
    // The whole outline below the tray, not a few stray pixels.
    EXPECT_GT(edgePixels, 2 * (frame.width() + frame.height()) / 3);
}

INSTANTIATE_TEST_SUITE_P(AtScales, PanelEdgeX11Test, testing::Values(1, 2));

// At scale 2 the tray's icon sits in the screen's corner, its rectangle in whole points a half
// point nearer the side than the bar's edge. The panel hangs from it (or stands on it) all the
// same: the body keeps the usual gap from the screen's side and the notch's tip comes as near
// the icon's centre as the body's corner lets it.
class PanelAtScale2X11Test : public ShellX11Test, public testing::WithParamInterface<Qt::Edge>
{
protected:
    static constexpr int scale = 2;
    static constexpr QRgb desktop = qRgb(0x30, 0xD0, 0x60);

    // The middle of the panel's pixels nearest the tray: the notch's tip.
    static std::optional<QPoint> tip(const QImage& screen, bool fromTop)
    {
        const int rows = screen.height() - X11Input::trayHeight;
        for (int step = 0; step < rows; ++step) {
            const int y = fromTop ? X11Input::trayHeight + step : rows - 1 - step;
            std::optional<int> first;
            int last = 0;
            for (int x = 0; x < screen.width(); ++x) {
                if (screen.pixel(x, y) == desktop)
                    continue;
                first = first.value_or(x);
                last = x;
            }
            if (first)
                return QPoint((*first + last) / 2, y);
        }
        return std::nullopt;
    }
};

TEST_P(PanelAtScale2X11Test, TheBodyKeepsItsGapFromTheSideAndTheNotchComesAsNearTheIconAsItMay)
{
    const bool atTop = GetParam() == Qt::TopEdge;
    ASSERT_NO_FATAL_FAILURE(restartTray(std::nullopt, GetParam()));
    m_x.paintDesktop(desktop);
    m_quillory.setVariable(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    m_quillory.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("light"));
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    click(trayIcon()->center());
    ASSERT_TRUE(waitFor([this] { return panelIsOpen(); })) << describeScreen();

    const QRect screen = m_x.geometry(m_x.root());
    const QRect icon = *trayIcon();
    const QRect frame = m_x.geometry(*panel());
    const int bodyRight = frame.right() - PanelGeometry::sideMargin * scale;
    EXPECT_EQ(bodyRight, screen.right() - PanelGeometry::screenEdgeGap * scale);
    QImage seen;
    ASSERT_TRUE(waitFor([&] {
        const QImage before = seen;
        seen = m_x.image(screen);
        return !seen.isNull() && seen == before && tip(seen, atTop);
    })) << "the panel did not settle";
    const QPoint notch = *tip(seen, atTop);
    const int nearestToIcon =
        std::min(icon.center().x(), bodyRight - int(PanelGeometry::notchInset) * scale);
    EXPECT_NEAR(notch.x(), nearestToIcon, scale);
    // Off the icon by a point, give or take the rounding of its rectangle to whole points.
    EXPECT_NEAR(notch.y(), atTop ? icon.bottom() + 1 : icon.top() - 1, 2 * scale);
}

INSTANTIATE_TEST_SUITE_P(TrayEdges, PanelAtScale2X11Test,
                         testing::Values(Qt::TopEdge, Qt::BottomEdge),
                         [](const testing::TestParamInfo<Qt::Edge>& info) {
                             return std::string(info.param == Qt::TopEdge ? "Top" : "Bottom");
                         });

// The tray icon with the desktop's scheme light, on a dark bar and then, taken in by another
// tray, on a light one: the bar's colour decides, so that the glyph shows wherever the scheme
// and the bar disagree, and it follows a new bar.
TEST_F(ShellX11Test, TheTrayGlyphStandsOutOnTheBarItIsOn)
{
    m_quillory.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("light"));
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    for (const QColor bar : {QColor(0x20, 0x20, 0x20), QColor(0xE0, 0xE0, 0xE0)}) {
        SCOPED_TRACE(bar.name().toStdString());
        ASSERT_NO_FATAL_FAILURE(restartTray(bar.rgb()));
        if (m_app.state() == QProcess::NotRunning) {
            ASSERT_NO_FATAL_FAILURE(startApp());
        }
        ASSERT_NO_FATAL_FAILURE(expectGlyphLegibleOn(bar));
    }
}

// A dark icon of another program right beside ours on a light bar: the bar decides, not the
// icon, although with the desktop's scheme dark the glyph would be light without the bar.
TEST_F(ShellX11Test, TheTrayGlyphGoesByTheBarNotByAnotherProgramsIconBesideIt)
{
    const QColor bar(0xE0, 0xE0, 0xE0);
    m_quillory.setVariable(QStringLiteral("QUILLORY_APPEARANCE"), QStringLiteral("dark"));
    ASSERT_NO_FATAL_FAILURE(markLaunchedBefore());
    ASSERT_NO_FATAL_FAILURE(restartTray(bar.rgb()));
    ASSERT_TRUE(waitFor([this] { return m_x.selectionOwner("_NET_SYSTEM_TRAY_S0"); }))
        << "the tray";
    OtherTrayIcon other(m_x, qRgb(0x10, 0x10, 0x10));
    ASSERT_TRUE(waitFor([&] { return m_x.isViewable(other.window()); })) << "the other icon";
    ASSERT_NO_FATAL_FAILURE(startAppInTray());
    ASSERT_TRUE(waitFor([&] {
        return m_x.geometry(other.window()).adjusted(-1, 0, 1, 0).intersects(*trayIcon());
    })) << "the icons side by side";
    ASSERT_NO_FATAL_FAILURE(expectGlyphLegibleOn(bar));
}

} // namespace
