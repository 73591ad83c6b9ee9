#include "ListTestSupport.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/ExchangeText.h"
#include "quessel/data/PresetTrendSites.h"
#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Beep.h"

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using namespace quessel::testsupport;
using orvik::vbdate::fromParts;

Q_DECLARE_METATYPE(quessel::TrendSite)
Q_DECLARE_METATYPE(quessel::ClashChoice)

namespace quessel {
// Lets QCOMPARE show both sites when they differ.
char* toString(const TrendSite& s)
{
    const QString text =
        QStringLiteral("{Name=\"%1\" URL=\"%2\" LastRun=%3 J1=\"%4\" J2=\"%5\" Process=\"%6\"}")
            .arg(s.Name, s.URL, QString::number(s.LastRun, 'g', 17), s.JudgeStr01, s.JudgeStr02, s.Process);
    return qstrdup(text.toUtf8().constData());
}
} // namespace quessel

namespace {

TrendSite site(const QString& name, const QString& url, double lastRun, const QString& j1, const QString& j2,
               const QString& process)
{
    TrendSite s;
    s.Name = name;
    s.URL = url;
    s.LastRun = lastRun;
    s.JudgeStr01 = j1;
    s.JudgeStr02 = j2;
    s.Process = process;
    return s;
}

TrendSite gooSite()
{
    return site(QStringLiteral("goo(人気検索ワード)"), QStringLiteral("https://www.goo.ne.jp/"),
                fromParts(2005, 3, 1, 9, 5, 7), QStringLiteral("https://search.goo.ne.jp/web.jsp?"),
                QStringLiteral("from=gootop"), QStringLiteral("<ProcessN> 0</ProcessN>"));
}

void addSite(CTrendSite& list, const TrendSite& s)
{
    TrendSiteWork() = s;
    QVERIFY(list.SetWork(1, list.AddTrendSite()));
}

} // namespace

class TestCTrendSite : public QObject
{
    Q_OBJECT

    int m_beeps = 0;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Beep::setHandler([this] { ++m_beeps; });
    }
    void cleanupTestCase() { Beep::setHandler({}); }
    void init()
    {
        m_beeps = 0;
        TrendSiteWork() = TrendSite();
    }

    void writeLayouts_data()
    {
        QTest::addColumn<TrendSite>("site");
        QTest::addColumn<QString>("fileLine");
        QTest::addColumn<QString>("exchangeLine");
        QTest::newRow("file puts LastRun fifth, exchange third")
            << gooSite()
            << QStringLiteral("goo(人気検索ワード)\thttps://www.goo.ne.jp/\thttps://search.goo.ne.jp/web.jsp?\t"
                              "from=gootop\t2005/03/01 09:05:07\t<ProcessN> 0</ProcessN>")
            << QStringLiteral("goo(人気検索ワード)\thttps://www.goo.ne.jp/\t2005/03/01 09:05:07\t"
                              "https://search.goo.ne.jp/web.jsp?\tfrom=gootop\t<ProcessN> 0</ProcessN>");
        QTest::newRow("empty LastRun written as 8 blanks")
            << site(QStringLiteral("A"), QStringLiteral("u"), EmptyDate, QStringLiteral("j1"), QString(),
                    QStringLiteral("p"))
            << QStringLiteral("A\tu\tj1\t\t        \tp") << QStringLiteral("A\tu\t        \tj1\t\tp");
        QTest::newRow("tab and line breaks inside a field written as blanks")
            << site(QStringLiteral("a\tb"), QStringLiteral("u\r\nv"), EmptyDate, QString(), QString(),
                    QStringLiteral("p\nq"))
            << QStringLiteral("a b\tu  v\t\t\t        \tp q") << QStringLiteral("a b\tu  v\t        \t\t\tp q");
    }
    void writeLayouts()
    {
        QFETCH(TrendSite, site);
        QFETCH(QString, fileLine);
        QFETCH(QString, exchangeLine);
        QCOMPARE(CTrendSite::FileLine(site), fileLine);
        QCOMPARE(CTrendSite::ExchangeLine(site), exchangeLine);

        CTrendSite list;
        addSite(list, site);
        QCOMPARE(list.GetStrTrendSiteInfo(1), exchangeLine);
    }

    void readLayouts_data()
    {
        QTest::addColumn<bool>("fileLayout");
        QTest::addColumn<QString>("line");
        QTest::addColumn<TrendSite>("expected");

        const TrendSite goo = gooSite();
        QTest::newRow("file line read as a file line") << true << CTrendSite::FileLine(goo) << goo;
        QTest::newRow("exchange line read as an exchange line") << false << CTrendSite::ExchangeLine(goo) << goo;
        QTest::newRow("file line read as exchange: JudgeStr01 taken as a date, judge strings shifted")
            << false << CTrendSite::FileLine(goo)
            << site(goo.Name, goo.URL, EmptyDate, goo.JudgeStr02, QStringLiteral("2005/03/01 09:05:07"), goo.Process);
        QTest::newRow("exchange line read as file: the date lands in JudgeStr01")
            << true << CTrendSite::ExchangeLine(goo)
            << site(goo.Name, goo.URL, EmptyDate, QStringLiteral("2005/03/01 09:05:07"), goo.JudgeStr01, goo.Process);
        QTest::newRow("four fields in the file layout: LastRun empty")
            << true << QStringLiteral("N\tU\tJ1\tJ2")
            << site(QStringLiteral("N"), QStringLiteral("U"), EmptyDate, QStringLiteral("J1"), QStringLiteral("J2"),
                    QString());
        QTest::newRow("four fields in the exchange layout: JudgeStr02 and Process empty")
            << false << QStringLiteral("N\tU\t2005/03/01 09:05:07\tJ1")
            << site(QStringLiteral("N"), QStringLiteral("U"), fromParts(2005, 3, 1, 9, 5, 7), QStringLiteral("J1"),
                    QString(), QString());
        QTest::newRow("blank line gives an empty site") << true << QStringLiteral("   ") << TrendSite();
        QTest::newRow("fields after the sixth ignored")
            << true << QStringLiteral("N\tU\tJ1\tJ2\t\tP\textra\tmore")
            << site(QStringLiteral("N"), QStringLiteral("U"), EmptyDate, QStringLiteral("J1"), QStringLiteral("J2"),
                    QStringLiteral("P"));
        QTest::newRow("unreadable date gives the empty date")
            << true << QStringLiteral("N\tU\t\t\t2005/13/45 99:00:00\tP")
            << site(QStringLiteral("N"), QStringLiteral("U"), EmptyDate, QString(), QString(), QStringLiteral("P"));
        QTest::newRow("full-width date digits are narrowed")
            << false << QStringLiteral("N\tU\t２００５/０３/０１\tJ1")
            << site(QStringLiteral("N"), QStringLiteral("U"), fromParts(2005, 3, 1), QStringLiteral("J1"), QString(),
                    QString());
        QTest::newRow("line breaks inside fields arrive as blanks")
            << false << QStringLiteral("Evil\r\nName\thttp://x/\n\t\tj1\rX\tj2\tproc\r\nline")
            << site(QStringLiteral("Evil  Name"), QStringLiteral("http://x/ "), EmptyDate, QStringLiteral("j1 X"),
                    QStringLiteral("j2"), QStringLiteral("proc  line"));
    }
    void readLayouts()
    {
        QFETCH(bool, fileLayout);
        QFETCH(QString, line);
        QFETCH(TrendSite, expected);
        const TrendSite read = fileLayout ? CTrendSite::ParseFileLine(line) : CTrendSite::ParseTrendSiteInfo(line);
        QCOMPARE(read, expected);
    }

    void fileRoundTrip_data()
    {
        QTest::addColumn<TrendSite>("written");
        QTest::addColumn<TrendSite>("readBack");
        const TrendSite goo = gooSite();
        QTest::newRow("all six fields kept") << goo << goo;
        QTest::newRow("leading blanks of every field lost")
            << site(QStringLiteral("  N"), QStringLiteral("  U"), EmptyDate, QStringLiteral(" J1"),
                    QStringLiteral(" J2"), QStringLiteral("   P"))
            << site(QStringLiteral("N"), QStringLiteral("U"), EmptyDate, QStringLiteral("J1"), QStringLiteral("J2"),
                    QStringLiteral("P"));
        QTest::newRow("fields of blanks only read back empty")
            << site(QStringLiteral("N"), QStringLiteral("   "), EmptyDate, QStringLiteral(" "), QStringLiteral("  "),
                    QStringLiteral("   "))
            << site(QStringLiteral("N"), QString(), EmptyDate, QString(), QString(), QString());
        QTest::newRow("date of zero reads back as the empty date")
            << site(QStringLiteral("N"), QString(), 0.0, QString(), QString(), QString())
            << site(QStringLiteral("N"), QString(), EmptyDate, QString(), QString(), QString());
        QTest::newRow("characters outside code page 932 survive")
            << site(QStringLiteral("𠮷野家 ☃ café"), QStringLiteral("https://例え.jp/"), EmptyDate,
                    QStringLiteral("ｶｽﾀﾏｲｽﾞ①～"), QStringLiteral("－"), QStringLiteral("<a>【①》</a>"))
            << site(QStringLiteral("𠮷野家 ☃ café"), QStringLiteral("https://例え.jp/"), EmptyDate,
                    QStringLiteral("ｶｽﾀﾏｲｽﾞ①～"), QStringLiteral("－"), QStringLiteral("<a>【①》</a>"));
        QTest::newRow("line break in a field cannot split the record")
            << site(QStringLiteral("a\nb"), QStringLiteral("u"), EmptyDate, QString(), QString(),
                    QStringLiteral("p\r\nq"))
            << site(QStringLiteral("a b"), QStringLiteral("u"), EmptyDate, QString(), QString(),
                    QStringLiteral("p  q"));
    }
    void fileRoundTrip()
    {
        QFETCH(TrendSite, written);
        QFETCH(TrendSite, readBack);
        CTrendSite out;
        out.setFilePath(path(QStringLiteral("roundtrip.DAT")));
        addSite(out, written);
        addSite(out, gooSite()); // a neighbour that must not be disturbed
        QVERIFY(out.FileRW(1));

        CTrendSite in;
        in.setFilePath(out.filePath());
        QVERIFY(in.FileRW(0));
        QCOMPARE(in.Count(), 2);
        QCOMPARE(in.Site(1), readBack);
        QCOMPARE(in.Site(2), gooSite());
    }

    void fileBytesAreCp932WithCrLfInFileOrder()
    {
        CTrendSite list;
        list.setFilePath(path(QStringLiteral("bytes.DAT")));
        addSite(list, site(QStringLiteral("日本"), QStringLiteral("u"), fromParts(2005, 3, 1), QStringLiteral("j1"),
                           QString(), QStringLiteral("p")));
        addSite(list, TrendSite());
        QVERIFY(list.FileRW(1));
        QCOMPARE(readAll(list.filePath()), QByteArray("\x93\xfa\x96\x7b\tu\tj1\t\t2005/03/01 00:00:00\tp\r\n"
                                                      "\t\t\t\t        \t\r\n"));
    }

    void loadFile_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("missing file gives an empty list") << false << QByteArray() << QStringList();
        QTest::newRow("empty file gives an empty list") << true << QByteArray() << QStringList();
        QTest::newRow("blank line gives a site with empty texts")
            << true << QByteArray("A\r\n\r\nB\r\n") << QStringList{"A", "", "B"};
        QTest::newRow("last line without CR LF counts") << true << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("LF and CR line ends") << true << QByteArray("A\nB\rC\r\n") << QStringList{"A", "B", "C"};
    }
    void loadFile()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        const QString file = path(QStringLiteral("load.DAT"));
        QFile::remove(file);
        if (exists)
            QVERIFY(writeAll(file, bytes));

        CTrendSite list;
        list.setFilePath(file);
        addSite(list, gooSite()); // loading replaces the whole list
        QVERIFY(list.FileRW(0));
        QCOMPARE(list.Count(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(list.Name(i + 1), names.at(i));
            QCOMPARE(list.LastRun(i + 1), EmptyDate);
        }
    }

    void fileErrorsAreReported()
    {
        CTrendSite list;
        addSite(list, gooSite());

        list.setFilePath(path(QStringLiteral("no-such-folder/TrendSite.DAT")));
        const FileResult write = list.FileRW(1);
        QVERIFY(!write.ok);
        QVERIFY(write.errorText.contains(QStringLiteral("no-such-folder")));

        list.setFilePath(m_dir.path()); // a folder cannot be read as a list
        const FileResult read = list.FileRW(0);
        QVERIFY(!read.ok);
        QVERIFY(!read.errorText.isEmpty());
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Site(1), gooSite());
    }

    void tooManyLinesLeaveListAndFileAlone()
    {
        const QString file = path(QStringLiteral("huge.DAT"));
        const QByteArray bytes = QByteArray("x\r\n").repeated(CTrendSite::MaxCount + 1);
        QVERIFY(writeAll(file, bytes));
        CTrendSite list;
        list.setFilePath(file);
        addSite(list, gooSite());
        QVERIFY(!list.FileRW(0).ok);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(readAll(file).size(), bytes.size());
    }

    void defaultFileIsInTheDataFolder()
    {
        if (qEnvironmentVariableIsEmpty("QUESSEL_DATA_DIR"))
            QSKIP("needs the temporary data folder ctest sets up");
        CTrendSite list;
        addSite(list, gooSite());
        list.setFilePath(path(QStringLiteral("elsewhere.DAT")));
        list.setFilePath(QString());
        QVERIFY(list.FileRW(1));
        const QFileInfo written(list.filePath());
        QCOMPARE(written.absolutePath(), QDir(qEnvironmentVariable("QUESSEL_DATA_DIR")).absolutePath());
        QVERIFY(written.fileName().startsWith(QStringLiteral("VELT_")));
        QVERIFY(written.fileName().endsWith(QStringLiteral("_TrendSite.DAT")));
        QVERIFY(written.exists());
        QVERIFY(!QFile::exists(path(QStringLiteral("elsewhere.DAT"))));
    }

    void deleteOnlySiteWritesEmptyFile()
    {
        CTrendSite list;
        list.setFilePath(path(QStringLiteral("only.DAT")));
        addSite(list, gooSite());
        QVERIFY(list.FileRW(1));
        QVERIFY(!readAll(list.filePath()).isEmpty());
        QVERIFY(list.DeleteSite(1));
        QCOMPARE(list.Count(), 0);
        QVERIFY(list.FileRW(1));
        QCOMPARE(QFileInfo(list.filePath()).size(), 0);

        CTrendSite again;
        again.setFilePath(list.filePath());
        QVERIFY(again.FileRW(0));
        QCOMPARE(again.Count(), 0);
        QCOMPARE(m_beeps, 0);
    }

    void deleteSite_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("beeps");
        QTest::newRow("deleting 2 of 3 moves the third up") << 2 << QStringList{"A", "C"} << 0;
        QTest::newRow("deleting the first") << 1 << QStringList{"B", "C"} << 0;
        QTest::newRow("deleting the last") << 3 << QStringList{"A", "B"} << 0;
        QTest::newRow("index 0 only beeps") << 0 << QStringList{"A", "B", "C"} << 1;
        QTest::newRow("index beyond Count only beeps") << 4 << QStringList{"A", "B", "C"} << 1;
    }
    void deleteSite()
    {
        QFETCH(int, index);
        QFETCH(QStringList, left);
        QFETCH(int, beeps);
        CTrendSite list;
        for (const char* name : {"A", "B", "C"}) {
            const int n = list.AddTrendSite();
            list.setName(n, QString::fromLatin1(name));
        }
        QCOMPARE(list.DeleteSite(index), beeps == 0);
        QCOMPARE(m_beeps, beeps);
        QCOMPARE(list.Count(), left.size());
        for (int i = 0; i < left.size(); ++i)
            QCOMPARE(list.Name(i + 1), left.at(i));
    }

    void workRecordAndProperties()
    {
        CTrendSite list;
        QCOMPARE(list.AddTrendSite(), 1);
        QCOMPARE(list.Site(1), TrendSite()); // a new site: empty texts, the empty date
        addSite(list, gooSite());

        QVERIFY(list.SetWork(0, 2));
        QCOMPARE(TrendSiteWork(), gooSite());
        TrendSiteWork().URL = QStringLiteral("https://changed/");
        QVERIFY(list.SetWork(2, 1)); // any mode but 0 writes back
        QCOMPARE(list.URL(1), QStringLiteral("https://changed/"));
        QCOMPARE(list.Name(1), gooSite().Name);

        list.setLastRun(1, fromParts(2006, 1, 2, 3, 4, 5));
        QCOMPARE(list.LastRun(1), fromParts(2006, 1, 2, 3, 4, 5));
        QCOMPARE(list.FindTrendSite(gooSite().Name), 1); // the first of two equal names
        list.setName(1, QStringLiteral("renamed"));
        QCOMPARE(list.FindTrendSite(QStringLiteral("renamed")), 1);
        QCOMPARE(list.FindTrendSite(gooSite().Name), 2);
        QCOMPARE(list.FindTrendSite(QStringLiteral("RENAMED")), 0);
        QCOMPARE(m_beeps, 0);

        // Bad indexes: a beep and no change; reading gives an empty site.
        const TrendSite work = TrendSiteWork();
        QVERIFY(!list.SetWork(0, 3));
        QVERIFY(!list.SetWork(1, 0));
        list.setName(3, QStringLiteral("x"));
        list.setLastRun(0, 1.0);
        QCOMPARE(m_beeps, 4);
        QCOMPARE(TrendSiteWork(), work);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.Site(3), TrendSite());
        QCOMPARE(list.Name(0), QString());
        QCOMPARE(list.GetStrTrendSiteInfo(3), CTrendSite::ExchangeLine(TrendSite()));
    }

    void fullListRefusesMore()
    {
        CTrendSite list;
        for (int i = 0; i < CTrendSite::MaxCount; ++i)
            QCOMPARE(list.AddTrendSite(), i + 1);
        QCOMPARE(list.AddTrendSite(), 0);
        QCOMPARE(m_beeps, 1);

        FakeClipboard clipboard;
        clipboard.setText(EncodeExchangeText(QStringLiteral("TrendSite\t") + CTrendSite::ExchangeLine(gooSite())));
        FixedClashChoice rename(ClashChoice::Rename);
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, rename), 0);
        QCOMPARE(list.Count(), CTrendSite::MaxCount);
    }

    void copyPutsExchangeTextWithoutLastRun()
    {
        CTrendSite list;
        addSite(list, gooSite());
        FakeClipboard clipboard;
        QVERIFY(list.Copy_TrendSiteInfo(1, clipboard));
        QVERIFY(clipboard.text().startsWith(QStringLiteral("*START*")));
        QVERIFY(clipboard.text().endsWith(QStringLiteral("**END**")));
        TrendSite expected = gooSite();
        expected.LastRun = EmptyDate;
        QCOMPARE(DecodeExchangeText(clipboard.text()),
                 QStringLiteral("TrendSite\t") + CTrendSite::ExchangeLine(expected));
        QCOMPARE(list.LastRun(1), gooSite().LastRun); // the list's own site is untouched

        clipboard.setText(QStringLiteral("before"));
        QVERIFY(!list.Copy_TrendSiteInfo(2, clipboard));
        QCOMPARE(m_beeps, 1);
        QCOMPARE(clipboard.text(), QStringLiteral("before"));
    }

    void pasteIntoAnotherList()
    {
        CTrendSite from;
        addSite(from, gooSite());
        FakeClipboard clipboard;
        QVERIFY(from.Copy_TrendSiteInfo(1, clipboard));

        CTrendSite to;
        addSite(to, site(QStringLiteral("other"), QString(), EmptyDate, QString(), QString(), QString()));
        QVERIFY(to.Clipboard_IsTrendSiteInfo(clipboard));
        RecordingPrompt prompt(ClashChoice::Skip);
        QCOMPARE(to.Paste_TrendSiteInfo(clipboard, prompt), 1);
        QVERIFY(prompt.askedNames.isEmpty());
        QCOMPARE(to.Count(), 2);
        const TrendSite& pasted = to.Site(2);
        QCOMPARE(pasted.Name, gooSite().Name);
        QCOMPARE(pasted.URL, gooSite().URL);
        QCOMPARE(pasted.JudgeStr01, gooSite().JudgeStr01);
        QCOMPARE(pasted.JudgeStr02, gooSite().JudgeStr02);
        QCOMPARE(pasted.Process, gooSite().Process);
        QCOMPARE(pasted.LastRun, EmptyDate);
        QCOMPARE(m_beeps, 0);
    }

    void pasteClash_data()
    {
        QTest::addColumn<ClashChoice>("choice");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("urlOfFirst");
        QTest::newRow("rename adds 【改名01】 + the name")
            << ClashChoice::Rename << 1 << QStringList{"Goo", "【改名01】Goo"} << QStringLiteral("old");
        QTest::newRow("replace overwrites the existing site")
            << ClashChoice::Replace << 1 << QStringList{"Goo"} << QStringLiteral("new");
        QTest::newRow("skip changes nothing") << ClashChoice::Skip << 0 << QStringList{"Goo"} << QStringLiteral("old");
    }
    void pasteClash()
    {
        QFETCH(ClashChoice, choice);
        QFETCH(int, result);
        QFETCH(QStringList, names);
        QFETCH(QString, urlOfFirst);

        CTrendSite list;
        addSite(list, site(QStringLiteral("Goo"), QStringLiteral("old"), fromParts(2005, 1, 1), QStringLiteral("o1"),
                           QString(), QStringLiteral("op")));
        CTrendSite other;
        addSite(other, site(QStringLiteral("Goo"), QStringLiteral("new"), fromParts(2005, 2, 2), QStringLiteral("n1"),
                            QStringLiteral("n2"), QStringLiteral("np")));
        FakeClipboard clipboard;
        QVERIFY(other.Copy_TrendSiteInfo(1, clipboard));

        RecordingPrompt prompt(choice);
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, prompt), result);
        QCOMPARE(prompt.types.size(), 1);
        QCOMPARE(int(prompt.types.first()), 3); // the clash dialog's trend-site texts
        QCOMPARE(prompt.askedNames, QStringList{"Goo"});
        QCOMPARE(list.Count(), names.size());
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(list.Name(i + 1), names.at(i));
        QCOMPARE(list.URL(1), urlOfFirst);
        if (choice == ClashChoice::Replace) {
            QCOMPARE(list.Site(1), site(QStringLiteral("Goo"), QStringLiteral("new"), EmptyDate, QStringLiteral("n1"),
                                        QStringLiteral("n2"), QStringLiteral("np")));
        }
        QCOMPARE(m_beeps, 0);
    }

    void copyPasteIntoSameListRenamesTwice()
    {
        CTrendSite list;
        addSite(list, site(QStringLiteral("Goo"), QStringLiteral("u"), EmptyDate, QString(), QString(), QString()));
        FakeClipboard clipboard;
        FixedClashChoice rename(ClashChoice::Rename);

        QVERIFY(list.Copy_TrendSiteInfo(1, clipboard));
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, rename), 1);
        QCOMPARE(list.Name(2), QStringLiteral("【改名01】Goo"));

        QVERIFY(list.Copy_TrendSiteInfo(2, clipboard));
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, rename), 1);
        QCOMPARE(list.Name(3), QStringLiteral("【改名02】Goo"));
        QCOMPARE(list.Count(), 3);
    }

    void pasteRefused_data()
    {
        QTest::addColumn<QString>("clipboardText");
        QTest::newRow("empty clipboard") << QString();
        QTest::newRow("plain text") << QStringLiteral("https://www.goo.ne.jp/");
        QTest::newRow("a search site") << EncodeExchangeText(QStringLiteral("SearchSite\tGoogle\thttps://g/\tq"));
        QTest::newRow("outer markers in lower case")
            << EncodeExchangeText(QStringLiteral("TrendSite\tGoo"))
                   .replace(QStringLiteral("*START*"), QStringLiteral("*start*"))
                   .replace(QStringLiteral("**END**"), QStringLiteral("**end**"));
        QTest::newRow("kind in lower case") << EncodeExchangeText(QStringLiteral("trendsite\tGoo"));
    }
    void pasteRefused()
    {
        QFETCH(QString, clipboardText);
        CTrendSite list;
        addSite(list, gooSite());
        FakeClipboard clipboard;
        clipboard.setText(clipboardText);
        QVERIFY(!list.Clipboard_IsTrendSiteInfo(clipboard));
        RecordingPrompt prompt(ClashChoice::Rename);
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, prompt), 0);
        QCOMPARE(m_beeps, 1);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Site(1), gooSite());
        QVERIFY(prompt.askedNames.isEmpty());
    }

    void pastedLineBreaksCannotBreakTheFile()
    {
        // A hand-made exchange text whose fields carry line breaks, as a hostile sender could.
        FakeClipboard clipboard;
        clipboard.setText(EncodeExchangeText(
            QStringLiteral("TrendSite\tEvil\r\nName\thttps://x/\t\tj1\nInjected\tj2\t<ProcessN> 0</ProcessN>\r\n"
                           "Second\tline\t\t\t\t")));
        CTrendSite list;
        list.setFilePath(path(QStringLiteral("pasted.DAT")));
        FixedClashChoice skip(ClashChoice::Skip);
        QCOMPARE(list.Paste_TrendSiteInfo(clipboard, skip), 1);
        const TrendSite pasted = list.Site(1);
        for (const QString& field : {pasted.Name, pasted.URL, pasted.JudgeStr01, pasted.JudgeStr02, pasted.Process}) {
            QVERIFY2(!field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')), qPrintable(field));
        }
        QCOMPARE(pasted.Name, QStringLiteral("Evil  Name"));
        QCOMPARE(pasted.JudgeStr01, QStringLiteral("j1 Injected"));
        QCOMPARE(pasted.Process, QStringLiteral("<ProcessN> 0</ProcessN>  Second"));

        QVERIFY(list.FileRW(1));
        CTrendSite reread;
        reread.setFilePath(list.filePath());
        QVERIFY(reread.FileRW(0));
        QCOMPARE(reread.Count(), 1);
        QCOMPARE(reread.Site(1), pasted);
    }

    void presetsIntoEmptyList_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("judge1");
        QTest::addColumn<QString>("judge2");
        QTest::newRow("1 BIGLOBE") << 1 << QStringLiteral("BIGLOBE") << QStringLiteral("https://www.biglobe.ne.jp/")
                                   << QStringLiteral("https://search.biglobe.ne.jp/cgi-bin/search-top-kk?_btop_kk=")
                                   << QString();
        QTest::newRow("2 @nifty") << 2 << QStringLiteral("@nifty") << QStringLiteral("https://www.nifty.com/")
                                  << QStringLiteral("https://search.nifty.com/") << QStringLiteral("type=web_nifty_");
        QTest::newRow("3 livedoor") << 3 << QStringLiteral("livedoor(トピックワード)")
                                    << QStringLiteral("https://www.livedoor.com/")
                                    << QStringLiteral("https://www.livedoor.com/rd/search/hot/") << QString();
        QTest::newRow("4 goo") << 4 << QStringLiteral("goo(人気検索ワード)") << QStringLiteral("https://www.goo.ne.jp/")
                               << QStringLiteral("https://search.goo.ne.jp/web.jsp?from=gootop_nw&") << QString();
        QTest::newRow("5 MSN Japan") << 5 << QStringLiteral("MSN Japan") << QStringLiteral("https://www.msn.co.jp/")
                                     << QStringLiteral("/search?q=") << QStringLiteral("FORM=JPPOPU&cc=jp");
    }
    void presetsIntoEmptyList()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, url);
        QFETCH(QString, judge1);
        QFETCH(QString, judge2);
        const TrendSite work = site(QStringLiteral("in a dialog"), QString(), EmptyDate, QString(), QString(), {});
        TrendSiteWork() = work;

        CTrendSite list;
        InstallPresetTrendSites(list);
        QCOMPARE(list.Count(), 5);
        QCOMPARE(list.Site(index), site(name, url, EmptyDate, judge1, judge2,
                                        WebProcessScript::DefaultTrendProcess(url, judge1, judge2)));
        QCOMPARE(TrendSiteWork(), work);
    }

    void presetsNotIntoNonEmptyList()
    {
        CTrendSite list;
        addSite(list, gooSite());
        InstallPresetTrendSites(list);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Site(1), gooSite());
    }
};

QTEST_GUILESS_MAIN(TestCTrendSite)
#include "tst_ctrendsite.moc"
