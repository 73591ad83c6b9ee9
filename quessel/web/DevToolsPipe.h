#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;
class QSocketNotifier;

namespace quessel {

// A browser process and its DevTools connection over --remote-debugging-pipe: the browser reads
// commands on its fd 3 and writes replies and events on its fd 4, each message UTF-8 JSON ended
// by one NUL byte. Both fds are one end of a socket pair, so the browser's death shows at once
// as end of file. No TCP port is ever opened.
class DevToolsPipe : public QObject
{
    Q_OBJECT

public:
    struct Reply
    {
        bool ok = false;
        QJsonObject result;
        QString error;
    };
    using ReplyHandler = std::function<void(const Reply&)>;

    explicit DevToolsPipe(QObject* parent = nullptr);
    // Closing the pipe asks the browser to end; it is killed when it does not within a moment.
    ~DevToolsPipe() override;

    // Starts `program` with the pipe on fds 3 and 4; its standard error is appended to `logPath`.
    bool start(const QString& program, const QStringList& arguments, const QString& logPath, QString* error);
    bool isOpen() const { return m_fd >= 0; }
    qint64 processId() const;
    // Exit status of the browser once it has ended, else -1.
    int exitCode() const;
    // Closes the pipe, which asks the browser to end; kills it when it has not ended within a
    // few seconds. Pending commands fail.
    void close();
    // Waits (blocking) for the browser to end, for at most `msecs`; true when it has ended.
    bool waitForExit(int msecs);

    // Sends a command and returns its id at once, or -1 when the pipe is closed (the handler
    // then runs before this returns). The handler runs once: with the reply, or with an error
    // when the pipe closes first.
    int send(const QString& method, const QJsonObject& params = {}, const QString& sessionId = {},
             ReplyHandler handler = {});
    // Sends a command and waits for its reply, for at most `timeoutMs`, turning the event loop
    // meanwhile (so windows stay responsive and events keep arriving).
    Reply call(const QString& method, const QJsonObject& params, const QString& sessionId, int timeoutMs);
    // Forgets the handler of a command whose reply is no longer wanted.
    void cancel(int id);

    // Handles what the browser has sent already, without waiting and without the event loop (for
    // callers that poll in a loop of their own).
    void poll();

    // Turns the event loop until `done` holds, the pipe closes or `timeoutMs` passes; `done` is
    // tested after every message. True when `done` held.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

signals:
    void eventReceived(const QString& method, const QJsonObject& params, const QString& sessionId);
    // Emitted after each message (reply or event) has been handled.
    void messageHandled();
    // The browser closed its end (it ended or crashed); emitted once.
    void closed();

private:
    void onReadable();
    void onWritable();
    void flushOutput();
    void handleMessage(const QByteArray& json);
    void shutDown(const QString& reason);

    QProcess* m_process = nullptr;
    int m_fd = -1;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_in;
    QList<QByteArray> m_queue;
    qsizetype m_scanFrom = 0;
    QByteArray m_out;
    int m_nextId = 0;
    QHash<int, ReplyHandler> m_pending;
    QString m_closeReason = QStringLiteral("The browser is not running.");
};

} // namespace quessel
