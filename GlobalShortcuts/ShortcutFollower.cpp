#include "GlobalShortcuts/ShortcutFollower.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/MainQueue.h"
#include "platform/MainThread.h"

#include <QPointer>

namespace GlobalShortcuts {

QKeySequence applicationKeySequence(const std::optional<Shortcut>& shortcut)
{
    if (!shortcut || !keyEquivalent(*shortcut))
        return {};
    return toKeySequence(*shortcut);
}

void ShortcutFollower::follow(QObject& target, const Name& name, WhileRecording whileRecording,
                              Apply apply, MainQueue& mainQueue)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    stopFollowing(target);
    (new ShortcutFollower(target, name, whileRecording, std::move(apply), mainQueue))->apply();
}

void ShortcutFollower::stopFollowing(QObject& target)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    delete target.findChild<ShortcutFollower*>(QString(), Qt::FindDirectChildrenOnly);
}

ShortcutFollower::ShortcutFollower(QObject& target, const Name& name, WhileRecording whileRecording,
                                   Apply apply, MainQueue& mainQueue)
    : QObject(&target)
    , m_name(name)
    , m_whileRecording(whileRecording)
    , m_apply(std::move(apply))
    , m_mainQueue(mainQueue)
{
    const ShortcutNotifications& notifications = ShortcutNotifications::instance();
    connect(&notifications, &ShortcutNotifications::shortcutByNameDidChange, this,
            [this](const Name& changed) {
                if (changed == m_name)
                    applyLater();
            });
    if (m_whileRecording == WhileRecording::drop)
        connect(&notifications, &ShortcutNotifications::recorderActiveStatusDidChange, this,
                &ShortcutFollower::applyLater);
}

void ShortcutFollower::apply() const
{
    const bool stepAside = m_whileRecording == WhileRecording::drop && isRecorderActive();
    m_apply(stepAside ? QKeySequence() : applicationKeySequence(getShortcut(m_name)));
}

void ShortcutFollower::applyLater()
{
    // A follower replaced or ended before the queue runs applies nothing: its refresh would
    // overwrite what the object shows now.
    m_mainQueue.async([follower = QPointer<ShortcutFollower>(this)] {
        if (follower)
            follower->apply();
    });
}

} // namespace GlobalShortcuts
