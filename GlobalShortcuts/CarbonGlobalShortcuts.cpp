#include "GlobalShortcuts/CarbonGlobalShortcuts.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/KeyCodes.h"
#include "GlobalShortcuts/LocalEventMonitor.h"
#include "platform/DesktopKeyBindings.h"
#include "platform/HotKeyCenter.h"
#include "platform/Log.h"
#include "platform/MainThread.h"
#include "platform/x11/KeyboardLayout.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

#include <cstdio>
#include <limits>
#include <map>
#include <memory>

namespace CarbonGlobalShortcuts {

namespace {

const Log shortcutsLog("quillory.shortcuts");

struct HotKey
{
    Shortcut shortcut;
    quint32 carbonHotKeyId;
    bool isRegistered = false;
    bool isRefused = false;
    ShortcutAction onKeyDown;
    ShortcutAction onKeyUp;
};

struct LayerState
{
    std::map<quint32, HotKey> hotKeys; // by identifier, which is also the order they came in
    quint32 hotKeyId = 0;
    QPointer<HotKeyCenter> center;
    std::unique_ptr<GlobalShortcuts::LocalEventMonitor> menuTrackingMonitor;
};

LayerState& layer()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    static LayerState state;
    return state;
}

void handleHotKeyEvent(quint32 id, bool isKeyUp)
{
    const auto found = layer().hotKeys.find(id);
    if (found == layer().hotKeys.end())
        return;
    // Copied first: the action may unregister this very hot key.
    const Shortcut shortcut = found->second.shortcut;
    const ShortcutAction action = isKeyUp ? found->second.onKeyUp : found->second.onKeyDown;
    action(shortcut);
}

void adopt(HotKeyCenter* center)
{
    LayerState& state = layer();
    if (state.center == center)
        return;
    state.center = center;
    if (!center)
        return;
    QObject::connect(center, &HotKeyCenter::hotKeyPressed, center,
                     [](quint32 id) { handleHotKeyEvent(id, false); });
    QObject::connect(center, &HotKeyCenter::hotKeyReleased, center,
                     [](quint32 id) { handleHotKeyEvent(id, true); });
}

// Whoever started the program reads the refusal where it runs; the log keeps it as well.
void reportRefusal(const Shortcut& shortcut, int status)
{
    const QString line =
        QStringLiteral("Error registering hotkey %1: %2").arg(shortcut.description()).arg(status);
    const QByteArray text = line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    // Standard output is a pipe or a file more often than a terminal, and the program runs on.
    std::fflush(stdout);
    shortcutsLog.error(line);
}

// Asks the system for the hot key; a refusal is reported with the status it gave.
void registerWithSystem(HotKey& hotKey)
{
    const auto keyCode = GlobalShortcuts::x11KeyCode(hotKey.shortcut.carbonKeyCode());
    const auto modifiers = GlobalShortcuts::x11Modifiers(hotKey.shortcut.carbonModifiers());
    HotKeyCenter* center = hotKeyCenter();
    int status = HotKeyCenter::unsupportedCombinationError;
    if (!center)
        status = HotKeyCenter::noDisplayError;
    else if (keyCode && modifiers)
        status = center->registerHotKey(hotKey.carbonHotKeyId, *keyCode, *modifiers);
    hotKey.isRegistered = status == HotKeyCenter::noError;
    hotKey.isRefused = !hotKey.isRegistered;
    if (hotKey.isRefused)
        reportRefusal(hotKey.shortcut, status);
}

void unregisterFromSystem(HotKey& hotKey)
{
    if (hotKey.isRegistered && hotKeyCenter())
        hotKeyCenter()->unregisterHotKey(hotKey.carbonHotKeyId);
    hotKey.isRegistered = false;
}

bool holdsHotKeys()
{
    return GlobalShortcuts::isEnabled() && !GlobalShortcuts::isMenuOpen() &&
           !GlobalShortcuts::isRecorderActive();
}

void registerAll()
{
    for (auto& [id, hotKey] : layer().hotKeys) {
        if (!hotKey.isRegistered)
            registerWithSystem(hotKey);
    }
}

void unregisterAll()
{
    for (auto& [id, hotKey] : layer().hotKeys)
        unregisterFromSystem(hotKey);
}

bool menuTrackingCallback(QObject*, QEvent* event)
{
    const auto* keyEvent = static_cast<const QKeyEvent*>(event);
    if (keyEvent->isAutoRepeat())
        return false;
    const auto shortcut = Shortcut::fromEvent(event);
    return shortcut && handleRawKeyEvent(*shortcut, event->type() == QEvent::KeyRelease);
}

GlobalShortcuts::LocalEventMonitor& menuTrackingMonitor()
{
    LayerState& state = layer();
    if (!state.menuTrackingMonitor)
        state.menuTrackingMonitor = std::make_unique<GlobalShortcuts::LocalEventMonitor>(
            QList{QEvent::KeyPress, QEvent::KeyRelease}, &menuTrackingCallback);
    return *state.menuTrackingMonitor;
}

} // namespace

HotKeyCenter* hotKeyCenter()
{
    LayerState& state = layer();
    if (!state.center && QCoreApplication::instance())
        adopt(HotKeyCenter::createSystem(QCoreApplication::instance()));
    return state.center;
}

void setHotKeyCenter(HotKeyCenter* center)
{
    adopt(center);
}

void registerShortcut(const Shortcut& shortcut, ShortcutAction onKeyDown, ShortcutAction onKeyUp)
{
    LayerState& state = layer();
    if (state.hotKeyId == std::numeric_limits<quint32>::max()) {
        reportRefusal(shortcut, HotKeyCenter::unsupportedCombinationError);
        return;
    }
    const quint32 id = ++state.hotKeyId;
    HotKey& hotKey = state.hotKeys
                         .emplace(id, HotKey{shortcut, id, false, false, std::move(onKeyDown),
                                             std::move(onKeyUp)})
                         .first->second;
    // While the module is off or a menu is open, the system gets it when that ends.
    if (holdsHotKeys())
        registerWithSystem(hotKey);
}

void unregisterShortcut(const Shortcut& shortcut)
{
    auto& hotKeys = layer().hotKeys;
    for (auto it = hotKeys.begin(); it != hotKeys.end();) {
        if (it->second.shortcut == shortcut) {
            unregisterFromSystem(it->second);
            it = hotKeys.erase(it);
        } else {
            ++it;
        }
    }
}

void updateEventHandler()
{
    // A recorder is given every combination itself; nothing is delivered meanwhile anyway.
    if (!GlobalShortcuts::isEnabled() || GlobalShortcuts::isRecorderActive()) {
        unregisterAll();
        menuTrackingMonitor().stop();
    } else if (GlobalShortcuts::isMenuOpen()) {
        unregisterAll();
        menuTrackingMonitor().start();
    } else {
        menuTrackingMonitor().stop();
        registerAll();
    }
}

QList<Shortcut> systemShortcuts()
{
    const std::shared_ptr<const KeyboardLayout> layout = KeyboardLayout::current();
    if (!layout)
        return {};
    QList<Shortcut> shortcuts;
    const QList<DesktopKeyBindings::KeyBinding> bindings = DesktopKeyBindings::read();
    for (const DesktopKeyBindings::KeyBinding& binding : bindings) {
        const auto x11KeyCode = layout->keyCode(binding.keysymName);
        const auto keyCode =
            x11KeyCode ? GlobalShortcuts::carbonKeyCode(*x11KeyCode) : std::nullopt;
        if (keyCode)
            shortcuts.append(
                Shortcut(*keyCode, GlobalShortcuts::carbonModifiers(binding.x11Modifiers)));
    }
    return shortcuts;
}

bool handleRawKeyEvent(const Shortcut& pressed, bool isKeyUp)
{
    const Shortcut normalized(pressed.carbonKeyCode(), pressed.carbonModifiers());
    for (const auto& [id, hotKey] : layer().hotKeys) {
        if (hotKey.shortcut == normalized && !hotKey.isRefused) {
            const ShortcutAction action = isKeyUp ? hotKey.onKeyUp : hotKey.onKeyDown;
            action(hotKey.shortcut);
            return true;
        }
    }
    return false;
}

QList<HotKeyState> hotKeys()
{
    QList<HotKeyState> states;
    for (const auto& [id, hotKey] : layer().hotKeys)
        states.append({id, hotKey.shortcut, hotKey.isRegistered, hotKey.isRefused});
    return states;
}

} // namespace CarbonGlobalShortcuts
