#pragma once

#include <QObject>

// System-wide hot keys: key combinations that reach this process whichever application has
// the keyboard focus. Key codes and modifier masks are the X11 ones; lock keys (Caps Lock,
// Num Lock) never take part in a combination. Main thread only.
class HotKeyCenter : public QObject
{
    Q_OBJECT

public:
    // Status of a registration: `noError`, one of the negative values below, or the X11 error
    // code the server answered with (BadAccess when another client holds the combination).
    static constexpr int noError = 0;
    static constexpr int noDisplayError = -1;
    static constexpr int unsupportedCombinationError = -2;
    static constexpr int badAccessError = 10;

    using QObject::QObject;

    // Takes the combination for `id`. Several ids may hold the same combination; a press then
    // goes to the lowest of them.
    virtual int registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) = 0;
    // Gives the combination of `id` back; unknown ids are ignored.
    virtual void unregisterHotKey(quint32 id) = 0;

    // The desktop's own implementation: X11 when a display can be reached, else one that
    // refuses every registration. Owned by `parent`.
    static HotKeyCenter* createSystem(QObject* parent);

Q_SIGNALS:
    // Once per physical press: auto-repeat presses are not reported.
    void hotKeyPressed(quint32 id);
    // The release of the key whose press was reported, whatever modifiers are still held.
    void hotKeyReleased(quint32 id);
};
