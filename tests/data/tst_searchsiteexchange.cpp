#include "ListTestSupport.h"
#include "quessel/data/CSearchSite.h"
#include "quessel/data/ExchangeText.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Beep.h"

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using namespace quessel::testsupport;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(quessel::ClashChoice)

namespace quessel {
char* toString(const SearchSite& s)
{
    return QTest::toString(CSearchSite::recordLine(s));
}
} // namespace quessel

namespace {

SearchSite siteNamed(const QString& name, const QString& url = QStringLiteral("https://example.jp/"))
{
    SearchSite s;
    s.Name = name;
    s.URL = url;
    s.KeywordID = QStringLiteral("q");
    s.Reserved1 = QStringLiteral("r1");
    s.LastRun = fromParts(2005, 3, 1, 15, 4, 5);
    s.Process = WebProcessScript::DefaultSearchProcess(url, s.KeywordID);
    s.DayChangeTime = 4.0 / 24;
    s.DayMaxN = 30;
    s.DayN = 12;
    s.TimeZoneMaxN = 2;
    s.TimeZoneN = 1;
    s.TimeZoneType = 3;
    s.Reserved2 = QStringLiteral("ﾒﾓ");
    s.UseInterval = 0.5 / 24;
    s.BatchSearch = 3;
    s.BatchSearchSW = 1;
    return s;
}

CSearchSite listOf(const QStringList& siteNames)
{
    CSearchSite list;
    for (const QString& name : siteNames)
        list.setSite(list.AddSearchSite(), siteNamed(name));
    return list;
}

QString exchangeTextOf(const SearchSite& site)
{
    return EncodeExchangeText(QStringLiteral("SearchSite\t") + CSearchSite::recordLine(site));
}

} // namespace

class TestSearchSiteExchange : public QObject
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

    void copyClearsCountersAndLastRun()
    {
        const CSearchSite list = listOf({"Google"});
        FakeClipboard clipboard;
        clipboard.content = QStringLiteral("old content");
        QVERIFY(list.Copy_SearchSiteInfo(1, clipboard));
        QVERIFY(clipboard.content.startsWith(QStringLiteral("*START*")));
        QVERIFY(clipboard.content.endsWith(QStringLiteral("**END**")));

        const QString payload = DecodeExchangeText(clipboard.content);
        QVERIFY(payload.startsWith(QStringLiteral("SearchSite\t")));
        SearchSite expected = siteNamed(QStringLiteral("Google"));
        expected.DayN = 0;
        expected.TimeZoneN = 0;
        expected.LastRun = EmptyDate;
        QCOMPARE(payload.mid(11), CSearchSite::recordLine(expected));
        QCOMPARE(list.Site(1).DayN, qint16(12)); // the list's own site keeps its counts

        QVERIFY(!list.Copy_SearchSiteInfo(2, clipboard));
        QCOMPARE(m_beeps, 1);
    }

    void clipboardRecognition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isSearchSite");
        const QString good = exchangeTextOf(siteNamed(QStringLiteral("Google")));
        const qsizetype middle = good.size() / 2;
        QTest::newRow("copied site") << good << true;
        QTest::newRow("chat prefix and a line break in the body")
            << QStringLiteral("12:03 taro> これどうぞ ") + good.left(middle) + QStringLiteral("\r\n") + good.mid(middle)
            << true;
        QTest::newRow("full-width letters and text after the end marker")
            << QString(good).replace(QStringLiteral("*START*"), QStringLiteral("＊ＳＴＡＲＴ＊")) +
                   QStringLiteral(" (以上)")
            << true;
        QTest::newRow("outer markers in lower case refused")
            << QStringLiteral("*start*") + good.mid(7, good.size() - 14) + QStringLiteral("**end**") << false;
        QTest::newRow("trend site is not a search site")
            << EncodeExchangeText(QStringLiteral("TrendSite\tBIGLOBE\thttps://www.biglobe.ne.jp/")) << false;
        QTest::newRow("plain text") << QStringLiteral("Google") << false;
        QTest::newRow("empty clipboard") << QString() << false;
        QTest::newRow("body not Base64") << QStringLiteral("*START*@@@@@@@@**END**") << false;
    }
    void clipboardRecognition()
    {
        QFETCH(QString, text);
        QFETCH(bool, isSearchSite);
        CSearchSite list = listOf({"Google"});
        FakeClipboard clipboard;
        clipboard.content = text;
        QCOMPARE(list.Clipboard_IsSearchSiteInfo(clipboard), isSearchSite);
        RecordingPrompt prompt(ClashChoice::Rename);
        QCOMPARE(list.Paste_SearchSiteInfo(clipboard, prompt), isSearchSite ? 1 : 0);
        QCOMPARE(list.Count(), isSearchSite ? 2 : 1);
        QCOMPARE(m_beeps, isSearchSite ? 0 : 1);
        if (isSearchSite)
            QCOMPARE(list.Site(2).URL, QStringLiteral("https://example.jp/"));
    }

    void pasteResolvesNameClashes_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<ClashChoice>("choice");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("questions");

        QTest::newRow("no clash appends without asking")
            << QStringList{"Google"} << QStringLiteral("Bing") << ClashChoice::Skip << 1
            << QStringList{"Google", "Bing"} << 0;
        QTest::newRow("rename adds 【改名01】")
            << QStringList{"Google"} << QStringLiteral("Google") << ClashChoice::Rename << 1
            << QStringList{"Google", QStringLiteral("【改名01】Google")} << 1;
        QTest::newRow("renamed one pasted again gives 【改名02】")
            << QStringList{"Google", QStringLiteral("【改名01】Google")} << QStringLiteral("【改名01】Google")
            << ClashChoice::Rename << 1
            << QStringList{"Google", QStringLiteral("【改名01】Google"), QStringLiteral("【改名02】Google")} << 1;
        QTest::newRow("【改名07】 with 【改名08】 taken gives 【改名09】")
            << QStringList{QStringLiteral("【改名07】Google"), QStringLiteral("【改名08】Google")}
            << QStringLiteral("【改名07】Google") << ClashChoice::Rename << 1
            << QStringList{QStringLiteral("【改名07】Google"), QStringLiteral("【改名08】Google"),
                           QStringLiteral("【改名09】Google")}
            << 1;
        QTest::newRow("】 after position 6 is part of the base name")
            << QStringList{QStringLiteral("【改名100】Google")} << QStringLiteral("【改名100】Google")
            << ClashChoice::Rename << 1
            << QStringList{QStringLiteral("【改名100】Google"), QStringLiteral("【改名01】【改名100】Google")} << 1;
        QTest::newRow("replace keeps the list's order")
            << QStringList{"A", "Google", "B"} << QStringLiteral("Google") << ClashChoice::Replace << 1
            << QStringList{"A", "Google", "B"} << 1;
        QTest::newRow("do not import drops the site") << QStringList{"Google"} << QStringLiteral("Google")
                                                      << ClashChoice::Skip << 0 << QStringList{"Google"} << 1;
    }
    void pasteResolvesNameClashes()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, incoming);
        QFETCH(ClashChoice, choice);
        QFETCH(int, result);
        QFETCH(QStringList, after);
        QFETCH(int, questions);

        CSearchSite list = listOf(existing);
        FakeClipboard clipboard;
        SearchSite site = siteNamed(incoming, QStringLiteral("https://incoming.example.jp/"));
        clipboard.content = exchangeTextOf(site);
        RecordingPrompt prompt(choice);
        QCOMPARE(list.Paste_SearchSiteInfo(clipboard, prompt), result);
        QCOMPARE(names(list), after);
        QCOMPARE(prompt.askedNames.size(), questions);
        if (questions > 0) {
            QCOMPARE(prompt.askedNames.first(), incoming);
            QCOMPARE(prompt.types.first(), SiteNameClashPrompt::SearchSiteList);
        }
        if (result == 1) {
            // The stored site is the incoming one, counters and LastRun as it carried them.
            const int at = choice == ClashChoice::Replace ? list.FindSearchSite(incoming) : list.Count();
            site.Name = list.Name(at);
            QCOMPARE(list.Site(at), site);
        }
        QCOMPARE(m_beeps, 0);
    }

    void copyAndPasteIntoTheSameList()
    {
        CSearchSite list = listOf({"Google"});
        FakeClipboard clipboard;
        FixedClashChoice rename(ClashChoice::Rename);
        QVERIFY(list.Copy_SearchSiteInfo(1, clipboard));
        QCOMPARE(list.Paste_SearchSiteInfo(clipboard, rename), 1);
        QCOMPARE(list.Name(2), QStringLiteral("【改名01】Google"));
        QCOMPARE(list.Site(2).DayN, qint16(0));
        QCOMPARE(list.Site(2).LastRun, EmptyDate);
        QCOMPARE(list.Site(2).Process, list.Site(1).Process);

        QVERIFY(list.Copy_SearchSiteInfo(2, clipboard));
        QCOMPARE(list.Paste_SearchSiteInfo(clipboard, rename), 1);
        QCOMPARE(list.Name(3), QStringLiteral("【改名02】Google"));
    }

    void pastedLineBreaksArriveAsBlanks()
    {
        // A hand-made exchange text whose fields hold line breaks, one of them posing as a
        // second record line.
        const QStringList fields{
            QStringLiteral("Evil\r\nName"),
            QStringLiteral("https://x.example/\nq"),
            QStringLiteral("r1\r"),
            QString(),
            QString(),
            QStringLiteral("<ProcessN> 0</ProcessN>\r\nInjected"),
            QString(),
            QStringLiteral("0"),
            QStringLiteral("0"),
            QStringLiteral("0"),
            QStringLiteral("0"),
            QStringLiteral("1"),
            QStringLiteral("memo\u2028x"),
            QString(),
            QStringLiteral("1"),
            QStringLiteral("1"),
        };
        const QString payload = QStringLiteral("SearchSite\t") + fields.join(QLatin1Char('\t'));
        FakeClipboard clipboard;
        clipboard.content = EncodeExchangeText(payload);
        CSearchSite list;
        FixedClashChoice rename(ClashChoice::Rename);
        QCOMPARE(list.Paste_SearchSiteInfo(clipboard, rename), 1);
        const SearchSite& s = list.Site(1);
        for (const QString& text : {s.Name, s.URL, s.KeywordID, s.Reserved1, s.Process, s.Reserved2}) {
            QVERIFY2(!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')) &&
                         !text.contains(QChar(0x2028)),
                     qPrintable(text));
        }
        QCOMPARE(s.Name, QStringLiteral("Evil  Name"));
        QCOMPARE(s.URL, QStringLiteral("https://x.example/ q"));
        QCOMPARE(s.KeywordID, QStringLiteral("r1 "));
        QCOMPARE(s.Process, QStringLiteral("<ProcessN> 0</ProcessN>  Injected"));
        QCOMPARE(s.Reserved2, QStringLiteral("memo x"));

        QTemporaryDir dir;
        list.setFilePath(dir.filePath(QStringLiteral("s.DAT")));
        QVERIFY(list.FileRW(1));
        CSearchSite back;
        back.setFilePath(list.filePath());
        QVERIFY(back.FileRW(0));
        QCOMPARE(back.Count(), 1);
        QCOMPARE(back.Name(1), s.Name);
    }

    void exportWritesRecordLinesWithCountersCleared()
    {
        CSearchSite list = listOf({"A", "B", QStringLiteral("ｸﾞｰｸﾞﾙ")});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SearchSiteInfo.ssi"));
        FileResult io;
        QVERIFY(list.Export_SearchSiteInfo(path, {3, 1}, &io));
        QVERIFY(io.ok);

        auto exported = [&](int index) {
            SearchSite s = list.Site(index);
            s.DayN = 0;
            s.TimeZoneN = 0;
            return CSearchSite::recordLine(s);
        };
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes, orvik::toCp932(exported(3) + QStringLiteral("\r\n") + exported(1) + QStringLiteral("\r\n")));
        const QStringList fields = exported(1).split(QLatin1Char('\t'));
        QCOMPARE(fields.at(4), QStringLiteral("2005/03/01 15:04:05")); // LastRun kept
        QCOMPARE(fields.at(8), QStringLiteral("0"));                   // DayN
        QCOMPARE(fields.at(10), QStringLiteral("0"));                  // TimeZoneN
        QCOMPARE(list.Site(1).DayN, qint16(12));
    }

    void exportFailuresWriteNothing_data()
    {
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<bool>("intoMissingFolder");
        QTest::newRow("empty index list") << QList<int>{} << false;
        QTest::newRow("index past the end after a good one") << QList<int>{1, 3} << false;
        QTest::newRow("index 0") << QList<int>{0} << false;
        QTest::newRow("folder that does not exist") << QList<int>{1} << true;
    }
    void exportFailuresWriteNothing()
    {
        QFETCH(QList<int>, indexes);
        QFETCH(bool, intoMissingFolder);
        const CSearchSite list = listOf({"A", "B"});
        QTemporaryDir dir;
        const QString path =
            dir.filePath(intoMissingFolder ? QStringLiteral("missing/x.ssi") : QStringLiteral("x.ssi"));
        if (!intoMissingFolder)
            QVERIFY(writeAll(path, "previous export\r\n"));
        FileResult io;
        QVERIFY(!list.Export_SearchSiteInfo(path, indexes, &io));
        QVERIFY(!io.ok);
        QVERIFY(!io.errorText.isEmpty());
        if (intoMissingFolder)
            QVERIFY(!QFile::exists(path));
        else
            QCOMPARE(readAll(path), QByteArray("previous export\r\n"));
    }

    void importStoresEveryLine_data()
    {
        QTest::addColumn<ClashChoice>("choice");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("do not import skips the clashing line")
            << ClashChoice::Skip << 2 << QStringList{"A", "B", "C", "D"};
        QTest::newRow("rename adds the clashing line")
            << ClashChoice::Rename << 3 << QStringList{"A", "B", "C", QStringLiteral("【改名01】B"), "D"};
        QTest::newRow("replace overwrites the clashing site")
            << ClashChoice::Replace << 3 << QStringList{"A", "B", "C", "D"};
    }
    void importStoresEveryLine()
    {
        QFETCH(ClashChoice, choice);
        QFETCH(int, stored);
        QFETCH(QStringList, after);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.ssi"));
        const SearchSite b = siteNamed(QStringLiteral("B"), QStringLiteral("https://b.example.jp/"));
        const QByteArray bytes =
            orvik::toCp932(CSearchSite::recordLine(siteNamed(QStringLiteral("C"))) + QStringLiteral("\r\n") +
                           CSearchSite::recordLine(b) + QStringLiteral("\r\n") +
                           CSearchSite::recordLine(siteNamed(QStringLiteral("D"))));
        QVERIFY(writeAll(path, bytes));

        CSearchSite list = listOf({"A", "B"});
        RecordingPrompt prompt(choice);
        FileResult io;
        QCOMPARE(list.Import_SearchSiteInfo(path, prompt, &io), stored);
        QVERIFY(io.ok);
        QCOMPARE(names(list), after);
        QCOMPARE(prompt.askedNames, QStringList{"B"});

        SearchSite expectedC = siteNamed(QStringLiteral("C"));
        expectedC.DayN = 0;
        expectedC.TimeZoneN = 0; // LastRun stays as the file has it
        QCOMPARE(list.Site(3), expectedC);
        const QString bUrl = list.URL(2);
        QCOMPARE(bUrl, choice == ClashChoice::Replace ? b.URL : QStringLiteral("https://example.jp/"));
        if (choice == ClashChoice::Rename)
            QCOMPARE(list.URL(4), b.URL);
    }

    void exportThenImportIntoAnotherList()
    {
        const CSearchSite from = listOf({"A", QStringLiteral("楽天ウェブ検索(山分けポイント)")});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.ssi"));
        QVERIFY(from.Export_SearchSiteInfo(path, {1, 2}));
        CSearchSite to;
        FixedClashChoice skip(ClashChoice::Skip);
        QCOMPARE(to.Import_SearchSiteInfo(path, skip), 2);
        for (int i = 1; i <= 2; ++i) {
            SearchSite expected = from.Site(i);
            expected.DayN = 0;
            expected.TimeZoneN = 0;
            QCOMPARE(to.Site(i), expected);
        }
        QCOMPARE(to.Import_SearchSiteInfo(path, skip), 0); // both clash now
        QCOMPARE(to.Count(), 2);
    }

    void importOfAnUnreadableFileReportsWhy_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("missing file") << false;
        QTest::newRow("a folder") << true;
    }
    void importOfAnUnreadableFileReportsWhy()
    {
        QFETCH(bool, folder);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.ssi"));
        if (folder)
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("in.ssi")));
        CSearchSite list = listOf({"A"});
        FixedClashChoice rename(ClashChoice::Rename);
        FileResult io;
        QCOMPARE(list.Import_SearchSiteInfo(path, rename, &io), 0);
        QVERIFY(!io.ok);
        QVERIFY(io.errorText.contains(QStringLiteral("in.ssi")));
        QCOMPARE(list.Count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSearchSiteExchange)
#include "tst_searchsiteexchange.moc"
