#pragma once

#include "GlobalShortcuts/Name.h"

#include <QObject>

namespace GlobalShortcuts {

// The module's announcements, delivered synchronously on the main thread.
class ShortcutNotifications : public QObject
{
    Q_OBJECT

public:
    static ShortcutNotifications& instance();

Q_SIGNALS:
    // The stored shortcut of `name` was set, cleared or reset.
    void shortcutByNameDidChange(const GlobalShortcuts::Name& name);
    void recorderActiveStatusDidChange(bool active);

private:
    ShortcutNotifications() = default;
};

} // namespace GlobalShortcuts
