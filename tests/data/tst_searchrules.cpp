#include "quessel/data/CSearchSite.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"

#include <orvik/VbDate.h>

#include <QTest>

using namespace quessel;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(quessel::SearchSite)

namespace {

constexpr double Hour = 1.0 / 24;
constexpr double Minute = 1.0 / 1440;

// 1 March 2005 at the given time (hours may run past 24 into the next days).
double march1(int hour, int minute = 0, int second = 0)
{
    return fromParts(2005, 3, 1) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

struct Rules
{
    qint16 batchSearch = 3;
    double useInterval = 0;
    double dayChangeTime = 0;
    qint16 dayMaxN = 0;
    qint16 dayN = 0;
    qint16 timeZoneMaxN = 0;
    qint16 timeZoneN = 0;
    qint16 timeZoneType = 1;
    double lastRun = EmptyDate;

    SearchSite site() const
    {
        SearchSite s;
        s.Name = QStringLiteral("site");
        s.BatchSearch = batchSearch;
        s.UseInterval = useInterval;
        s.DayChangeTime = dayChangeTime;
        s.DayMaxN = dayMaxN;
        s.DayN = dayN;
        s.TimeZoneMaxN = timeZoneMaxN;
        s.TimeZoneN = timeZoneN;
        s.TimeZoneType = timeZoneType;
        s.LastRun = lastRun;
        return s;
    }
};

CSearchSite listWith(const SearchSite& site)
{
    CSearchSite list;
    list.setSite(list.AddSearchSite(), site);
    return list;
}

} // namespace

class TestSearchRules : public QObject
{
    Q_OBJECT

private:
    ManualClock m_clock;
    int m_beeps = 0;

    void setNow(double value) { m_clock.setValue(value); }

private slots:
    void initTestCase() { Clock::setInstance(&m_clock); }
    void cleanupTestCase() { Clock::setInstance(nullptr); }
    void init()
    {
        m_beeps = 0;
        Beep::setHandler([this] { ++m_beeps; });
    }
    void cleanup() { Beep::setHandler({}); }

    void noteAndVerdict_data()
    {
        QTest::addColumn<SearchSite>("site");
        QTest::addColumn<double>("now");
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("searchable");

        const double noon = march1(12);
        Rules r;
        r.batchSearch = 1;
        QTest::newRow("new site searches always") << r.site() << noon << QStringLiteral("・日検索:0") << true;
        r.batchSearch = 2;
        QTest::newRow("BatchSearch 2 never") << r.site() << noon << QStringLiteral("・日検索:0") << false;
        r.batchSearch = 3;
        QTest::newRow("BatchSearch 3 without rules follows IsNoRule")
            << r.site() << noon << QStringLiteral("・日検索:0") << true;
        r.batchSearch = 0;
        QTest::newRow("BatchSearch outside 1..3 never") << r.site() << noon << QStringLiteral("・日検索:0") << false;

        r = Rules();
        r.dayMaxN = 30;
        r.dayN = 3;
        r.lastRun = march1(9);
        QTest::newRow("three of thirty today") << r.site() << noon << QStringLiteral("☆日検索(3/30)") << true;
        r.dayN = 30;
        QTest::newRow("thirty of thirty today") << r.site() << noon << QStringLiteral("・日検索(30/30)") << false;
        r.lastRun = march1(-3);
        QTest::newRow("yesterday's thirty count as none")
            << r.site() << noon << QStringLiteral("☆日検索(0/30)") << true;

        r = Rules();
        r.dayChangeTime = 5 * Hour;
        r.dayMaxN = 5;
        r.dayN = 5;
        r.lastRun = march1(4, 30);
        QTest::newRow("day changing at 05:00 still full at 04:59:59")
            << r.site() << march1(4, 59, 59) << QStringLiteral("・日検索(5/5)") << false;
        QTest::newRow("day changing at 05:00 empty again at 05:00:00")
            << r.site() << march1(5) << QStringLiteral("☆日検索(0/5)") << true;

        r = Rules();
        r.timeZoneType = 2;
        r.timeZoneMaxN = 1;
        r.timeZoneN = 1;
        r.dayN = 1;
        r.lastRun = march1(10, 15);
        QTest::newRow("hourly zone full at 10:59:59")
            << r.site() << march1(10, 59, 59) << QStringLiteral("・日検索:1 ・時間帯検索(1/1)") << false;
        QTest::newRow("hourly zone open at 11:00:00")
            << r.site() << march1(11) << QStringLiteral("・日検索:1 ☆時間帯検索(0/1)") << true;
        QTest::newRow("same hour the next day is another zone")
            << r.site() << march1(24 + 10, 20) << QStringLiteral("・日検索:0 ☆時間帯検索(0/1)") << true;

        r = Rules();
        r.useInterval = 1.0 / 86400;
        QTest::newRow("interval of exactly one second shows no interval part")
            << r.site() << noon << QStringLiteral("・日検索:0") << false;
        r.useInterval = 2 * Hour;
        QTest::newRow("never searched with an interval: Over 24H")
            << r.site() << noon << QStringLiteral("・時間間隔[Over 24H] ・日検索:0") << false;
        r.useInterval = Hour;
        r.lastRun = noon - 2 * Hour;
        r.dayN = 1;
        QTest::newRow("interval the only rule: never chosen")
            << r.site() << noon << QStringLiteral("・時間間隔[2:00:00] ・日検索:1") << false;

        r = Rules();
        r.useInterval = Hour;
        r.lastRun = noon - 30 * Minute;
        r.dayMaxN = 5;
        r.dayN = 2;
        r.timeZoneMaxN = 1;
        r.timeZoneN = 1;
        QTest::newRow("interval pending, day room, zone full")
            << r.site() << noon << QStringLiteral("▼時間間隔[0:30:00] ☆日検索(2/5) ・時間帯検索(1/1)") << false;
        r.timeZoneN = 0;
        r.lastRun = noon - Hour;
        QTest::newRow("interval over at exactly one hour")
            << r.site() << noon << QStringLiteral("・時間間隔[1:00:00] ☆日検索(2/5) ☆時間帯検索(0/1)") << true;
        r.lastRun = noon - Hour + 1.0 / 86400;
        QTest::newRow("interval pending one second before")
            << r.site() << noon << QStringLiteral("▼時間間隔[0:59:59] ☆日検索(2/5) ☆時間帯検索(0/1)") << false;
        r.lastRun = noon + 30 * Minute;
        QTest::newRow("clock set back before LastRun: pending")
            << r.site() << noon << QStringLiteral("▼時間間隔[0:30:00] ☆日検索(2/5) ☆時間帯検索(0/1)") << false;
        r.useInterval = 48 * Hour;
        r.lastRun = noon - 25 * Hour;
        QTest::newRow("interval beyond a day shows hours past whole days")
            << r.site() << noon << QStringLiteral("▼時間間隔[1:00:00] ☆日検索(0/5) ☆時間帯検索(0/1)") << false;

        r = Rules();
        r.dayMaxN = 5;
        r.dayN = 5;
        r.timeZoneType = 3;
        r.timeZoneMaxN = 2;
        r.timeZoneN = 1;
        r.lastRun = march1(12);
        QTest::newRow("day full but zone has room")
            << r.site() << march1(14) << QStringLiteral("・日検索(5/5) ☆時間帯検索(1/2)") << true;

        r = Rules();
        r.timeZoneMaxN = 2;
        r.timeZoneN = 2;
        r.dayN = 2;
        r.lastRun = march1(8);
        QTest::newRow("zone limit without zones is a second daily limit")
            << r.site() << noon << QStringLiteral("・日検索:2 ・時間帯検索(2/2)") << false;
        QTest::newRow("zone limit without zones opens the next day")
            << r.site() << march1(24 + 8) << QStringLiteral("・日検索:0 ☆時間帯検索(0/2)") << true;
        r.timeZoneType = 0;
        QTest::newRow("zone type 0 hides the zone part") << r.site() << noon << QStringLiteral("・日検索:2") << false;
    }
    void noteAndVerdict()
    {
        QFETCH(SearchSite, site);
        QFETCH(double, now);
        QFETCH(QString, note);
        QFETCH(bool, searchable);
        setNow(now);
        const CSearchSite list = listWith(site);
        QCOMPARE(list.Note(1), note);
        QCOMPARE(list.GetSearchSW(1), searchable);
    }

    void isToday_data()
    {
        QTest::addColumn<double>("dayChangeTime");
        QTest::addColumn<double>("moment");
        QTest::addColumn<double>("now");
        QTest::addColumn<bool>("today");
        QTest::newRow("midnight change: 23:59:59 and 00:00:00 differ")
            << 0.0 << march1(23, 59, 59) << march1(24) << false;
        QTest::newRow("midnight change: same date") << 0.0 << march1(0) << march1(23, 59, 59) << true;
        QTest::newRow("04:00 change: 03:59:59 belongs to the day before")
            << 4 * Hour << march1(3, 59, 59) << march1(4) << false;
        QTest::newRow("04:00 change: 03:59:59 next morning still today")
            << 4 * Hour << march1(4) << march1(24 + 3, 59, 59) << true;
        QTest::newRow("empty date is never today") << 0.0 << EmptyDate << march1(12) << false;
        QTest::newRow("day change read from a file as the empty date") << EmptyDate << march1(0) << march1(12) << true;
    }
    void isToday()
    {
        QFETCH(double, dayChangeTime);
        QFETCH(double, moment);
        QFETCH(double, now);
        QFETCH(bool, today);
        SearchSite s;
        s.DayChangeTime = dayChangeTime;
        setNow(now);
        QCOMPARE(listWith(s).IsToday(1, moment), today);
    }

    void getTimeZoneNo_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("zone");
        QTest::newRow("時間帯なし") << 1 << 23 << 0;
        QTest::newRow("１時間毎 23") << 2 << 23 << 23;
        QTest::newRow("６時間毎 5") << 3 << 5 << 0;
        QTest::newRow("６時間毎 6") << 3 << 6 << 1;
        QTest::newRow("６時間毎 23") << 3 << 23 << 3;
        QTest::newRow("12時間毎 11") << 4 << 11 << 0;
        QTest::newRow("12時間毎 12") << 4 << 12 << 1;
        QTest::newRow("８時間毎 7") << 5 << 7 << 0;
        QTest::newRow("８時間毎 8") << 5 << 8 << 1;
        QTest::newRow("８時間毎 23") << 5 << 23 << 2;
        QTest::newRow("ｶｽﾀﾏｲｽﾞ") << 6 << 23 << 0;
        QTest::newRow("unknown type") << 9 << 23 << 0;
    }
    void getTimeZoneNo()
    {
        QFETCH(int, type);
        QFETCH(int, hour);
        QFETCH(int, zone);
        SearchSite s;
        s.TimeZoneType = qint16(type);
        const CSearchSite list = listWith(s);
        QCOMPARE(list.GetTimeZoneNo(1, march1(hour, 59, 59)), zone);
        QCOMPARE(list.GetTimeZoneNo(1, march1(hour)), zone);
    }

    void isTimeZone_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("dayChangeTime");
        QTest::addColumn<double>("moment");
        QTest::addColumn<double>("now");
        QTest::addColumn<bool>("sameZone");
        QTest::newRow("hourly: 10:15 and 10:59:59 share a zone")
            << 2 << 0.0 << march1(10, 15) << march1(10, 59, 59) << true;
        QTest::newRow("hourly: 10:15 and 11:00 differ") << 2 << 0.0 << march1(10, 15) << march1(11) << false;
        QTest::newRow("hourly: same hour of another day differs")
            << 2 << 0.0 << march1(10, 15) << march1(24 + 10, 20) << false;
        QTest::newRow("six-hourly from 04:00: 22:00 and 03:59:59 next morning share a zone")
            << 3 << 4 * Hour << march1(22) << march1(24 + 3, 59, 59) << true;
        QTest::newRow("six-hourly from 04:00: 03:59:59 and 04:00 differ")
            << 3 << 4 * Hour << march1(24 + 3, 59, 59) << march1(24 + 4) << false;
        QTest::newRow("six-hourly from 04:00: 04:00 and 09:59:59 share a zone")
            << 3 << 4 * Hour << march1(4) << march1(9, 59, 59) << true;
        QTest::newRow("six-hourly from 04:00: 09:59:59 and 10:00 differ")
            << 3 << 4 * Hour << march1(9, 59, 59) << march1(10) << false;
        QTest::newRow("twelve-hourly: 11:59:59 and 12:00 differ")
            << 4 << 0.0 << march1(11, 59, 59) << march1(12) << false;
        QTest::newRow("eight-hourly: 08:00 and 15:59:59 share a zone")
            << 5 << 0.0 << march1(8) << march1(15, 59, 59) << true;
        QTest::newRow("no zones: the site day is the zone")
            << 1 << 5 * Hour << march1(5) << march1(24 + 4, 59, 59) << true;
        QTest::newRow("no zones: next site day differs") << 1 << 5 * Hour << march1(4, 59, 59) << march1(5) << false;
    }
    void isTimeZone()
    {
        QFETCH(int, type);
        QFETCH(double, dayChangeTime);
        QFETCH(double, moment);
        QFETCH(double, now);
        QFETCH(bool, sameZone);
        SearchSite s;
        s.TimeZoneType = qint16(type);
        s.DayChangeTime = dayChangeTime;
        setNow(now);
        QCOMPARE(listWith(s).IsTimeZone(1, moment), sameZone);
    }

    void isNoRule_data()
    {
        QTest::addColumn<SearchSite>("site");
        QTest::addColumn<bool>("noRule");
        SearchSite s;
        QTest::newRow("new site") << s << true;
        s.DayMaxN = 1;
        QTest::newRow("daily limit") << s << false;
        s = SearchSite();
        s.TimeZoneMaxN = 1;
        QTest::newRow("zone limit") << s << false;
        s = SearchSite();
        s.TimeZoneType = 2;
        QTest::newRow("zones without a limit") << s << false;
        s = SearchSite();
        s.UseInterval = 1.0 / 86400;
        QTest::newRow("interval of one second") << s << false;
        s.UseInterval = 0.5 / 86400;
        QTest::newRow("interval below one second") << s << true;
        s = SearchSite();
        s.DayMaxN = -5;
        s.TimeZoneType = 0;
        QTest::newRow("negative limit and zone type 0") << s << true;
    }
    void isNoRule()
    {
        QFETCH(SearchSite, site);
        QFETCH(bool, noRule);
        QCOMPARE(listWith(site).IsNoRule(1), noRule);
    }

    void searchAction_data()
    {
        QTest::addColumn<SearchSite>("site");
        QTest::addColumn<double>("now");
        QTest::addColumn<int>("dayN");
        QTest::addColumn<int>("timeZoneN");

        Rules r;
        r.dayN = 7;
        r.timeZoneN = 7;
        QTest::newRow("first search ever counts 1") << r.site() << march1(12) << 1 << 1;
        r.lastRun = march1(9);
        r.dayN = 3;
        r.timeZoneN = 3;
        QTest::newRow("same site day adds one") << r.site() << march1(12) << 4 << 4;
        r.lastRun = march1(-1);
        r.dayN = 30;
        QTest::newRow("yesterday's count replaced by 1") << r.site() << march1(12) << 1 << 1;

        r = Rules();
        r.dayChangeTime = 5 * Hour;
        r.lastRun = march1(4, 30);
        r.dayN = 5;
        r.timeZoneN = 5;
        QTest::newRow("site day changes at 05:00") << r.site() << march1(5) << 1 << 1;
        QTest::newRow("site day not yet changed at 04:59:59") << r.site() << march1(4, 59, 59) << 6 << 6;

        r = Rules();
        r.timeZoneType = 2;
        r.lastRun = march1(10, 15);
        r.dayN = 2;
        r.timeZoneN = 1;
        QTest::newRow("same hourly zone adds one") << r.site() << march1(10, 45) << 3 << 2;
        QTest::newRow("next hourly zone starts again") << r.site() << march1(11) << 3 << 1;

        r = Rules();
        r.lastRun = march1(9);
        r.dayN = 32767;
        r.timeZoneN = 32767;
        QTest::newRow("count at the 16-bit end stays there") << r.site() << march1(12) << 32767 << 32767;
    }
    void searchAction()
    {
        QFETCH(SearchSite, site);
        QFETCH(double, now);
        QFETCH(int, dayN);
        QFETCH(int, timeZoneN);
        setNow(now);
        CSearchSite list = listWith(site);
        list.SearchAction(1);
        QCOMPARE(int(list.Site(1).DayN), dayN);
        QCOMPARE(int(list.Site(1).TimeZoneN), timeZoneN);
        QCOMPARE(list.LastRun(1), now);
        QCOMPARE(m_beeps, 0);
    }

    void searchActionAcrossDayChangeUpdatesTheNote()
    {
        Rules r;
        r.dayChangeTime = 5 * Hour;
        r.dayMaxN = 2;
        CSearchSite list = listWith(r.site());
        setNow(march1(4));
        list.SearchAction(1);
        setNow(march1(4, 30));
        list.SearchAction(1);
        QCOMPARE(list.Note(1), QStringLiteral("・日検索(2/2)"));
        QVERIFY(!list.GetSearchSW(1));
        setNow(march1(5));
        QCOMPARE(list.Note(1), QStringLiteral("☆日検索(0/2)"));
        QVERIFY(list.GetSearchSW(1));
        list.SearchAction(1);
        QCOMPARE(list.Note(1), QStringLiteral("☆日検索(1/2)"));
        QCOMPARE(list.Site(1).DayN, qint16(1));
    }

    void badIndex()
    {
        CSearchSite list = listWith(SearchSite());
        list.SearchAction(2);
        QCOMPARE(m_beeps, 1);
        QCOMPARE(list.Note(2), QString());
        QVERIFY(!list.GetSearchSW(0));
        QCOMPARE(list.LastRun(1), EmptyDate);
    }
};

QTEST_GUILESS_MAIN(TestSearchRules)
#include "tst_searchrules.moc"
