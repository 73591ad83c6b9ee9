#include "quessel/cli/CliApp.h"
#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/util/Clock.h"
#include "quessel/util/Cp932File.h"
#include "quessel/util/DataFolder.h"

#include <orvik/VbDate.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using orvik::vbdate::fromParts;

namespace {

struct Run
{
    int status = 0;
    QString out;
    QString err;
};

Run runCli(const QStringList& args, const QString& input = QString())
{
    Run r;
    QString in = input;
    QTextStream out(&r.out), err(&r.err), inStream(&in);
    CliApp cli(out, err, inStream);
    r.status = cli.run(args);
    out.flush();
    err.flush();
    return r;
}

QString prefix(const QString& dir)
{
    return dir + QStringLiteral("/VELT_") + DataFolder::userName() + QLatin1Char('_');
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void writeSites()
    {
        CSearchSite sites;
        sites.setFilePath(prefix(m_dir.path()) + QStringLiteral("SearchSite.DAT"));
        int i = sites.AddSearchSite();
        sites.setName(i, QStringLiteral("Google"));
        SearchSite s = sites.Site(i);
        s.URL = QStringLiteral("https://www.google.co.jp/");
        s.KeywordID = QStringLiteral("q");
        s.BatchSearch = 3;
        s.DayMaxN = 5;
        s.DayN = 2;
        s.LastRun = fromParts(2005, 3, 1, 11, 30);
        sites.setSite(i, s);
        i = sites.AddSearchSite();
        sites.setName(i, QStringLiteral("検索２"));
        QVERIFY(sites.FileRW(1));
    }

    void writeWords()
    {
        CSearchWord words;
        words.setFilePath(prefix(m_dir.path()) + QStringLiteral("SearchWord.DAT"));
        for (const char* w : {"alpha", "beta", "gamma"}) {
            const int i = words.AddWord(QString::fromUtf8(w), 10);
            words.setLastDate(i, fromParts(2005, 3, 1, 11, 0));
        }
        words.setLastDate(2, fromParts(2005, 2, 1));
        QVERIFY(words.FileRW(1));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeSites();
        writeWords();
        CTrendSite trends;
        trends.setFilePath(prefix(m_dir.path()) + QStringLiteral("TrendSite.DAT"));
        trends.setName(trends.AddTrendSite(), QStringLiteral("goo"));
        QVERIFY(trends.FileRW(1));
    }

    void listsPrintTheirFileLines_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("file");
        QTest::newRow("sites") << "sites"
                               << "SearchSite.DAT";
        QTest::newRow("words") << "words"
                               << "SearchWord.DAT";
        QTest::newRow("trends") << "trends"
                                << "TrendSite.DAT";
    }
    void listsPrintTheirFileLines()
    {
        QFETCH(QString, verb);
        QFETCH(QString, file);
        const Run r = runCli({verb, QStringLiteral("--data-dir"), m_dir.path()});
        QCOMPARE(r.status, 0);
        QStringList lines;
        QVERIFY(Cp932File::readLines(prefix(m_dir.path()) + file, lines));
        QCOMPARE(r.out, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void notesAtAGivenMoment()
    {
        const Run r = runCli({QStringLiteral("notes"), QStringLiteral("--data-dir"), m_dir.path(),
                              QStringLiteral("--now"), QStringLiteral("2005/03/01 12:00:00")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("1\t1\t☆日検索(2/5)\n2\t1\t・日検索:0\n"));
        const Run nextDay = runCli({QStringLiteral("notes"), QStringLiteral("--data-dir"), m_dir.path(),
                                    QStringLiteral("--now"), QStringLiteral("2005/03/02 00:00:00")});
        QVERIFY(nextDay.out.startsWith(QStringLiteral("1\t1\t☆日検索(0/5)\n")));
    }

    void wordListFreshFirstThenLeastRecentlyUsed()
    {
        const Run r = runCli({QStringLiteral("word-list"), QStringLiteral("2"), QStringLiteral("--data-dir"),
                              m_dir.path(), QStringLiteral("--now"), QStringLiteral("2005/03/01 12:00:00")});
        QCOMPARE(r.status, 0);
        // beta was last used a month ago (fresh); the others an hour ago, alpha's entry first
        QCOMPARE(r.out, QStringLiteral("beta\nalpha\n"));
    }

    void encodeThenDecode()
    {
        const Run enc = runCli({QStringLiteral("encode"), QStringLiteral("site"), QStringLiteral("1"),
                                QStringLiteral("--data-dir"), m_dir.path()});
        QCOMPARE(enc.status, 0);
        QVERIFY(enc.out.startsWith(QStringLiteral("*START*")));
        const Run dec = runCli({QStringLiteral("decode")}, QStringLiteral("chat: ") + enc.out);
        QCOMPARE(dec.status, 0);
        QVERIFY(dec.out.startsWith(QStringLiteral("SearchSite\tGoogle\thttps://www.google.co.jp/\tq\t")));
        const Run bad = runCli({QStringLiteral("decode")}, QStringLiteral("*start*abc**end**"));
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.out, QStringLiteral("*ERROR*\n"));
    }

    void exportThenImportWithClashChoices()
    {
        QTemporaryDir other;
        const QString ssi = other.filePath(QStringLiteral("SearchSiteInfo.ssi"));
        const Run exp = runCli({QStringLiteral("export"), ssi, QStringLiteral("1"), QStringLiteral("2"),
                                QStringLiteral("--data-dir"), m_dir.path()});
        QCOMPARE(exp.status, 0);
        QStringList exported;
        QVERIFY(Cp932File::readLines(ssi, exported));
        QCOMPARE(exported.size(), 2);

        // Into a copy of the list: both names clash.
        QTemporaryDir target;
        QVERIFY(QFile::copy(prefix(m_dir.path()) + QStringLiteral("SearchSite.DAT"),
                            prefix(target.path()) + QStringLiteral("SearchSite.DAT")));
        const Run skip = runCli({QStringLiteral("import"), ssi, QStringLiteral("--on-clash"), QStringLiteral("skip"),
                                 QStringLiteral("--data-dir"), target.path()});
        QCOMPARE(skip.status, 0);
        QCOMPARE(skip.out, QStringLiteral("0 site(s) imported\n"));
        const Run rename = runCli({QStringLiteral("import"), ssi, QStringLiteral("--data-dir"), target.path()});
        QCOMPARE(rename.out, QStringLiteral("2 site(s) imported\n"));
        const Run list = runCli({QStringLiteral("sites"), QStringLiteral("--data-dir"), target.path()});
        const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(2).startsWith(QStringLiteral("【改名01】Google\t")));
        QVERIFY(lines.at(3).startsWith(QStringLiteral("【改名01】検索２\t")));
    }

    void badInputGivesOneLineAndStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no verb") << QStringList{};
        QTest::newRow("unknown verb") << QStringList{"frobnicate"};
        QTest::newRow("unknown option") << QStringList{"sites", "--colour"};
        QTest::newRow("missing data folder") << QStringList{"sites", "--data-dir", "/nonexistent/quessel"};
        QTest::newRow("bad time") << QStringList{"notes", "--now", "yesterday"};
        QTest::newRow("word-list without a number") << QStringList{"word-list", "ten"};
        QTest::newRow("encode out of range") << QStringList{"encode", "site", "99"};
        QTest::newRow("encode of an unknown kind") << QStringList{"encode", "word", "1"};
        QTest::newRow("export of a missing site") << QStringList{"export", "/tmp/x.ssi", "7"};
        QTest::newRow("import of a missing file") << QStringList{"import", "/nonexistent/x.ssi"};
        QTest::newRow("bad clash choice") << QStringList{"import", "x.ssi", "--on-clash", "merge"};
        QTest::newRow("run-site of a missing site") << QStringList{"run-site", "9"};
        QTest::newRow("run-site without a number") << QStringList{"run-site"};
        QTest::newRow("run-trend of a missing site") << QStringList{"run-trend", "5"};
        QTest::newRow("run-process of a missing file") << QStringList{"run-process", "/nonexistent/p.txt"};
        QTest::newRow("runs refuse a clock that stands still")
            << QStringList{"run-process", "p.txt", "--now", "2005/03/01 12:00:00"};
        QTest::newRow("--word with another verb") << QStringList{"sites", "--word", "x"};
        QTest::newRow("--memory1 with run-site") << QStringList{"run-site", "1", "--memory1", "x"};
    }
    void badInputGivesOneLineAndStatus()
    {
        QFETCH(QStringList, args);
        if (!args.contains(QStringLiteral("--data-dir")))
            args << QStringLiteral("--data-dir") << m_dir.path();
        if (args.size() == 2) // "no verb": only the folder option
            args.clear();
        const Run r = runCli(args);
        QVERIFY(r.status != 0);
        QVERIFY(!r.err.isEmpty());
        if (!args.isEmpty())
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    }

    void runProcessPrintsEntriesStepEndsAndMemory()
    {
        QTemporaryDir work;
        const QString script = work.filePath(QStringLiteral("process.txt"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<ProcessN> 2</ProcessN><Pro001_Name>記憶</Pro001_Name>"
                                  "<Pro001_ActionType>7</Pro001_ActionType><Pro001_Para001>2</Pro001_Para001>"
                                  "<Pro001_Para002>値【①》</Pro001_Para002><Pro002_Name>待つ</Pro002_Name>"
                                  "<Pro002_ActionType>4</Pro002_ActionType><Pro002_Para001>0.2</Pro002_Para001>\n")
                       .toUtf8());
        file.close();
        QStringList before;
        QVERIFY(Cp932File::readLines(prefix(m_dir.path()) + QStringLiteral("SearchWord.DAT"), before));

        const Run r = runCli({QStringLiteral("run-process"), script, QStringLiteral("--memory1"), QStringLiteral("語"),
                              QStringLiteral("--data-dir"), m_dir.path()});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.isEmpty());
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d\\.\\d\\d\\d - "));
        QVERIFY(stamp.match(lines.at(0)).hasMatch());
        QVERIFY(stamp.match(lines.at(3)).hasMatch());
        lines[0].remove(stamp);
        lines[3].remove(stamp);
        QCOMPARE(lines, (QStringList{"自動実行開始", "(1/2) 記憶: 完了", "(2/2) 待つ: 完了", "最終処理終了", "result 1",
                                     "memory 1: 語", "memory 2: 値【①》"}));
        // No list is touched.
        QStringList after;
        QVERIFY(Cp932File::readLines(prefix(m_dir.path()) + QStringLiteral("SearchWord.DAT"), after));
        QCOMPARE(after, before);
    }

    void runProcessRefusesAnUnreadableScript()
    {
        QTemporaryDir work;
        const QString script = work.filePath(QStringLiteral("bad.txt"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<ProcessN>-1</ProcessN>");
        file.close();
        const Run r = runCli({QStringLiteral("run-process"), script, QStringLiteral("--data-dir"), m_dir.path()});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY(r.err.contains(QStringLiteral("cannot be read")));
    }

    void unreadableListFileIsReported()
    {
        QTemporaryDir broken;
        QVERIFY(QDir(broken.path())
                    .mkdir(QStringLiteral("VELT_") + DataFolder::userName() + QStringLiteral("_SearchSite.DAT")));
        const Run r = runCli({QStringLiteral("sites"), QStringLiteral("--data-dir"), broken.path()});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
