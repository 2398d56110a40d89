#pragma once

// Named global keyboard shortcuts: stored in the user defaults, taken system-wide, and
// delivered to handlers on the main thread.
//
//     static const GlobalShortcuts::Name togglePopover(
//         QStringLiteral("togglePopover"),
//         GlobalShortcuts::Shortcut(GlobalShortcuts::Key::n,
//                                   GlobalShortcuts::ModifierFlag::option
//                                       | GlobalShortcuts::ModifierFlag::command));
//     GlobalShortcuts::onKeyUp(togglePopover, [] { /* … */ });

#include "GlobalShortcuts/EventStream.h"
#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"
#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"
#include "GlobalShortcuts/ShortcutDisplay.h"
#include "GlobalShortcuts/ShortcutNotifications.h"

#include <QList>
#include <QSet>

class QMenu;

#include <functional>
#include <memory>
#include <optional>

namespace GlobalShortcuts {

using Action = std::function<void()>;

// Storage. Everything here runs on the main thread.

std::optional<Shortcut> getShortcut(const Name& name);
// Stores and takes a shortcut, or clears it: a name with a default then keeps false so that
// the default does not come back; a name without one loses its value.
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
// Each name back to its default (a name without one is cleared).
void reset(const QList<Name>& names);
// Every readable stored shortcut of every name cleared; defaults come back at the next start.
void resetAll();
void userDefaultsSet(const Name& name, const Shortcut& shortcut);
// Whether anything at all is stored for the name, the false marker included.
bool userDefaultsContains(const Name& name);
// Stores the name's default unless something is stored for it: a shortcut, the marker that the
// user cleared it, or a value that is no shortcut at all (logged; it stays, and the name has
// none). A stored shortcut that the recorder would refuse is logged and replaced.
void storeDefaultUnlessStored(const Name& name);
QSet<Name> storedNames();
void postShortcutChange(const Name& name);

// Handlers and dispatch.

// Adds a handler for each press (onKeyDown) or release (onKeyUp) of the name's shortcut, and
// hands the shortcut to the hot-key layer unless it was handed over already.
void onKeyDown(const Name& name, Action action);
void onKeyUp(const Name& name, Action action);
// Drops the name's handlers, and its hot key unless a stream still needs it.
void removeHandler(const Name& name);
void removeAllHandlers();
void enable(const QList<Name>& names);
void disable(const QList<Name>& names);

bool isEnabled();
// Off: no hot key is held and nothing is delivered until it is on again.
void setEnabled(bool enabled);
// Whether the module is on and the name's shortcut is registered: handed to the hot-key layer
// and not given up since, whether or not the system took it.
bool isEnabled(const Name& name);

bool isMenuOpen();
// While any recorder records, nothing is delivered and no hot key is held, so that the
// recorder is given every combination, the registered ones included.
bool isRecorderActive();
// Each recorder tells when it starts and stops recording. The module is recording from the
// first start to the last stop; each of those two changes is announced.
void recorderDidStart();
void recorderDidFinish();

// The application's menu: a recorder refuses the shortcut of any of its entries. None unless
// the application sets one.
void setMainMenu(QMenu* menu);
QMenu* mainMenu();

// A stream of the name's presses and releases (or of one kind only).
std::unique_ptr<EventStream> events(const Name& name);
std::unique_ptr<EventStream> events(EventType type, const Name& name);

// Delivery of a pressed shortcut to every name whose stored shortcut it is, in the order the
// names got their first handler, then to their streams.
void handleOnKeyDown(const Shortcut& shortcut);
void handleOnKeyUp(const Shortcut& shortcut);

// Starts following the application's menus (once; needs the application object).
void installMenuObservers();

// The shortcuts handed to the hot-key layer.
const QSet<Shortcut>& registeredShortcuts();

} // namespace GlobalShortcuts
