#include "GlobalShortcuts/ViewModifiers.h"

#include "GlobalShortcuts/ShortcutFollower.h"
#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QAction>

namespace GlobalShortcuts {

namespace {

// The stream is the owner's child, so it ends, and delivers nothing more, when the owner goes.
void consume(QObject& owner, const Name& name, std::optional<EventType> only,
             std::function<void(EventType)> action)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const EventStream* stream = new EventStream(name, only, &owner);
    QObject::connect(stream, &EventStream::eventReceived, stream, std::move(action));
}

template <typename Widget>
void followWithOwnKeySequence(Widget& widget, const Name& name, MainQueue& mainQueue)
{
    ShortcutFollower::follow(
        widget, name, ShortcutFollower::WhileRecording::drop,
        [&widget](const QKeySequence& sequence) { widget.setShortcut(sequence); }, mainQueue);
}

} // namespace

void onGlobalKeyboardShortcut(QObject& owner, const Name& name,
                              std::function<void(EventType)> action)
{
    consume(owner, name, std::nullopt, std::move(action));
}

void onGlobalKeyboardShortcut(QObject& owner, const Name& name, EventType type,
                              std::function<void()> action)
{
    consume(owner, name, type, [action = std::move(action)](EventType) { action(); });
}

void globalKeyboardShortcut(QAction& action, const Name& name, MainQueue& mainQueue)
{
    followWithOwnKeySequence(action, name, mainQueue);
}

void globalKeyboardShortcut(QAbstractButton& button, const Name& name, MainQueue& mainQueue)
{
    followWithOwnKeySequence(button, name, mainQueue);
}

} // namespace GlobalShortcuts
