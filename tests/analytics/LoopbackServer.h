#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QTcpServer>
#include <QUrl>

#include <deque>

// A minimal HTTP/1.1 server on 127.0.0.1 for the sender's requests. It answers each request
// with the next queued status (200 once the queue is empty), or holds it unanswered.
class LoopbackServer
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    LoopbackServer();

    QUrl baseUrl() const;
    void respondWith(const QList<int>& statuses);
    // Requests received from now on get no answer until the server is destroyed.
    void holdResponses(bool hold) { m_hold = hold; }

    const QList<Request>& requests() const { return m_requests; }
    // Every signal of every request body, in order of arrival.
    QList<QJsonObject> receivedSignals() const;
    qsizetype receivedSignalCount() const { return m_signalCount; }

private:
    void serve(QTcpSocket* socket);

    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
    std::deque<int> m_statuses;
    bool m_hold = false;
    qsizetype m_signalCount = 0;
    // Last, so that its connections close while the members they use still exist.
    QTcpServer m_server;
};
