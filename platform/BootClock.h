#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>

class Clock;

// The time since the machine started, and which start that was: the kernel names every boot.
// Read from the kernel's files rather than through the clock functions, which a tool that
// fakes the time of one program moves together with the wall clock; a clock set ahead for this
// program alone then still shows as such.
class BootClock
{
public:
    struct Reading
    {
        QByteArray bootID;
        std::chrono::milliseconds sinceBoot{0};
    };

    virtual ~BootClock() = default;
    // None when the kernel does not tell.
    virtual std::optional<Reading> read() const = 0;

    // The kernel's.
    static const BootClock& system();
};

// The boot of a test's machine: its time since boot is the monotonic time of the test's clock
// since the last reboot().
class ManualBootClock final : public BootClock
{
public:
    // `clock` must outlive the boot clock.
    explicit ManualBootClock(const Clock& clock);

    std::optional<Reading> read() const override;
    // The machine starts again: another boot, whose time starts from zero.
    void reboot();

private:
    const Clock& m_clock;
    int m_boots = 0;
    std::chrono::milliseconds m_bootedAt{0};
};
