#include "PlatformStartGuard.h"

#include <QGuiApplication>
#include <QMessageLogContext>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

// Qt may log from a thread of its own while the platform starts.
std::mutex heldMutex;
std::vector<HeldMessage> held;

// Everything Qt warned of, in one line: which message names the cause differs from platform to
// platform.
QString warnings(const std::vector<HeldMessage>& messages)
{
    QStringList lines;
    for (const HeldMessage& message : messages) {
        if (message.type == QtDebugMsg || message.type == QtInfoMsg)
            continue;
        for (QString line : message.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            line = line.trimmed();
            if (line.endsWith(QLatin1Char('.')))
                line.chop(1);
            lines.append(line);
        }
    }
    return lines.join(QStringLiteral("; "));
}

QString failureLine(const QString& warnings)
{
    return QStringLiteral("Quillory cannot start on QT_QPA_PLATFORM=%1: %2")
        .arg(qEnvironmentVariable("QT_QPA_PLATFORM"),
             warnings.isEmpty() ? QStringLiteral("it offers no screen") : warnings);
}

} // namespace

PlatformStartGuard::PlatformStartGuard()
    : m_previous(qInstallMessageHandler(&PlatformStartGuard::hold))
{}

PlatformStartGuard::~PlatformStartGuard()
{
    stopWatching(true);
}

void PlatformStartGuard::hold(QtMsgType type, const QMessageLogContext& context,
                              const QString& message)
{
    std::lock_guard lock(heldMutex);
    held.push_back({type, context.category, message});
    if (type != QtFatalMsg)
        return;
    // Qt aborts once this returns; nothing has been opened or written yet that needs closing.
    std::fprintf(stderr, "%s\n", qUtf8Printable(failureLine(warnings(held))));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

std::optional<QString> PlatformStartGuard::finish()
{
    const bool hasScreen = !QGuiApplication::screens().isEmpty();
    const QString said = stopWatching(hasScreen);
    if (hasScreen)
        return std::nullopt;
    return failureLine(said);
}

QString PlatformStartGuard::stopWatching(bool tellHeld)
{
    if (!m_watching)
        return {};
    m_watching = false;
    qInstallMessageHandler(m_previous);
    std::vector<HeldMessage> messages;
    {
        std::lock_guard lock(heldMutex);
        messages.swap(held);
    }
    if (tellHeld) {
        for (const HeldMessage& message : messages) {
            const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
            qt_message_output(message.type, context, message.text);
        }
    }
    return warnings(messages);
}
