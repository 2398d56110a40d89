#include "GlobalShortcuts/EventStream.h"

#include "GlobalShortcuts/ModuleState.h"
#include "platform/MainQueue.h"

#include <QPointer>

namespace GlobalShortcuts {

EventStream::EventStream(const Name& name, std::optional<EventType> only, QObject* parent)
    : QObject(parent)
    , m_name(name)
    , m_id(QUuid::createUuid())
    , m_only(only)
{
    MainQueue::system().async([name, id = m_id, stream = QPointer<EventStream>(this)] {
        auto deliverer = [stream](EventType type) {
            return [stream, type] {
                if (stream)
                    stream->deliver(type);
            };
        };
        startStream(name, id, deliverer(EventType::keyDown), deliverer(EventType::keyUp));
    });
}

EventStream::~EventStream()
{
    MainQueue::system().async([name = m_name, id = m_id] { endStream(name, id); });
}

void EventStream::deliver(EventType type)
{
    if (!m_only || *m_only == type)
        Q_EMIT eventReceived(type);
}

} // namespace GlobalShortcuts
