#pragma once

#include <chrono>

class Clock;

// Notices the wall clock being set: by hand, by the network after a dead clock battery, or
// when a virtual machine is restored. The wall clock and the monotonic clock then move apart.
// Drift too small to count adds up until it counts.
class ClockJumpDetector
{
public:
    // The clocks may disagree by this much before it counts as a jump.
    static constexpr std::chrono::minutes tolerance{1};

    // Takes the first reading; `clock` must outlive the detector.
    explicit ClockJumpDetector(const Clock& clock);

    // How far the wall clock has jumped since the last jump taken (or since creation): positive
    // ahead, negative back; zero while the two clocks agree within the tolerance.
    std::chrono::milliseconds takeJump();
    // Counts a jump made before the first reading, known by other means, as if it had been
    // seen: the next takeJump() includes it.
    void addEarlierJump(std::chrono::milliseconds jump) { m_offset -= jump; }

private:
    // The wall clock's reading less the monotonic one: constant while neither is set.
    std::chrono::milliseconds offset() const;

    const Clock& m_clock;
    std::chrono::milliseconds m_offset;
};
