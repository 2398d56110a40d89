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
    // is defaultInstanceDirectory(). With none, the copy runs without the single-copy guard.
    explicit Application(QObject* parent = nullptr);
    explicit Application(const QString& instanceDirectory, QObject* parent = nullptr);
    ~Application() override;

    // Becomes the one running copy, or, when another copy already runs, sends it the reopen
    // request and returns false: the caller then exits without starting anything. A lock whose
    // holder does not answer is taken for one left behind and replaced, so call this only while
    // holding what every copy must claim first. A link or anything but a regular file in the
    // lock's place is left as it is, and the copy runs unguarded.
    bool claimSingleInstance();
    bool isPrimaryInstance() const { return m_server != nullptr; }
    // Where other launches reach this copy with their requests; empty without a folder for it.
    QString socketPath() const;
    // Sends the reopen request to the copy listening at `socketPath`; true when it answered.
    static bool sendReopenRequest(const QString& socketPath);

    // Runs the event loop; launchingFinished() is emitted from its first turn.
    int exec();

    // Emits willTerminate() (once per process) and leaves the event loop.
    void terminate();

    // The user's runtime folder's "Quillory", made or kept so that only the user may enter it,
    // when only the user can change the runtime folder and it; else a folder of an unguessable
    // name in the temporary folder, made for this process (and removed with the Application
    // when it is left empty); empty when not even that can be made. Why it is not the runtime
    // folder is logged once, when the other is made.
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
