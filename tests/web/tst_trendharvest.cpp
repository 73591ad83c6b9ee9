// How the words of a finished trend run enter the watch-word list.
#include "quessel/data/CSearchWord.h"
#include "quessel/data/Settings.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/web/TrendHarvest.h"

#include <orvik/VbDate.h>

#include <QMap>
#include <QTest>

using namespace quessel;

using Memory = QMap<int, QString>;
Q_DECLARE_METATYPE(Memory)

class TestTrendHarvest : public QObject
{
    Q_OBJECT

private:
    ManualClock m_clock{QDateTime(QDate(2005, 3, 1), QTime(12, 0))};
    int m_beeps = 0;

private slots:
    void init()
    {
        m_clock.set(QDateTime(QDate(2005, 3, 1), QTime(12, 0)));
        Clock::setInstance(&m_clock);
        m_beeps = 0;
        Beep::setHandler([this] { ++m_beeps; });
        appSettings().DefaultValidDays = 10;
    }
    void cleanup()
    {
        Beep::setHandler({});
        Clock::setInstance(nullptr);
    }

    void wordsComeFromSlot4On_data()
    {
        QTest::addColumn<Memory>("memory");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("count 2 reads slots 4 and 5")
            << Memory{{3, "2"}, {4, "a"}, {5, "b"}, {6, "c"}} << QStringList{"a", "b"};
        QTest::newRow("empty count reads nothing") << Memory{{4, "a"}} << QStringList{};
        QTest::newRow("count not a number reads nothing") << Memory{{3, "x"}, {4, "a"}} << QStringList{};
        QTest::newRow("negative count reads nothing") << Memory{{3, "-2"}, {4, "a"}} << QStringList{};
        QTest::newRow("count rounds half to even")
            << Memory{{3, "2.5"}, {4, "a"}, {5, "b"}, {6, "c"}} << QStringList{"a", "b"};
        QTest::newRow("count with blanks around it") << Memory{{3, " 1 "}, {4, "a"}} << QStringList{"a"};
        QTest::newRow("empty slots are words too") << Memory{{3, "2"}, {5, "b"}} << QStringList{"", "b"};
        QTest::newRow("a count in another slot yields nothing") << Memory{{1, "2"}, {2, "a"}} << QStringList{};
    }
    void wordsComeFromSlot4On()
    {
        QFETCH(Memory, memory);
        QFETCH(QStringList, words);
        QCOMPARE(TrendHarvest::harvestedWords([&](int n) { return memory.value(n); }), words);
    }

    void countBeyondTheMemoryStopsAtItsEnd()
    {
        QList<int> asked;
        const QStringList words = TrendHarvest::harvestedWords([&](int n) {
            asked << n;
            return n == 3 ? QStringLiteral("500") : QStringLiteral("w%1").arg(n);
        });
        QCOMPARE(words.size(), 97);
        QCOMPARE(words.last(), QStringLiteral("w100"));
        QCOMPARE(*std::max_element(asked.cbegin(), asked.cend()), 100);
    }

    void wordsEnterTheList()
    {
        CSearchWord list;
        const int known = list.AddWord(QStringLiteral("既知"), 30);
        list.UseWord(QStringLiteral("既知"), false);
        list.setRegDate(known, orvik::vbdate::fromParts(2005, 1, 1));
        m_clock.set(QDateTime(QDate(2005, 3, 2), QTime(9, 0)));

        const QString twenty = QString(20, QChar(0x3042));
        const QString twentyOne = QString(21, QChar(0x3042));
        const QStringList harvested{QStringLiteral("w"),    twentyOne, QStringLiteral("w"), QString(),
                                    QStringLiteral("既知"), twenty,    QStringLiteral("w")};
        const TrendHarvest::Result r = TrendHarvest::addToWatchWords(harvested, list);

        QCOMPARE(r.taken, (QStringList{"w", "w", "", "既知", twenty, "w"}));
        QCOMPARE(r.displayText, QStringLiteral("w  w    既知  ") + twenty + QStringLiteral("  w  "));
        QCOMPARE(r.added, 5);      // the empty word is refused
        QCOMPARE(m_beeps, 1);      // with a beep
        QCOMPARE(list.Count(), 3); // 既知, w, the twenty-character word
        QCOMPARE(list.FindSearchWord(twentyOne), 0);

        const int w = list.FindSearchWord(QStringLiteral("w"));
        QCOMPARE(list.ValidDays(w), 10.0); // the default validity
        QCOMPARE(list.RegDate(w), Clock::now());
        QCOMPARE(list.UseCount(w), qint16(0));
        // A known word is registered anew and keeps its validity and use count.
        QCOMPARE(list.RegDate(known), Clock::now());
        QCOMPARE(list.ValidDays(known), 30.0);
        QCOMPARE(list.UseCount(known), qint16(1));
    }
};

QTEST_GUILESS_MAIN(TestTrendHarvest)
#include "tst_trendharvest.moc"
