#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

class WorkRunner;

// A serial queue of work on a thread of its own, with an event loop so that Qt objects that
// need one (network access, timers) can live there. Work runs in submission order, one block
// at a time.
class DispatchQueue
{
public:
    explicit DispatchQueue(const QString& label);
    // Finishes the work already submitted, then stops the thread.
    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    QString label() const { return m_label; }
    void async(std::function<void()> work);
    // Waits for the work. Called on the queue itself, it runs the work in place instead of
    // waiting for itself.
    void sync(const std::function<void()>& work);
    bool isCurrent() const;
    // An object living on the queue's thread: the parent or connection context of objects
    // that must live there.
    QObject* context() const { return m_context; }

private:
    const QString m_label;
    QThread m_thread;
    QObject* m_context;
    WorkRunner* m_runner;
};
