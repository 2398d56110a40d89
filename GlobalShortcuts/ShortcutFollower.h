#pragma once

#include "GlobalShortcuts/Name.h"

#include <QKeySequence>
#include <QObject>

#include <functional>
#include <optional>

class MainQueue;

namespace GlobalShortcuts {

// The key sequence by which a shortcut also works inside the application's own windows and
// menus; empty when its key has no menu key equivalent (keypad keys, keys without a character).
QKeySequence applicationKeySequence(const std::optional<Shortcut>& shortcut);

// Keeps an object's own key sequence equal to a name's stored shortcut. It lives as a child of
// that object, at most one per object: following another name replaces it, and it ends with the
// object.
class ShortcutFollower : public QObject
{
    Q_OBJECT

public:
    using Apply = std::function<void(const QKeySequence&)>;
    // Whether the key sequence steps aside while a recorder records, so that the combination
    // being recorded does not trigger it.
    enum class WhileRecording { keep, drop };

    // Applies the name's shortcut at once, and again on the main queue's next turn after each
    // change of it, never inside the store call that changed it.
    static void follow(QObject& target, const Name& name, WhileRecording whileRecording,
                       Apply apply, MainQueue& mainQueue);
    static void stopFollowing(QObject& target);

private:
    ShortcutFollower(QObject& target, const Name& name, WhileRecording whileRecording, Apply apply,
                     MainQueue& mainQueue);

    void apply() const;
    void applyLater();

    const Name m_name;
    const WhileRecording m_whileRecording;
    const Apply m_apply;
    MainQueue& m_mainQueue;
};

} // namespace GlobalShortcuts
