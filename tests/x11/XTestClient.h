#pragma once

#include <QImage>
#include <QRect>

#include <initializer_list>
#include <vector>

struct xcb_connection_t;

// Another X11 client: types keys and clicks through XTest, holds key grabs of its own and
// looks at the screen, as another program on the desktop would.
class XTestClient
{
public:
    // X11 key codes of a US keyboard under Xvfb.
    static constexpr quint8 controlKey = 37;
    static constexpr quint8 altKey = 64;
    static constexpr quint8 shiftKey = 50;
    static constexpr quint8 capsLockKey = 66;
    static constexpr quint8 numLockKey = 77;
    static constexpr quint8 nKey = 57;
    static constexpr quint8 mKey = 58;
    static constexpr quint8 lKey = 46;
    static constexpr quint8 commaKey = 59;
    static constexpr quint8 returnKey = 36;
    static constexpr quint8 escapeKey = 9;
    static constexpr quint8 tabKey = 23;
    static constexpr quint8 upKey = 111;
    static constexpr quint16 controlAltMask = 0x04 | 0x08;
    static constexpr quint16 lockMask = 0x02;
    static constexpr quint16 numLockMask = 0x10;

    XTestClient();
    ~XTestClient();
    XTestClient(const XTestClient&) = delete;
    XTestClient& operator=(const XTestClient&) = delete;

    bool isConnected() const;

    void press(quint8 keyCode);
    void release(quint8 keyCode);
    // The modifier keys pressed, the key typed, the modifiers released in reverse order.
    void type(quint8 keyCode, std::initializer_list<quint8> modifierKeys = {});
    // Ctrl+Alt+key pressed and released in the usual order.
    void typeControlAlt(quint8 keyCode);
    // The pointer, in root-window coordinates; button 1 is the left button.
    void movePointer(int x, int y);
    static constexpr quint8 leftButton = 1;

    void pressButton(quint8 button = leftButton);
    void releaseButton(quint8 button = leftButton);
    // Moves there, then presses and releases, `count` times in quick succession.
    void click(int x, int y, int count = 1);
    // What the screen shows in this rectangle.
    QImage grab(const QRect& area);
    // Waits until the server has handled everything sent so far.
    void sync();

    // A checked grab on the root window; 0 or the X11 error code.
    int grab(quint8 keyCode, quint16 modifiers);
    void ungrab(quint8 keyCode, quint16 modifiers);
    // Whether a key press of this key reached this client, reading what has arrived so far.
    bool receivedPress(quint8 keyCode);
    // Whether another client holds a grab of this combination. Tried and given back while the
    // server serves no other client, so the try never takes it from a program grabbing it.
    bool isHeldByAnother(quint8 keyCode, quint16 modifiers);
    // Whether another client holds the whole keyboard, as an open menu does; tried the same way.
    bool isKeyboardGrabbed();

    // The keys that make each of the eight modifiers (Shift, Lock, Control, Mod1 to Mod5), as
    // many places for each as the server keeps; 0 in a place without a key.
    struct ModifierMapping
    {
        int keysPerModifier = 0;
        std::vector<quint8> keys;
    };
    ModifierMapping modifierMapping();
    bool setModifierMapping(const ModifierMapping& mapping);
    // The modifiers in effect now, those locked on included, as an X11 mask.
    quint16 modifierState();

private:
    void fake(quint8 type, quint8 detail, int x = 0, int y = 0);

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
};
