#include <orvik/CString.h>
#include <orvik/CStringFilter.h>
#include <orvik/VbDate.h>

#include <QtTest>

using orvik::CString;
using orvik::CStringFilter;
namespace vbdate = orvik::vbdate;

namespace {

using Conditions = QList<QPair<QString, int>>;

// A list numbered from 1, as the library hands them back: entry 0 empty.
QStringList fromOne(const QStringList& entries)
{
    return QStringList{QString()} + entries;
}

QString repeated(const QString& unit, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

} // namespace

class TestCString : public QObject
{
    Q_OBJECT

private slots:
    void version();

    void compare_data();
    void compare();

    void format1_data();
    void format1();

    void printF_data();
    void printF();

    void exStr_data();
    void exStr();
    void exStrOnlyGrowsTheList();

    void measuringOff_data();
    void measuringOff();

    void trimLen_data();
    void trimLen();

    void cDate2_data();
    void cDate2();

    void strDivide_data();
    void strDivide();

    void filterJudge_data();
    void filterJudge();
    void filterLists();
    void filterClearCondition();
};

void TestCString::version()
{
    QCOMPARE(CString().Version(), QStringLiteral("VER.:1.00"));
}

void TestCString::compare_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("str");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("expected");

    QTest::newRow("kind 1 with a text longer than Buffer is false") << "ab"
                                                                    << "abc" << 1 << false;
    QTest::newRow("kind 1 begins with") << "abcdef"
                                        << "abc" << 1 << true;
    QTest::newRow("kind 1 not at the start") << "abcdef"
                                             << "bcd" << 1 << false;
    QTest::newRow("kind 2 ends with") << "abcdef"
                                      << "def" << 2 << true;
    QTest::newRow("kind 2 not at the end") << "abcdef"
                                           << "abc" << 2 << false;
    QTest::newRow("kind 2 with a text longer than Buffer is false") << "ef"
                                                                    << "def" << 2 << false;
    QTest::newRow("kind 3 equal") << "abc"
                                  << "abc" << 3 << true;
    QTest::newRow("kind 3 prefix only") << "abc"
                                        << "ab" << 3 << false;
    QTest::newRow("kind 0 contains") << "abcdef"
                                     << "cd" << 0 << true;
    QTest::newRow("kind 0 absent") << "abcdef"
                                   << "xy" << 0 << false;
    QTest::newRow("kind 0 is case-sensitive") << "Hello"
                                              << "hello" << 0 << false;
    QTest::newRow("kind 3 is case-sensitive") << "Hello"
                                              << "hello" << 3 << false;
    QTest::newRow("full-width and half-width differ") << "ＡＢＣ"
                                                      << "ABC" << 0 << false;
    QTest::newRow("Japanese containment") << "注目ワード検索"
                                          << "ワード" << 0 << true;
    QTest::newRow("unknown kind 7 tests containment") << "abcdef"
                                                      << "cd" << 7 << true;
    QTest::newRow("unknown kind -1 tests containment") << "abcdef"
                                                       << "xy" << -1 << false;
    QTest::newRow("empty text found by kind 0") << "abc"
                                                << "" << 0 << true;
    QTest::newRow("empty text found by kind 1") << "abc"
                                                << "" << 1 << true;
    QTest::newRow("empty text found by kind 2") << "abc"
                                                << "" << 2 << true;
    QTest::newRow("empty text not equal to non-empty Buffer") << "abc"
                                                              << "" << 3 << false;
    QTest::newRow("empty text equal to empty Buffer") << ""
                                                      << "" << 3 << true;
    QTest::newRow("empty text contained in empty Buffer") << ""
                                                          << "" << 0 << true;
}

void TestCString::compare()
{
    QFETCH(QString, buffer);
    QFETCH(QString, str);
    QFETCH(int, kind);
    QFETCH(bool, expected);

    CString s;
    s.setBuffer(buffer);
    QCOMPARE(s.Compare(str, kind), expected);
    QCOMPARE(s.Buffer(), buffer);
}

void TestCString::format1_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    QTest::newRow("thousands and two decimals") << QVariant(1234.5) << "#,##0.00"
                                                << "1,234.50";
    QTest::newRow("half rounds away from zero") << QVariant(5.25) << "##0.0"
                                                << "5.3";
    QTest::newRow("percent") << QVariant(0.5) << "0%"
                             << "50%";
    QTest::newRow("date pattern") << QVariant(QDate(2024, 1, 5)) << "yyyy/mm/dd"
                                  << "2024/01/05";
    QTest::newRow("text that is no number comes back unchanged") << QVariant(QStringLiteral("abc")) << "0.0"
                                                                 << "abc";
}

void TestCString::format1()
{
    QFETCH(QVariant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);

    CString s;
    s.setBuffer(QStringLiteral("old"));
    QCOMPARE(s.Format1(value, pattern), expected);
    QCOMPARE(s.Buffer(), expected);
}

void TestCString::printF_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QString>("expected");

    QTest::newRow("3.14159 in 8 with 2 decimals: four spaces then 3.14") << 3.14159 << 8 << 2 << "    3.14";
    QTest::newRow("3.14159 in 8 with 0 decimals: seven spaces then 3") << 3.14159 << 8 << 0 << "       3";
    QTest::newRow("zero keeps its leading digit and decimals") << 0.0 << 5 << 2 << " 0.00";
    QTest::newRow("negative number") << -2.5 << 6 << 1 << "  -2.5";
    QTest::newRow("2.675 rounds up to 2.68") << 2.675 << 8 << 2 << "    2.68";
    QTest::newRow("wider number loses its leading characters") << 123456.789 << 4 << 1 << "56.8";
    QTest::newRow("width shorter than the decimals keeps the tail") << 3.14159 << 3 << 2 << ".14";
    QTest::newRow("exact fit has no blank") << 12.5 << 4 << 1 << "12.5";
    QTest::newRow("negative precision means no decimals") << 7.6 << 3 << -1 << "  8";
    QTest::newRow("width 0 gives the empty text") << 3.0 << 0 << 2 << "";
    QTest::newRow("negative width gives the empty text") << 3.0 << -4 << 2 << "";
}

void TestCString::printF()
{
    QFETCH(double, value);
    QFETCH(int, width);
    QFETCH(int, precision);
    QFETCH(QString, expected);

    CString s;
    QCOMPARE(s.PrintF(value, width, precision), expected);
    QCOMPARE(s.Buffer(), expected);
}

void TestCString::exStr_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // from entry 1

    QTest::newRow("two addresses separated by a space")
        << "http://a.jp http://b.jp" << QStringList{"http://a.jp", "http://b.jp"};
    QTest::newRow("address at the very end is taken whole")
        << "see http://x.jp/p?q=1" << QStringList{"http://x.jp/p?q=1"};
    QTest::newRow("carriage return alone ends an address")
        << "http://a\rhttp://b" << QStringList{"http://a", "http://b"};
    QTest::newRow("carriage return and line feed end an address") << "http://a\r\nnext http://b\r\n"
                                                                  << QStringList{"http://a", "http://b"};
    QTest::newRow("line feed alone does not end an address") << "http://a\nb c" << QStringList{"http://a\nb"};
    QTest::newRow("tab does not end an address") << "http://a\tb" << QStringList{"http://a\tb"};
    QTest::newRow("full-width space does not end an address") << "http://a　b" << QStringList{"http://a　b"};
    QTest::newRow("https counts") << "x https://s/ y" << QStringList{"https://s/"};
    QTest::newRow("http inside a word starts an address") << "xhttpy z" << QStringList{"httpy"};
    QTest::newRow("adjacent addresses run together") << "http://ahttp://b" << QStringList{"http://ahttp://b"};
    QTest::newRow("no address") << "ftp://x.jp" << QStringList{};
    QTest::newRow("HTTP in capitals is no address") << "HTTP://x.jp" << QStringList{};
    QTest::newRow("empty text") << "" << QStringList{};
}

void TestCString::exStr()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    CString s;
    QStringList found;
    QCOMPARE(s.ExStr(text, found), int(expected.size()));
    if (expected.isEmpty())
        QVERIFY(found.isEmpty());
    else
        QCOMPARE(found, fromOne(expected));
}

void TestCString::exStrOnlyGrowsTheList()
{
    CString s;
    QStringList list{"zero", "one", "two", "three", "four"};
    QCOMPARE(s.ExStr(QStringLiteral("http://a http://b"), list), 2);
    QCOMPARE(list, (QStringList{"zero", "http://a", "http://b", "three", "four"}));
}

void TestCString::measuringOff_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain text") << "abc";
    QTest::newRow("date text") << "2024/01/05";
    QTest::newRow("empty text, Buffer used") << "";
}

void TestCString::measuringOff()
{
    QFETCH(QString, text);

    CString s;
    QVERIFY(!s.Measuring());
    s.setBuffer(QStringLiteral("2024/01/05"));
    QCOMPARE(s.TrimLen(text), 0);
    QCOMPARE(s.CDate2(text), vbdate::EmptyDate);

    // Without measuring the rest after the last divider never counts.
    QStringList pieces;
    QCOMPARE(s.StrDivide(QStringLiteral("a,b,c"), QStringLiteral(","), pieces), 2);
    QCOMPARE(pieces, fromOne({"a", "b"}));
    QCOMPARE(s.StrDivide(QStringLiteral("abc"), QStringLiteral(","), pieces), 0);
    QCOMPARE(pieces, fromOne({}));
}

void TestCString::trimLen_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("blanks trimmed") << ""
                                    << "  abc  " << 3;
    QTest::newRow("full-width letters narrowed") << ""
                                                 << "ＡＢＣ" << 3;
    QTest::newRow("full-width spaces narrowed then trimmed") << ""
                                                             << "　ＡＢ　" << 2;
    QTest::newRow("voiced katakana narrows to two characters") << ""
                                                               << "ガ" << 2;
    QTest::newRow("tabs are not trimmed") << ""
                                          << "\tab" << 3;
    QTest::newRow("blanks only") << ""
                                 << "   " << 0;
    QTest::newRow("empty text measures Buffer") << " ｶﾞｲﾄﾞ "
                                                << "" << 5;
    QTest::newRow("given text wins over Buffer") << "longer buffer"
                                                 << "ab" << 2;
}

void TestCString::trimLen()
{
    QFETCH(QString, buffer);
    QFETCH(QString, text);
    QFETCH(int, expected);

    CString s;
    s.setMeasuring(true);
    s.setBuffer(buffer);
    QCOMPARE(s.TrimLen(text), expected);
}

void TestCString::cDate2_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("date") << ""
                          << "2024/01/05" << vbdate::fromParts(2024, 1, 5);
    QTest::newRow("full-width digits narrowed") << ""
                                                << "２０２４/０１/０５" << vbdate::fromParts(2024, 1, 5);
    QTest::newRow("blanks around a date and time") << ""
                                                   << " 2024/1/5 13:30:00 " << vbdate::fromParts(2024, 1, 5, 13, 30, 0);
    QTest::newRow("empty text reads Buffer") << "2023/12/31"
                                             << "" << vbdate::fromParts(2023, 12, 31);
    QTest::newRow("no date") << ""
                             << "abc" << vbdate::EmptyDate;
    QTest::newRow("blanks only") << ""
                                 << "   " << vbdate::EmptyDate;
    QTest::newRow("empty text and empty Buffer") << ""
                                                 << "" << vbdate::EmptyDate;
}

void TestCString::cDate2()
{
    QFETCH(QString, buffer);
    QFETCH(QString, text);
    QFETCH(double, expected);

    CString s;
    s.setMeasuring(true);
    s.setBuffer(buffer);
    QCOMPARE(s.CDate2(text), expected);
}

void TestCString::strDivide_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("divider");
    QTest::addColumn<QStringList>("expected"); // from entry 1

    QTest::newRow("three pieces") << "a,b,c"
                                  << "," << QStringList{"a", "b", "c"};
    QTest::newRow("remainders trimmed, pieces keep blanks before the divider") << " a , b , c "
                                                                               << "," << QStringList{"a ", "b ", "c"};
    QTest::newRow("trailing divider adds no empty piece") << "a,b,"
                                                          << "," << QStringList{"a", "b"};
    QTest::newRow("blank rest adds no piece") << "a,b,   "
                                              << "," << QStringList{"a", "b"};
    QTest::newRow("doubled divider gives an empty piece") << "a,,b"
                                                          << "," << QStringList{"a", "", "b"};
    QTest::newRow("leading divider gives an empty first piece") << ",a"
                                                                << "," << QStringList{"", "a"};
    QTest::newRow("divider of several characters") << "a<>b<>c"
                                                   << "<>" << QStringList{"a", "b", "c"};
    QTest::newRow("no divider: one piece") << "abc"
                                           << "," << QStringList{"abc"};
    QTest::newRow("empty divider divides nothing") << "a,b"
                                                   << "" << QStringList{"a,b"};
    QTest::newRow("empty text: no piece") << ""
                                          << "," << QStringList{};
    QTest::newRow("rest that narrows to text counts") << "a,ＡＢ"
                                                      << "," << QStringList{"a", "ＡＢ"};
    QTest::newRow("499 dividers and a rest make 500 pieces")
        << repeated(QStringLiteral("x,"), 499) + "y"
        << "," << QStringList(499, QStringLiteral("x")) + QStringList{"y"};
    QTest::newRow("600 dividers stop at 500 pieces") << repeated(QStringLiteral("x,"), 600) + "y"
                                                     << "," << QStringList(500, QStringLiteral("x"));
}

void TestCString::strDivide()
{
    QFETCH(QString, text);
    QFETCH(QString, divider);
    QFETCH(QStringList, expected);

    CString s;
    s.setMeasuring(true);
    QStringList pieces{"stale", "stale", "stale", "stale", "stale", "stale"};
    QCOMPARE(s.StrDivide(text, divider, pieces), int(expected.size()));
    QCOMPARE(pieces, fromOne(expected));
}

void TestCString::filterJudge_data()
{
    QTest::addColumn<Conditions>("contained");
    QTest::addColumn<Conditions>("notContained");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("passes");

    const Conditions beginsHttp{{"http", 1}};
    const Conditions noAd{{"ad", 0}};
    QTest::newRow("no conditions: every text passes") << Conditions{} << Conditions{} << "" << true;
    QTest::newRow("begins with http, no ad: passes") << beginsHttp << noAd << "http://site/page" << true;
    QTest::newRow("begins with http but contains ad") << beginsHttp << noAd << "http://ad.site/" << false;
    QTest::newRow("contains http but does not begin with it") << beginsHttp << noAd << "see http://x" << false;
    QTest::newRow("neither") << beginsHttp << noAd << "loaded" << false;
    QTest::newRow("every contained condition must hold")
        << Conditions{{"a", 0}, {"z", 2}} << Conditions{} << "abcz" << true;
    QTest::newRow("one contained condition fails") << Conditions{{"a", 0}, {"z", 2}} << Conditions{} << "abc" << false;
    QTest::newRow("any not-contained condition fails the text")
        << Conditions{} << Conditions{{"x", 0}, {"y", 0}} << "ay" << false;
    QTest::newRow("exact exclusion lets a longer text pass")
        << Conditions{} << Conditions{{"abc", 3}} << "abcd" << true;
    QTest::newRow("exact exclusion stops the text itself") << Conditions{} << Conditions{{"abc", 3}} << "abc" << false;
    QTest::newRow("empty contained text always holds") << Conditions{{"", 3}} << Conditions{} << "" << true;
    QTest::newRow("empty not-contained text stops every text") << Conditions{} << Conditions{{"", 0}} << "abc" << false;
}

void TestCString::filterJudge()
{
    QFETCH(Conditions, contained);
    QFETCH(Conditions, notContained);
    QFETCH(QString, text);
    QFETCH(bool, passes);

    CStringFilter f;
    for (const auto& c : contained)
        QCOMPARE(f.AddContained(c.first, qint16(c.second)), 0);
    for (const auto& c : notContained)
        QCOMPARE(f.AddNotContain(c.first, qint16(c.second)), 0);
    f.setBuffer(text);
    QCOMPARE(f.Judge(), passes);
    QCOMPARE(f.Buffer(), text);
}

void TestCString::filterLists()
{
    const orvik::typeStringCondition c = CStringFilter::LetStringCondition(QStringLiteral("abc"), 2);
    QCOMPARE(c.JudgeStr, QStringLiteral("abc"));
    QCOMPARE(c.JudgeType, qint16(2));

    CStringFilter f;
    f.AddContained(QStringLiteral("abc"), 0);
    f.AddContained(QStringLiteral("完全"), 3);
    f.AddNotContain(QStringLiteral("y"), 2);

    QStringList list{"stale", "stale", "stale", "stale"};
    QCOMPARE(f.GetContainedList(list), 0);
    QCOMPARE(list, fromOne({"0abc", "3完全"}));
    QCOMPARE(f.GetNotContainList(list), 0);
    QCOMPARE(list, fromOne({"2y"}));
}

void TestCString::filterClearCondition()
{
    CStringFilter f;
    f.AddContained(QStringLiteral("abc"), 0);
    f.AddNotContain(QStringLiteral("x"), 0);
    f.setBuffer(QStringLiteral("zzz"));
    QVERIFY(!f.Judge());

    QCOMPARE(f.ClearCondition(), 0);
    QVERIFY(f.Judge());
    QStringList list;
    f.GetContainedList(list);
    QCOMPARE(list, fromOne({}));
    f.GetNotContainList(list);
    QCOMPARE(list, fromOne({}));
}

QTEST_GUILESS_MAIN(TestCString)
#include "tst_cstring.moc"
