#include "XTestClient.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <iterator>

XTestClient::XTestClient()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

XTestClient::~XTestClient()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XTestClient::isConnected() const
{
    return m_connection != nullptr;
}

void XTestClient::press(quint8 keyCode)
{
    fake(XCB_KEY_PRESS, keyCode);
}

void XTestClient::release(quint8 keyCode)
{
    fake(XCB_KEY_RELEASE, keyCode);
}

void XTestClient::type(quint8 keyCode, std::initializer_list<quint8> modifierKeys)
{
    for (const quint8 modifier : modifierKeys)
        press(modifier);
    press(keyCode);
    release(keyCode);
    for (auto modifier = std::rbegin(modifierKeys); modifier != std::rend(modifierKeys); ++modifier)
        release(*modifier);
    sync();
}

void XTestClient::typeControlAlt(quint8 keyCode)
{
    type(keyCode, {controlKey, altKey});
}

QImage XTestClient::grab(const QRect& area)
{
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, qint16(area.x()),
                      qint16(area.y()), quint16(area.width()), quint16(area.height()), ~0u),
        nullptr);
    if (!reply)
        return {};
    // Xvfb's 24-bit screen keeps each pixel in 32 bits.
    const QImage image =
        QImage(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32).copy();
    std::free(reply);
    return image;
}

void XTestClient::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

int XTestClient::grab(quint8 keyCode, quint16 modifiers)
{
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 1, m_root, modifiers, keyCode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const int code = error ? error->error_code : 0;
    std::free(error);
    return code;
}

void XTestClient::ungrab(quint8 keyCode, quint16 modifiers)
{
    xcb_ungrab_key(m_connection, keyCode, m_root, modifiers);
    sync();
}

bool XTestClient::receivedPress(quint8 keyCode)
{
    bool received = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS &&
            reinterpret_cast<xcb_key_press_event_t*>(event)->detail == keyCode)
            received = true;
        std::free(event);
    }
    return received;
}

bool XTestClient::isHeldByAnother(quint8 keyCode, quint16 modifiers)
{
    xcb_grab_server(m_connection);
    const bool held = grab(keyCode, modifiers) == XCB_ACCESS;
    if (!held)
        xcb_ungrab_key(m_connection, keyCode, m_root, modifiers);
    xcb_ungrab_server(m_connection);
    sync();
    return held;
}

bool XTestClient::isKeyboardGrabbed()
{
    xcb_grab_server(m_connection);
    xcb_grab_keyboard_reply_t* reply =
        xcb_grab_keyboard_reply(m_connection,
                                xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS)
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    std::free(reply);
    xcb_ungrab_server(m_connection);
    sync();
    return grabbed;
}

XTestClient::ModifierMapping XTestClient::modifierMapping()
{
    xcb_get_modifier_mapping_reply_t* reply = xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (!reply)
        return {};
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(reply);
    const ModifierMapping mapping{reply->keycodes_per_modifier,
                                  {keys, keys + xcb_get_modifier_mapping_keycodes_length(reply)}};
    std::free(reply);
    return mapping;
}

bool XTestClient::setModifierMapping(const ModifierMapping& mapping)
{
    xcb_set_modifier_mapping_reply_t* reply = xcb_set_modifier_mapping_reply(
        m_connection,
        xcb_set_modifier_mapping(m_connection, quint8(mapping.keysPerModifier),
                                 mapping.keys.data()),
        nullptr);
    const bool set = reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
    std::free(reply);
    return set;
}

quint16 XTestClient::modifierState()
{
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    const quint16 state = reply ? reply->mask : 0;
    std::free(reply);
    return state;
}

void XTestClient::movePointer(int x, int y)
{
    fake(XCB_MOTION_NOTIFY, 0, x, y);
    sync();
}

void XTestClient::pressButton(quint8 button)
{
    fake(XCB_BUTTON_PRESS, button);
    sync();
}

void XTestClient::releaseButton(quint8 button)
{
    fake(XCB_BUTTON_RELEASE, button);
    sync();
}

void XTestClient::click(int x, int y, int count)
{
    movePointer(x, y);
    // In one burst: a test process held up between two clicks on a busy machine would turn a
    // double click into two single ones.
    for (int i = 0; i < count; ++i) {
        fake(XCB_BUTTON_PRESS, leftButton);
        fake(XCB_BUTTON_RELEASE, leftButton);
    }
    sync();
}

void XTestClient::fake(quint8 type, quint8 detail, int x, int y)
{
    // A motion with detail 0 is absolute, on the root window.
    const xcb_window_t window = type == XCB_MOTION_NOTIFY ? m_root : XCB_NONE;
    xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, window, qint16(x), qint16(y),
                        0);
    xcb_flush(m_connection);
}
