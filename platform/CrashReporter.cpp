#include "CrashReporter.h"

#include "BuildConfig.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QUuid>

#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

const Log logger("quillory.crashreporter");

const auto reportSuffix = QStringLiteral(".report");
const QByteArray keyHeader = "X-Quillory-Key";
constexpr int requestTimeoutMs = 30'000;

// Everything below is read by the signal handler, which may only use async-signal-safe calls:
// it is prepared on the main thread beforehand and never allocated in the handler.
constexpr std::array fatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
struct sigaction previousActions[fatalSignals.size()];

char directoryPath[PATH_MAX] = {};

// Two copies, so the handler never reads one that the main thread is rewriting.
constexpr std::size_t headerCapacity = 512;
char headers[2][headerCapacity] = {};
std::atomic<int> activeHeader{0};

// Room to report a stack overflow, which leaves no stack of its own to run on.
constexpr std::size_t alternateStackBytes = 64 * 1024;
std::vector<char> alternateStack;

CrashReporter* startedReporter = nullptr;

struct Buffer
{
    char* data;
    std::size_t capacity;
    std::size_t length = 0;

    void append(const char* text)
    {
        while (*text && length + 1 < capacity)
            data[length++] = *text++;
        data[length] = '\0';
    }

    void appendNumber(unsigned long value)
    {
        char digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        char reversed[24];
        for (int i = 0; i < count; ++i)
            reversed[i] = digits[count - 1 - i];
        reversed[count] = '\0';
        append(reversed);
    }
};

extern "C" void writeCrashReport(int signalNumber, siginfo_t*, void*)
{
    const int savedErrno = errno;
    const auto now = static_cast<unsigned long>(std::time(nullptr));
    char path[PATH_MAX + 64];
    Buffer name{path, sizeof path};
    name.append(directoryPath);
    name.append("/crash-");
    name.appendNumber(static_cast<unsigned long>(::getpid()));
    name.append("-");
    name.appendNumber(now);
    name.append(".report");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        char body[headerCapacity + 64];
        Buffer text{body, sizeof body};
        text.append(headers[activeHeader.load()]);
        text.append("signal=");
        text.appendNumber(static_cast<unsigned long>(signalNumber));
        text.append("\ntime=");
        text.appendNumber(now);
        text.append("\n");
        [[maybe_unused]] const ssize_t written = ::write(fd, body, text.length);
        ::close(fd);
    }
    errno = savedErrno;
    // The handler was reset on entry: dying of the same signal keeps the exit status honest.
    ::raise(signalNumber);
}

void installHandlers()
{
    alternateStack.resize(alternateStackBytes);
    stack_t stack = {};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_sigaction = writeCrashReport;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_ONSTACK;
    for (std::size_t i = 0; i < fatalSignals.size(); ++i)
        sigaction(fatalSignals[i], &action, &previousActions[i]);
}

void removeHandlers()
{
    for (std::size_t i = 0; i < fatalSignals.size(); ++i)
        sigaction(fatalSignals[i], &previousActions[i], nullptr);
}

// Release and session end up on lines of their own, so they must not break a line.
QByteArray singleLine(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\n', ' ').replace('\r', ' ');
    return bytes;
}

bool isAcceptableScheme(const QUrl& url)
{
    return url.scheme() == QLatin1String("https") ||
           (url.scheme() == QLatin1String("http") && QHostAddress(url.host()).isLoopback());
}

} // namespace

CrashReporter::CrashReporter(QObject* parent)
    : CrashReporter(defaultReportsDirectory(), parent)
{}

CrashReporter::CrashReporter(const QString& reportsDirectory, QObject* parent)
    : QObject(parent)
    , m_directory(reportsDirectory)
{
    m_network.setTransferTimeout(requestTimeoutMs);
}

CrashReporter::~CrashReporter()
{
    close();
}

QString CrashReporter::buildDsn()
{
    return QString::fromUtf8(BuildConfig::crashReportDsn);
}

QString CrashReporter::defaultReportsDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quillory/crash-reports");
}

QUrl CrashReporter::endpoint(const QString& dsn)
{
    const QUrl url(dsn, QUrl::StrictMode);
    const QString project = url.path().mid(1);
    bool numeric = false;
    project.toULongLong(&numeric);
    if (!url.isValid() || url.userName().isEmpty() || url.host().isEmpty() || !numeric ||
        !isAcceptableScheme(url))
        return {};
    QUrl target;
    target.setScheme(url.scheme());
    target.setHost(url.host());
    target.setPort(url.port());
    target.setPath(QStringLiteral("/api/") + project + QStringLiteral("/crash-reports"));
    return target;
}

bool CrashReporter::start(const Options& options)
{
    if (m_started)
        return true;
    if (options.dsn.isEmpty())
        return false;
    const QUrl target = endpoint(options.dsn);
    if (target.isEmpty()) {
        logger.error(QStringLiteral("Quillory: the crash report address is not valid"));
        return false;
    }
    if (startedReporter) {
        logger.error(QStringLiteral("Quillory: a crash reporter is already running"));
        return false;
    }
    const QByteArray directory = QFile::encodeName(m_directory);
    if (!QDir().mkpath(m_directory) || directory.size() >= PATH_MAX) {
        logger.error(QStringLiteral("Quillory: cannot use the crash report folder ") + m_directory);
        return false;
    }
    QFile::setPermissions(m_directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_options = options;
    m_endpoint = target;
    m_key = QUrl(options.dsn).userName();
    std::memcpy(directoryPath, directory.constData(), directory.size() + 1);
    updateHandlerHeader();
    installHandlers();
    startedReporter = this;
    m_started = true;
    sendPendingReports();
    return true;
}

void CrashReporter::close()
{
    if (!m_started)
        return;
    removeHandlers();
    startedReporter = nullptr;
    m_started = false;
    m_sessionId.clear();
}

void CrashReporter::startSession()
{
    if (!m_started)
        return;
    m_sessionId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    updateHandlerHeader();
}

void CrashReporter::endSession()
{
    if (!m_started)
        return;
    m_sessionId.clear();
    updateHandlerHeader();
}

void CrashReporter::updateHandlerHeader()
{
    const QByteArray text = QByteArray(CrashReport::fileHeader) +
                            "release=" + singleLine(m_options.release).left(headerCapacity / 4) +
                            "\nsession=" + singleLine(m_sessionId) + "\n";
    const int spare = 1 - activeHeader.load();
    Buffer header{headers[spare], headerCapacity};
    header.append(text.constData());
    activeHeader.store(spare);
}

void CrashReporter::sendPendingReports()
{
    const QDir directory(m_directory);
    const QStringList files =
        directory.entryList({QStringLiteral("*") + reportSuffix}, QDir::Files, QDir::Name);
    m_unfinished = static_cast<int>(files.size());
    if (files.isEmpty()) {
        Q_EMIT pendingReportsHandled();
        return;
    }
    for (const QString& fileName : files) {
        const QString path = directory.filePath(fileName);
        QFile file(path);
        std::optional<CrashReport> report;
        if (file.open(QIODevice::ReadOnly))
            report = CrashReport::parse(fileName.chopped(reportSuffix.size()), file.readAll());
        file.close();
        if (!report) {
            logger.error(QStringLiteral("Quillory: removed an unreadable crash report ") +
                         fileName);
            QFile::remove(path);
            finishOne();
            continue;
        }
        if (m_options.beforeSend)
            report = m_options.beforeSend(*report);
        if (!report) {
            QFile::remove(path);
            finishOne();
            continue;
        }
        sendReport(*report, path);
    }
}

void CrashReporter::sendReport(const CrashReport& report, const QString& path)
{
    QNetworkRequest request(m_endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader(keyHeader, m_key.toUtf8());
    QNetworkReply* reply =
        m_network.post(request, QJsonDocument(report.toJson()).toJson(QJsonDocument::Compact));
    connect(reply, &QNetworkReply::finished, this, [this, reply, path] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status / 100 == 2)
            QFile::remove(path);
        else
            logger.error(QStringLiteral("Quillory: crash report not sent, kept for later: ") +
                         reply->errorString());
        finishOne();
    });
}

void CrashReporter::finishOne()
{
    if (--m_unfinished == 0)
        Q_EMIT pendingReportsHandled();
}
