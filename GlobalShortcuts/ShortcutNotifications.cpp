#include "GlobalShortcuts/ShortcutNotifications.h"

namespace GlobalShortcuts {

ShortcutNotifications& ShortcutNotifications::instance()
{
    static ShortcutNotifications notifications;
    return notifications;
}

} // namespace GlobalShortcuts
