#include "GlobalShortcuts/Modifiers.h"

#include <array>

namespace GlobalShortcuts {

namespace {

struct Modifier
{
    ModifierFlags flag;
    int carbon;
    Qt::KeyboardModifier qt;
};

constexpr std::array modifiers{
    Modifier{ModifierFlag::control, CarbonModifier::control, Qt::MetaModifier},
    Modifier{ModifierFlag::option, CarbonModifier::option, Qt::AltModifier},
    Modifier{ModifierFlag::shift, CarbonModifier::shift, Qt::ShiftModifier},
    Modifier{ModifierFlag::command, CarbonModifier::command, Qt::ControlModifier},
    Modifier{ModifierFlag::function, CarbonModifier::function, Qt::NoModifier},
};

} // namespace

int carbonModifiers(ModifierFlags flags)
{
    int carbon = 0;
    for (const Modifier& modifier : modifiers) {
        if (flags & modifier.flag)
            carbon |= modifier.carbon;
    }
    return carbon;
}

ModifierFlags modifierFlags(int carbon)
{
    ModifierFlags flags = 0;
    for (const Modifier& modifier : modifiers) {
        if (carbon & modifier.carbon)
            flags |= modifier.flag;
    }
    return flags;
}

int normalizedCarbonModifiers(int carbon)
{
    return carbonModifiers(modifierFlags(carbon));
}

ModifierFlags modifierFlags(Qt::KeyboardModifiers qt)
{
    ModifierFlags flags = 0;
    for (const Modifier& modifier : modifiers) {
        if (modifier.qt != Qt::NoModifier && qt.testFlag(modifier.qt))
            flags |= modifier.flag;
    }
    return flags;
}

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags)
{
    Qt::KeyboardModifiers qt;
    for (const Modifier& modifier : modifiers) {
        if (flags & modifier.flag)
            qt |= modifier.qt;
    }
    return qt;
}

} // namespace GlobalShortcuts
