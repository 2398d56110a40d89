#include "GlobalShortcuts/ViewModifiers.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/ShortcutFollower.h"
#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QWidget>

namespace GlobalShortcuts {

namespace {

// Consumes a stream of the name's events while the widget is shown: a new stream each time it
// is shown, ended each time it is hidden. It is the widget's child, so the last stream ends,
// and delivers nothing more, when the widget goes.
class StreamWhileShown : public QObject
{
public:
    StreamWhileShown(QWidget& widget, const Name& name, std::optional<EventType> only,
                     std::function<void(EventType)> action)
        : QObject(&widget)
        , m_name(name)
        , m_only(only)
        , m_action(std::move(action))
    {
        QUILLORY_ASSERT_MAIN_THREAD();
        widget.installEventFilter(this);
        if (widget.isVisible())
            start();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            start();
        else if (event->type() == QEvent::Hide)
            m_stream.reset();
        return false;
    }

private:
    void start()
    {
        m_stream = m_only ? events(*m_only, m_name) : events(m_name);
        connect(m_stream.get(), &EventStream::eventReceived, this, m_action);
    }

    const Name m_name;
    const std::optional<EventType> m_only;
    const std::function<void(EventType)> m_action;
    std::unique_ptr<EventStream> m_stream;
};

template <typename Widget>
void followWithOwnKeySequence(Widget& widget, const Name& name, MainQueue& mainQueue)
{
    ShortcutFollower::follow(
        widget, name, ShortcutFollower::WhileRecording::drop,
        [&widget](const QKeySequence& sequence) { widget.setShortcut(sequence); }, mainQueue);
}

} // namespace

void onGlobalKeyboardShortcut(QWidget& widget, const Name& name,
                              std::function<void(EventType)> action)
{
    new StreamWhileShown(widget, name, std::nullopt, std::move(action));
}

void onGlobalKeyboardShortcut(QWidget& widget, const Name& name, EventType type,
                              std::function<void()> action)
{
    new StreamWhileShown(widget, name, type, [action = std::move(action)](EventType) { action(); });
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
