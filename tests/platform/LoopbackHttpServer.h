#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A one-request-per-connection HTTP server on 127.0.0.1 for tests: records each request and
// answers every one with the same status and body.
class LoopbackHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray header(const QByteArray& name) const;
    };

    LoopbackHttpServer();

    void respondWith(int status, const QByteArray& body);
    QUrl url(const QString& path = {}) const;
    quint16 port() const { return m_server.serverPort(); }
    const QList<Request>& requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QList<Request> m_requests;
    int m_status = 200;
    QByteArray m_body;
};
