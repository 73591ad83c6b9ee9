#include "quessel/data/Settings.h"
#include "quessel/shell/QuesselMain.h"
#include "quessel/shell/SplashWindow.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"

#include <orvik/CRegistry.h>

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

using namespace quessel;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void splashWaitOver_data();
    void splashWaitOver();
    void splashWaitFollowsTheClock_data();
    void splashWaitFollowsTheClock();
    void versionText_data();
    void versionText();
    void initializeGlobalsWritesSettingsBack();

private:
    ManualClock m_clock;
};

void TestStartup::initTestCase()
{
    Clock::setInstance(&m_clock);
}

void TestStartup::cleanupTestCase()
{
    Clock::setInstance(nullptr);
}

void TestStartup::splashWaitOver_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("now");
    QTest::addColumn<bool>("over");

    QTest::newRow("just started") << 36000.0 << 36000.0 << false;
    QTest::newRow("1.49 s later") << 36000.0 << 36001.49 << false;
    QTest::newRow("1.5 s later") << 36000.0 << 36001.5 << true;
    QTest::newRow("clock set back 99 s") << 36000.0 << 35901.0 << false;
    QTest::newRow("clock set back over 100 s") << 36000.0 << 35899.0 << true;
    QTest::newRow("midnight passed") << 86399.5 << 0.4 << true;
}

void TestStartup::splashWaitOver()
{
    QFETCH(double, start);
    QFETCH(double, now);
    QFETCH(bool, over);
    QCOMPARE(SplashWaitOver(start, now), over);
}

void TestStartup::splashWaitFollowsTheClock_data()
{
    QTest::addColumn<QTime>("startTime");
    QTest::addColumn<double>("firstStep");  // not enough to end the wait
    QTest::addColumn<double>("secondStep"); // ends it

    QTest::newRow("1.5 s pass") << QTime(10, 0) << 1.0 << 0.5;
    QTest::newRow("midnight passes") << QTime(23, 59, 59, 800) << 0.1 << 0.2;
}

void TestStartup::splashWaitFollowsTheClock()
{
    QFETCH(QTime, startTime);
    QFETCH(double, firstStep);
    QFETCH(double, secondStep);

    m_clock.set(QDateTime(QDate(2005, 3, 1), startTime));
    const double start = Clock::secondsSinceMidnight();
    bool secondStepTaken = false;
    QTimer::singleShot(20, this, [&] { m_clock.advanceSeconds(firstStep); });
    QTimer::singleShot(80, this, [&] {
        secondStepTaken = true;
        m_clock.advanceSeconds(secondStep);
    });
    // Never hang the test run, whatever goes wrong.
    QTimer::singleShot(10000, this, [&] { m_clock.advanceSeconds(200); });

    WaitForSplash(start);
    QVERIFY(secondStepTaken);
    QVERIFY(SplashWaitOver(start, Clock::secondsSinceMidnight()));
}

void TestStartup::versionText_data()
{
    QTest::addColumn<QString>("applicationVersion");
    QTest::addColumn<QString>("label");

    QTest::newRow("three parts") << "2.13.407"
                                 << "Version 2.13.407";
    QTest::newRow("revision missing") << "3.1"
                                      << "Version 3.1.0";
    QTest::newRow("no version") << ""
                                << "Version 0.0.0";
    QTest::newRow("build number dropped") << "1.2.3.4"
                                          << "Version 1.2.3";
}

void TestStartup::versionText()
{
    QFETCH(QString, applicationVersion);
    QFETCH(QString, label);
    QCoreApplication::setApplicationVersion(applicationVersion);
    SplashWindow splash(VersionText());
    QCOMPARE(splash.versionLabel(), label);
}

void TestStartup::initializeGlobalsWritesSettingsBack()
{
    // A value the user set in an earlier run survives the start-up's write-back.
    orvik::CRegistry registry;
    registry.SetRegistLocate(orvik::erlUser, QStringLiteral("Quessel"));
    QVERIFY(
        registry.SaveSetting(QStringLiteral("Setting_Action"), QStringLiteral("SearchInterval"), QStringLiteral("15")));

    InitializeGlobals();
    const ProgramGlobals& g = programGlobals();
    QVERIFY(!g.settingsWriteBlocked);
    QVERIFY(g.settingsReadError.isEmpty());
    QCOMPARE(g.dataFilePrefix, DataFolder::filePrefix());
    QCOMPARE(QDir::currentPath(), QDir(DataFolder::path()).absolutePath());
    QCOMPARE(g.OneSecond * 86400.0, 1.0);
    QCOMPARE(g.OldestWordDate, 32874.0);   // 1990/01/01
    QCOMPARE(g.FallbackWordDate, 42369.0); // 2015/12/31
    QVERIFY(!g.documentFolder.isEmpty());
    QCOMPARE(appSettings().SearchInterval, qint16(15));

    // Every other value now exists with its default.
    QCOMPARE(registry.GetSetting(QStringLiteral("SearchWoed"), QStringLiteral("DefaultValidDays")),
             QStringLiteral("10"));
    QCOMPARE(registry.GetSetting(QStringLiteral("Settings"), QStringLiteral("ShutDownWaitTime")),
             QStringLiteral("0:01:01"));
    registry.SetRegistLocate(orvik::erlMachine, QStringLiteral("Quessel"));
    QCOMPARE(registry.GetSetting(QStringLiteral("Settings"), QStringLiteral("OpaqueRateMain")), QStringLiteral("100"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
