#include "ShortcutFixture.h"

#include "GlobalShortcuts/ModuleStrings.h"

#include <QAction>
#include <QMenu>

using namespace GlobalShortcuts;

namespace {

class Display : public ShortcutFixture
{
protected:
    static Shortcut shortcut(int keyCode, ModifierFlags modifiers = 0)
    {
        return Shortcut(Key{keyCode}, modifiers);
    }
    static void useLayout(const QString& layouts, int current = 0)
    {
        auto layout = KeyboardLayout::fromNames(layouts, current);
        ASSERT_TRUE(layout) << layouts.toStdString();
        KeyboardLayout::setCurrent(std::move(layout));
    }
};

constexpr ModifierFlags all = ModifierFlag::function | ModifierFlag::command | ModifierFlag::shift |
                              ModifierFlag::option | ModifierFlag::control;

TEST_F(Display, BothSymbolSetsForTheSameShortcuts)
{
    struct Case
    {
        Shortcut shortcut;
        const char16_t* original;
        const char* desktop;
    };
    const Case cases[] = {
        {optionCommand(Key::n), u"\u2325\u2318N", "Ctrl+Alt+N"},
        {shortcut(Key::deleteKey.rawValue, ModifierFlag::command), u"\u2318\u232B",
         "Ctrl+Backspace"},
        {shortcut(96, ModifierFlag::control), u"\u2303F5", "Meta+F5"},
        {shortcut(36, ModifierFlag::command), u"\u2318\u21A9", "Ctrl+Return"},
        {shortcut(49, ModifierFlag::command), u"\u2318Space", "Ctrl+Space"},
        {shortcut(87), u"5\u20E3", "Num+5"},
        {shortcut(114), u"?\u20DD", "Ins"},
        {shortcut(111, ModifierFlag::function | ModifierFlag::shift), u"\u21E7\U0001F310\uFE0EF12",
         "Fn+Shift+F12"},
        {shortcut(Key::a.rawValue, all), u"\u2303\u2325\u21E7\u2318\U0001F310\uFE0EA",
         "Fn+Meta+Ctrl+Alt+Shift+A"},
        {shortcut(Key::slash.rawValue, ModifierFlag::command), u"\u2318/", "Ctrl+/"},
        {shortcut(Key::mute.rawValue), u"\uFFFD", "\xEF\xBF\xBD"},
        {shortcut(70000, ModifierFlag::command), u"\u2318\uFFFD", "Ctrl+\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        EXPECT_EQ(description(c.shortcut, SymbolSet::original), QString::fromUtf16(c.original));
        EXPECT_EQ(displayString(c.shortcut), QString::fromUtf8(c.desktop));
        EXPECT_EQ(c.shortcut.description(), QString::fromUtf8(c.desktop));
    }
    EXPECT_EQ(displayString(QKeySequence(Qt::CTRL | Qt::Key_Backspace)),
              QStringLiteral("Ctrl+Backspace"));
    EXPECT_EQ(displayString(toKeySequence(optionCommand(Key::n))), QStringLiteral("Ctrl+Alt+N"));
}

TEST_F(Display, CharactersFollowTheKeyboardLayout)
{
    // The key right of T: Y on a US keyboard, Z on a German one.
    const Shortcut yPosition = optionCommand(Key::y);
    EXPECT_EQ(keyToCharacter(yPosition), QStringLiteral("y"));
    EXPECT_EQ(displayString(yPosition), QStringLiteral("Ctrl+Alt+Y"));
    useLayout(QStringLiteral("de"));
    EXPECT_EQ(keyToCharacter(yPosition), QStringLiteral("z"));
    EXPECT_EQ(description(yPosition, SymbolSet::original), QStringLiteral(u"\u2325\u2318Z"));
    EXPECT_EQ(displayString(yPosition), QStringLiteral("Ctrl+Alt+Z"));
    EXPECT_EQ(displayString(shortcut(Key::semicolon.rawValue, ModifierFlag::command)),
              QStringLiteral(u"Ctrl+\u00D6"));
    // Left of Backspace on a German keyboard: the acute accent, a dead key.
    EXPECT_EQ(
        description(shortcut(Key::equal.rawValue, ModifierFlag::command), SymbolSet::original),
        QStringLiteral(u"\u2318\u00B4"));
    // A non-Latin layout reads from the Latin one beside it.
    useLayout(QStringLiteral("us,ru"), 1);
    EXPECT_EQ(displayString(optionCommand(Key::n)), QStringLiteral("Ctrl+Alt+N"));
    useLayout(QStringLiteral("ru"));
    EXPECT_EQ(keyToCharacter(optionCommand(Key::n)), QStringLiteral(u"\u0442"));
}

TEST_F(Display, WithoutALayoutKeysHaveNoCharacter)
{
    KeyboardLayout::setCurrent(nullptr);
    environment.unset("DISPLAY");
    EXPECT_EQ(keyToCharacter(optionCommand(Key::n)), std::nullopt);
    EXPECT_EQ(description(optionCommand(Key::n), SymbolSet::original),
              QStringLiteral(u"\u2325\u2318\uFFFD"));
    EXPECT_EQ(displayString(shortcut(36, ModifierFlag::command)), QStringLiteral("Ctrl+Return"));
}

TEST_F(Display, KeyEquivalentsAndTexts)
{
    EXPECT_EQ(keyEquivalent(shortcut(36, ModifierFlag::command)), QStringLiteral(u"\u21A9"));
    EXPECT_EQ(keyEquivalent(shortcut(111, ModifierFlag::shift)), QStringLiteral(u"\uF70F"));
    EXPECT_EQ(keyEquivalent(shortcut(90)), QStringLiteral(u"\uF717"));
    EXPECT_EQ(keyEquivalent(shortcut(49)), QStringLiteral(" "));
    EXPECT_EQ(keyEquivalent(shortcut(87)), std::nullopt);
    EXPECT_EQ(keyEquivalent(optionCommand(Key::n)), QStringLiteral("n"));
    EXPECT_EQ(keyEquivalent(shortcut(Key::mute.rawValue)), std::nullopt);
    EXPECT_TRUE(toKeySequence(shortcut(111, ModifierFlag::function)).isEmpty());
    EXPECT_EQ(localizedString(QStringLiteral("space_key")), QStringLiteral("space"));
    EXPECT_EQ(localizedString(QStringLiteral("no_such_text")), QStringLiteral("no_such_text"));
}

TEST_F(Display, MenuItemsWithTheShortcutAreFoundDepthFirst)
{
    QMenu menu;
    QMenu submenu;
    QAction* plain = menu.addAction(QStringLiteral("Plain"));
    plain->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* withSubmenu = menu.addMenu(&submenu);
    QAction* nested = submenu.addAction(QStringLiteral("Nested"));
    nested->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    QAction* keypad = menu.addAction(QStringLiteral("Keypad"));
    keypad->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_5));

    const Shortcut commandN = shortcut(Key::n.rawValue, ModifierFlag::command);
    const Shortcut shiftCommandN =
        shortcut(Key::n.rawValue, ModifierFlag::command | ModifierFlag::shift);
    EXPECT_EQ(menuItemWithMatchingShortcut(&menu, commandN), plain);
    EXPECT_EQ(menuItemWithMatchingShortcut(&menu, shiftCommandN), nested);
    EXPECT_EQ(menuItemWithMatchingShortcut(&menu, optionCommand(Key::n)), nullptr);
    EXPECT_EQ(menuItemWithMatchingShortcut(&menu, shortcut(87)), nullptr);

    // An item before its submenu.
    withSubmenu->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    EXPECT_EQ(menuItemWithMatchingShortcut(&menu, shiftCommandN), withSubmenu);
}

} // namespace
