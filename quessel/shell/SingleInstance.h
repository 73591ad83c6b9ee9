#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

namespace quessel {

// Keeps the program to one running copy per user session: a lock file in the runtime folder,
// and beside it a local socket on which a later start asks the running copy to come forward.
// A lock left behind by a copy that died is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` names the lock file (name + ".lock") and the socket (name + ".socket").
    explicit SingleInstance(const QString& name = QStringLiteral("quessel"), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening; false when another copy holds the lock.
    bool acquire();
    bool isPrimary() const { return m_primary; }
    // Asks the copy holding the lock to bring its window forward; false when it did not answer.
    bool requestRaise(int timeoutMs = 2000);

    QString lockFilePath() const;
    QString socketPath() const;
    // $XDG_RUNTIME_DIR, or Qt's per-user fallback when it is not set.
    static QString runtimeFolder();

signals:
    void raiseRequested();

private:
    void onNewConnection();

    QString m_name;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
};

} // namespace quessel
