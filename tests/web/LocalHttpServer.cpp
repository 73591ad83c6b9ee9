#include "LocalHttpServer.h"

#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

QString LocalHttpServer::Request::queryValue(const QString& key) const
{
    const QByteArray raw = target.mid(target.indexOf('?') + 1);
    for (const QByteArray& pair : raw.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        if (QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray(name).replace('+', ' '))) != key)
            continue;
        const QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        return QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray(value).replace('+', ' ')));
    }
    return {};
}

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

bool LocalHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

quint16 LocalHttpServer::port() const
{
    return m_server.serverPort();
}

QString LocalHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::addPage(const QString& path, const QByteArray& contentType, const QByteArray& body, int delayMs)
{
    m_pages.insert(path, Page{contentType, body, delayMs});
}

bool LocalHttpServer::addFile(const QString& path, const QString& filePath, int delayMs)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray type = "text/plain; charset=utf-8";
    if (filePath.endsWith(QLatin1String(".html")))
        type = "text/html; charset=utf-8";
    else if (filePath.endsWith(QLatin1String(".js")))
        type = "text/javascript; charset=utf-8";
    else if (filePath.endsWith(QLatin1String(".css")))
        type = "text/css; charset=utf-8";
    addPage(path, type, file.readAll(), delayMs);
    return true;
}

QList<LocalHttpServer::Request> LocalHttpServer::requestsFor(const QString& path) const
{
    QList<Request> found;
    for (const Request& request : m_requests) {
        if (request.path == path)
            found << request;
    }
    return found;
}

void LocalHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        Request request;
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        const QUrl url(QString::fromLatin1(request.target));
        request.path = url.path();
        request.query = QUrlQuery(url);
        m_requests << request;
        emit requestReceived(request);
        respond(socket, request);
    }
}

void LocalHttpServer::respond(QTcpSocket* socket, const Request& request)
{
    const auto page = m_pages.constFind(request.path);
    QByteArray status = "200 OK";
    Page answer;
    if (page == m_pages.constEnd()) {
        status = "404 Not Found";
        answer = Page{"text/plain; charset=utf-8", "Not found", 0};
    } else {
        answer = *page;
    }
    const QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: " + answer.contentType +
                                "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                                "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" +
                                (request.method == "HEAD" ? QByteArray() : answer.body);
    QPointer<QTcpSocket> target(socket);
    const auto send = [target, response] {
        if (!target)
            return;
        target->write(response);
        target->disconnectFromHost();
    };
    if (answer.delayMs <= 0) {
        send();
        return;
    }
    ++m_held;
    QTimer::singleShot(answer.delayMs, this, [this, send] {
        --m_held;
        send();
    });
}
