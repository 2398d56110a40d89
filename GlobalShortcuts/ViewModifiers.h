#pragma once

// Conveniences for widgets over the named global shortcuts.

#include "GlobalShortcuts/EventStream.h"
#include "GlobalShortcuts/Name.h"
#include "platform/MainQueue.h"

#include <functional>

class QAbstractButton;
class QAction;
class QWidget;

namespace GlobalShortcuts {

// Calls `action` with each press and release of the name's shortcut (or only with those of
// `type`) while the widget is on the screen: from the main queue's turn after each time it is
// shown until it is hidden or destroyed.
void onGlobalKeyboardShortcut(QWidget& widget, const Name& name,
                              std::function<void(EventType)> action);
void onGlobalKeyboardShortcut(QWidget& widget, const Name& name, EventType type,
                              std::function<void()> action);

// Gives the action or button the name's stored shortcut as its own key sequence, so that the
// combination also works, and is shown, inside the application's windows; none while any
// recorder records. Changes reach it on the main queue's next turn.
void globalKeyboardShortcut(QAction& action, const Name& name,
                            MainQueue& mainQueue = MainQueue::system());
void globalKeyboardShortcut(QAbstractButton& button, const Name& name,
                            MainQueue& mainQueue = MainQueue::system());

} // namespace GlobalShortcuts
