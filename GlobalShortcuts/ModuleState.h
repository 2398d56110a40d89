#pragma once

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/LocalEventMonitor.h"

#include <QList>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <memory>

namespace GlobalShortcuts {

// The module's state, shared by its source files. Main thread only.
struct ModuleState
{
    struct Handlers
    {
        Name name;
        QList<Action> actions;
    };
    struct StreamHandler
    {
        QUuid id;
        Action yield;
    };
    struct Streams
    {
        Name name;
        QList<StreamHandler> handlers;
    };

    bool isEnabled = true;
    bool isMenuOpen = false;
    // How many recorders record right now.
    int activeRecorders = 0;
    std::unique_ptr<LocalEventMonitor> menuObserver;
    QList<QPointer<QObject>> openMenus;
    QPointer<QMenu> mainMenu;

    // In the order the names got their first handler. Implicitly shared, so that dispatch
    // walks a snapshot while handlers change the tables.
    QList<Handlers> keyDownHandlers;
    QList<Handlers> keyUpHandlers;
    QList<Streams> streamKeyDownHandlers;
    QList<Streams> streamKeyUpHandlers;

    QSet<Shortcut> registeredShortcuts;

    static ModuleState& instance();
};

// Hands the name's stored shortcut, or this shortcut, to the hot-key layer unless it was handed
// over already.
void registerWhenNeeded(const Name& name);
void registerWhenNeeded(const Shortcut& shortcut);
// Gives the shortcut up in the hot-key layer and forgets it.
void unregisterAndForget(const Shortcut& shortcut);
// A stream's handlers in and out of the tables.
void startStream(const Name& name, const QUuid& id, Action keyDown, Action keyUp);
void endStream(const Name& name, const QUuid& id);

} // namespace GlobalShortcuts
