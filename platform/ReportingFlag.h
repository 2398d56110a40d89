#pragma once

#include <atomic>

// Whether the user allows error reports: written on the main thread, read by the crash
// reporter wherever it runs.
class ReportingFlag
{
public:
    explicit ReportingFlag(bool value = true)
        : m_value(value)
    {}

    bool value() const { return m_value.load(std::memory_order_acquire); }
    void setValue(bool value) { m_value.store(value, std::memory_order_release); }

private:
    std::atomic<bool> m_value;
};
