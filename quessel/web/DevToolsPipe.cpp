#include "DevToolsPipe.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QPointer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quessel {

DevToolsPipe::DevToolsPipe(QObject* parent) : QObject(parent) {}

DevToolsPipe::~DevToolsPipe()
{
    // Nobody listens any more.
    blockSignals(true);
    close();
}

void DevToolsPipe::close()
{
    // Our end closing is the browser's signal to end.
    shutDown(QStringLiteral("The browser connection was closed."));
    if (m_process && m_process->state() != QProcess::NotRunning && !m_process->waitForFinished(3000)) {
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

bool DevToolsPipe::start(const QString& program, const QStringList& arguments, const QString& logPath, QString* error)
{
    if (m_process) {
        if (error)
            *error = QStringLiteral("The browser was already started.");
        return false;
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        if (error)
            *error = QStringLiteral("Cannot create the browser pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // The child's end must not be 3 or 4 itself, or dup2 onto it would keep its close-on-exec flag.
    const int childFd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 5);
    ::close(pair[1]);
    if (childFd < 0) {
        ::close(pair[0]);
        if (error)
            *error = QStringLiteral("Cannot create the browser pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }

    m_process = new QProcess(this);
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(logPath, QIODevice::Append);
    m_process->setChildProcessModifier([childFd] {
        ::dup2(childFd, 3);
        ::dup2(childFd, 4);
    });
    m_process->start();
    const bool started = m_process->waitForStarted(10000);
    // Only the browser may hold the other end, or its death would never show as end of file.
    ::close(childFd);
    if (!started) {
        ::close(pair[0]);
        if (error)
            *error = QStringLiteral("Cannot start the browser %1: %2").arg(program, m_process->errorString());
        return false;
    }

    m_fd = pair[0];
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &DevToolsPipe::onReadable);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &DevToolsPipe::onWritable);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        shutDown(status == QProcess::NormalExit ? QStringLiteral("The browser ended (exit status %1).").arg(code)
                                                : QStringLiteral("The browser crashed or was killed."));
    });
    return true;
}

qint64 DevToolsPipe::processId() const
{
    return m_process ? m_process->processId() : 0;
}

int DevToolsPipe::exitCode() const
{
    if (!m_process || m_process->state() != QProcess::NotRunning || m_process->exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process->exitCode();
}

bool DevToolsPipe::waitForExit(int msecs)
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return true;
    return m_process->waitForFinished(msecs);
}

int DevToolsPipe::send(const QString& method, const QJsonObject& params, const QString& sessionId, ReplyHandler handler)
{
    if (m_fd < 0) {
        if (handler)
            handler(Reply{false, {}, m_closeReason});
        return -1;
    }
    const int id = ++m_nextId;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        message.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    if (handler)
        m_pending.insert(id, std::move(handler));
    m_out += QJsonDocument(message).toJson(QJsonDocument::Compact);
    m_out += '\0';
    flushOutput();
    return id;
}

void DevToolsPipe::cancel(int id)
{
    m_pending.remove(id);
}

DevToolsPipe::Reply DevToolsPipe::call(const QString& method, const QJsonObject& params, const QString& sessionId,
                                       int timeoutMs)
{
    struct State
    {
        bool done = false;
        Reply reply;
        QEventLoop* loop = nullptr;
    };
    auto state = std::make_shared<State>();
    QEventLoop loop;
    state->loop = &loop;
    const int id = send(method, params, sessionId, [state](const Reply& reply) {
        state->done = true;
        state->reply = reply;
        if (state->loop)
            state->loop->quit();
    });
    if (!state->done) {
        QPointer<DevToolsPipe> self(this);
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        loop.exec();
        if (!state->done && self)
            cancel(id);
    }
    state->loop = nullptr;
    if (!state->done)
        return Reply{
            false, {}, QStringLiteral("The browser did not answer %1 within %2 ms.").arg(method).arg(timeoutMs)};
    return state->reply;
}

bool DevToolsPipe::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    if (m_fd < 0)
        return false;
    QPointer<DevToolsPipe> self(this);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &DevToolsPipe::messageHandled, &loop, [&] {
        if (done())
            loop.quit();
    });
    connect(this, &DevToolsPipe::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    return self && done();
}

void DevToolsPipe::poll()
{
    if (m_fd >= 0)
        onReadable();
}

void DevToolsPipe::onReadable()
{
    QPointer<DevToolsPipe> self(this);
    bool atEnd = false;
    char buffer[65536];
    while (m_fd >= 0) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_in.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        atEnd = true;
        break;
    }
    // Messages are handled strictly in order, also when a handler turns a nested event loop that
    // reads more: every level takes from the one queue.
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_in.indexOf('\0', std::max(start, m_scanFrom));
        if (end < 0)
            break;
        m_queue.append(m_in.mid(start, end - start));
        start = end + 1;
    }
    m_in.remove(0, start);
    m_scanFrom = m_in.size();
    while (!m_queue.isEmpty()) {
        const QByteArray message = m_queue.takeFirst();
        handleMessage(message);
        if (!self)
            return;
    }
    if (atEnd)
        shutDown(QStringLiteral("The browser closed the connection (it ended or crashed)."));
}

void DevToolsPipe::onWritable()
{
    flushOutput();
}

void DevToolsPipe::flushOutput()
{
    while (m_fd >= 0 && !m_out.isEmpty()) {
        // MSG_NOSIGNAL: a browser that died must fail this write, not kill the program with SIGPIPE.
        const ssize_t n = ::send(m_fd, m_out.constData(), m_out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            m_out.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        shutDown(QStringLiteral("The browser closed the connection (it ended or crashed)."));
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void DevToolsPipe::handleMessage(const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject())
        return;
    const QJsonObject message = document.object();
    const auto idValue = message.value(QStringLiteral("id"));
    if (!idValue.isUndefined()) {
        const ReplyHandler handler = m_pending.take(idValue.toInt());
        if (handler) {
            Reply reply;
            if (message.contains(QStringLiteral("error"))) {
                reply.error =
                    message.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
                if (reply.error.isEmpty())
                    reply.error = QStringLiteral("The browser refused the command.");
            } else {
                reply.ok = true;
                reply.result = message.value(QStringLiteral("result")).toObject();
            }
            handler(reply);
        }
    } else {
        emit eventReceived(message.value(QStringLiteral("method")).toString(),
                           message.value(QStringLiteral("params")).toObject(),
                           message.value(QStringLiteral("sessionId")).toString());
    }
    emit messageHandled();
}

void DevToolsPipe::shutDown(const QString& reason)
{
    if (m_fd < 0)
        return;
    // Possibly inside the notifier's own signal: disable now, delete later.
    for (QSocketNotifier* notifier : {m_readNotifier, m_writeNotifier}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    ::close(m_fd);
    m_fd = -1;
    m_closeReason = reason;
    m_out.clear();
    const auto pending = std::exchange(m_pending, {});
    for (const ReplyHandler& handler : pending)
        handler(Reply{false, {}, reason});
    emit closed();
}

} // namespace quessel
