#include "Scheduler.h"

#include <QPointer>
#include <QTimer>

Scheduler::Task::Task(std::unique_ptr<Control> control)
    : m_control(std::move(control))
{}

Scheduler::Task& Scheduler::Task::operator=(Task&& other) noexcept
{
    if (this != &other) {
        cancel();
        m_control = std::move(other.m_control);
    }
    return *this;
}

Scheduler::Task::~Task()
{
    cancel();
}

void Scheduler::Task::cancel()
{
    if (m_control)
        m_control->cancel();
    m_control.reset();
}

bool Scheduler::Task::isPending() const
{
    return m_control && m_control->isPending();
}

namespace {

class TimerControl final : public Scheduler::Control
{
public:
    TimerControl(std::chrono::milliseconds delay, bool repeating, std::function<void()> action)
        : m_timer(new QTimer)
    {
        m_timer->setSingleShot(!repeating);
        m_timer->setTimerType(repeating ? Qt::CoarseTimer : Qt::PreciseTimer);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, std::move(action));
        m_timer->start(delay);
    }
    ~TimerControl() override { cancel(); }

    void cancel() override
    {
        if (!m_timer)
            return;
        // The action may be the one cancelling its own task, so the timer is deleted later.
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
    }
    bool isPending() const override { return m_timer && m_timer->isActive(); }

private:
    QPointer<QTimer> m_timer;
};

class QtScheduler final : public Scheduler
{
public:
    Task schedule(std::chrono::milliseconds delay, std::function<void()> action) override
    {
        return Task(std::make_unique<TimerControl>(delay, false, std::move(action)));
    }
    Task scheduleRepeating(std::chrono::milliseconds interval,
                           std::function<void()> action) override
    {
        return Task(std::make_unique<TimerControl>(interval, true, std::move(action)));
    }
};

} // namespace

Scheduler& Scheduler::system()
{
    static QtScheduler scheduler;
    return scheduler;
}

class ManualScheduler::ManualControl final : public Scheduler::Control
{
public:
    ManualControl(ManualScheduler& scheduler, std::weak_ptr<Entry> entry)
        : m_scheduler(scheduler)
        , m_entry(std::move(entry))
    {}

    void cancel() override
    {
        if (auto entry = m_entry.lock()) {
            std::erase_if(m_scheduler.m_entries,
                          [&](const auto& item) { return item.second == entry; });
        }
        m_entry.reset();
    }
    bool isPending() const override { return !m_entry.expired(); }

private:
    ManualScheduler& m_scheduler;
    std::weak_ptr<Entry> m_entry;
};

Scheduler::Task ManualScheduler::schedule(std::chrono::milliseconds delay,
                                          std::function<void()> action)
{
    return add(delay, std::chrono::milliseconds{0}, std::move(action));
}

Scheduler::Task ManualScheduler::scheduleRepeating(std::chrono::milliseconds interval,
                                                   std::function<void()> action)
{
    return add(interval, interval, std::move(action));
}

Scheduler::Task ManualScheduler::add(std::chrono::milliseconds delay,
                                     std::chrono::milliseconds interval,
                                     std::function<void()> action)
{
    auto entry = std::make_shared<Entry>(Entry{std::move(action), interval});
    m_entries.emplace(Key{m_now + delay, m_nextSequence++}, entry);
    return Task(std::make_unique<ManualControl>(*this, entry));
}

void ManualScheduler::advance(std::chrono::milliseconds step)
{
    const auto target = m_now + step;
    while (!m_entries.empty() && m_entries.begin()->first.first <= target) {
        auto node = m_entries.extract(m_entries.begin());
        m_now = node.key().first;
        std::shared_ptr<Entry> entry = node.mapped();
        if (entry->interval.count() > 0)
            m_entries.emplace(Key{m_now + entry->interval, m_nextSequence++}, entry);
        entry->action();
    }
    m_now = target;
}
