#include "Updater.h"

#include "BuildConfig.h"
#include "MainThread.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>

namespace {

constexpr int requestTimeoutMs = 30'000;
// A feed is a few hundred bytes; anything far larger is not one.
constexpr qint64 maximumFeedBytes = 64 * 1024;

// Plain HTTP only where no one can sit between us and the server.
bool isAcceptableFeed(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    return url.scheme() == QLatin1String("http") && QHostAddress(url.host()).isLoopback();
}

} // namespace

Updater::Updater(QObject* parent)
    : Updater(buildFeedUrl(), QVersionNumber::fromString(QCoreApplication::applicationVersion()),
              Scheduler::system(), parent)
{}

Updater::Updater(const QUrl& feedUrl, const QVersionNumber& currentVersion, Scheduler& scheduler,
                 QObject* parent)
    : QObject(parent)
    , m_feedUrl(feedUrl)
    , m_currentVersion(currentVersion)
    , m_scheduler(scheduler)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_network.setTransferTimeout(requestTimeoutMs);
}

QUrl Updater::buildFeedUrl()
{
    return QUrl(QString::fromUtf8(BuildConfig::updateFeedUrl));
}

bool Updater::startUpdater()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_running)
        return true;
    if (m_feedUrl.isEmpty()) {
        m_errorString = QStringLiteral("no update feed was configured when Quillory was built");
        return false;
    }
    if (!isAcceptableFeed(m_feedUrl)) {
        m_errorString =
            QStringLiteral("the update feed is not an https address: ") + m_feedUrl.toString();
        return false;
    }
    m_errorString.clear();
    m_running = true;
    updateSchedule();
    return true;
}

void Updater::setAutomaticallyChecksForUpdates(bool automatic)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_automatic = automatic;
    updateSchedule();
}

void Updater::updateSchedule()
{
    if (!m_running || !m_automatic) {
        m_automaticTask.cancel();
        return;
    }
    if (m_automaticTask.isPending())
        return;
    m_automaticTask = m_scheduler.scheduleRepeating(automaticCheckInterval,
                                                    [this] { check(Trigger::Automatic); });
}

void Updater::checkForUpdates()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_running)
        check(Trigger::User);
}

void Updater::check(Trigger trigger)
{
    // One request at a time; a second click while one runs adds nothing.
    if (m_checking)
        return;
    m_checking = true;
    QNetworkRequest request(m_feedUrl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network.get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maximumFeedBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, trigger] { finishCheck(reply, trigger); });
}

void Updater::finishCheck(QNetworkReply* reply, Trigger trigger)
{
    reply->deleteLater();
    m_checking = false;
    Result result;
    if (reply->error() != QNetworkReply::NoError)
        result.errorString = reply->errorString();
    else
        result = parseFeed(reply->readAll());

    Q_EMIT checkFinished(result);
    if (trigger == Trigger::User || result.outcome == Outcome::NewerVersion)
        showResult(result);
}

Updater::Result Updater::parseFeed(const QByteArray& body) const
{
    Result result;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (!document.isObject()) {
        result.errorString = QStringLiteral("the update feed is not a JSON object");
        return result;
    }
    const QJsonObject feed = document.object();
    const QString versionText = feed.value(QLatin1String("version")).toString();
    qsizetype suffixIndex = 0;
    const QVersionNumber latest = QVersionNumber::fromString(versionText, &suffixIndex);
    if (latest.isNull() || suffixIndex != versionText.size()) {
        result.errorString = QStringLiteral("the update feed has no valid version");
        return result;
    }
    result.latestVersion = latest;
    const QUrl page(feed.value(QLatin1String("url")).toString());
    if (page.isValid() && page.scheme() == QLatin1String("https"))
        result.downloadPage = page;
    result.outcome = latest > m_currentVersion ? Outcome::NewerVersion : Outcome::UpToDate;
    return result;
}

void Updater::showResult(const Result& result)
{
    if (m_dialog)
        m_dialog->close();
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (result.outcome) {
    case Outcome::NewerVersion:
        text = QStringLiteral("Quillory %1 is available; you have %2.")
                   .arg(result.latestVersion.toString(), m_currentVersion.toString());
        break;
    case Outcome::UpToDate:
        text =
            QStringLiteral("Quillory %1 is the newest version.").arg(m_currentVersion.toString());
        break;
    case Outcome::Failed:
        icon = QMessageBox::Warning;
        text = QStringLiteral("Could not check for updates: ") + result.errorString;
        break;
    }
    m_dialog = new QMessageBox(icon, QStringLiteral("Quillory"), text, QMessageBox::Ok);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setTextFormat(Qt::PlainText);
    if (result.outcome == Outcome::NewerVersion && !result.downloadPage.isEmpty()) {
        QPushButton* download =
            m_dialog->addButton(QStringLiteral("Open Download Page"), QMessageBox::AcceptRole);
        const QUrl page = result.downloadPage;
        connect(download, &QAbstractButton::clicked, this,
                [page] { QDesktopServices::openUrl(page); });
        m_dialog->setDefaultButton(download);
        // Two buttons leave no Escape answer of their own, and without one the dialog cannot
        // be closed, not even for the next answer.
        m_dialog->setEscapeButton(QMessageBox::Ok);
    }
    m_dialog->show();
}
