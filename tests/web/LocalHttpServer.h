#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QUrlQuery>

class QTcpSocket;

// A tiny HTTP/1.1 server on 127.0.0.1 for browser tests: serves pages from a map of paths (the
// query is ignored when matching), optionally answering late to make a slow page, and records
// every request it receives.
class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray target; // the request line's target as sent: path and query, still encoded
        QString path;      // decoded
        QUrlQuery query;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;

        // A query value decoded as a form sends it ('+' is a blank, then percent escapes).
        QString queryValue(const QString& key) const;
    };

    explicit LocalHttpServer(QObject* parent = nullptr);

    bool listen();
    quint16 port() const;
    // "http://127.0.0.1:<port>" + path
    QString url(const QString& path) const;

    void addPage(const QString& path, const QByteArray& contentType, const QByteArray& body, int delayMs = 0);
    // A file's content under `path`; the content type follows the file name (.html, .js, .css, else text).
    bool addFile(const QString& path, const QString& filePath, int delayMs = 0);

    QList<Request> requests() const { return m_requests; }
    QList<Request> requestsFor(const QString& path) const;
    void clearRequests() { m_requests.clear(); }
    // Responses received but held back by their delay right now.
    int heldResponses() const { return m_held; }

signals:
    void requestReceived(const LocalHttpServer::Request& request);

private:
    struct Page
    {
        QByteArray contentType;
        QByteArray body;
        int delayMs = 0;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Request& request);

    QTcpServer m_server;
    QHash<QString, Page> m_pages;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<Request> m_requests;
    int m_held = 0;
};
