#include "ClockRecord.h"

#include "platform/Clock.h"
#include "platform/ClockJumpDetector.h"
#include "platform/Log.h"
#include "platform/StoredFile.h"
#include "platform/XdgBaseDirectories.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

const Log clockLog("quillory.clock");

const QString bootIDKey = QStringLiteral("bootID");
const QString sinceBootKey = QStringLiteral("sinceBootMsecs");
const QString wallClockKey = QStringLiteral("wallClockMsecs");

// The wall clock's reading less the time since boot: constant while the wall clock is not set.
std::chrono::milliseconds offset(const ClockRecord::Reading& reading)
{
    return reading.wallClock - reading.boot.sinceBoot;
}

QByteArray encode(const ClockRecord::Reading& reading)
{
    const QJsonObject object{{bootIDKey, QString::fromLatin1(reading.boot.bootID)},
                             {sinceBootKey, qint64(reading.boot.sinceBoot.count())},
                             {wallClockKey, qint64(reading.wallClock.count())}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<ClockRecord::Reading> decode(const QByteArray& bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    const QJsonValue bootID = object.value(bootIDKey);
    const QJsonValue sinceBoot = object.value(sinceBootKey);
    const QJsonValue wallClock = object.value(wallClockKey);
    // A boot id that is not text reads as empty, which names no boot.
    if (!sinceBoot.isDouble() || !wallClock.isDouble())
        return std::nullopt;
    return ClockRecord::Reading{
        {bootID.toString().toLatin1(), std::chrono::milliseconds(sinceBoot.toInteger())},
        std::chrono::milliseconds(wallClock.toInteger())};
}

} // namespace

QString ClockRecord::defaultPath()
{
    return XdgBaseDirectories::stateHome() + QStringLiteral("/Quillory/clock.json");
}

ClockRecord::ClockRecord(const QString& path, const Clock& clock, const BootClock& bootClock)
    : m_path(path)
    , m_clock(clock)
    , m_bootClock(bootClock)
{}

std::optional<ClockRecord::Reading> ClockRecord::readClocks() const
{
    const auto boot = m_bootClock.read();
    if (!boot)
        return std::nullopt;
    return Reading{*boot, std::chrono::milliseconds(m_clock.now().toMSecsSinceEpoch())};
}

std::optional<std::chrono::milliseconds> ClockRecord::readJump()
{
    const auto now = readClocks();
    const auto recorded = decode(StoredFile::read(m_path).bytes);
    // A time since boot beyond the present one cannot have been read in this boot.
    if (!now || !recorded || recorded->boot.bootID != now->boot.bootID ||
        recorded->boot.sinceBoot > now->boot.sinceBoot)
        return std::nullopt;
    m_recorded = recorded;
    return offset(*now) - offset(*recorded);
}

void ClockRecord::write(const Reading& reading)
{
    if (m_recorded && m_recorded->boot.bootID == reading.boot.bootID &&
        std::chrono::abs(offset(reading) - offset(*m_recorded)) <= ClockJumpDetector::tolerance)
        return;
    const QString error = StoredFile::writePrivate(m_path, encode(reading));
    if (error.isEmpty()) {
        m_recorded = reading;
        m_lastError.clear();
        return;
    }
    if (error != m_lastError)
        clockLog.error(
            QStringLiteral("Quillory: could not record the clock in %1: %2").arg(m_path, error));
    m_lastError = error;
}
