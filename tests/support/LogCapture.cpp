#include "LogCapture.h"

#include <QMutex>

namespace {
QMutex mutex;
QStringList captured;
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
    const QMutexLocker lock(&mutex);
    return captured;
}

QStringList LogCapture::matching(const QString& text) const
{
    return messages().filter(text);
}

void LogCapture::handle(QtMsgType, const QMessageLogContext&, const QString& message)
{
    const QMutexLocker lock(&mutex);
    captured.append(message);
}
