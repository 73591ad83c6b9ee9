#include "quessel/data/CSearchWord.h"
#include "quessel/data/Settings.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/util/Cp932File.h"
#include "quessel/util/FieldText.h"
#include "quessel/util/RandomSource.h"

#include <orvik/VbDate.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <random>

using namespace quessel;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(quessel::SearchWord)

namespace quessel {
char* toString(const SearchWord& w)
{
    const QString text = QStringLiteral("{\"%1\", %2, %3, %4, %5}")
                             .arg(w.Word)
                             .arg(w.RegDate, 0, 'g', 17)
                             .arg(w.ValidDays, 0, 'g', 17)
                             .arg(w.LastDate, 0, 'g', 17)
                             .arg(w.UseCount);
    return qstrdup(text.toUtf8().constData());
}
} // namespace quessel

namespace {

constexpr double Hour = 1.0 / 24.0;

// Hands out the numbers a test lists, then zeros.
class ScriptedRandom : public RandomSource
{
public:
    double next() override { return m_values.isEmpty() ? 0.0 : m_values.takeFirst(); }
    void script(const QList<double>& values) { m_values = values; }

private:
    QList<double> m_values;
};

SearchWord W(const QString& word, double regDate, double validDays, double lastDate, qint16 useCount = 0)
{
    return SearchWord{word, regDate, validDays, lastDate, useCount};
}

void fill(CSearchWord& list, const QList<SearchWord>& words)
{
    for (const SearchWord& w : words) {
        const int i = list.AddNullWord();
        list.setWord(i, w.Word);
        list.setRegDate(i, w.RegDate);
        list.setValidDays(i, w.ValidDays);
        list.setLastDate(i, w.LastDate);
        list.setUseCount(i, w.UseCount);
    }
}

QStringList wordsOf(const CSearchWord& list)
{
    QStringList out;
    for (int i = 1; i <= list.Count(); ++i)
        out << list.Word(i);
    return out;
}

QStringList candidates(const CSearchWord& list)
{
    QStringList out;
    list.GetWordList(out);
    return out;
}

// The candidate list built word for word as described, with the quadratic exchange sort.
QStringList referenceWordList(const CSearchWord& list, int n, double now)
{
    QStringList out;
    for (int i = list.Count(); i >= 1 && out.size() < n; --i)
        if (list.LastDate(i) < now - 0.5)
            out << list.Word(i);
    if (out.size() < n) {
        QStringList words = wordsOf(list);
        QList<double> dates;
        for (int i = 1; i <= list.Count(); ++i)
            dates << list.LastDate(i);
        for (qsizetype j = 0; j + 1 < dates.size(); ++j)
            for (qsizetype k = j + 1; k < dates.size(); ++k)
                if (dates[j] > dates[k]) {
                    std::swap(dates[j], dates[k]);
                    std::swap(words[j], words[k]);
                }
        for (qsizetype i = 0; i < words.size() && out.size() < n; ++i)
            if (!words[i].isEmpty() && !out.contains(words[i]))
                out << words[i];
    }
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestCSearchWord : public QObject
{
    Q_OBJECT

private:
    ManualClock m_clock;
    ScriptedRandom m_random;
    int m_beeps = 0;
    QTemporaryDir m_dir;

    double now() const { return Clock::now(); }
    QString path(const QString& name = QStringLiteral("VELT_u_SearchWord.DAT")) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_clock.set(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
        Clock::setInstance(&m_clock);
        m_random.script({});
        RandomSource::setInstance(&m_random);
        m_beeps = 0;
        Beep::setHandler([this] { ++m_beeps; });
        appSettings().DefaultValidDays = 10;
        QFile::remove(path());
    }

    void cleanup()
    {
        Clock::setInstance(nullptr);
        RandomSource::setInstance(nullptr);
        Beep::setHandler({});
        appSettings().DefaultValidDays = 10;
    }

    void addWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<double>("validDays");
        QTest::addColumn<int>("defaultValidDays");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("storedValidDays");
        QTest::addColumn<int>("beeps");

        // The list holds "abc" (registered 2005/03/01, 30 days, used 3 times).
        QTest::newRow("blanks around a listed word renew it")
            << QStringLiteral("  abc  ") << EmptyDate << 10 << 1 << 1 << 30.0 << 0;
        QTest::newRow("empty valid days keep the old period")
            << QStringLiteral("abc") << EmptyDate << 10 << 1 << 1 << 30.0 << 0;
        QTest::newRow("valid days 7 replace the old period")
            << QStringLiteral("abc") << 7.0 << 10 << 1 << 1 << 7.0 << 0;
        QTest::newRow("marker value below the empty value keeps the period")
            << QStringLiteral("abc") << NumNP << 10 << 1 << 1 << 30.0 << 0;
        QTest::newRow("new word takes the DefaultValidDays setting")
            << QStringLiteral(" xyz") << EmptyDate << 45 << 2 << 2 << 45.0 << 0;
        QTest::newRow("new word with its own period") << QStringLiteral("xyz") << 0.5 << 45 << 2 << 2 << 0.5 << 0;
        QTest::newRow("case matters: ABC is another word")
            << QStringLiteral("ABC") << EmptyDate << 10 << 2 << 2 << 10.0 << 0;
        QTest::newRow("blank word refused with a beep") << QStringLiteral("   ") << 7.0 << 10 << 0 << 1 << 30.0 << 1;
        QTest::newRow("empty word refused with a beep") << QString() << 7.0 << 10 << 0 << 1 << 30.0 << 1;
    }
    void addWord()
    {
        QFETCH(QString, word);
        QFETCH(double, validDays);
        QFETCH(int, defaultValidDays);
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(double, storedValidDays);
        QFETCH(int, beeps);

        CSearchWord list;
        const double used = fromParts(2005, 3, 5, 9);
        fill(list, {W(QStringLiteral("abc"), fromParts(2005, 3, 1), 30, used, 3)});
        appSettings().DefaultValidDays = qint16(defaultValidDays);

        QCOMPARE(list.AddWord(word, validDays), index);
        QCOMPARE(list.Count(), count);
        QCOMPARE(m_beeps, beeps);
        const int checked = index ? index : 1;
        QCOMPARE(list.ValidDays(checked), storedValidDays);
        if (index == 0) {
            QCOMPARE(list.Record(1), W(QStringLiteral("abc"), fromParts(2005, 3, 1), 30, used, 3));
            return;
        }
        QCOMPARE(list.Word(index), word.trimmed());
        QCOMPARE(list.RegDate(index), now());
        if (index == 1) {
            QCOMPARE(list.UseCount(1), qint16(3));
            QCOMPARE(list.LastDate(1), used);
        } else {
            QCOMPARE(list.UseCount(index), qint16(0));
            QCOMPARE(list.LastDate(index), EmptyDate);
        }
    }

    void useWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("addIfMissing");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("useCount"); // of the word's record afterwards
        QTest::addColumn<bool>("lastDateNow");

        // The list holds "abc" (used 3 times on 2005/03/05) and "full" (used 32767 times).
        QTest::newRow("listed word counted") << QStringLiteral("abc") << false << 1 << 2 << 4 << true;
        QTest::newRow("unknown word added: negated index, one use, used now")
            << QStringLiteral("new") << true << -3 << 3 << 1 << true;
        QTest::newRow("unknown word without adding: 0, nothing changes")
            << QStringLiteral("new") << false << 0 << 2 << 3 << false;
        QTest::newRow("lookup is exact: blanks around a listed word do not find it")
            << QStringLiteral(" abc ") << false << 0 << 2 << 3 << false;
        QTest::newRow("blanks around a listed word with adding renew it, not a new record")
            << QStringLiteral(" abc ") << true << 1 << 2 << 4 << true;
        QTest::newRow("blank word with adding: 0") << QStringLiteral("  ") << true << 0 << 2 << 3 << false;
        QTest::newRow("use count held at 32767") << QStringLiteral("full") << false << 2 << 2 << 32767 << true;
    }
    void useWord()
    {
        QFETCH(QString, word);
        QFETCH(bool, addIfMissing);
        QFETCH(int, result);
        QFETCH(int, count);
        QFETCH(int, useCount);
        QFETCH(bool, lastDateNow);

        CSearchWord list;
        const double used = fromParts(2005, 3, 5, 9);
        fill(list, {W(QStringLiteral("abc"), fromParts(2005, 3, 1), 30, used, 3),
                    W(QStringLiteral("full"), fromParts(2005, 3, 1), 30, used, 32767)});

        QCOMPARE(list.UseWord(word, addIfMissing), result);
        QCOMPARE(list.Count(), count);
        const int index = result ? std::abs(result) : 1;
        QCOMPARE(int(list.UseCount(index)), useCount);
        QCOMPARE(list.LastDate(index), lastDateNow ? now() : used);
        if (result < 0) {
            QCOMPARE(list.Word(index), word);
            QCOMPARE(list.RegDate(index), now());
            QCOMPARE(list.ValidDays(index), 10.0);
        }
    }

    void validDate_data()
    {
        QTest::addColumn<double>("regDate");
        QTest::addColumn<double>("validDays");
        QTest::addColumn<QDate>("lastDay");

        const double reg = fromParts(2005, 3, 1, 15);
        QTest::newRow("30 days from 15:00 last through the 30th") << reg << 30.0 << QDate(2005, 3, 30);
        QTest::newRow("1 day: only the day of registration") << reg << 1.0 << QDate(2005, 3, 1);
        QTest::newRow("registered 23:59:59 for 1 day") << fromParts(2005, 3, 1, 23, 59, 59) << 1.0 << QDate(2005, 3, 1);
        QTest::newRow("0 days: already past") << reg << 0.0 << QDate(2005, 2, 28);
        QTest::newRow("empty period behaves as 0 days") << reg << EmptyDate << QDate(2005, 2, 28);
        QTest::newRow("half a day from 15:00 ends the same day") << reg << 0.5 << QDate(2005, 3, 1);
        QTest::newRow("half a day from 06:00 ended the day before")
            << fromParts(2005, 3, 1, 6) << 0.5 << QDate(2005, 2, 28);
        QTest::newRow("a third of a day as the file keeps it, from 16:00, reaches midnight")
            << fromParts(2005, 3, 1, 16) << 0.3333333 << QDate(2005, 3, 1);
        QTest::newRow("across a leap day") << fromParts(2004, 2, 28, 10) << 2.0 << QDate(2004, 2, 29);
    }
    void validDate()
    {
        QFETCH(double, regDate);
        QFETCH(double, validDays);
        QFETCH(QDate, lastDay);
        CSearchWord list;
        fill(list, {W(QStringLiteral("w"), regDate, validDays, EmptyDate)});
        QCOMPARE(list.ValidDate(1), fromParts(lastDay.year(), lastDay.month(), lastDay.day()));
    }

    void expiry_data()
    {
        QTest::addColumn<double>("regDate");
        QTest::addColumn<double>("validDays");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<bool>("kept");

        const double reg = fromParts(2005, 2, 28, 10);
        // valid up to and including 2005/03/01
        QTest::newRow("kept on its last day at 23:59:59")
            << reg << 2.0 << QDateTime(QDate(2005, 3, 1), QTime(23, 59, 59)) << true;
        QTest::newRow("removed at midnight after its last day")
            << reg << 2.0 << QDateTime(QDate(2005, 3, 2), QTime(0, 0)) << false;
        QTest::newRow("registered 23:59:59 for 1 day, kept that day")
            << fromParts(2005, 3, 1, 23, 59, 59) << 1.0 << QDateTime(QDate(2005, 3, 1), QTime(23, 59, 59)) << true;
        QTest::newRow("registered 23:59:59 for 1 day, removed the next day")
            << fromParts(2005, 3, 1, 23, 59, 59) << 1.0 << QDateTime(QDate(2005, 3, 2), QTime(0, 0, 1)) << false;
        QTest::newRow("0 days removed on the day of registration")
            << fromParts(2005, 3, 1, 9) << 0.0 << QDateTime(QDate(2005, 3, 1), QTime(9, 0, 1)) << false;
        QTest::newRow("never registered (blank line) removed")
            << EmptyDate << EmptyDate << QDateTime(QDate(2005, 3, 1), QTime(9, 0)) << false;
    }
    void expiry()
    {
        QFETCH(double, regDate);
        QFETCH(double, validDays);
        QFETCH(QDateTime, at);
        QFETCH(bool, kept);
        m_clock.set(at);
        CSearchWord list;
        fill(list, {W(QStringLiteral("w"), regDate, validDays, EmptyDate)});
        QCOMPARE(list.DelTimeoutWord(), kept ? 0 : 1);
        QCOMPARE(list.Count(), kept ? 1 : 0);
    }

    void delTimeoutWordKeepsOrderAndLeavesFile()
    {
        CSearchWord list;
        list.setFilePath(path());
        const double fresh = fromParts(2005, 3, 9);
        const double old = fromParts(2005, 1, 1);
        fill(list, {W(QStringLiteral("a"), fresh, 10, EmptyDate), W(QStringLiteral("b"), old, 10, EmptyDate),
                    W(QStringLiteral("c"), fresh, 10, EmptyDate), W(QStringLiteral("d"), old, 10, EmptyDate),
                    W(QStringLiteral("e"), old, 10, EmptyDate), W(QStringLiteral("f"), fresh, 10, EmptyDate)});
        QCOMPARE(list.DelTimeoutWord(), 3);
        QCOMPARE(wordsOf(list), (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("f")}));
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(list.DelTimeoutWord(), 0);
    }

    void newDataDate_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<double>("setTo");
        QTest::addColumn<double>("reads");
        QTest::addColumn<double>("regDate");
        QTest::addColumn<bool>("isNew");

        const double unset = fromParts(2015, 12, 31);
        QTest::newRow("never set reads 2015/12/31; older words not new")
            << false << 0.0 << unset << fromParts(2015, 12, 30, 23, 59, 59) << false;
        QTest::newRow("never set: a word registered on 2015/12/31 is new")
            << false << 0.0 << unset << fromParts(2015, 12, 31) << true;
        QTest::newRow("set to 1990/01/01 still counts as never set")
            << true << fromParts(1990, 1, 1) << unset << fromParts(2005, 3, 1) << false;
        QTest::newRow("set one second later reads as set")
            << true << fromParts(1990, 1, 1, 0, 0, 1) << fromParts(1990, 1, 1, 0, 0, 1) << fromParts(2005, 3, 1)
            << true;
        QTest::newRow("word registered at that very moment is new")
            << true << fromParts(2005, 3, 1, 9) << fromParts(2005, 3, 1, 9) << fromParts(2005, 3, 1, 9) << true;
        QTest::newRow("word registered a second before is not")
            << true << fromParts(2005, 3, 1, 9) << fromParts(2005, 3, 1, 9) << fromParts(2005, 3, 1, 8, 59, 59)
            << false;
    }
    void newDataDate()
    {
        QFETCH(bool, set);
        QFETCH(double, setTo);
        QFETCH(double, reads);
        QFETCH(double, regDate);
        QFETCH(bool, isNew);
        CSearchWord list;
        if (set)
            list.setNewDataDate(setTo);
        fill(list, {W(QStringLiteral("w"), regDate, 10, EmptyDate)});
        QCOMPARE(list.NewDataDate(), reads);
        QCOMPARE(list.IsNewData(1), isNew);
    }

    void deleteWord_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("beeps");
        const QStringList all{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QTest::newRow("deleting 2 of 3 moves 3 up") << 2 << QStringList{QStringLiteral("a"), QStringLiteral("c")} << 0;
        QTest::newRow("deleting the last") << 3 << QStringList{QStringLiteral("a"), QStringLiteral("b")} << 0;
        QTest::newRow("index 0 only beeps") << 0 << all << 1;
        QTest::newRow("index beyond Count only beeps") << 4 << all << 1;
        QTest::newRow("negative index only beeps") << -1 << all << 1;
    }
    void deleteWord()
    {
        QFETCH(int, index);
        QFETCH(QStringList, left);
        QFETCH(int, beeps);
        CSearchWord list;
        for (const char* w : {"a", "b", "c"})
            list.AddWord(QString::fromLatin1(w), EmptyDate);
        list.DeleteWord(index);
        QCOMPARE(wordsOf(list), left);
        QCOMPARE(m_beeps, beeps);
    }

    void badIndexBeepsAndChangesNothing()
    {
        CSearchWord list;
        list.AddWord(QStringLiteral("a"), 5);
        const SearchWord before = list.Record(1);
        QCOMPARE(list.GetWord(2), QString());
        QCOMPARE(list.UseCount(0), qint16(0));
        list.setWord(2, QStringLiteral("x"));
        list.setValidDays(0, 3);
        QCOMPARE(m_beeps, 4);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Record(1), before);
    }

    void nonFiniteValuesStoredEmpty()
    {
        CSearchWord list;
        list.AddWord(QStringLiteral("a"), 5);
        list.setLastDate(1, std::nan(""));
        list.setRegDate(1, INFINITY);
        list.setValidDays(1, -INFINITY);
        QCOMPARE(list.Record(1), W(QStringLiteral("a"), EmptyDate, EmptyDate, EmptyDate, 0));
    }

    void findSearchWord()
    {
        CSearchWord list;
        fill(list,
             {W(QStringLiteral("Abc"), 1, 1, 1), W(QStringLiteral("abc"), 1, 1, 1), W(QStringLiteral("abc"), 1, 1, 1)});
        QCOMPARE(list.FindSearchWord(QStringLiteral("abc")), 2);
        QCOMPARE(list.FindSearchWord(QStringLiteral("ABC")), 0);
        QCOMPARE(list.FindSearchWord(QStringLiteral("ab")), 0);
        QCOMPARE(list.FindSearchWord(QStringLiteral("abc ")), 0);
    }

    void randomGetWord_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("restTime");
        QTest::addColumn<QString>("word");

        // w1 valid, used an hour ago; w2 expired, never used; w3 valid, used 3 days ago;
        // w4 valid, "used" 2 days in the future (the clock was set back).
        QTest::newRow("r 0 starts at the first word") << 0.0 << -1.0 << QStringLiteral("w1");
        QTest::newRow("r .25 starts at the second: expired counts with a negative rest time")
            << 0.25 << -1.0 << QStringLiteral("w2");
        QTest::newRow("probe goes forward: rest 0 passes the expired word to w3")
            << 0.25 << 0.0 << QStringLiteral("w3");
        QTest::newRow("probe wraps after the last word") << 0.75 << 0.0 << QStringLiteral("w1");
        QTest::newRow("future use more than a day ahead never qualifies with -1")
            << 0.75 << -1.0 << QStringLiteral("w1");
        QTest::newRow("r just below 1 starts at the last word")
            << std::nextafter(1.0, 0.0) << -3.0 << QStringLiteral("w4");
        QTest::newRow("rest 1 day passes a word used an hour ago") << 0.0 << 1.0 << QStringLiteral("w3");
        QTest::newRow("rest of exactly 3 days still takes w3") << 0.5 << 3.0 << QStringLiteral("w3");
        QTest::newRow("rest 5 days: none qualifies") << 0.0 << 5.0 << QString();
    }
    void randomGetWord()
    {
        QFETCH(double, r);
        QFETCH(double, restTime);
        QFETCH(QString, word);
        CSearchWord list;
        const double reg = fromParts(2005, 3, 10);
        fill(list, {W(QStringLiteral("w1"), reg, 10, now() - Hour), W(QStringLiteral("w2"), 1000, 10, EmptyDate),
                    W(QStringLiteral("w3"), reg, 10, now() - 3), W(QStringLiteral("w4"), reg, 10, now() + 2)});
        m_random.script({r});
        QCOMPARE(list.RandomGetWord(restTime), word);
    }

    void largestRandomNumberTakesTheLastPosition()
    {
        const double r = std::nextafter(1.0, 0.0);
        CSearchWord list;
        for (const char* w : {"a", "b", "c"})
            list.AddWord(QString::fromLatin1(w), EmptyDate);
        m_random.script({r});
        QCOMPARE(list.RandomGetWord(-1), QStringLiteral("c"));
        QCOMPARE(list.CreateWordList(10), 3);
        m_random.script({r});
        QCOMPARE(list.RandomGetWordList(), QStringLiteral("a"));
        QCOMPARE(m_beeps, 0);
    }

    void randomFromEmptyLists()
    {
        CSearchWord list;
        QCOMPARE(list.RandomGetWord(-1), QString());
        QCOMPARE(m_beeps, 0);
        QCOMPARE(list.RandomGetWordList(), QString());
        QCOMPARE(m_beeps, 1);
        list.AddWord(QStringLiteral("a"), EmptyDate);
        QCOMPARE(list.RandomGetWordList(), QString()); // not built yet
        QCOMPARE(m_beeps, 2);
    }

    void randomGetWordList_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<QString>("word");
        // candidates, newest first: d, c, b, a
        QTest::newRow("r 0 gives candidate 1") << 0.0 << QStringLiteral("d");
        QTest::newRow("r .49 gives candidate 2") << 0.49 << QStringLiteral("c");
        QTest::newRow("r .5 gives candidate 3") << 0.5 << QStringLiteral("b");
        QTest::newRow("r .99 gives candidate 4") << 0.99 << QStringLiteral("a");
    }
    void randomGetWordList()
    {
        QFETCH(double, r);
        QFETCH(QString, word);
        CSearchWord list;
        for (const char* w : {"a", "b", "c", "d"})
            list.AddWord(QString::fromLatin1(w), EmptyDate);
        QCOMPARE(list.CreateWordList(10), 4);
        m_random.script({r});
        QCOMPARE(list.RandomGetWordList(), word);
    }

    void createWordList_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QList<double>>("lastDates");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("expected");

        const auto t = [](int h, int m = 0, int s = 0) { return fromParts(2005, 3, 10, h, m, s); };
        const QDateTime noon(QDate(2005, 3, 10), QTime(12, 0));
        const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        auto L = [](std::initializer_list<const char*> words) {
            QStringList out;
            for (const char* w : words)
                out << QString::fromUtf8(w);
            return out;
        };

        QTest::newRow("three never-used words: newest first")
            << abc << QList<double>{EmptyDate, EmptyDate, EmptyDate} << noon << 10 << L({"c", "b", "a"});
        QTest::newRow("fresh pass stops at n")
            << abc << QList<double>{EmptyDate, EmptyDate, EmptyDate} << noon << 2 << L({"c", "b"});
        QTest::newRow("all used within 12 hours: the two least recently used")
            << abc << QList<double>{t(11), t(7), t(9)} << noon << 2 << L({"b", "c"});
        QTest::newRow("fresh words first, then the least recently used")
            << L({"a", "b", "c", "d"}) << QList<double>{t(0) - 1, t(11), t(10), t(0) - 2} << noon << 3
            << L({"d", "a", "c"});
        QTest::newRow("empty word taken while fresh, skipped afterwards")
            << L({"", "b", ""}) << QList<double>{t(11), t(10), EmptyDate} << noon << 3 << L({"", "b"});
        QTest::newRow("repeated words taken once in the second pass")
            << L({"a", "a", "b"}) << QList<double>{t(10), t(11), t(9)} << noon << 3 << L({"b", "a"});
        QTest::newRow("equal dates in the exchange sort's order, not a stable sort's")
            << L({"x", "y", "z"}) << QList<double>{t(7), t(7), t(6)} << noon << 3 << L({"z", "y", "x"});
        QTest::newRow("n of 0 gives an empty list")
            << abc << QList<double>{EmptyDate, EmptyDate, EmptyDate} << noon << 0 << QStringList();
        QTest::newRow("negative n gives an empty list")
            << abc << QList<double>{EmptyDate, EmptyDate, EmptyDate} << noon << -3 << QStringList();
        QTest::newRow("empty list") << QStringList() << QList<double>() << noon << 10 << QStringList();

        // b was used at 10:00; a at 09:00 is fresh all along. Fresh, b comes first (newer).
        const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("used at 10:00: not fresh at 21:59:59")
            << ab << QList<double>{t(9), t(10)} << QDateTime(QDate(2005, 3, 10), QTime(21, 59, 59)) << 2
            << L({"a", "b"});
        QTest::newRow("used at 10:00: not fresh at 22:00:00")
            << ab << QList<double>{t(9), t(10)} << QDateTime(QDate(2005, 3, 10), QTime(22, 0)) << 2 << L({"a", "b"});
        QTest::newRow("used at 10:00: fresh again at 22:00:01")
            << ab << QList<double>{t(9), t(10)} << QDateTime(QDate(2005, 3, 10), QTime(22, 0, 1)) << 2 << L({"b", "a"});
    }
    void createWordList()
    {
        QFETCH(QStringList, words);
        QFETCH(QList<double>, lastDates);
        QFETCH(QDateTime, at);
        QFETCH(int, n);
        QFETCH(QStringList, expected);
        m_clock.set(at);
        CSearchWord list;
        for (qsizetype i = 0; i < words.size(); ++i)
            fill(list, {W(words[i], fromParts(2005, 3, 1), 30, lastDates[i])});
        QCOMPARE(list.CreateWordList(n), int(expected.size()));
        QCOMPARE(candidates(list), expected);
        QCOMPARE(list.Count(), int(words.size()));
    }

    void createWordListMatchesExchangeSort_data()
    {
        QTest::addColumn<int>("lists");
        QTest::addColumn<int>("maxCount");
        QTest::addColumn<int>("distinctDates");
        QTest::addColumn<int>("emptyPercent");
        QTest::addColumn<int>("repeatPercent");
        QTest::addColumn<int>("freshPercent");

        QTest::newRow("short lists, few dates, empties and repeats") << 300 << 12 << 3 << 20 << 20 << 20;
        QTest::newRow("short lists, all used within 12 hours") << 300 << 20 << 4 << 10 << 30 << 0;
        QTest::newRow("beyond the stepwise passes: one date for all") << 20 << 300 << 1 << 30 << 30 << 0;
        QTest::newRow("beyond the stepwise passes: few dates") << 30 << 400 << 5 << 40 << 30 << 10;
        QTest::newRow("beyond the stepwise passes: many dates") << 30 << 400 << 60 << 20 << 20 << 5;
        QTest::newRow("long lists of distinct words") << 10 << 600 << 8 << 0 << 0 << 0;
    }
    void createWordListMatchesExchangeSort()
    {
        QFETCH(int, lists);
        QFETCH(int, maxCount);
        QFETCH(int, distinctDates);
        QFETCH(int, emptyPercent);
        QFETCH(int, repeatPercent);
        QFETCH(int, freshPercent);

        std::mt19937 gen(20050310u + uint(maxCount) * 7u + uint(distinctDates));
        auto below = [&](int k) { return int(gen() % uint(k)); };
        for (int l = 0; l < lists; ++l) {
            const int count = below(maxCount + 1);
            CSearchWord list;
            QStringList words;
            for (int i = 0; i < count; ++i) {
                QString word = QStringLiteral("w%1").arg(i);
                if (below(100) < emptyPercent)
                    word.clear();
                else if (!words.isEmpty() && below(100) < repeatPercent)
                    word = words.at(below(int(words.size())));
                words << word;
                double last;
                if (below(100) < freshPercent)
                    last = below(4) == 0 ? EmptyDate : now() - 1 - below(distinctDates) * Hour;
                else
                    last = now() - below(distinctDates) * (10.0 / 1440.0); // within 12 hours for up to 72
                fill(list, {W(word, fromParts(2005, 3, 1), 30, last)});
            }
            for (int n : {1, 2, 3, 10, 70, count - 1, count, count + 3}) {
                list.CreateWordList(n);
                const QStringList expected = referenceWordList(list, n, now());
                if (candidates(list) != expected) {
                    QCOMPARE(candidates(list), expected); // shows the difference
                    QFAIL(qPrintable(QStringLiteral("list %1, n %2").arg(l).arg(n)));
                }
            }
        }
    }

    void validDaysInFile_data()
    {
        QTest::addColumn<double>("validDays");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("readBack");

        QTest::newRow("10") << 10.0 << QStringLiteral(" 10") << 10.0;
        QTest::newRow("30") << 30.0 << QStringLiteral(" 30") << 30.0;
        QTest::newRow("half a day without a leading zero") << 0.5 << QStringLiteral(" .5") << 0.5;
        QTest::newRow("1.5") << 1.5 << QStringLiteral(" 1.5") << 1.5;
        QTest::newRow("negative without a leading zero") << -0.25 << QStringLiteral("-.25") << -0.25;
        QTest::newRow("zero") << 0.0 << QStringLiteral(" 0") << 0.0;
        QTest::newRow("negative zero written as zero") << -0.0 << QStringLiteral(" 0") << 0.0;
        QTest::newRow("a third to 7 significant digits") << 1.0 / 3.0 << QStringLiteral(" .3333333") << 0.3333333;
        QTest::newRow("large number in exponent form") << 12345678.0 << QStringLiteral(" 1.234568E+07") << 12345680.0;
        QTest::newRow("small number in exponent form") << 0.00001 << QStringLiteral(" 1E-05") << 0.00001;
        QTest::newRow("empty value as empty text") << EmptyDate << QString() << EmptyDate;
        QTest::newRow("NP marker") << NumNP << QStringLiteral("NP") << NumNP;
        QTest::newRow("dash marker as full-width minus") << NumDash << QStringLiteral(u"－") << NumDash;
    }
    void validDaysInFile()
    {
        QFETCH(double, validDays);
        QFETCH(QString, text);
        QFETCH(double, readBack);
        QCOMPARE(CSearchWord::validDaysText(validDays), text);

        CSearchWord list;
        list.setFilePath(path());
        fill(list, {W(QStringLiteral("w"), fromParts(2005, 3, 1, 9, 8, 7), validDays, EmptyDate, 2)});
        QVERIFY(list.FileRW(1));
        const QByteArray expected =
            QByteArray("w\t2005/03/01 09:08:07\t") + Cp932File::encodeText(text) + QByteArray("\t        \t2\r\n");
        QCOMPARE(fileBytes(path()), expected);

        CSearchWord loaded;
        loaded.setFilePath(path());
        QVERIFY(loaded.FileRW(0));
        QCOMPARE(loaded.Count(), 1);
        QCOMPARE(loaded.ValidDays(1), readBack);
    }

    void fileRoundTrip()
    {
        CSearchWord list;
        list.setFilePath(path());
        const QList<SearchWord> words{
            W(QStringLiteral(u"検索ワード"), fromParts(2005, 3, 1, 15), 30, fromParts(2005, 3, 9, 23, 59, 59), 7),
            W(QStringLiteral("two words"), fromParts(2004, 2, 29), 0.5, EmptyDate, 0),
            W(QStringLiteral(u"𠮷野家"), fromParts(2005, 1, 1, 0, 0, 1), 10, fromParts(2005, 1, 2), -3),
            W(QStringLiteral("max"), fromParts(2005, 1, 1), NumNP, EmptyDate, 32767),
        };
        fill(list, words);
        QVERIFY(list.FileRW(1));
        const QByteArray expected =
            QByteArray("\x8c\x9f\x8d\xf5\x83\x8f\x81\x5b\x83\x68"
                       "\t2005/03/01 15:00:00\t 30\t2005/03/09 23:59:59\t7\r\n"
                       "two words\t2004/02/29 00:00:00\t .5\t        \t0\r\n"
                       "&#134071;\x96\xec\x89\xc6\t2005/01/01 00:00:01\t 10\t2005/01/02 00:00:00\t-3\r\n"
                       "max\t2005/01/01 00:00:00\tNP\t        \t32767\r\n");
        QCOMPARE(fileBytes(path()), expected);

        CSearchWord loaded;
        loaded.setFilePath(path());
        fill(loaded, {W(QStringLiteral("replaced by the load"), 1, 1, 1)});
        QVERIFY(loaded.FileRW(0));
        QCOMPARE(loaded.Count(), int(words.size()));
        for (int i = 1; i <= loaded.Count(); ++i)
            QCOMPARE(loaded.Record(i), words[i - 1]);

        QVERIFY(loaded.FileRW(1));
        QCOMPARE(fileBytes(path()), expected);
    }

    void loadLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<SearchWord>("record");

        const double reg = fromParts(2005, 3, 1, 12);
        QTest::newRow("blank line gives an empty record")
            << QByteArray("") << W(QString(), EmptyDate, EmptyDate, EmptyDate, 0);
        QTest::newRow("short line padded")
            << QByteArray("abc\t2005/03/01 12:00:00") << W(QStringLiteral("abc"), reg, EmptyDate, EmptyDate, 0);
        QTest::newRow("blanks in front of the word are lost, behind it kept")
            << QByteArray("  abc \t2005/03/01 12:00:00\t 10\t        \t1")
            << W(QStringLiteral("abc "), reg, 10, EmptyDate, 1);
        QTest::newRow("use count beyond 16 bits held at the top")
            << QByteArray("abc\t2005/03/01 12:00:00\t 10\t        \t99999")
            << W(QStringLiteral("abc"), reg, 10, EmptyDate, 32767);
        QTest::newRow("use count beyond 16 bits held at the bottom")
            << QByteArray("abc\t2005/03/01 12:00:00\t 10\t        \t-99999")
            << W(QStringLiteral("abc"), reg, 10, EmptyDate, -32768);
        QTest::newRow("use count rounds half to even")
            << QByteArray("abc\t2005/03/01 12:00:00\t 10\t\t2.5") << W(QStringLiteral("abc"), reg, 10, EmptyDate, 2);
        QTest::newRow("valid days not rounded")
            << QByteArray("abc\t2005/03/01 12:00:00\t 2.75\t\t1") << W(QStringLiteral("abc"), reg, 2.75, EmptyDate, 1);
        QTest::newRow("NP marker") << QByteArray("abc\t2005/03/01 12:00:00\tnp\t\t1")
                                   << W(QStringLiteral("abc"), reg, NumNP, EmptyDate, 1);
        QTest::newRow("half-width dash marker")
            << QByteArray("abc\t2005/03/01 12:00:00\t-\t\t1") << W(QStringLiteral("abc"), reg, NumDash, EmptyDate, 1);
        QTest::newRow("full-width dash marker") << QByteArray("abc\t2005/03/01 12:00:00\t\x81\x7c\t\t1")
                                                << W(QStringLiteral("abc"), reg, NumDash, EmptyDate, 1);
        QTest::newRow("unreadable dates and numbers read as empty and 0")
            << QByteArray("abc\tyesterday\tmany\t2005/13/01\tsome")
            << W(QStringLiteral("abc"), EmptyDate, 0, EmptyDate, 0);
        QTest::newRow("fields beyond the fifth ignored")
            << QByteArray("abc\t2005/03/01 12:00:00\t 10\t2005/03/01 12:00:00\t4\textra\tmore")
            << W(QStringLiteral("abc"), reg, 10, reg, 4);
    }
    void loadLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(SearchWord, record);
        QVERIFY(writeBytes(path(), line + "\r\n"));
        CSearchWord list;
        list.setFilePath(path());
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Record(1), record);
    }

    void blankLinesBecomeRecords()
    {
        QVERIFY(writeBytes(path(), "a\r\n\r\nb\r\n   \r\nc"));
        CSearchWord list;
        list.setFilePath(path());
        QVERIFY(list.FileRW(0));
        QCOMPARE(wordsOf(list),
                 (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString(), QStringLiteral("c")}));
        QCOMPARE(list.Record(2), W(QString(), EmptyDate, EmptyDate, EmptyDate, 0));
    }

    void emptyListAndEmptyFile()
    {
        CSearchWord list;
        list.setFilePath(path());
        QVERIFY(list.FileRW(1));
        QVERIFY(QFile::exists(path()));
        QCOMPARE(fileBytes(path()).size(), 0);

        fill(list, {W(QStringLiteral("a"), 1, 1, 1)});
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), 0);
    }

    void missingFileGivesEmptyList()
    {
        CSearchWord list;
        list.setFilePath(path(QStringLiteral("none.DAT")));
        fill(list, {W(QStringLiteral("a"), 1, 1, 1)});
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), 0);
        QVERIFY(!QFile::exists(path(QStringLiteral("none.DAT"))));
    }

    void fileErrorsAreReported()
    {
        CSearchWord list;
        fill(list, {W(QStringLiteral("kept"), 1, 1, 1)});

        list.setFilePath(m_dir.path()); // a folder cannot be read as a list
        const FileResult read = list.FileRW(0);
        QVERIFY(!read.ok);
        QVERIFY(!read.errorText.isEmpty());
        QCOMPARE(wordsOf(list), QStringList{QStringLiteral("kept")});

        list.setFilePath(m_dir.filePath(QStringLiteral("no/such/folder/SearchWord.DAT")));
        const FileResult written = list.FileRW(1);
        QVERIFY(!written.ok);
        QVERIFY(!written.errorText.isEmpty());

        QVERIFY(!list.FileRW(2).ok);
        QCOMPARE(wordsOf(list), QStringList{QStringLiteral("kept")});
    }

    void defaultFileInDataFolder()
    {
        const QByteArray before = qgetenv("QUESSEL_DATA_DIR");
        const QString folder = m_dir.filePath(QStringLiteral("data"));
        qputenv("QUESSEL_DATA_DIR", folder.toLocal8Bit());
        CSearchWord list;
        const QString file = list.filePath();
        list.AddWord(QStringLiteral("a"), 5);
        const bool written = bool(list.FileRW(1));
        qputenv("QUESSEL_DATA_DIR", before);

        QVERIFY(file.startsWith(QDir(folder).absolutePath() + QStringLiteral("/VELT_")));
        QVERIFY(file.endsWith(QStringLiteral("_SearchWord.DAT")));
        QVERIFY(written);
        QVERIFY(QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestCSearchWord)
#include "tst_csearchword.moc"
