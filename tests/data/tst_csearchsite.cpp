#include "ListTestSupport.h"
#include "quessel/data/CSearchSite.h"
#include "quessel/data/PresetSearchSites.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Beep.h"
#include "quessel/util/DataFolder.h"

#include <orvik/VbDate.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using namespace quessel::testsupport;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(quessel::SearchSite)

namespace quessel {
char* toString(const SearchSite& s)
{
    return QTest::toString(CSearchSite::recordLine(s) +
                           QStringLiteral(" {LastRun %1, DayChangeTime %2, UseInterval %3}")
                               .arg(s.LastRun, 0, 'g', 17)
                               .arg(s.DayChangeTime, 0, 'g', 17)
                               .arg(s.UseInterval, 0, 'g', 17));
}
} // namespace quessel

namespace {

const QString Blank8 = QString(8, QLatin1Char(' '));

CSearchSite listOf(const QStringList& siteNames)
{
    CSearchSite list;
    for (const QString& name : siteNames)
        list.setName(list.AddSearchSite(), name);
    return list;
}

// A site with every field away from its default.
SearchSite fullSite()
{
    SearchSite s;
    s.Name = QStringLiteral("ｸﾞｰｸﾞﾙ～検索");
    s.URL = QStringLiteral("https://www.google.co.jp/");
    s.KeywordID = QStringLiteral("q");
    s.Reserved1 = QStringLiteral("予備①");
    s.LastRun = fromParts(2005, 3, 1, 15, 4, 5);
    s.Process = WebProcessScript::DefaultSearchProcess(s.URL, s.KeywordID);
    s.DayChangeTime = 5.0 / 24;
    s.DayMaxN = 30;
    s.DayN = 2;
    s.TimeZoneMaxN = 1;
    s.TimeZoneN = 1;
    s.TimeZoneType = 3;
    s.Reserved2 = QStringLiteral("ﾒﾓ");
    s.UseInterval = 1.5 / 24;
    s.BatchSearch = 3;
    s.BatchSearchSW = 0;
    return s;
}

// The record a blank line reads as.
SearchSite blankLineSite()
{
    SearchSite s;
    s.DayChangeTime = EmptyDate;
    s.UseInterval = EmptyDate;
    s.TimeZoneType = 0;
    s.BatchSearchSW = 0;
    return s;
}

} // namespace

class TestCSearchSite : public QObject
{
    Q_OBJECT

private:
    int m_beeps = 0;

private slots:
    void init()
    {
        m_beeps = 0;
        Beep::setHandler([this] { ++m_beeps; });
    }
    void cleanup() { Beep::setHandler({}); }

    void addSearchSiteGivesNewRecordDefaults()
    {
        CSearchSite list;
        QCOMPARE(list.Count(), 0);
        QCOMPARE(list.AddSearchSite(), 1);
        QCOMPARE(list.AddSearchSite(), 2);
        QCOMPARE(list.Count(), 2);
        const SearchSite& s = list.Site(2);
        QCOMPARE(s, SearchSite());
        QCOMPARE(s.LastRun, EmptyDate);
        QCOMPARE(s.TimeZoneType, qint16(1));
        QCOMPARE(s.BatchSearch, qint16(1));
        QCOMPARE(s.BatchSearchSW, qint16(1));
        QCOMPARE(s.DayChangeTime, 0.0);
        QCOMPARE(s.UseInterval, 0.0);
    }

    void deleteSite_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("beeps");
        QTest::newRow("deleting 2 of 3 moves the third up") << 2 << QStringList{"a", "c"} << 0;
        QTest::newRow("deleting the first") << 1 << QStringList{"b", "c"} << 0;
        QTest::newRow("deleting the last") << 3 << QStringList{"a", "b"} << 0;
        QTest::newRow("index 0 only beeps") << 0 << QStringList{"a", "b", "c"} << 1;
        QTest::newRow("index past the end only beeps") << 4 << QStringList{"a", "b", "c"} << 1;
        QTest::newRow("negative index only beeps") << -1 << QStringList{"a", "b", "c"} << 1;
    }
    void deleteSite()
    {
        QFETCH(int, index);
        QFETCH(QStringList, left);
        QFETCH(int, beeps);
        CSearchSite list = listOf({"a", "b", "c"});
        list.setProcess(3, QStringLiteral("third's process"));
        QCOMPARE(list.DeleteSite(index), beeps == 0);
        QCOMPARE(names(list), left);
        QCOMPARE(list.Count(), int(left.size()));
        QCOMPARE(m_beeps, beeps);
        if (index == 2)
            QCOMPARE(list.Process(2), QStringLiteral("third's process"));
    }

    void setWorkCopiesAllFieldsBothWays()
    {
        CSearchSite list = listOf({"a", "b"});
        SearchSiteWork() = fullSite();
        QVERIFY(list.SetWork(1, 2));
        QCOMPARE(list.Site(2), fullSite());
        QCOMPARE(list.Name(1), QStringLiteral("a"));

        QVERIFY(list.SetWork(0, 1));
        QCOMPARE(SearchSiteWork().Name, QStringLiteral("a"));
        QCOMPARE(SearchSiteWork(), list.Site(1));

        QVERIFY(list.SetWork(0, 2));
        QCOMPARE(SearchSiteWork(), fullSite());
        QCOMPARE(m_beeps, 0);
    }

    void setWorkWithBadIndexOnlyBeeps_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("index");
        QTest::newRow("read with index 0") << 0 << 0;
        QTest::newRow("read past the end") << 0 << 3;
        QTest::newRow("write back past the end") << 1 << 3;
    }
    void setWorkWithBadIndexOnlyBeeps()
    {
        QFETCH(int, mode);
        QFETCH(int, index);
        CSearchSite list = listOf({"a", "b"});
        SearchSiteWork() = fullSite();
        QVERIFY(!list.SetWork(mode, index));
        QCOMPARE(m_beeps, 1);
        QCOMPARE(SearchSiteWork(), fullSite());
        QCOMPARE(names(list), QStringList({"a", "b"}));
    }

    void propertiesReadAndWrite()
    {
        CSearchSite list = listOf({"a"});
        list.setBatchSearchSW(1, 5); // stored as given; only reading a line narrows it
        QCOMPARE(list.BatchSearchSW(1), qint16(5));
        list.setProcess(1, QStringLiteral("<ProcessN> 0</ProcessN>"));
        QCOMPARE(list.Process(1), QStringLiteral("<ProcessN> 0</ProcessN>"));
        list.setName(1, QStringLiteral("Google"));
        QCOMPARE(list.Name(1), QStringLiteral("Google"));
        QCOMPARE(list.LastRun(1), EmptyDate);
        QCOMPARE(list.URL(1), QString());
        QCOMPARE(m_beeps, 0);

        list.setName(2, QStringLiteral("x"));
        list.setBatchSearchSW(0, 0);
        list.setProcess(2, QStringLiteral("x"));
        QCOMPARE(m_beeps, 3);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Name(2), QString());
        QCOMPARE(list.Site(0), SearchSite());
    }

    void findSearchSite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("the first of two equal names") << QStringLiteral("Google") << 2;
        QTest::newRow("case matters") << QStringLiteral("google") << 0;
        QTest::newRow("whole text only") << QStringLiteral("Goo") << 0;
        QTest::newRow("trailing blank matters") << QStringLiteral("MSN ") << 0;
        QTest::newRow("half-width katakana") << QStringLiteral("ｸﾞｰｸﾞﾙ") << 4;
    }
    void findSearchSite()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        const CSearchSite list = listOf({"MSN", "Google", "Google", QStringLiteral("ｸﾞｰｸﾞﾙ")});
        QCOMPARE(list.FindSearchSite(name), index);
    }

    void recordLineFields_data()
    {
        QTest::addColumn<SearchSite>("site");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        SearchSite s;
        QTest::newRow("never-searched LastRun as 8 blanks") << s << 5 << Blank8;
        QTest::newRow("day change 00:00:00 as 8 blanks") << s << 7 << Blank8;
        QTest::newRow("no interval as 8 blanks") << s << 14 << Blank8;
        s.UseInterval = 1.5 / 24;
        QTest::newRow("interval of one and a half hours") << s << 14 << QStringLiteral("01:30:00");
        s.UseInterval = 25.0 / 24;
        QTest::newRow("interval of 25 hours") << s << 14 << QStringLiteral("1899/12/31 01:00:00");
        s.LastRun = fromParts(2005, 3, 1, 15, 4, 5);
        QTest::newRow("LastRun in full") << s << 5 << QStringLiteral("2005/03/01 15:04:05");
        s.DayMaxN = -1;
        QTest::newRow("negative number") << s << 8 << QStringLiteral("-1");
        QTest::newRow("BatchSearchSW last") << s << 16 << QStringLiteral("1");
    }
    void recordLineFields()
    {
        QFETCH(SearchSite, site);
        QFETCH(int, field);
        QFETCH(QString, text);
        const QStringList fields = CSearchSite::recordLine(site).split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 16);
        QCOMPARE(fields.at(field - 1), text);
    }

    void recordLineIsOneLineWhateverTheTexts()
    {
        SearchSite s = fullSite();
        const QString breaker = QStringLiteral("x\r\ny\tz\n");
        s.Name = s.URL = s.KeywordID = s.Reserved1 = s.Process = s.Reserved2 = breaker;
        const QString line = CSearchSite::recordLine(s);
        QVERIFY(!line.contains(QLatin1Char('\r')));
        QVERIFY(!line.contains(QLatin1Char('\n')));
        QCOMPARE(line.count(QLatin1Char('\t')), 15);
        const SearchSite back = CSearchSite::ParseSearchSiteInfo(line);
        QCOMPARE(back.Name, QStringLiteral("x  y z "));
        QCOMPARE(back.Reserved2, QStringLiteral("x  y z "));
        QCOMPARE(back.BatchSearch, s.BatchSearch);
    }

    void parseSearchSiteInfo_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<SearchSite>("expected");

        const QString full = CSearchSite::recordLine(fullSite());
        QTest::newRow("a written record reads back equal") << full << fullSite();

        SearchSite s = fullSite();
        s.BatchSearchSW = 0;
        QStringList f = full.split(QLatin1Char('\t'));
        QTest::newRow("14 fields: BatchSearch 1 and BatchSearchSW 0") << QStringList(f.mid(0, 14)).join('\t') << [&] {
            SearchSite e = fullSite();
            e.BatchSearch = 1;
            e.BatchSearchSW = 0;
            return e;
        }();

        auto withField = [&](int n, const QString& text) {
            QStringList g = f;
            g[n - 1] = text;
            return g.join('\t');
        };
        auto expecting = [&](auto change) {
            SearchSite e = fullSite();
            change(e);
            return e;
        };
        QTest::newRow("BatchSearch 0 reads as 1")
            << withField(15, "0") << expecting([](SearchSite& e) { e.BatchSearch = 1; });
        QTest::newRow("BatchSearch 7 reads as 1")
            << withField(15, "7") << expecting([](SearchSite& e) { e.BatchSearch = 1; });
        QTest::newRow("BatchSearch 2 kept")
            << withField(15, "2") << expecting([](SearchSite& e) { e.BatchSearch = 2; });
        QTest::newRow("BatchSearchSW 5 reads as 1")
            << withField(16, "5") << expecting([](SearchSite& e) { e.BatchSearchSW = 1; });
        QTest::newRow("BatchSearchSW -1 reads as 1")
            << withField(16, "-1") << expecting([](SearchSite& e) { e.BatchSearchSW = 1; });
        QTest::newRow("BatchSearchSW 0.4 rounds to 0")
            << withField(16, "0.4") << expecting([](SearchSite& e) { e.BatchSearchSW = 0; });
        QTest::newRow("DayMaxN beyond 16 bits clamped up")
            << withField(8, "40000") << expecting([](SearchSite& e) { e.DayMaxN = 32767; });
        QTest::newRow("DayN beyond 16 bits clamped down")
            << withField(9, "-99999") << expecting([](SearchSite& e) { e.DayN = -32768; });
        QTest::newRow("BatchSearch 65538 clamps instead of wrapping to 2")
            << withField(15, "65538") << expecting([](SearchSite& e) { e.BatchSearch = 1; });
        QTest::newRow("TimeZoneType kept as read")
            << withField(12, "9") << expecting([](SearchSite& e) { e.TimeZoneType = 9; });
        QTest::newRow("unreadable date is the empty date")
            << withField(5, "yesterday") << expecting([](SearchSite& e) { e.LastRun = EmptyDate; });
        QTest::newRow("unreadable number is 0")
            << withField(10, "many") << expecting([](SearchSite& e) { e.TimeZoneMaxN = 0; });
        QTest::newRow("full-width digits")
            << withField(8, QStringLiteral("１２")) << expecting([](SearchSite& e) { e.DayMaxN = 12; });
        QTest::newRow("fields after the sixteenth ignored") << full + QStringLiteral("\textra\t99") << fullSite();
        QTest::newRow("leading blanks of a text field lost")
            << withField(3, "  q") << expecting([](SearchSite& e) { e.KeywordID = QStringLiteral("q"); });
        QTest::newRow("trailing blanks of a text field kept")
            << withField(13, QStringLiteral("ﾒﾓ  "))
            << expecting([](SearchSite& e) { e.Reserved2 = QStringLiteral("ﾒﾓ  "); });
        QTest::newRow("blanks-only text field reads empty")
            << withField(4, "   ") << expecting([](SearchSite& e) { e.Reserved1.clear(); });
        QTest::newRow("blank line") << QString() << blankLineSite();
        QTest::newRow("line feed inside a field becomes a blank")
            << withField(1, "A\nB") << expecting([](SearchSite& e) { e.Name = QStringLiteral("A B"); });
        QTest::newRow("line separator inside a field becomes a blank")
            << withField(6, QStringLiteral("P\u2028Q\rR"))
            << expecting([](SearchSite& e) { e.Process = QStringLiteral("P Q R"); });

        SearchSite zero = fullSite();
        zero.LastRun = 0;
        zero.UseInterval = 0;
        QTest::newRow("a date of zero reads back as the empty date")
            << CSearchSite::recordLine(zero) << expecting([](SearchSite& e) {
                   e.LastRun = EmptyDate;
                   e.UseInterval = EmptyDate;
               });
        SearchSite day25 = fullSite();
        day25.UseInterval = 25.0 / 24;
        QTest::newRow("interval of 25 hours reads back") << CSearchSite::recordLine(day25) << day25;
    }
    void parseSearchSiteInfo()
    {
        QFETCH(QString, line);
        QFETCH(SearchSite, expected);
        QCOMPARE(CSearchSite::ParseSearchSiteInfo(line), expected);
    }

    void getStrSearchSiteInfo()
    {
        CSearchSite list = listOf({"a"});
        SearchSiteWork() = fullSite();
        QVERIFY(list.SetWork(1, 1));
        QCOMPARE(list.GetStrSearchSiteInfo(1), CSearchSite::recordLine(fullSite()));
        QVERIFY(!list.GetStrSearchSiteInfo(1).endsWith(QLatin1Char('\n')));
        QCOMPARE(list.GetStrSearchSiteInfo(2), QString());
    }

    void windowsFileLoadsAndRewritesByteIdentical()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString original = QStringLiteral(QUESSEL_FIXTURES_DIR "/searchsite/VELT_user_SearchSite.DAT");
        const QByteArray bytes = readAll(original);
        QVERIFY(!bytes.isEmpty());
        const QString path = dir.filePath(QStringLiteral("VELT_user_SearchSite.DAT"));
        QVERIFY(QFile::copy(original, path));

        CSearchSite list;
        list.setFilePath(path);
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), 5);
        QCOMPARE(list.Name(1), QStringLiteral("MSN Japan"));
        QCOMPARE(list.Process(1),
                 WebProcessScript::DefaultSearchProcess(QStringLiteral("https://www.msn.co.jp/"), QStringLiteral("q")));
        QCOMPARE(list.LastRun(1), fromParts(2005, 3, 1, 15, 4, 5));
        QCOMPARE(list.Site(1).DayN, qint16(3));

        const SearchSite& g = list.Site(2);
        QCOMPARE(g.Name, QStringLiteral("ｸﾞｰｸﾞﾙ～検索"));
        QCOMPARE(g.Reserved1, QStringLiteral("予備①"));
        QVERIFY(g.Process.contains(QStringLiteral("【①》")));
        QVERIFY(g.Process.contains(QStringLiteral("ｶﾀｶﾅ－テスト")));
        QCOMPARE(g.LastRun, EmptyDate);
        QCOMPARE(g.DayChangeTime, 5.0 / 24);
        QCOMPARE(g.UseInterval, 1.5 / 24);
        QCOMPARE(g.Reserved2, QStringLiteral("ﾒﾓ  "));
        QCOMPARE(g.BatchSearch, qint16(3));
        QCOMPARE(g.BatchSearchSW, qint16(0));

        QCOMPARE(list.Name(3), QStringLiteral("楽天ウェブ検索(山分けポイント)"));
        QCOMPARE(list.Site(3).UseInterval, 25.0 / 24);
        QCOMPARE(list.Site(4), blankLineSite());
        QCOMPARE(list.Name(5), QStringLiteral("Yahoo!ｼﾞｬﾊﾟﾝ "));

        QVERIFY(list.FileRW(1));
        QCOMPARE(readAll(path), bytes);
    }

    void emptyListWritesEmptyFileAndReadsBackEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.DAT"));
        CSearchSite list;
        list.setFilePath(path);
        QVERIFY(list.FileRW(1));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFile(path).size(), 0);

        CSearchSite other = listOf({"old"});
        other.setFilePath(path);
        QVERIFY(other.FileRW(0));
        QCOMPARE(other.Count(), 0);
    }

    void missingFileGivesEmptyList()
    {
        QTemporaryDir dir;
        CSearchSite list = listOf({"old"});
        list.setFilePath(dir.filePath(QStringLiteral("none.DAT")));
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), 0);
    }

    void everyLineIsARecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("blank line in the middle") << QByteArray("a\tu\r\n\r\nb\tu\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("last line without CR LF counts") << QByteArray("a\tu\r\nb\tu") << QStringList{"a", "b"};
        QTest::newRow("LF line ends") << QByteArray("a\tu\nb\tu\n") << QStringList{"a", "b"};
    }
    void everyLineIsARecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.DAT"));
        QVERIFY(writeAll(path, bytes));
        CSearchSite list;
        list.setFilePath(path);
        QVERIFY(list.FileRW(0));
        QCOMPARE(::names(list), names);
        for (int i = 1; i <= list.Count(); ++i)
            if (list.Name(i).isEmpty())
                QCOMPARE(list.Site(i), blankLineSite());
    }

    void writtenListReadsBack()
    {
        QTemporaryDir dir;
        CSearchSite list = listOf({"a", "b"});
        SearchSiteWork() = fullSite();
        QVERIFY(list.SetWork(1, 2));
        list.setFilePath(dir.filePath(QStringLiteral("s.DAT")));
        QVERIFY(list.FileRW(1));
        CSearchSite back;
        back.setFilePath(list.filePath());
        QVERIFY(back.FileRW(0));
        QCOMPARE(back.Count(), 2);
        QCOMPARE(back.Site(2), fullSite());
        SearchSite first;
        first.Name = QStringLiteral("a");
        first.DayChangeTime = EmptyDate; // zero times come back as the empty date
        first.UseInterval = EmptyDate;
        QCOMPARE(back.Site(1), first);
        QVERIFY(readAll(list.filePath()).endsWith("\t3\t0\r\n"));
    }

    void defaultFileIsInTheDataFolder()
    {
        CSearchSite list = listOf({"a"});
        QCOMPARE(list.filePath(), DataFolder::filePrefix() + QStringLiteral("SearchSite.DAT"));
        QVERIFY(list.FileRW(1));
        QVERIFY(QFile::exists(DataFolder::filePrefix() + QStringLiteral("SearchSite.DAT")));
        list.setFilePath(QStringLiteral("/elsewhere/x.DAT"));
        QCOMPARE(list.filePath(), QStringLiteral("/elsewhere/x.DAT"));
        list.setFilePath(QString());
        QCOMPARE(list.filePath(), DataFolder::filePrefix() + QStringLiteral("SearchSite.DAT"));
    }

    void failuresReachTheCallerAndKeepTheList_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("setup");
        QTest::newRow("reading a folder") << 0 << QStringLiteral("folder");
        QTest::newRow("writing into a folder that does not exist") << 1 << QStringLiteral("no folder");
        QTest::newRow("reading more lines than the 16-bit index") << 0 << QStringLiteral("too long");
        QTest::newRow("unknown mode") << 2 << QStringLiteral("file");
    }
    void failuresReachTheCallerAndKeepTheList()
    {
        QFETCH(int, mode);
        QFETCH(QString, setup);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("s.DAT"));
        if (setup == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("s.DAT")));
        else if (setup == QLatin1String("no folder"))
            path = dir.filePath(QStringLiteral("missing/s.DAT"));
        else if (setup == QLatin1String("too long"))
            QVERIFY(writeAll(path, QByteArray(CSearchSite::MaxCount + 1, '\n')));
        else
            QVERIFY(writeAll(path, QByteArray("x\r\n")));
        const QByteArray before = readAll(path);

        CSearchSite list = listOf({"a", "b"});
        list.setFilePath(path);
        const FileResult result = list.FileRW(mode);
        QVERIFY(!result.ok);
        QVERIFY(!result.errorText.isEmpty());
        QCOMPARE(names(list), QStringList({"a", "b"}));
        QCOMPARE(readAll(path), before);
    }

    void presetsFillAnEmptyList()
    {
        CSearchSite list;
        InstallPresetSearchSites(list);
        QCOMPARE(list.Count(), 3);

        struct Expected
        {
            QString name, url, keywordId;
            qint16 batchSearch, dayMaxN;
        };
        const Expected expected[] = {
            {QStringLiteral("MSN Japan"), QStringLiteral("https://www.msn.co.jp/"), QStringLiteral("q"), 2, 0},
            {QStringLiteral("Google"), QStringLiteral("https://www.google.co.jp/"), QStringLiteral("q"), 2, 0},
            {QStringLiteral("楽天ウェブ検索(山分けポイント)"),
             QStringLiteral("https://websearch.rakuten.co.jp/SimpleTop"), QStringLiteral("qt"), 3, 30},
        };
        for (int i = 1; i <= 3; ++i) {
            const Expected& e = expected[i - 1];
            SearchSite site;
            site.Name = e.name;
            site.URL = e.url;
            site.KeywordID = e.keywordId;
            site.BatchSearch = e.batchSearch;
            site.DayMaxN = e.dayMaxN;
            site.Process = WebProcessScript::DefaultSearchProcess(e.url, e.keywordId);
            QCOMPARE(list.Site(i), site);
        }
        QVERIFY(list.Process(3).contains(QStringLiteral("【①》")));
    }

    void presetsLeaveAListWithSitesAlone()
    {
        CSearchSite list = listOf({"mine"});
        InstallPresetSearchSites(list);
        QCOMPARE(names(list), QStringList({"mine"}));
    }
};

QTEST_GUILESS_MAIN(TestCSearchSite)
#include "tst_csearchsite.moc"
