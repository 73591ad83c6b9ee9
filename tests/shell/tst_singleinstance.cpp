#include "quessel/shell/MessageBoxes.h"
#include "quessel/shell/QuesselMain.h"
#include "quessel/shell/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

using namespace quessel;

namespace {

// A process id that belonged to a process which has ended.
qint64 deadProcessId()
{
    QProcess p;
    p.start(QStringLiteral("/bin/true"), {});
    if (!p.waitForStarted())
        return 0;
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void secondGuardIsRefusedAndRaisesTheFirst();
    void lockOfADeadCopyIsTakenOver();
    void secondStartOfTheProgramIsRefused();
};

void TestSingleInstance::initTestCase()
{
    MessageBoxes::setUnattended(true);
    QVERIFY(SingleInstance::runtimeFolder().contains(QLatin1String("test-homes")));
}

void TestSingleInstance::init()
{
    MessageBoxes::reset();
}

void TestSingleInstance::secondGuardIsRefusedAndRaisesTheFirst()
{
    auto first = std::make_unique<SingleInstance>(QStringLiteral("guard-test"));
    QVERIFY(first->acquire());
    QVERIFY(first->isPrimary());
    QVERIFY(QFileInfo::exists(first->lockFilePath()));
    QSignalSpy raised(first.get(), &SingleInstance::raiseRequested);

    SingleInstance second(QStringLiteral("guard-test"));
    QVERIFY(!second.acquire());
    QVERIFY(!second.isPrimary());
    QVERIFY(second.requestRaise());
    QVERIFY(raised.wait(5000));
    QCOMPARE(raised.count(), 1);
    // Refusing the second changed nothing for the first.
    QVERIFY(first->isPrimary());
    QVERIFY(!second.acquire());

    // Once the first has ended, the next start gets the lock.
    first.reset();
    QVERIFY(!QFileInfo::exists(second.lockFilePath()));
    SingleInstance third(QStringLiteral("guard-test"));
    QVERIFY(third.acquire());
}

void TestSingleInstance::lockOfADeadCopyIsTakenOver()
{
    SingleInstance guard(QStringLiteral("crash-test"));
    const qint64 pid = deadProcessId();
    QVERIFY(pid > 0);
    // What a copy that died leaves behind: its lock and its socket file.
    {
        QFile lock(guard.lockFilePath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + "\nquessel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        QFile socket(guard.socketPath());
        QVERIFY(socket.open(QIODevice::WriteOnly));
    }
    QVERIFY(guard.acquire());

    // Its socket answers again.
    QSignalSpy raised(&guard, &SingleInstance::raiseRequested);
    SingleInstance later(QStringLiteral("crash-test"));
    QVERIFY(!later.acquire());
    QVERIFY(later.requestRaise());
    QVERIFY(raised.wait(5000));
}

void TestSingleInstance::secondStartOfTheProgramIsRefused()
{
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QStringLiteral(QUESSEL_EXE), {});
    QVERIFY(first.waitForStarted());

    // Wait until the program holds its lock and listens.
    SingleInstance probe;
    const QDeadlineTimer deadline(20000);
    bool answering = false;
    while (!deadline.hasExpired() && first.state() == QProcess::Running) {
        if (QFileInfo::exists(probe.lockFilePath()) && probe.requestRaise(200)) {
            answering = true;
            break;
        }
        first.waitForFinished(50);
    }
    QVERIFY2(answering, "the program never took its lock");

    // The second start, through the program's own start-up routine.
    QCOMPARE(Main(), 1);
    const QList<MessageBoxes::Record> shown = MessageBoxes::takeRecords();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().icon, QMessageBox::Warning);
    QCOMPARE(shown.first().title, QStringLiteral(u"起動エラー"));
    QCOMPARE(shown.first().text, QStringLiteral(u"すでにこのプログラムは起動しています！"));
    QCOMPARE(shown.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    // The first copy runs on and still holds the lock.
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(probe.requestRaise());
    QVERIFY(!probe.acquire());

    first.kill();
    QVERIFY(first.waitForFinished());
    // What it left behind does not keep the next start out.
    QVERIFY(probe.acquire());
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
