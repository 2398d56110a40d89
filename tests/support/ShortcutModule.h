#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/ModuleState.h"
#include "platform/UserDefaults.h"

#include <QSet>

// The module as a new process finds it: no handler, no hot key, nothing stored. Only the
// identifiers of hot keys keep counting.
inline void forgetEveryShortcut()
{
    GlobalShortcuts::removeAllHandlers();
    // Also those whose names now store another value, or none.
    for (const GlobalShortcuts::Shortcut& shortcut : QSet(GlobalShortcuts::registeredShortcuts()))
        GlobalShortcuts::unregisterAndForget(shortcut);
    UserDefaults::standard().removePersistentDomain();
    GlobalShortcuts::setEnabled(true);
    GlobalShortcuts::setMainMenu(nullptr);
}
