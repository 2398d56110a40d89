#include "Application.h"

#include "Log.h"
#include "StoredFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

const Log logger("quillory.application");

const auto lockFileName = QStringLiteral("quillory.lock");
const auto folderName = QStringLiteral("Quillory");
const auto socketFileName = QStringLiteral("quillory.socket");
const QByteArray reopenRequest = "reopen\n";
const QByteArray acknowledgement = "ok\n";

// A second launch may race with a first one that holds the lock but is not listening yet.
constexpr int connectAttempts = 20;
constexpr unsigned long connectRetryMs = 100;
constexpr int replyTimeoutMs = 2000;

constexpr std::array terminationSignals{SIGTERM, SIGINT, SIGHUP};

// The write end is used from the signal handler, so it lives outside any object. The handler
// only writes a byte: the quit runs on the main thread at the next turn of its event loop, so
// a long busy spell there delays it without losing it.
int signalPipe[2] = {-1, -1};
struct sigaction previousActions[terminationSignals.size()];
Application* current = nullptr;
// Made when the user has no private runtime folder, for this process alone.
QString temporaryDirectory;

// The program's folder in the user's runtime folder, when only the user can change either.
StoredFile::PrivateFolder runtimeFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {{}, QStringLiteral("no runtime folder is the user's alone")};
    if (!StoredFile::isUsersOwnFolder(runtime))
        return {{}, runtime + QStringLiteral(" is not a folder that only this user can change")};
    const QString folder = runtime + QLatin1Char('/') + folderName;
    return {folder, StoredFile::claimPrivateFolder(folder)};
}

extern "C" void forwardSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

Application::Application(QObject* parent)
    : Application(defaultInstanceDirectory(), parent)
{}

Application::Application(const QString& instanceDirectory, QObject* parent)
    : QObject(parent)
    , m_directory(instanceDirectory)
{
    Q_ASSERT_X(qApp, "Application", "create the QApplication first");
    Q_ASSERT_X(!current, "Application", "only one Application may exist");
    current = this;
    QApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Application::emitWillTerminateOnce);
    installSignalHandlers();
    static const bool exitHookInstalled = std::atexit(&Application::finishOnExit) == 0;
    if (!exitHookInstalled)
        logger.error(QStringLiteral("Quillory: cannot save on an unexpected exit"));
}

Application::~Application()
{
    restoreSignalHandlers();
    if (m_server)
        m_server->close();
    m_lock.reset();
    // Kept when anything else was left in it, such as notes that could not be saved elsewhere.
    if (!m_directory.isEmpty() && m_directory == temporaryDirectory && QDir().rmdir(m_directory))
        temporaryDirectory.clear();
    current = nullptr;
}

QString Application::defaultInstanceDirectory()
{
    const StoredFile::PrivateFolder runtime = runtimeFolder();
    if (runtime.error.isEmpty())
        return runtime.path;
    // A folder of a fixed name in the shared temporary folder could be made first by another
    // user, who would then hold the lock and read what is kept there.
    const QString temporaryRoot = QDir::tempPath();
    if (QFileInfo(temporaryDirectory).path() == temporaryRoot &&
        StoredFile::isUsersOwnFolder(temporaryDirectory))
        return temporaryDirectory;
    const StoredFile::PrivateFolder made =
        temporaryRoot.isEmpty()
            ? StoredFile::PrivateFolder{{}, QStringLiteral("there is no temporary folder")}
            : StoredFile::makeUniquePrivateFolder(temporaryRoot + QLatin1Char('/') + folderName +
                                                  QStringLiteral("-XXXXXX"));
    temporaryDirectory = made.path;
    const QString line =
        made.path.isEmpty()
            ? QStringLiteral("Quillory: %1, and %2; running without the single-copy guard")
                  .arg(runtime.error, made.error)
            : QStringLiteral("Quillory: %1; using %2 instead").arg(runtime.error, made.path);
    // Asked again at quit, where the same news would only repeat itself.
    static QString lastSaid;
    if (line != lastSaid)
        logger.error(line);
    lastSaid = line;
    return made.path;
}

bool Application::claimSingleInstance()
{
    // Without a folder of its own the program runs unguarded, which was said when none was found.
    if (m_server || m_directory.isEmpty())
        return true;
    if (const QString error = StoredFile::claimPrivateFolder(m_directory); !error.isEmpty()) {
        logger.error(
            QStringLiteral("Quillory: %1; running without the single-copy guard").arg(error));
        return true;
    }

    const QString lockPath = m_directory + QLatin1Char('/') + lockFileName;
    // Taking the lock reads it: through a link, or from a FIFO that waits for a writer for ever.
    if (const QString refusal = StoredFile::whyNotRegular(lockPath); !refusal.isEmpty())
        logger.error(
            QStringLiteral("Quillory: %1; running without the single-copy guard").arg(refusal));
    else
        m_lock = std::make_unique<QLockFile>(lockPath);
    if (m_lock) {
        // Never judge a lock by its age: only a dead holder makes it stale.
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0)) {
            if (m_lock->error() == QLockFile::LockFailedError) {
                if (sendReopenRequest(socketPath()))
                    return false;
                // No copy answers for the lock: its holder is gone, or it was never a lock at
                // all (empty, unreadable, from another host). The caller holds what every copy
                // must claim first, so no other copy can be running: the lock is replaced.
                m_lock->removeStaleLockFile();
                m_lock->tryLock(0);
            }
            if (!m_lock->isLocked())
                logger.error(QStringLiteral("Quillory: cannot lock ") + m_lock->fileName() +
                             QStringLiteral("; running without the single-copy guard"));
        }
        if (m_lock->isLocked())
            QFile::setPermissions(m_lock->fileName(), StoredFile::privateFileMode);
    }

    // Holding the lock means any socket file left behind belongs to a dead copy.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath()))
        logger.error(QStringLiteral("Quillory: cannot listen for reopen requests: ") +
                     m_server->errorString());
    connect(m_server, &QLocalServer::newConnection, this, &Application::acceptConnections);
    return true;
}

QString Application::socketPath() const
{
    if (m_directory.isEmpty())
        return {};
    return m_directory + QLatin1Char('/') + socketFileName;
}

bool Application::sendReopenRequest(const QString& socketPath)
{
    if (socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    for (int attempt = 0; attempt < connectAttempts; ++attempt) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(replyTimeoutMs))
            break;
        QThread::msleep(connectRetryMs);
    }
    if (socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.write(reopenRequest);
    if (!socket.waitForBytesWritten(replyTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(replyTimeoutMs))
            return false;
    }
    return socket.readLine() == acknowledgement;
}

void Application::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->canReadLine())
            readRequest(socket);
    }
}

void Application::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        if (line != reopenRequest) {
            logger.error(
                QStringLiteral("Quillory: ignored an unknown request from another launch"));
            socket->disconnectFromServer();
            return;
        }
        socket->write(acknowledgement);
        socket->flush();
        Q_EMIT reopenRequested();
    }
}

int Application::exec()
{
    QTimer::singleShot(0, this, &Application::launchingFinished);
    return QApplication::exec();
}

void Application::terminate()
{
    emitWillTerminateOnce();
    QCoreApplication::quit();
}

void Application::emitWillTerminateOnce()
{
    if (m_willTerminateSent)
        return;
    m_willTerminateSent = true;
    Q_EMIT willTerminate();
}

void Application::finishOnExit()
{
    // Only on the main thread, where everything the will-terminate step touches lives; the
    // objects are still there because exit() does not unwind the stack.
    if (current && qApp && QThread::currentThread() == qApp->thread())
        current->emitWillTerminateOnce();
}

void Application::installSignalHandlers()
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        logger.error(QStringLiteral("Quillory: cannot watch for termination signals"));
        return;
    }
    m_signalNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &Application::handleSignalPipe);

    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < terminationSignals.size(); ++i)
        sigaction(terminationSignals[i], &action, &previousActions[i]);
}

void Application::restoreSignalHandlers()
{
    if (!m_signalNotifier)
        return;
    for (std::size_t i = 0; i < terminationSignals.size(); ++i)
        sigaction(terminationSignals[i], &previousActions[i], nullptr);
    delete m_signalNotifier;
    m_signalNotifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void Application::handleSignalPipe()
{
    char byte = 0;
    bool received = false;
    while (::read(signalPipe[0], &byte, 1) == 1)
        received = true;
    if (received) {
        logger.info(QStringLiteral("Quillory: quitting on signal ") + QString::number(byte));
        terminate();
    }
}
