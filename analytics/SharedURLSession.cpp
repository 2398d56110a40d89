#include "SharedURLSession.h"

#include "platform/DispatchQueue.h"

#include <QNetworkAccessManager>

namespace {

// Never destroyed, so that no sender finds it gone at process exit.
struct SharedSession
{
    DispatchQueue queue{QStringLiteral("analytics.client.URLSession")};
    QNetworkAccessManager* manager = nullptr;
};

} // namespace

QNetworkAccessManager& sharedURLSession()
{
    static auto* shared = [] {
        auto* session = new SharedSession;
        session->queue.sync(
            [session] { session->manager = new QNetworkAccessManager(session->queue.context()); });
        return session;
    }();
    return *shared->manager;
}
