#pragma once

#include "platform/BootClock.h"

#include <QString>

#include <chrono>
#include <optional>

class Clock;

// Where the wall clock stood against the time since boot when the notes were last written. At
// the next start, a clock set ahead in between looks just like the time that passed meanwhile;
// within one boot, the time since boot tells the two apart.
//
// Read once, on the main thread, when the program starts; from then on written only where the
// notes are written.
class ClockRecord
{
public:
    struct Reading
    {
        BootClock::Reading boot;
        std::chrono::milliseconds wallClock{0}; // since the epoch
    };

    // $XDG_STATE_HOME/Quillory/clock.json
    static QString defaultPath();

    // `clock` and `bootClock` must outlive the record.
    ClockRecord(const QString& path, const Clock& clock, const BootClock& bootClock);

    QString path() const { return m_path; }
    // Both clocks now; none when the kernel does not tell.
    std::optional<Reading> readClocks() const;

    // Main thread, at start: how far the wall clock was set since the record was written,
    // beyond the time that passed (positive ahead, negative back). None when that cannot be
    // told: no record, one that cannot be read, or one of another boot.
    std::optional<std::chrono::milliseconds> readJump();

    // Records `reading` unless the record already agrees with it, as the clocks do until they
    // move apart by more than ClockJumpDetector::tolerance. A failure is logged once, until a
    // write succeeds.
    void write(const Reading& reading);

private:
    const QString m_path;
    const Clock& m_clock;
    const BootClock& m_bootClock;
    // What the file holds, as far as this run knows.
    std::optional<Reading> m_recorded;
    QString m_lastError;
};
