#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

class QLocalSocket;

// The process-wide application object around the running QApplication: keeps the program
// alive with no window open, makes sure only one copy runs per user, and turns the desktop's
// termination signals into an orderly quit.
//
// A QApplication must exist before it is created. Only one may exist at a time.
class Application : public QObject
{
    Q_OBJECT

public:
    // `instanceDirectory` holds the lock file and the socket of the running copy; the default
    // is the user's runtime folder.
    explicit Application(QObject* parent = nullptr);
    explicit Application(const QString& instanceDirectory, QObject* parent = nullptr);
    ~Application() override;

    // Becomes the one running copy, or, when another copy already runs, sends it the reopen
    // request and returns false: the caller then exits without starting anything.
    bool claimSingleInstance();
    bool isPrimaryInstance() const { return m_server != nullptr; }
    // Where other launches reach this copy with their requests.
    QString socketPath() const;
    // Sends the reopen request to the copy listening at `socketPath`; true when it answered.
    static bool sendReopenRequest(const QString& socketPath);

    // Runs the event loop; launchingFinished() is emitted from its first turn.
    int exec();

    // Emits willTerminate() (once per process) and leaves the event loop.
    void terminate();

    static QString defaultInstanceDirectory();

Q_SIGNALS:
    void launchingFinished();
    // Another launch of the program asked this copy to show itself.
    void reopenRequested();
    // The last moment to save: the event loop ends right after. Also emitted when the process
    // exits on the main thread without leaving the event loop, as Qt does when the X server
    // goes away at the end of a session.
    void willTerminate();

private:
    void acceptConnections();
    void readRequest(QLocalSocket* socket);
    void installSignalHandlers();
    void restoreSignalHandlers();
    void handleSignalPipe();
    void emitWillTerminateOnce();
    static void finishOnExit();

    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    QSocketNotifier* m_signalNotifier = nullptr;
    bool m_willTerminateSent = false;
};
