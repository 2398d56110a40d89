#include "GlobalShortcuts/GlobalShortcuts.h"

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/ModuleState.h"
#include "platform/MainThread.h"

#include <QMenu>

#include <algorithm>

namespace GlobalShortcuts {

namespace {

template <typename Entry> Entry* find(QList<Entry>& table, const Name& name)
{
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&name](const Entry& entry) { return entry.name == name; });
    return found == table.end() ? nullptr : &*found;
}

void addHandler(QList<ModuleState::Handlers>& table, const Name& name, Action action)
{
    if (ModuleState::Handlers* entry = find(table, name))
        entry->actions.append(std::move(action));
    else
        table.append({name, {std::move(action)}});
    registerWhenNeeded(name);
    // A name made before the application object could not follow its menus yet.
    installMenuObservers();
}

void removeName(QList<ModuleState::Handlers>& table, const Name& name)
{
    table.removeIf([&name](const ModuleState::Handlers& entry) { return entry.name == name; });
}

template <typename Entry>
QSet<Shortcut> storedShortcuts(const QList<Entry>& first, const QList<Entry>& second)
{
    QSet<Shortcut> shortcuts;
    for (const QList<Entry>* table : {&first, &second}) {
        for (const Entry& entry : *table) {
            if (const auto shortcut = getShortcut(entry.name))
                shortcuts.insert(*shortcut);
        }
    }
    return shortcuts;
}

QSet<Shortcut> handlerShortcuts()
{
    const ModuleState& state = ModuleState::instance();
    return storedShortcuts(state.keyDownHandlers, state.keyUpHandlers);
}

QSet<Shortcut> streamShortcuts()
{
    const ModuleState& state = ModuleState::instance();
    return storedShortcuts(state.streamKeyDownHandlers, state.streamKeyUpHandlers);
}

// Takes the tables by value: a handler may change them, or the store, while it runs.
void dispatch(const Shortcut& pressed, const QList<ModuleState::Handlers> handlers,
              const QList<ModuleState::Streams> streams)
{
    if (isRecorderActive())
        return;
    for (const ModuleState::Handlers& entry : handlers) {
        if (getShortcut(entry.name) == pressed) {
            for (const Action& action : entry.actions)
                action();
        }
    }
    for (const ModuleState::Streams& entry : streams) {
        if (getShortcut(entry.name) == pressed) {
            for (const ModuleState::StreamHandler& handler : entry.handlers)
                handler.yield();
        }
    }
}

void setMenuOpen(bool open)
{
    ModuleState& state = ModuleState::instance();
    if (state.isMenuOpen == open)
        return;
    state.isMenuOpen = open;
    CarbonGlobalShortcuts::updateEventHandler();
}

bool observeMenu(QObject* receiver, QEvent* event)
{
    if (!qobject_cast<QMenu*>(receiver))
        return false;
    // Kept as plain objects: a menu being destroyed is no longer a QMenu.
    QObject* menu = receiver;
    ModuleState& state = ModuleState::instance();
    state.openMenus.removeAll(QPointer<QObject>());
    const bool known = state.openMenus.contains(menu);
    if (event->type() == QEvent::Show && !known) {
        state.openMenus.append(menu);
        // A menu destroyed while open is not always hidden first.
        QObject::connect(menu, &QObject::destroyed, state.menuObserver.get(), [menu] {
            ModuleState& state = ModuleState::instance();
            state.openMenus.removeIf(
                [menu](const QPointer<QObject>& open) { return open.isNull() || open == menu; });
            setMenuOpen(!state.openMenus.isEmpty());
        });
    } else if (event->type() == QEvent::Hide && known) {
        state.openMenus.removeAll(menu);
        QObject::disconnect(menu, &QObject::destroyed, state.menuObserver.get(), nullptr);
    }
    setMenuOpen(!state.openMenus.isEmpty());
    return false;
}

void addStream(QList<ModuleState::Streams>& table, const Name& name, const QUuid& id, Action yield)
{
    if (ModuleState::Streams* entry = find(table, name))
        entry->handlers.append({id, std::move(yield)});
    else
        table.append({name, {{id, std::move(yield)}}});
}

void removeStream(QList<ModuleState::Streams>& table, const Name& name, const QUuid& id)
{
    if (ModuleState::Streams* entry = find(table, name)) {
        entry->handlers.removeIf(
            [&id](const ModuleState::StreamHandler& handler) { return handler.id == id; });
        // A name whose last stream ended no longer needs its hot key.
        if (entry->handlers.isEmpty())
            table.removeIf(
                [&name](const ModuleState::Streams& entry) { return entry.name == name; });
    }
}

} // namespace

ModuleState& ModuleState::instance()
{
    // Every operation on the tables and flags goes through here.
    QUILLORY_ASSERT_MAIN_THREAD();
    static ModuleState state;
    return state;
}

void registerWhenNeeded(const Name& name)
{
    if (const auto shortcut = getShortcut(name))
        registerWhenNeeded(*shortcut);
}

void registerWhenNeeded(const Shortcut& shortcut)
{
    ModuleState& state = ModuleState::instance();
    // Handed over already, whether or not the system took it.
    if (state.registeredShortcuts.contains(shortcut))
        return;
    CarbonGlobalShortcuts::registerShortcut(shortcut, handleOnKeyDown, handleOnKeyUp);
    // Kept even when the system refuses it: the hot-key layer tries it again.
    state.registeredShortcuts.insert(shortcut);
}

void unregisterAndForget(const Shortcut& shortcut)
{
    CarbonGlobalShortcuts::unregisterShortcut(shortcut);
    ModuleState::instance().registeredShortcuts.remove(shortcut);
}

void onKeyDown(const Name& name, Action action)
{
    addHandler(ModuleState::instance().keyDownHandlers, name, std::move(action));
}

void onKeyUp(const Name& name, Action action)
{
    addHandler(ModuleState::instance().keyUpHandlers, name, std::move(action));
}

void removeHandler(const Name& name)
{
    ModuleState& state = ModuleState::instance();
    removeName(state.keyDownHandlers, name);
    removeName(state.keyUpHandlers, name);
    const auto shortcut = getShortcut(name);
    if (shortcut && !streamShortcuts().contains(*shortcut))
        unregisterAndForget(*shortcut);
}

void removeAllHandlers()
{
    ModuleState& state = ModuleState::instance();
    const QSet<Shortcut> shortcuts = handlerShortcuts() - streamShortcuts();
    for (const Shortcut& shortcut : shortcuts)
        unregisterAndForget(shortcut);
    state.keyDownHandlers.clear();
    state.keyUpHandlers.clear();
}

void enable(const QList<Name>& names)
{
    for (const Name& name : names)
        registerWhenNeeded(name);
}

void disable(const QList<Name>& names)
{
    for (const Name& name : names) {
        if (const auto shortcut = getShortcut(name))
            unregisterAndForget(*shortcut);
    }
}

bool isEnabled()
{
    return ModuleState::instance().isEnabled;
}

void setEnabled(bool enabled)
{
    ModuleState& state = ModuleState::instance();
    if (state.isEnabled == enabled)
        return;
    state.isEnabled = enabled;
    CarbonGlobalShortcuts::updateEventHandler();
}

bool isEnabled(const Name& name)
{
    const ModuleState& state = ModuleState::instance();
    if (!state.isEnabled)
        return false;
    const auto shortcut = getShortcut(name);
    return shortcut && state.registeredShortcuts.contains(*shortcut);
}

bool isMenuOpen()
{
    return ModuleState::instance().isMenuOpen;
}

bool isRecorderActive()
{
    return ModuleState::instance().activeRecorders > 0;
}

void recorderDidStart()
{
    if (ModuleState::instance().activeRecorders++ > 0)
        return;
    CarbonGlobalShortcuts::updateEventHandler();
    Q_EMIT ShortcutNotifications::instance().recorderActiveStatusDidChange(true);
}

void recorderDidFinish()
{
    ModuleState& state = ModuleState::instance();
    Q_ASSERT(state.activeRecorders > 0);
    if (state.activeRecorders == 0 || --state.activeRecorders > 0)
        return;
    CarbonGlobalShortcuts::updateEventHandler();
    Q_EMIT ShortcutNotifications::instance().recorderActiveStatusDidChange(false);
}

void setMainMenu(QMenu* menu)
{
    ModuleState::instance().mainMenu = menu;
}

QMenu* mainMenu()
{
    return ModuleState::instance().mainMenu;
}

std::unique_ptr<EventStream> events(const Name& name)
{
    return std::make_unique<EventStream>(name);
}

std::unique_ptr<EventStream> events(EventType type, const Name& name)
{
    return std::make_unique<EventStream>(name, type);
}

void startStream(const Name& name, const QUuid& id, Action keyDown, Action keyUp)
{
    ModuleState& state = ModuleState::instance();
    addStream(state.streamKeyDownHandlers, name, id, std::move(keyDown));
    addStream(state.streamKeyUpHandlers, name, id, std::move(keyUp));
    registerWhenNeeded(name);
}

void endStream(const Name& name, const QUuid& id)
{
    ModuleState& state = ModuleState::instance();
    removeStream(state.streamKeyDownHandlers, name, id);
    removeStream(state.streamKeyUpHandlers, name, id);
    const auto shortcut = getShortcut(name);
    if (shortcut && !handlerShortcuts().contains(*shortcut) &&
        !streamShortcuts().contains(*shortcut))
        unregisterAndForget(*shortcut);
}

void handleOnKeyDown(const Shortcut& shortcut)
{
    const ModuleState& state = ModuleState::instance();
    dispatch(shortcut, state.keyDownHandlers, state.streamKeyDownHandlers);
}

void handleOnKeyUp(const Shortcut& shortcut)
{
    const ModuleState& state = ModuleState::instance();
    dispatch(shortcut, state.keyUpHandlers, state.streamKeyUpHandlers);
}

void installMenuObservers()
{
    ModuleState& state = ModuleState::instance();
    if (state.menuObserver)
        return;
    auto observer =
        std::make_unique<LocalEventMonitor>(QList{QEvent::Show, QEvent::Hide}, &observeMenu);
    if (observer->start())
        state.menuObserver = std::move(observer);
}

const QSet<Shortcut>& registeredShortcuts()
{
    return ModuleState::instance().registeredShortcuts;
}

} // namespace GlobalShortcuts
