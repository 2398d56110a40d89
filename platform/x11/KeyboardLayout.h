#pragma once

#include <QString>

#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;

// The characters that the keyboard's keys type, from an XKB keymap: the running X server's, or
// one compiled from layout names (for tests and for desktops without X11).
class KeyboardLayout
{
public:
    ~KeyboardLayout();
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;

    // The X server's keymap and its current layout; null without an X11 display.
    static std::unique_ptr<KeyboardLayout> fromServer();
    // A keymap of the comma-separated `layouts` (for instance "us,ru") with `currentLayout`
    // active; null when they cannot be compiled.
    static std::unique_ptr<KeyboardLayout> fromNames(const QString& layouts, int currentLayout = 0);

    // The layout that shortcut texts are read from: the one given to `setCurrent`, else the
    // server's as it is now (null without a display).
    static std::shared_ptr<const KeyboardLayout> current();
    // Replaces the server's layout for `current`; null goes back to the server's.
    static void setCurrent(std::shared_ptr<const KeyboardLayout> layout);

    // The text that the key with this X11 key code types with no modifier held, in the current
    // layout when that one types Latin letters, else in the first layout that does (so that a
    // shortcut reads the same while a non-Latin layout is active). A dead key gives its accent.
    // Empty when the key types nothing.
    QString text(quint32 keyCode) const;
    // The key that types the keysym of this name ("Tab", "t", "XF86Calculator") at any level of
    // the layout that text() reads; none when no key does.
    std::optional<quint32> keyCode(const QString& keysymName) const;

private:
    KeyboardLayout(xkb_context* context, xkb_keymap* keymap, int currentLayout);
    QString textIn(quint32 keyCode, int layout) const;
    int latinLayout() const;

    xkb_context* m_context;
    xkb_keymap* m_keymap;
    int m_currentLayout;
};
