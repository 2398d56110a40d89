#include "GlobalShortcuts/ShortcutDisplay.h"

#include "GlobalShortcuts/KeyCodes.h"
#include "GlobalShortcuts/ModuleStrings.h"
#include "GlobalShortcuts/SpecialKey.h"
#include "platform/x11/KeyboardLayout.h"

#include <QAction>
#include <QMenu>
#include <QTextBoundaryFinder>

#include <array>

namespace GlobalShortcuts {

namespace {

struct ModifierSymbol
{
    ModifierFlags flag;
    QString symbol;
};

const std::array modifierSymbols{
    ModifierSymbol{ModifierFlag::control, QStringLiteral(u"\u2303")},
    ModifierSymbol{ModifierFlag::option, QStringLiteral(u"\u2325")},
    ModifierSymbol{ModifierFlag::shift, QStringLiteral(u"\u21E7")},
    ModifierSymbol{ModifierFlag::command, QStringLiteral(u"\u2318")},
    ModifierSymbol{ModifierFlag::function, QStringLiteral(u"\U0001F310\uFE0E")},
};

const QString missingCharacter = QStringLiteral(u"\uFFFD");
// The toolkit has no Function modifier; it is named the way keyboards print it.
const QString functionWord = QStringLiteral("Fn+");

bool isSingleCharacter(const QString& text)
{
    if (text.isEmpty())
        return false;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    return graphemes.toNextBoundary() == text.size();
}

// Capitalised as a word is: the first character in title case, the rest as they are.
QString capitalized(const QString& text)
{
    if (text.isEmpty())
        return text;
    const char32_t first = QStringView(text).toUcs4().value(0);
    const char32_t title = QChar::toTitleCase(first);
    const qsizetype firstLength = QChar::requiresSurrogates(first) ? 2 : 1;
    return QString::fromUcs4(&title, 1) + text.mid(firstLength);
}

QString specialKeySymbol(const SpecialKey& key)
{
    return key.symbol.isEmpty() ? capitalized(localizedString(QStringLiteral("space_key")))
                                : key.symbol;
}

// The toolkit's key for a character: its upper-case letter where that is one character.
Qt::Key qtKeyForCharacter(const QString& character)
{
    const QString upper = character.toUpper();
    const QList<uint> codePoints = (upper.size() == character.size() ? upper : character).toUcs4();
    return static_cast<Qt::Key>(codePoints.value(0));
}

} // namespace

QString displayString(const QKeySequence& sequence)
{
    return sequence.toString(QKeySequence::NativeText);
}

QString displayString(const Shortcut& shortcut)
{
    return description(shortcut, SymbolSet::desktop);
}

QString description(const Shortcut& shortcut, SymbolSet symbols)
{
    if (symbols == SymbolSet::original) {
        const QString modifiers = presentableDescription(shortcut.modifiers());
        if (const SpecialKey* key = specialKey(shortcut.carbonKeyCode()))
            return modifiers + specialKeySymbol(*key);
        return modifiers + capitalized(keyToCharacter(shortcut).value_or(missingCharacter));
    }

    const bool function = shortcut.carbonModifiers() & CarbonModifier::function;
    const Shortcut withoutFunction(shortcut.carbonKeyCode(),
                                   shortcut.carbonModifiers() & ~CarbonModifier::function);
    QKeySequence sequence = toKeySequence(withoutFunction);
    if (sequence.isEmpty()) {
        const Qt::KeyboardModifiers modifiers = qtModifiers(withoutFunction.modifiers());
        sequence = QKeySequence(QKeyCombination(modifiers, qtKeyForCharacter(missingCharacter)));
    }
    return (function ? functionWord : QString()) + displayString(sequence);
}

QString presentableDescription(ModifierFlags flags)
{
    QString text;
    for (const ModifierSymbol& modifier : modifierSymbols) {
        if (flags & modifier.flag)
            text += modifier.symbol;
    }
    return text;
}

std::optional<QString> keyToCharacter(const Shortcut& shortcut)
{
    if (specialKey(shortcut.carbonKeyCode()))
        return std::nullopt;
    const auto keyCode = x11KeyCode(shortcut.carbonKeyCode());
    const std::shared_ptr<const KeyboardLayout> layout = KeyboardLayout::current();
    if (!keyCode || !layout)
        return std::nullopt;
    const QString text = layout->text(*keyCode);
    if (!isSingleCharacter(text))
        return std::nullopt;
    return text;
}

std::optional<QString> keyEquivalent(const Shortcut& shortcut)
{
    if (const SpecialKey* key = specialKey(shortcut.carbonKeyCode()))
        return key->keyEquivalent;
    return keyToCharacter(shortcut);
}

QKeySequence toKeySequence(const Shortcut& shortcut)
{
    if (shortcut.carbonModifiers() & CarbonModifier::function)
        return {};
    Qt::KeyboardModifiers modifiers = qtModifiers(shortcut.modifiers());
    if (const SpecialKey* key = specialKey(shortcut.carbonKeyCode())) {
        if (key->isKeypad)
            modifiers |= Qt::KeypadModifier;
        return QKeySequence(QKeyCombination(modifiers, key->qtKey));
    }
    const auto character = keyToCharacter(shortcut);
    if (!character)
        return {};
    return QKeySequence(QKeyCombination(modifiers, qtKeyForCharacter(*character)));
}

QAction* menuItemWithMatchingShortcut(const QMenu* menu, const Shortcut& shortcut)
{
    if (!menu || !keyEquivalent(shortcut))
        return nullptr;
    const QKeySequence sequence = toKeySequence(shortcut);
    if (sequence.isEmpty())
        return nullptr;
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->shortcut().count() == 1 && action->shortcut()[0] == sequence[0])
            return action;
        if (QAction* found = menuItemWithMatchingShortcut(action->menu(), shortcut))
            return found;
    }
    return nullptr;
}

} // namespace GlobalShortcuts
