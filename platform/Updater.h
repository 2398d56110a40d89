#pragma once

#include "platform/Scheduler.h"

#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVersionNumber>

class QNetworkReply;

// Tells the user when a newer version of the program has been published.
//
// The feed is a small JSON document at a URL fixed when the program is built:
//     {"version": "1.4.0", "url": "https://example.org/quillory/1.4.0"}
// "version" is required (dotted numbers); "url" is the optional page to download it from.
// Nothing is downloaded or installed: the user is shown the version and the page.
class Updater : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { NewerVersion, UpToDate, Failed };
    Q_ENUM(Outcome)

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QVersionNumber latestVersion;
        QUrl downloadPage;
        QString errorString;
    };

    // Automatic checks run once a day while they are on.
    static constexpr std::chrono::hours automaticCheckInterval{24};

    explicit Updater(QObject* parent = nullptr);
    Updater(const QUrl& feedUrl, const QVersionNumber& currentVersion, Scheduler& scheduler,
            QObject* parent = nullptr);

    static QUrl buildFeedUrl();

    // Fails, with errorString() telling why, when no usable feed URL was configured.
    bool startUpdater();
    bool isRunning() const { return m_running; }
    QString errorString() const { return m_errorString; }

    bool automaticallyChecksForUpdates() const { return m_automatic; }
    void setAutomaticallyChecksForUpdates(bool automatic);

    // The user asked: the answer is always shown, also "up to date" and failures. Does
    // nothing while the updater is not running.
    void checkForUpdates();

    // The dialog of the last answer shown to the user, if it is still open.
    QMessageBox* resultDialog() const { return m_dialog; }

Q_SIGNALS:
    void checkFinished(const Updater::Result& result);

private:
    enum class Trigger { User, Automatic };
    void check(Trigger trigger);
    void finishCheck(QNetworkReply* reply, Trigger trigger);
    Result parseFeed(const QByteArray& body) const;
    void showResult(const Result& result);
    void updateSchedule();

    QUrl m_feedUrl;
    QVersionNumber m_currentVersion;
    Scheduler& m_scheduler;
    QNetworkAccessManager m_network;
    Scheduler::Task m_automaticTask;
    QPointer<QMessageBox> m_dialog;
    QString m_errorString;
    bool m_running = false;
    bool m_automatic = false;
    bool m_checking = false;
};
