#include "SharedURLSession.h"

#include "platform/DispatchQueue.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

#include <atomic>

namespace {

// The queue is never destroyed, so that no sender finds it gone at process exit.
struct SharedSession
{
    DispatchQueue queue{QStringLiteral("analytics.client.URLSession")};
    std::atomic<QNetworkAccessManager*> manager = nullptr;
};

SharedSession* shared = nullptr;

// The manager opens its connections on a thread of Qt's own, which must be over before the
// process's globals go: a request still being opened then would read what is already freed.
// Deleting the manager ends that thread.
void endSharedSession()
{
    shared->queue.sync([] { delete shared->manager.exchange(nullptr); });
}

} // namespace

QNetworkAccessManager* sharedURLSession()
{
    static SharedSession* const session = [] {
        shared = new SharedSession;
        shared->queue.sync(
            [] { shared->manager = new QNetworkAccessManager(shared->queue.context()); });
        qAddPostRoutine(endSharedSession);
        return shared;
    }();
    return session->manager;
}
