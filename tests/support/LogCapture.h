#pragma once

#include <QList>
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

    struct Entry
    {
        QtMsgType type;
        QString category;
        QString message;
    };

    QStringList messages() const;
    // The messages that contain `text`.
    QStringList matching(const QString& text) const;
    // Every message with its level and category.
    QList<Entry> entries() const;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous;
};
