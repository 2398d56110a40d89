#pragma once

#include "platform/CrashReport.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

// Writes a report when the program dies of a fatal signal, and sends the reports of earlier
// runs to the crash service named by the DSN ("https://<key>@<host>/<project id>") when it
// starts. Reports go as JSON, one POST each, to https://<host>/api/<project id>/crash-reports
// with the key in the X-Quillory-Key header.
//
// Only one reporter can be started at a time in the process (the signal handlers are
// process-wide).
class CrashReporter : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString dsn;
        QString release;
        // Sees every report before it is sent; returning nothing drops (and deletes) it.
        std::function<std::optional<CrashReport>(const CrashReport&)> beforeSend;
    };

    explicit CrashReporter(QObject* parent = nullptr);
    CrashReporter(const QString& reportsDirectory, QObject* parent = nullptr);
    ~CrashReporter() override;

    static QString buildDsn();
    static QString defaultReportsDirectory();
    // The address reports of this DSN are posted to; empty for a DSN that is not valid.
    static QUrl endpoint(const QString& dsn);

    // Installs the fatal-signal handlers and sends the pending reports. Fails, doing nothing,
    // for an empty or invalid DSN and while another reporter is started.
    bool start(const Options& options);
    bool isStarted() const { return m_started; }

    // Reports written during a session carry its identifier.
    void startSession();
    void endSession();
    QString sessionId() const { return m_sessionId; }

    // Removes the handlers; reports already on their way still finish.
    void close();

    QString reportsDirectory() const { return m_directory; }

Q_SIGNALS:
    // Every report pending at start was sent, dropped, or kept for the next start.
    void pendingReportsHandled();

private:
    void sendPendingReports();
    void sendReport(const CrashReport& report, const QString& path);
    void finishOne();
    void updateHandlerHeader();

    QString m_directory;
    Options m_options;
    QUrl m_endpoint;
    QString m_key;
    QString m_sessionId;
    QNetworkAccessManager m_network;
    int m_unfinished = 0;
    bool m_started = false;
};
