#include "LoopbackServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

namespace {
constexpr int okStatus = 200;
}

LoopbackServer::LoopbackServer()
{
    m_server.listen(QHostAddress::LocalHost);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { serve(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

QUrl LoopbackServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void LoopbackServer::respondWith(const QList<int>& statuses)
{
    m_statuses.insert(m_statuses.end(), statuses.begin(), statuses.end());
}

QList<QJsonObject> LoopbackServer::receivedSignals() const
{
    QList<QJsonObject> signals;
    for (const Request& request : m_requests) {
        for (const QJsonValue& value : QJsonDocument::fromJson(request.body).array())
            signals.append(value.toObject());
    }
    return signals;
}

void LoopbackServer::serve(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        m_requests.append(request);
        m_signalCount += QJsonDocument::fromJson(request.body).array().size();
        if (m_hold)
            continue;
        int status = okStatus;
        if (!m_statuses.empty()) {
            status = m_statuses.front();
            m_statuses.pop_front();
        }
        socket->write(QByteArrayLiteral("HTTP/1.1 ") + QByteArray::number(status) +
                      QByteArrayLiteral(" Status\r\nContent-Length: 0\r\n\r\n"));
    }
}
