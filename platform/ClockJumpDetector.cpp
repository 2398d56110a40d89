#include "ClockJumpDetector.h"

#include "platform/Clock.h"

ClockJumpDetector::ClockJumpDetector(const Clock& clock)
    : m_clock(clock)
    , m_offset(offset())
{}

std::chrono::milliseconds ClockJumpDetector::takeJump()
{
    const auto current = offset();
    const auto jump = current - m_offset;
    if (jump <= tolerance && jump >= -tolerance)
        return std::chrono::milliseconds{0};
    m_offset = current;
    return jump;
}

std::chrono::milliseconds ClockJumpDetector::offset() const
{
    return std::chrono::milliseconds(m_clock.now().toMSecsSinceEpoch()) - m_clock.monotonicNow();
}
