#include "GlobalShortcuts/KeyCodes.h"

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"

namespace GlobalShortcuts {

namespace {

struct KeyPosition
{
    Key key;
    quint32 x11KeyCode;
};

// The X11 key code of each key's place on the keyboard (the kernel's key code plus 8). The
// modifier keys follow the modifiers: Command is Ctrl, Option is Alt, Control is Super. The
// Function key has no key code of its own.
constexpr KeyPosition keyPositions[] = {
    {Key::a, 38},
    {Key::b, 56},
    {Key::c, 54},
    {Key::d, 40},
    {Key::e, 26},
    {Key::f, 41},
    {Key::g, 42},
    {Key::h, 43},
    {Key::i, 31},
    {Key::j, 44},
    {Key::k, 45},
    {Key::l, 46},
    {Key::m, 58},
    {Key::n, 57},
    {Key::o, 32},
    {Key::p, 33},
    {Key::q, 24},
    {Key::r, 27},
    {Key::s, 39},
    {Key::t, 28},
    {Key::u, 30},
    {Key::v, 55},
    {Key::w, 25},
    {Key::x, 53},
    {Key::y, 29},
    {Key::z, 52},
    {Key::zero, 19},
    {Key::one, 10},
    {Key::two, 11},
    {Key::three, 12},
    {Key::four, 13},
    {Key::five, 14},
    {Key::six, 15},
    {Key::seven, 16},
    {Key::eight, 17},
    {Key::nine, 18},
    {Key::capsLock, 66},
    {Key::shift, 50},
    {Key::control, 133},
    {Key::option, 64},
    {Key::command, 37},
    {Key::rightCommand, 105},
    {Key::rightOption, 108},
    {Key::rightControl, 134},
    {Key::rightShift, 62},
    {Key::returnKey, 36},
    {Key::backslash, 51},
    {Key::backtick, 49},
    {Key::comma, 59},
    {Key::equal, 21},
    {Key::minus, 20},
    {Key::period, 60},
    {Key::quote, 48},
    {Key::semicolon, 47},
    {Key::slash, 61},
    {Key::space, 65},
    {Key::tab, 23},
    {Key::leftBracket, 34},
    {Key::rightBracket, 35},
    {Key::pageUp, 112},
    {Key::pageDown, 117},
    {Key::home, 110},
    {Key::end, 115},
    {Key::upArrow, 111},
    {Key::rightArrow, 114},
    {Key::downArrow, 116},
    {Key::leftArrow, 113},
    {Key::escape, 9},
    {Key::deleteKey, 22},
    {Key::deleteForward, 119},
    {Key::help, 118},
    {Key::mute, 121},
    {Key::volumeUp, 123},
    {Key::volumeDown, 122},
    {Key::f1, 67},
    {Key::f2, 68},
    {Key::f3, 69},
    {Key::f4, 70},
    {Key::f5, 71},
    {Key::f6, 72},
    {Key::f7, 73},
    {Key::f8, 74},
    {Key::f9, 75},
    {Key::f10, 76},
    {Key::f11, 95},
    {Key::f12, 96},
    {Key::f13, 191},
    {Key::f14, 192},
    {Key::f15, 193},
    {Key::f16, 194},
    {Key::f17, 195},
    {Key::f18, 196},
    {Key::f19, 197},
    {Key::f20, 198},
    {Key::keypad0, 90},
    {Key::keypad1, 87},
    {Key::keypad2, 88},
    {Key::keypad3, 89},
    {Key::keypad4, 83},
    {Key::keypad5, 84},
    {Key::keypad6, 85},
    {Key::keypad7, 79},
    {Key::keypad8, 80},
    {Key::keypad9, 81},
    {Key::keypadClear, 77},
    {Key::keypadDecimal, 91},
    {Key::keypadDivide, 106},
    {Key::keypadEnter, 104},
    {Key::keypadEquals, 125},
    {Key::keypadMinus, 82},
    {Key::keypadMultiply, 63},
    {Key::keypadPlus, 86},
};

struct ModifierMask
{
    int carbon;
    quint32 x11;
};

// Command is Ctrl, Option is Alt (Mod1), Control is Super (Mod4).
constexpr ModifierMask modifierMasks[] = {
    {CarbonModifier::shift, 0x01},
    {CarbonModifier::command, 0x04},
    {CarbonModifier::option, 0x08},
    {CarbonModifier::control, 0x40},
};

} // namespace

std::optional<quint32> x11KeyCode(int carbonKeyCode)
{
    for (const KeyPosition& position : keyPositions) {
        if (position.key.rawValue == carbonKeyCode)
            return position.x11KeyCode;
    }
    return std::nullopt;
}

std::optional<int> carbonKeyCode(quint32 x11KeyCode)
{
    for (const KeyPosition& position : keyPositions) {
        if (position.x11KeyCode == x11KeyCode)
            return position.key.rawValue;
    }
    return std::nullopt;
}

std::optional<quint32> x11Modifiers(int carbonModifiers)
{
    if (carbonModifiers & CarbonModifier::function)
        return std::nullopt;
    quint32 mask = 0;
    for (const ModifierMask& modifier : modifierMasks) {
        if (carbonModifiers & modifier.carbon)
            mask |= modifier.x11;
    }
    return mask;
}

int carbonModifiers(quint32 x11Modifiers)
{
    int carbon = 0;
    for (const ModifierMask& modifier : modifierMasks) {
        if (x11Modifiers & modifier.x11)
            carbon |= modifier.carbon;
    }
    return carbon;
}

} // namespace GlobalShortcuts
