#include "GlobalShortcuts/MenuItemShortcuts.h"

#include "GlobalShortcuts/ShortcutFollower.h"
#include "platform/MainThread.h"

#include <QAction>

namespace GlobalShortcuts {

void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    action.setShortcut(applicationKeySequence(shortcut));
}

void setShortcut(QAction& action, const std::optional<Name>& name, MainQueue& mainQueue)
{
    if (!name) {
        ShortcutFollower::stopFollowing(action);
        setShortcut(action, std::optional<Shortcut>());
        return;
    }
    ShortcutFollower::follow(
        action, *name, ShortcutFollower::WhileRecording::keep,
        [&action](const QKeySequence& sequence) { action.setShortcut(sequence); }, mainQueue);
}

} // namespace GlobalShortcuts
