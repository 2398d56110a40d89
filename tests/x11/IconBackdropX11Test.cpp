#include "platform/IconBackdrop.h"

#include "X11Input.h"
#include "support/Contrast.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

constexpr QRgb barColor = 0xE0E0E0;
constexpr QRgb iconColor = 0x101010;

// A tray takes the icon in over a connection of its own, and the toolkit makes the icon's window
// over another: the window may reach the server only after it is followed.
TEST(IconBackdropX11Test, AWindowThatReachesTheServerAfterItIsFollowedIsReadOnceItIsThere)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t bar = xcb_generate_id(connection);
    const xcb_window_t icon = xcb_generate_id(connection);

    const auto backdrop = IconBackdrop::create();
    backdrop->follow(icon);

    // Left where it is put by the window manager: a bar, as docks are.
    const uint32_t barValues[] = {barColor, true};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, bar, screen->root, 0, 0, 200, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, barValues);
    const uint32_t iconValues[] = {iconColor};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, icon, bar, 80, 4, 22, 22, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      iconValues);
    xcb_map_subwindows(connection, bar);
    xcb_map_window(connection, bar);
    xcb_flush(connection);

    EXPECT_TRUE(X11Input::waitFor([&] {
        return isNear(backdrop->color().value_or(QColor()), QColor(barColor), 0);
    })) << "read as "
        << backdrop->color().value_or(QColor()).name().toStdString();
    xcb_disconnect(connection);
}

// Icons of other programs on either side of ours, of another colour than the bar's: the bar
// between them is read, not the icons.
TEST(IconBackdropX11Test, OtherIconsBesideOursAreNoPartOfTheBar)
{
    constexpr int side = 22;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t bar = xcb_generate_id(connection);
    const uint32_t barValues[] = {barColor, true};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, bar, screen->root, 0, 0, 200, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, barValues);
    xcb_window_t ours = XCB_WINDOW_NONE;
    for (const int left : {58, 80, 102}) {
        const xcb_window_t icon = xcb_generate_id(connection);
        const uint32_t iconValues[] = {iconColor};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, icon, bar, int16_t(left), 4, side, side,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          iconValues);
        ours = left == 80 ? icon : ours;
    }
    xcb_map_subwindows(connection, bar);
    xcb_map_window(connection, bar);
    xcb_flush(connection);

    const auto backdrop = IconBackdrop::create();
    backdrop->follow(ours);
    EXPECT_TRUE(X11Input::waitFor([&] {
        return isNear(backdrop->color().value_or(QColor()), QColor(barColor), 0);
    })) << "read as "
        << backdrop->color().value_or(QColor()).name().toStdString();
    xcb_disconnect(connection);
}

} // namespace
