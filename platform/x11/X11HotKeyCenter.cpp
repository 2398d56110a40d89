#include "X11HotKeyCenter.h"

#include "platform/Log.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

const Log hotKeyLog("quillory.hotkeys");

constexpr quint32 numLockKeysym = 0xff7f;
constexpr int modifierCount = 8;
constexpr quint32 capsLockMask = XCB_MOD_MASK_LOCK;
// The state bits of the eight modifiers; the bits above them are pointer buttons.
constexpr quint32 keyModifierBits = 0xff;
constexpr quint8 responseTypeMask = 0x7f;

template <typename Reply> struct FreeDeleter
{
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, FreeDeleter<Reply>>;

} // namespace

HotKeyCenter* HotKeyCenter::createSystem(QObject* parent)
{
    return new X11HotKeyCenter(parent);
}

X11HotKeyCenter::X11HotKeyCenter(QObject* parent)
    : HotKeyCenter(parent)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        hotKeyLog.info(QStringLiteral("Quillory: no X11 display; global shortcuts are off"));
        return;
    }
    m_connection = connection;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    // Without detectable auto-repeat, a held key would look like a stream of releases and
    // presses.
    ReplyPointer<xcb_xkb_use_extension_reply_t> xkb(xcb_xkb_use_extension_reply(
        m_connection,
        xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    if (xkb && xkb->supported) {
        const quint32 flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        std::free(xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
            nullptr));
        m_xkbEventBase = xcb_get_extension_data(m_connection, &xcb_xkb_id)->first_event;
        const quint16 events =
            XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY;
        const quint16 parts = XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_KEY_SYMS;
        xcb_xkb_select_events(m_connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, parts,
                              parts, nullptr);
    } else {
        hotKeyLog.info(QStringLiteral("Quillory: the X server has no XKB; held shortcut keys "
                                      "may repeat"));
    }

    refreshNumLockMask();
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKeyCenter::readEvents);
    scheduleRead();
}

X11HotKeyCenter::~X11HotKeyCenter()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

int X11HotKeyCenter::registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers)
{
    if (!m_connection)
        return noDisplayError;
    if (keyCode > 0xff || (modifiers & ~keyModifierBits) != 0 ||
        (modifiers & (capsLockMask | m_numLockMask)) != 0)
        return unsupportedCombinationError;
    const Combination combination{keyCode, modifiers};
    if (!owner(combination)) {
        if (const int status = grab(combination); status != noError)
            return status;
    }
    m_hotKeys[id] = combination;
    return noError;
}

void X11HotKeyCenter::unregisterHotKey(quint32 id)
{
    const auto found = m_hotKeys.find(id);
    if (found == m_hotKeys.end())
        return;
    const Combination combination = found->second;
    m_hotKeys.erase(found);
    if (!owner(combination)) {
        ungrab(combination, lockVariants());
        xcb_flush(m_connection);
    }
}

void X11HotKeyCenter::readEvents()
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        handleEvent(event);
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        hotKeyLog.error(QStringLiteral("Quillory: lost the X11 connection of the global "
                                       "shortcuts"));
        m_notifier->setEnabled(false);
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        m_hotKeys.clear();
        m_pressed.clear();
    }
}

void X11HotKeyCenter::handleEvent(const void* generic)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(generic);
    switch (event->response_type & responseTypeMask) {
    case XCB_KEY_PRESS: {
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (m_pressed.count(press->detail) > 0)
            return; // auto-repeat
        const quint32 state = press->state & keyModifierBits & ~(capsLockMask | m_numLockMask);
        if (const auto id = owner({press->detail, state})) {
            m_pressed[press->detail] = *id;
            Q_EMIT hotKeyPressed(*id);
        }
        return;
    }
    case XCB_KEY_RELEASE: {
        const auto* release = reinterpret_cast<const xcb_key_release_event_t*>(event);
        const auto pressed = m_pressed.find(release->detail);
        if (pressed == m_pressed.end())
            return;
        const quint32 id = pressed->second;
        m_pressed.erase(pressed);
        Q_EMIT hotKeyReleased(id);
        return;
    }
    case XCB_MAPPING_NOTIFY:
        if (reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request !=
            XCB_MAPPING_POINTER)
            followMappingChange();
        return;
    default:
        // The server tells XKB clients of mapping changes through XKB events only.
        if (m_xkbEventBase != 0 && event->response_type == m_xkbEventBase)
            followMappingChange();
        return;
    }
}

void X11HotKeyCenter::followMappingChange()
{
    const std::vector<quint32> oldVariants = lockVariants();
    const quint32 oldMask = m_numLockMask;
    refreshNumLockMask();
    if (m_numLockMask == oldMask)
        return;
    std::vector<Combination> grabbed;
    for (const auto& [id, combination] : m_hotKeys) {
        if (std::find(grabbed.begin(), grabbed.end(), combination) == grabbed.end())
            grabbed.push_back(combination);
    }
    for (const Combination& combination : grabbed)
        ungrab(combination, oldVariants);
    for (const Combination& combination : grabbed) {
        if (grab(combination) != noError)
            hotKeyLog.error(QStringLiteral("Quillory: could not take key %1 again after the "
                                           "keyboard mapping changed")
                                .arg(combination.first));
    }
    xcb_flush(m_connection);
}

void X11HotKeyCenter::refreshNumLockMask()
{
    m_numLockMask = 0;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const quint8 first = setup->min_keycode;
    const quint8 count = setup->max_keycode - setup->min_keycode + 1;
    ReplyPointer<xcb_get_keyboard_mapping_reply_t> keyboard(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, first, count), nullptr));
    ReplyPointer<xcb_get_modifier_mapping_reply_t> modifiers(xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!keyboard || !modifiers)
        return;

    const int perKeycode = keyboard->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboard.get());
    auto isNumLock = [&](xcb_keycode_t keyCode) {
        if (keyCode < first || perKeycode == 0)
            return false;
        const int offset = (keyCode - first) * perKeycode;
        for (int i = 0; i < perKeycode && offset + i < keysymCount; ++i) {
            if (keysyms[offset + i] == numLockKeysym)
                return true;
        }
        return false;
    };

    const int perModifier = modifiers->keycodes_per_modifier;
    const xcb_keycode_t* keyCodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    for (int modifier = 0; modifier < modifierCount; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (isNumLock(keyCodes[modifier * perModifier + i]))
                m_numLockMask |= 1u << modifier;
        }
    }
    // Num Lock on the Lock modifier itself would make the variants collapse; ignore it there.
    m_numLockMask &= ~capsLockMask;
}

std::vector<quint32> X11HotKeyCenter::lockVariants() const
{
    std::vector<quint32> variants{0, capsLockMask};
    if (m_numLockMask != 0) {
        variants.push_back(m_numLockMask);
        variants.push_back(m_numLockMask | capsLockMask);
    }
    return variants;
}

int X11HotKeyCenter::grab(const Combination& combination)
{
    const auto [keyCode, modifiers] = combination;
    const std::vector<quint32> variants = lockVariants();
    std::vector<xcb_void_cookie_t> cookies;
    for (const quint32 variant : variants) {
        cookies.push_back(xcb_grab_key_checked(
            m_connection, 1, m_root, static_cast<quint16>(modifiers | variant),
            static_cast<xcb_keycode_t>(keyCode), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    int status = noError;
    for (const xcb_void_cookie_t cookie : cookies) {
        ReplyPointer<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        if (error && status == noError)
            status = error->error_code;
    }
    if (status != noError) {
        // Grabs of the other variants may have gone through; the combination is all or nothing.
        ungrab(combination, variants);
        xcb_flush(m_connection);
    }
    scheduleRead();
    return status;
}

void X11HotKeyCenter::ungrab(const Combination& combination, const std::vector<quint32>& variants)
{
    for (const quint32 variant : variants) {
        xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(combination.first), m_root,
                       static_cast<quint16>(combination.second | variant));
    }
    for (auto it = m_pressed.begin(); it != m_pressed.end();) {
        // The release of a key whose hot key is gone has no one to go to.
        if (m_hotKeys.count(it->second) == 0)
            it = m_pressed.erase(it);
        else
            ++it;
    }
}

std::optional<quint32> X11HotKeyCenter::owner(const Combination& combination) const
{
    for (const auto& [id, held] : m_hotKeys) {
        if (held == combination)
            return id;
    }
    return std::nullopt;
}

void X11HotKeyCenter::scheduleRead()
{
    // Round trips may have pulled events into the connection's queue, where the socket
    // notifier does not see them.
    QMetaObject::invokeMethod(this, &X11HotKeyCenter::readEvents, Qt::QueuedConnection);
}
