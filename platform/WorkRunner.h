#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs work handed to it from any thread on the thread it lives on, one block for each time
// that thread's event loop calls it, in the order handed in.
//
// The work waits in a list under a lock of the standard library, not in Qt's event queue,
// which carries only the call, by name: Qt is built without the thread sanitizer, which cannot
// see that a block travelling inside Qt is read on the other thread only after it was written.
class WorkRunner : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void add(std::function<void()> work);

private:
    Q_INVOKABLE void runNext();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_waiting;
};
