#pragma once

#include "GlobalShortcuts/Name.h"

#include <QObject>
#include <QUuid>

#include <optional>

namespace GlobalShortcuts {

enum class EventType { keyDown, keyUp };

// The presses and releases of a name's shortcut, from the main queue's turn after it is made
// until the turn after it is destroyed. Made by events(); main thread only.
class EventStream : public QObject
{
    Q_OBJECT

public:
    // Every event, or only those of `only`.
    explicit EventStream(const Name& name, std::optional<EventType> only = std::nullopt,
                         QObject* parent = nullptr);
    ~EventStream() override;

    const Name& name() const { return m_name; }

Q_SIGNALS:
    void eventReceived(GlobalShortcuts::EventType type);

private:
    void deliver(EventType type);

    const Name m_name;
    const QUuid m_id;
    const std::optional<EventType> m_only;
};

} // namespace GlobalShortcuts
