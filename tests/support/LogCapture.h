#pragma once

#include <QString>
#include <QStringList>
#include <QtMessageHandler>

// Collects every message logged while it exists.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const;
    // The messages that contain `text`.
    QStringList matching(const QString& text) const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous;
};
