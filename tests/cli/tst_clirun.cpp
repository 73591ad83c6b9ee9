// quessel-cli's run verbs against real headless Chromium and pages served on 127.0.0.1: the
// search and the trend harvest, and what they write to the lists.
#include "../web/LocalHttpServer.h"

#include "quessel/cli/CliApp.h"
#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/web/BrowserLocator.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quessel;

namespace {

const QString FixtureDir = QStringLiteral(QUESSEL_FIXTURES_DIR "/web/process");

struct Run
{
    int status = 0;
    QString out;
    QString err;
};

Run runCli(const QStringList& args)
{
    Run r;
    QString in;
    QTextStream out(&r.out), err(&r.err), inStream(&in);
    CliApp cli(out, err, inStream);
    r.status = cli.run(args);
    out.flush();
    err.flush();
    return r;
}

QString listFile(const QString& dir, const QString& name)
{
    return dir + QStringLiteral("/VELT_") + DataFolder::userName() + QLatin1Char('_') + name;
}

} // namespace

class TestCliRun : public QObject
{
    Q_OBJECT

private:
    LocalHttpServer m_server;

    // A data folder with one search site on the fixture portal and the given watch words.
    void writeSearchLists(const QString& dir, const QStringList& wordList)
    {
        CSearchSite sites;
        sites.setFilePath(listFile(dir, QStringLiteral("SearchSite.DAT")));
        const int i = sites.AddSearchSite();
        SearchSite s = sites.Site(i);
        s.Name = QStringLiteral("ポータル");
        s.URL = m_server.url(QStringLiteral("/portal.html"));
        s.KeywordID = QStringLiteral("q");
        s.Process = WebProcessScript::DefaultSearchProcess(s.URL, s.KeywordID);
        s.DayMaxN = 5;
        sites.setSite(i, s);
        QVERIFY(sites.FileRW(1));
        CSearchWord words;
        words.setFilePath(listFile(dir, QStringLiteral("SearchWord.DAT")));
        for (const QString& w : wordList)
            QVERIFY(words.AddWord(w, 10) > 0);
        QVERIFY(words.FileRW(1));
    }

    static CSearchSite readSites(const QString& dir)
    {
        CSearchSite sites;
        sites.setFilePath(listFile(dir, QStringLiteral("SearchSite.DAT")));
        if (!sites.FileRW(0))
            qWarning("site list unreadable");
        return sites;
    }
    static CSearchWord readWords(const QString& dir)
    {
        CSearchWord words;
        words.setFilePath(listFile(dir, QStringLiteral("SearchWord.DAT")));
        if (!words.FileRW(0))
            qWarning("word list unreadable");
        return words;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BrowserLocator::locate(&error), qPrintable(error));
        QVERIFY(m_server.listen());
        QVERIFY(m_server.addFile(QStringLiteral("/portal.html"), FixtureDir + QStringLiteral("/portal.html")));
        QVERIFY(m_server.addFile(QStringLiteral("/search"), FixtureDir + QStringLiteral("/results.html")));
        QVERIFY(m_server.addFile(QStringLiteral("/trend.html"), FixtureDir + QStringLiteral("/trend.html")));
    }

    void runSiteSearchesTheGivenWordAndRecordsIt()
    {
        QTemporaryDir dir;
        writeSearchLists(dir.path(), {QStringLiteral("alpha")});
        m_server.clearRequests();
        const double before = Clock::now();
        const Run r = runCli({QStringLiteral("run-site"), QStringLiteral("1"), QStringLiteral("--word"),
                              QStringLiteral("日本語 検索"), QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QVERIFY(r.err.isEmpty());
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("検索【ポータル】"));
        QCOMPARE(lines.at(1), QStringLiteral("word: 日本語 検索"));
        QVERIFY(lines.at(2).endsWith(QStringLiteral(" - 自動実行開始")));
        QCOMPARE(lines.at(3), QStringLiteral("(1/4) ベース以外を閉じる: 完了"));
        QCOMPARE(lines.at(6), QStringLiteral("(4/4) 更新完了待: 完了"));
        QVERIFY(lines.at(7).endsWith(QStringLiteral(" - 最終処理終了")));
        QCOMPARE(lines.last(), QStringLiteral("result 1"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_server.requestsFor(QStringLiteral("/search")).isEmpty(), 10000);
        QCOMPARE(m_server.requestsFor(QStringLiteral("/search")).first().queryValue(QStringLiteral("q")),
                 QStringLiteral("日本語 検索"));

        // The word's use and the site's search are on file.
        const CSearchWord words = readWords(dir.path());
        QCOMPARE(words.Count(), 2);
        const int w = words.FindSearchWord(QStringLiteral("日本語 検索"));
        QVERIFY(w > 0);
        QCOMPARE(words.UseCount(w), qint16(1));
        QVERIFY(words.LastDate(w) >= before);
        QCOMPARE(words.UseCount(words.FindSearchWord(QStringLiteral("alpha"))), qint16(0));
        const CSearchSite sites = readSites(dir.path());
        QCOMPARE(sites.Site(1).DayN, qint16(1));
        QCOMPARE(sites.Site(1).TimeZoneN, qint16(1));
        QVERIFY(sites.LastRun(1) >= before);
    }

    void runSiteDrawsAWatchWordWhenNoneIsGiven()
    {
        QTemporaryDir dir;
        writeSearchLists(dir.path(), {QStringLiteral("alpha")});
        m_server.clearRequests();
        const Run r = runCli({QStringLiteral("run-site"), QStringLiteral("1"), QStringLiteral("--seed"),
                              QStringLiteral("7"), QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QVERIFY(r.out.contains(QStringLiteral("\nword: alpha\n")));
        QTRY_VERIFY_WITH_TIMEOUT(!m_server.requestsFor(QStringLiteral("/search")).isEmpty(), 10000);
        QCOMPARE(m_server.requestsFor(QStringLiteral("/search")).first().queryValue(QStringLiteral("q")),
                 QStringLiteral("alpha"));
        const CSearchWord words = readWords(dir.path());
        QCOMPARE(words.Count(), 1);
        QCOMPARE(words.UseCount(1), qint16(1));
    }

    void runTrendAddsTheHarvestedWords()
    {
        QTemporaryDir dir;
        CTrendSite trends;
        trends.setFilePath(listFile(dir.path(), QStringLiteral("TrendSite.DAT")));
        const int i = trends.AddTrendSite();
        QVERIFY(trends.SetWork(0, i));
        TrendSiteWork().Name = QStringLiteral("話題");
        TrendSiteWork().URL = m_server.url(QStringLiteral("/trend.html"));
        TrendSiteWork().JudgeStr01 = QStringLiteral("/s?");
        TrendSiteWork().Process =
            WebProcessScript::DefaultTrendProcess(TrendSiteWork().URL, TrendSiteWork().JudgeStr01, QString());
        QVERIFY(trends.SetWork(1, i));
        QVERIFY(trends.FileRW(1));
        writeSearchLists(dir.path(), {QStringLiteral("abc")});

        const double before = Clock::now();
        const Run r =
            runCli({QStringLiteral("run-trend"), QStringLiteral("1"), QStringLiteral("--data-dir"), dir.path()});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("注目ワード収集【話題】"));
        const qsizetype result = lines.indexOf(QStringLiteral("result 1"));
        QVERIFY(result > 0);
        QCOMPARE(lines.mid(result + 1),
                 (QStringList{"word: abc", "word: 長い言葉の全体", "word: 日本", "word: テスト"}));

        const CSearchWord words = readWords(dir.path());
        QCOMPARE(words.Count(), 4); // abc was there already
        for (const char* w : {"長い言葉の全体", "日本", "テスト"})
            QVERIFY(words.FindSearchWord(QString::fromUtf8(w)) > 0);
        QVERIFY(words.RegDate(words.FindSearchWord(QStringLiteral("abc"))) >= before);
        CTrendSite after;
        after.setFilePath(listFile(dir.path(), QStringLiteral("TrendSite.DAT")));
        QVERIFY(after.FileRW(0));
        QVERIFY(after.LastRun(1) >= before);
    }
};

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_clirun.moc"
