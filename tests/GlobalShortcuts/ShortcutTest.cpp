#include "GlobalShortcuts/Shortcut.h"
#include "GlobalShortcuts/KeyCodes.h"

#include <QKeyEvent>
#include <limits>

#include <gmock/gmock.h>
#include <linux/input-event-codes.h>

using namespace GlobalShortcuts;

namespace {

// Stored values come as text, tests and files as bytes: both readers must agree.
std::optional<Shortcut> decodeBoth(const char* json)
{
    const auto fromBytes = Shortcut::fromJson(QByteArrayView(json));
    EXPECT_EQ(fromBytes, Shortcut::fromJson(QStringView(QString::fromUtf8(json)))) << json;
    return fromBytes;
}

TEST(Shortcut, ConstructionKeepsOnlyTheFiveModifiersAndConversionsAgree)
{
    const struct
    {
        Shortcut shortcut;
        int keyCode;
        int modifiers;
    } cases[] = {
        {Shortcut(0, 0x500), 0, 0x100},                            // Command plus alpha lock
        {Shortcut(1, 0x21B00 | 0x4000 | 0x400 | 0x1), 1, 0x21B00}, // right-side and unknown bits
        {Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command), 45, 0x900},
        {Shortcut(Key::f5, ModifierFlag::command | ModifierFlag::capsLock), 96, 0x100},
        {Shortcut(Key::a, ModifierFlag::function | ModifierFlag::help), 0, 0x20000},
        {Shortcut(-1, 0), -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(c.shortcut.carbonKeyCode(), c.keyCode);
        EXPECT_EQ(c.shortcut.carbonModifiers(), c.modifiers);
    }
    EXPECT_EQ(modifierFlags(0x1000 | 0x800 | 0x200 | 0x100 | 0x20000),
              ModifierFlag::control | ModifierFlag::option | ModifierFlag::shift |
                  ModifierFlag::command | ModifierFlag::function);
    // The function bit has the shift flag's value; the two sets never mix.
    EXPECT_EQ(modifierFlags(0x20000), ModifierFlag::function);
    EXPECT_EQ(carbonModifiers(ModifierFlag::shift), 0x200);
    EXPECT_EQ(normalizedCarbonModifiers(0xFFFFFFF), 0x21B00);
    EXPECT_EQ(modifierFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
                            Qt::ShiftModifier | Qt::KeypadModifier),
              ModifierFlag::command | ModifierFlag::option | ModifierFlag::control |
                  ModifierFlag::shift);
    EXPECT_EQ(qtModifiers(ModifierFlag::command | ModifierFlag::control | ModifierFlag::function),
              Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_EQ(qHash(Shortcut(Key::n, ModifierFlag::option | ModifierFlag::command)),
              qHash(Shortcut(45, 2304)));
    EXPECT_NE(Shortcut(45, 2304), Shortcut(45, 0x100));
    EXPECT_NE(Shortcut(45, 2304), Shortcut(46, 2304));
}

TEST(Shortcut, JsonRoundTripsAndDecodesOnlyWholeRecordsOfIntegers)
{
    const Shortcut shortcut(45, 2304);
    EXPECT_EQ(shortcut.toJson(), QByteArray(R"({"carbonKeyCode":45,"carbonModifiers":2304})"));
    EXPECT_EQ(Shortcut::fromJson(shortcut.toJson()), shortcut);
    const struct
    {
        const char* json;
        std::optional<Shortcut> decoded;
    } cases[] = {
        {R"( {"carbonModifiers": 2304, "x": [1], "carbonKeyCode": 45} )", shortcut},
        {R"({"carbonKeyCode":-2147483648,"carbonModifiers":0})",
         Shortcut(std::numeric_limits<int>::min(), 0)},
        {R"({"carbonKeyCode":0,"carbonModifiers":-0})", Shortcut(0, 0)},
        {R"({"carbonKeyCode":45.0,"carbonModifiers":2304})", shortcut},
        {"", std::nullopt},
        {"{}", std::nullopt},
        {"[45, 2304]", std::nullopt},
        {R"({"carbonKeyCode":45})", std::nullopt},
        {R"({"carbonKeyCode":"45","carbonModifiers":2304})", std::nullopt},
        {R"({"carbonKeyCode":45,"carbonModifiers":null})", std::nullopt},
        {R"({"carbonKeyCode":true,"carbonModifiers":2304})", std::nullopt},
        {R"({"carbonKeyCode":45.5,"carbonModifiers":2304})", std::nullopt},
        {R"({"carbonKeyCode":45,"carbonModifiers":1e300})", std::nullopt},
        {R"({"carbonKeyCode":2147483648,"carbonModifiers":0})", std::nullopt},
        {R"({"carbonKeyCode":-2147483649,"carbonModifiers":0})", std::nullopt},
        {R"({"carbonKeyCode":45,"carbonModifiers":2304)", std::nullopt},
        {R"({"carbonKeyCode":45,"carbonModifiers":2304}x)", std::nullopt},
        {R"({"carbonKeyCode":045,"carbonModifiers":2304})", std::nullopt},
        {R"({"carbonKeyCode":-,"carbonModifiers":2304})", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        const auto decoded = decodeBoth(c.json);
        EXPECT_EQ(decoded, c.decoded);
    }
    // Stored modifiers are kept as they are, not normalised.
    const auto stored = decodeBoth(R"({"carbonKeyCode":45,"carbonModifiers":2305})");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->carbonModifiers(), 2305);
    EXPECT_NE(*stored, shortcut);
}

TEST(Shortcut, FromEventTakesKeyEventsOnly)
{
    // The N key under X11 is the kernel's KEY_N plus 8.
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier,
                          KEY_N + 8, 0, 0);
    EXPECT_EQ(Shortcut::fromEvent(&press), Shortcut(45, 0x900));
    const QKeyEvent release(QEvent::KeyRelease, Qt::Key_F5, Qt::ControlModifier, KEY_F5 + 8, 0, 0);
    EXPECT_EQ(Shortcut::fromEvent(&release), Shortcut(96, 0x100));
    const QKeyEvent unknownKey(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 0, 0, 0);
    EXPECT_FALSE(Shortcut::fromEvent(&unknownKey));
    const QEvent other(QEvent::ShortcutOverride);
    EXPECT_FALSE(Shortcut::fromEvent(&other));
    EXPECT_FALSE(Shortcut::fromEvent(nullptr));
}

TEST(KeyCodes, EveryKeyIsAtItsKernelPosition)
{
    const struct
    {
        Key key;
        int kernelCode;
    } positions[] = {
        // clang-format off
        {Key::a, KEY_A}, {Key::b, KEY_B}, {Key::c, KEY_C}, {Key::d, KEY_D}, {Key::e, KEY_E},
        {Key::f, KEY_F}, {Key::g, KEY_G}, {Key::h, KEY_H}, {Key::i, KEY_I}, {Key::j, KEY_J},
        {Key::k, KEY_K}, {Key::l, KEY_L}, {Key::m, KEY_M}, {Key::n, KEY_N}, {Key::o, KEY_O},
        {Key::p, KEY_P}, {Key::q, KEY_Q}, {Key::r, KEY_R}, {Key::s, KEY_S}, {Key::t, KEY_T},
        {Key::u, KEY_U}, {Key::v, KEY_V}, {Key::w, KEY_W}, {Key::x, KEY_X}, {Key::y, KEY_Y},
        {Key::z, KEY_Z}, {Key::zero, KEY_0}, {Key::one, KEY_1}, {Key::two, KEY_2},
        {Key::three, KEY_3}, {Key::four, KEY_4}, {Key::five, KEY_5}, {Key::six, KEY_6},
        {Key::seven, KEY_7}, {Key::eight, KEY_8}, {Key::nine, KEY_9},
        {Key::capsLock, KEY_CAPSLOCK}, {Key::shift, KEY_LEFTSHIFT}, {Key::control, KEY_LEFTMETA},
        {Key::option, KEY_LEFTALT}, {Key::command, KEY_LEFTCTRL},
        {Key::rightCommand, KEY_RIGHTCTRL}, {Key::rightOption, KEY_RIGHTALT},
        {Key::rightControl, KEY_RIGHTMETA}, {Key::rightShift, KEY_RIGHTSHIFT},
        {Key::returnKey, KEY_ENTER}, {Key::backslash, KEY_BACKSLASH}, {Key::backtick, KEY_GRAVE},
        {Key::comma, KEY_COMMA}, {Key::equal, KEY_EQUAL}, {Key::minus, KEY_MINUS},
        {Key::period, KEY_DOT}, {Key::quote, KEY_APOSTROPHE}, {Key::semicolon, KEY_SEMICOLON},
        {Key::slash, KEY_SLASH}, {Key::space, KEY_SPACE}, {Key::tab, KEY_TAB},
        {Key::leftBracket, KEY_LEFTBRACE}, {Key::rightBracket, KEY_RIGHTBRACE},
        {Key::pageUp, KEY_PAGEUP}, {Key::pageDown, KEY_PAGEDOWN}, {Key::home, KEY_HOME},
        {Key::end, KEY_END}, {Key::upArrow, KEY_UP}, {Key::rightArrow, KEY_RIGHT},
        {Key::downArrow, KEY_DOWN}, {Key::leftArrow, KEY_LEFT}, {Key::escape, KEY_ESC},
        {Key::deleteKey, KEY_BACKSPACE}, {Key::deleteForward, KEY_DELETE}, {Key::help, KEY_INSERT},
        {Key::mute, KEY_MUTE}, {Key::volumeUp, KEY_VOLUMEUP}, {Key::volumeDown, KEY_VOLUMEDOWN},
        {Key::f1, KEY_F1}, {Key::f2, KEY_F2}, {Key::f3, KEY_F3}, {Key::f4, KEY_F4},
        {Key::f5, KEY_F5}, {Key::f6, KEY_F6}, {Key::f7, KEY_F7}, {Key::f8, KEY_F8},
        {Key::f9, KEY_F9}, {Key::f10, KEY_F10}, {Key::f11, KEY_F11}, {Key::f12, KEY_F12},
        {Key::f13, KEY_F13}, {Key::f14, KEY_F14}, {Key::f15, KEY_F15}, {Key::f16, KEY_F16},
        {Key::f17, KEY_F17}, {Key::f18, KEY_F18}, {Key::f19, KEY_F19}, {Key::f20, KEY_F20},
        {Key::keypad0, KEY_KP0}, {Key::keypad1, KEY_KP1}, {Key::keypad2, KEY_KP2},
        {Key::keypad3, KEY_KP3}, {Key::keypad4, KEY_KP4}, {Key::keypad5, KEY_KP5},
        {Key::keypad6, KEY_KP6}, {Key::keypad7, KEY_KP7}, {Key::keypad8, KEY_KP8},
        {Key::keypad9, KEY_KP9}, {Key::keypadClear, KEY_NUMLOCK}, {Key::keypadDecimal, KEY_KPDOT},
        {Key::keypadDivide, KEY_KPSLASH}, {Key::keypadEnter, KEY_KPENTER},
        {Key::keypadEquals, KEY_KPEQUAL}, {Key::keypadMinus, KEY_KPMINUS},
        {Key::keypadMultiply, KEY_KPASTERISK}, {Key::keypadPlus, KEY_KPPLUS},
        // clang-format on
    };
    ASSERT_EQ(std::size(positions), 112u);
    for (const auto& position : positions) {
        const quint32 x11 = position.kernelCode + 8;
        EXPECT_EQ(x11KeyCode(position.key.rawValue), x11) << position.key.rawValue;
        EXPECT_EQ(carbonKeyCode(x11), position.key.rawValue) << x11;
    }
    EXPECT_FALSE(x11KeyCode(Key::function.rawValue));
    EXPECT_FALSE(x11KeyCode(-1));
    EXPECT_FALSE(x11KeyCode(127));
    EXPECT_FALSE(carbonKeyCode(0));
}

TEST(KeyCodes, ModifiersMapToTheX11Masks)
{
    // Shift 0x01, Control 0x04, Mod1 (Alt) 0x08, Mod4 (Super) 0x40.
    EXPECT_EQ(x11Modifiers(0), 0u);
    EXPECT_EQ(x11Modifiers(CarbonModifier::command | CarbonModifier::option), 0x0Cu);
    EXPECT_EQ(x11Modifiers(CarbonModifier::control | CarbonModifier::shift), 0x41u);
    EXPECT_EQ(x11Modifiers(CarbonModifier::command | CarbonModifier::function), std::nullopt);
}

} // namespace
