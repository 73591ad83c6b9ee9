#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/util/RandomSource.h"
#include "quessel/util/Rounding.h"

#include <orvik/VbDate.h>
#include <orvik/VbFormat.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using orvik::vbdate::fromParts;

class TestUtilMisc : public QObject
{
    Q_OBJECT

private slots:
    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("int16");
        QTest::newRow("half to even down") << 2.5 << 2;
        QTest::newRow("half to even up") << 3.5 << 4;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("above half") << 2.5000001 << 3;
        QTest::newRow("marker value becomes 0") << 3e-21 << 0;
        QTest::newRow("clamped above the range") << 40000.0 << 32767;
        QTest::newRow("clamped below the range") << -40000.0 << -32768;
        QTest::newRow("range end kept") << 32767.0 << 32767;
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(int, int16);
        QCOMPARE(int(toInt16(value)), int16);
    }

    void dateValues_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("before the epoch keeps time of day")
            << fromParts(1899, 12, 29, 6) << QStringLiteral("yyyy/mm/dd hh:nn:ss")
            << QStringLiteral("1899/12/29 06:00:00");
        QTest::newRow("elapsed hours without leading zero")
            << 0.5 / 24 << QStringLiteral("h:nn:ss") << QStringLiteral("0:30:00");
        QTest::newRow("over a day shows only the hours beyond whole days")
            << 1 + 3.0 / 24 << QStringLiteral("h:nn:ss") << QStringLiteral("3:00:00");
        QTest::newRow("negative elapsed time") << -0.25 << QStringLiteral("h:nn:ss") << QStringLiteral("6:00:00");
        QTest::newRow("month/day hour:minute")
            << fromParts(2005, 3, 1, 9, 5) << QStringLiteral("mm/dd hh:nn") << QStringLiteral("03/01 09:05");
        QTest::newRow("date only") << fromParts(2005, 3, 1, 9, 5) << QStringLiteral("yyyy/mm/dd")
                                   << QStringLiteral("2005/03/01");
        QTest::newRow("seconds with one decimal") << 5.25 << QStringLiteral("##0.0") << QStringLiteral("5.3");
        QTest::newRow("wider number pattern") << 1234.04 << QStringLiteral("###0.0") << QStringLiteral("1234.0");
        QTest::newRow("zero with one decimal") << 0.0 << QStringLiteral("##0.0") << QStringLiteral("0.0");
    }
    void dateValues()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(orvik::formatValue(value, pattern), text);
    }

    void negativeDateArithmetic()
    {
        QCOMPARE(fromParts(1899, 12, 29, 6), -1.25);
        const auto p = orvik::vbdate::toParts(-1.25);
        QCOMPARE(QDate(p.year, p.month, p.day), QDate(1899, 12, 29));
        QCOMPARE(p.hour, 6);
        QCOMPARE(orvik::vbdate::timePart(-1.25), 0.25);
    }

    void manualClockDrivesNow()
    {
        ManualClock clock(QDateTime(QDate(2005, 3, 1), QTime(23, 59, 59, 700)));
        Clock::setInstance(&clock);
        QCOMPARE(Clock::now(), fromParts(2005, 3, 1, 23, 59, 59)); // to the whole second
        clock.advanceSeconds(1);
        QCOMPARE(Clock::now(), fromParts(2005, 3, 2, 0, 0, 0));
        Clock::setInstance(nullptr);
        QVERIFY(Clock::now() > fromParts(2020, 1, 1));
    }

    void seededRandomIsRepeatableAndInRange()
    {
        SeededRandom a(42), b(42);
        for (int i = 0; i < 1000; ++i) {
            const double x = a.next();
            QCOMPARE(x, b.next());
            QVERIFY(x >= 0.0 && x < 1.0);
        }
        RandomSource::setInstance(&a);
        QCOMPARE(RandomSource::instance(), &a);
        RandomSource::setInstance(nullptr);
        QVERIFY(RandomSource::instance() != &a);
    }

    void dataFolderFromEnvironment()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.filePath(QStringLiteral("data"));
        qputenv("QUESSEL_DATA_DIR", folder.toLocal8Bit());
        QCOMPARE(DataFolder::path(), folder);
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(DataFolder::filePrefix(),
                 folder + QStringLiteral("/VELT_") + DataFolder::userName() + QLatin1Char('_'));
        QVERIFY(!DataFolder::userName().isEmpty());
    }

    void dataFolderDefaultIsPrivate()
    {
        QTemporaryDir tmp;
        qunsetenv("QUESSEL_DATA_DIR");
        qputenv("XDG_DATA_HOME", tmp.path().toLocal8Bit());
        const QString folder = DataFolder::path();
        QCOMPARE(folder, tmp.path() + QStringLiteral("/Quessel"));
        QCOMPARE(QFileInfo(folder).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
    }
};

QTEST_GUILESS_MAIN(TestUtilMisc)
#include "tst_utilmisc.moc"
