#include "LogCapture.h"

#include <QMutex>

namespace {
QMutex mutex;
QList<LogCapture::Entry> captured;
} // namespace

LogCapture::LogCapture()
{
    const QMutexLocker lock(&mutex);
    captured.clear();
    m_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::messages() const
{
    QStringList messages;
    for (const Entry& entry : entries())
        messages.append(entry.message);
    return messages;
}

QList<LogCapture::Entry> LogCapture::entries() const
{
    const QMutexLocker lock(&mutex);
    return captured;
}

QStringList LogCapture::matching(const QString& text) const
{
    return messages().filter(text);
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QMutexLocker lock(&mutex);
    captured.append({type, QString::fromUtf8(context.category), message});
}
