#include "BootClock.h"

#include "platform/Clock.h"
#include "platform/StoredFile.h"

#include <cmath>

namespace {

class SystemBootClock final : public BootClock
{
public:
    std::optional<Reading> read() const override
    {
        // One boot for the whole life of the process.
        static const QByteArray bootID =
            StoredFile::read(QStringLiteral("/proc/sys/kernel/random/boot_id")).bytes.trimmed();
        const auto sinceBoot = readSinceBoot();
        if (bootID.isEmpty() || !sinceBoot)
            return std::nullopt;
        return Reading{bootID, *sinceBoot};
    }

private:
    // The first of the two numbers in /proc/uptime: seconds since boot, sleep included.
    static std::optional<std::chrono::milliseconds> readSinceBoot()
    {
        const QByteArray uptime = StoredFile::read(QStringLiteral("/proc/uptime")).bytes;
        bool ok = false;
        const double seconds = uptime.left(uptime.indexOf(' ')).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return std::chrono::milliseconds(std::llround(seconds * 1000));
    }
};

} // namespace

const BootClock& BootClock::system()
{
    static const SystemBootClock clock;
    return clock;
}

ManualBootClock::ManualBootClock(const Clock& clock)
    : m_clock(clock)
    , m_bootedAt(clock.monotonicNow())
{}

std::optional<BootClock::Reading> ManualBootClock::read() const
{
    return Reading{QByteArray::number(m_boots), m_clock.monotonicNow() - m_bootedAt};
}

void ManualBootClock::reboot()
{
    ++m_boots;
    m_bootedAt = m_clock.monotonicNow();
}
