#include "KeyboardLayout.h"

#include <QByteArray>
#include <QMutex>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The key that every Latin layout puts a Latin letter on (the A key of a US keyboard).
constexpr quint32 latinProbeKeyCode = 38;
constexpr char32_t firstNonAscii = 0x80;

struct DeadKey
{
    xkb_keysym_t keysym;
    char32_t accent;
};

// What a dead key shows on its own: the spacing form of its accent.
constexpr std::array deadKeys{
    DeadKey{XKB_KEY_dead_grave, U'`'},          DeadKey{XKB_KEY_dead_acute, U'\u00B4'},
    DeadKey{XKB_KEY_dead_circumflex, U'^'},     DeadKey{XKB_KEY_dead_tilde, U'~'},
    DeadKey{XKB_KEY_dead_macron, U'\u00AF'},    DeadKey{XKB_KEY_dead_breve, U'\u02D8'},
    DeadKey{XKB_KEY_dead_abovedot, U'\u02D9'},  DeadKey{XKB_KEY_dead_diaeresis, U'\u00A8'},
    DeadKey{XKB_KEY_dead_abovering, U'\u02DA'}, DeadKey{XKB_KEY_dead_doubleacute, U'\u02DD'},
    DeadKey{XKB_KEY_dead_caron, U'\u02C7'},     DeadKey{XKB_KEY_dead_cedilla, U'\u00B8'},
    DeadKey{XKB_KEY_dead_ogonek, U'\u02DB'},
};

char32_t characterOf(xkb_keysym_t keysym)
{
    const auto dead = std::find_if(deadKeys.begin(), deadKeys.end(),
                                   [keysym](const DeadKey& key) { return key.keysym == keysym; });
    if (dead != deadKeys.end())
        return dead->accent;
    return xkb_keysym_to_utf32(keysym);
}

QMutex currentMutex;
std::shared_ptr<const KeyboardLayout> injectedLayout;

} // namespace

KeyboardLayout::KeyboardLayout(xkb_context* context, xkb_keymap* keymap, int currentLayout)
    : m_context(context)
    , m_keymap(keymap)
    , m_currentLayout(currentLayout)
{}

KeyboardLayout::~KeyboardLayout()
{
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

std::unique_ptr<KeyboardLayout> KeyboardLayout::fromServer()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    std::unique_ptr<KeyboardLayout> layout;
    if (!xcb_connection_has_error(connection) &&
        xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        xkb_keymap* keymap = device < 0 || !context
                                 ? nullptr
                                 : xkb_x11_keymap_new_from_device(context, connection, device,
                                                                  XKB_KEYMAP_COMPILE_NO_FLAGS);
        xkb_state* state =
            keymap ? xkb_x11_state_new_from_device(keymap, connection, device) : nullptr;
        if (state) {
            const int current =
                static_cast<int>(xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
            xkb_state_unref(state);
            layout.reset(new KeyboardLayout(context, keymap, current));
        } else {
            xkb_keymap_unref(keymap);
            xkb_context_unref(context);
        }
    }
    xcb_disconnect(connection);
    return layout;
}

std::unique_ptr<KeyboardLayout> KeyboardLayout::fromNames(const QString& layouts, int currentLayout)
{
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return nullptr;
    const QByteArray names = layouts.toUtf8();
    xkb_rule_names rules{};
    rules.layout = names.constData();
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &rules, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap || currentLayout < 0 ||
        static_cast<xkb_layout_index_t>(currentLayout) >= xkb_keymap_num_layouts(keymap)) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<KeyboardLayout>(new KeyboardLayout(context, keymap, currentLayout));
}

std::shared_ptr<const KeyboardLayout> KeyboardLayout::current()
{
    {
        const QMutexLocker lock(&currentMutex);
        if (injectedLayout)
            return injectedLayout;
    }
    // Read afresh each time: the user may switch layouts at any moment.
    return fromServer();
}

void KeyboardLayout::setCurrent(std::shared_ptr<const KeyboardLayout> layout)
{
    const QMutexLocker lock(&currentMutex);
    injectedLayout = std::move(layout);
}

QString KeyboardLayout::text(quint32 keyCode) const
{
    return textIn(keyCode, latinLayout());
}

std::optional<quint32> KeyboardLayout::keyCode(const QString& keysymName) const
{
    const QByteArray name = keysymName.toUtf8();
    const xkb_keysym_t wanted = xkb_keysym_from_name(name.constData(), XKB_KEYSYM_NO_FLAGS);
    if (wanted == XKB_KEY_NoSymbol)
        return std::nullopt;
    const auto layout = static_cast<xkb_layout_index_t>(latinLayout());
    for (xkb_keycode_t key = xkb_keymap_min_keycode(m_keymap);
         key <= xkb_keymap_max_keycode(m_keymap); ++key) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(m_keymap, key, layout);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* keysyms = nullptr;
            const int count =
                xkb_keymap_key_get_syms_by_level(m_keymap, key, layout, level, &keysyms);
            if (std::find(keysyms, keysyms + count, wanted) != keysyms + count)
                return key;
        }
    }
    return std::nullopt;
}

QString KeyboardLayout::textIn(quint32 keyCode, int layout) const
{
    if (keyCode < xkb_keymap_min_keycode(m_keymap) || keyCode > xkb_keymap_max_keycode(m_keymap))
        return {};
    const xkb_keysym_t* keysyms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(
        m_keymap, keyCode, static_cast<xkb_layout_index_t>(layout), 0, &keysyms);
    if (count != 1)
        return {};
    const char32_t character = characterOf(keysyms[0]);
    if (character == 0)
        return {};
    return QString::fromUcs4(&character, 1);
}

int KeyboardLayout::latinLayout() const
{
    auto isLatin = [this](int layout) {
        const QString probe = textIn(latinProbeKeyCode, layout);
        return probe.size() == 1 && probe.at(0).unicode() < firstNonAscii && probe.at(0).isLetter();
    };
    if (isLatin(m_currentLayout))
        return m_currentLayout;
    const int layouts = static_cast<int>(xkb_keymap_num_layouts(m_keymap));
    for (int layout = 0; layout < layouts; ++layout) {
        if (isLatin(layout))
            return layout;
    }
    return m_currentLayout;
}
