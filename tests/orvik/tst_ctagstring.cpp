#include <orvik/CTagString.h>

#include <QtTest>

using orvik::CTagString;
using orvik::TagStringOverflow;

namespace {

using Writes = QList<QPair<QString, QString>>;

QString padding(qsizetype n)
{
    return QString(n, QLatin1Char('x'));
}

} // namespace

class TestCTagString : public QObject
{
    Q_OBJECT

private slots:
    void newInstanceIsEmpty();

    void write_data();
    void write();

    void read_data();
    void read();

    void readAfterWrite_data();
    void readAfterWrite();

    void twoArgumentFormsReplaceTag();

    void positionLimit_data();
    void positionLimit();

    void overflowLeavesTagUnchanged();
    void overflowInTwoArgumentFormsKeepsNewTag();
};

void TestCTagString::newInstanceIsEmpty()
{
    CTagString t;
    QVERIFY(t.Tag().isEmpty());
    QCOMPARE(t.GetTagString(QStringLiteral("a")), QString());
}

void TestCTagString::write_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a=1, b=2, a=3 gives b then a, nothing around them")
        << QString() << Writes{{"a", "1"}, {"b", "2"}, {"a", "3"}} << QStringLiteral("<b>2</b><a>3</a>");
    QTest::newRow("empty value removes an existing element")
        << QStringLiteral("<a>1</a><b>2</b>") << Writes{{"a", ""}} << QStringLiteral("<b>2</b>");
    QTest::newRow("empty value for an absent element leaves the text")
        << QStringLiteral("<b>2</b>") << Writes{{"a", ""}} << QStringLiteral("<b>2</b>");
    QTest::newRow("closing tag before opening tag: pair stays, new element appended")
        << QStringLiteral("</a>x<a>y") << Writes{{"a", "1"}} << QStringLiteral("</a>x<a>y<a>1</a>");
    QTest::newRow("two elements of a name: only the first is removed")
        << QStringLiteral("<a>1</a><a>2</a>") << Writes{{"a", "3"}} << QStringLiteral("<a>2</a><a>3</a>");
    QTest::newRow("value keeps its leading blank") << QString() << Writes{{"a", " 3"}} << QStringLiteral("<a> 3</a>");
    QTest::newRow("names differ in case: Name and name are two elements")
        << QStringLiteral("<Name>1</Name>") << Writes{{"name", "2"}} << QStringLiteral("<Name>1</Name><name>2</name>");
    QTest::newRow("text outside elements is kept in place")
        << QStringLiteral("head<a>1</a>tail") << Writes{{"a", "2"}} << QStringLiteral("headtail<a>2</a>");
    QTest::newRow("Japanese names and values are stored unchanged")
        << QString() << Writes{{"Pro001_Name", "検索　ワード入力"}, {"ProcessN", "1"}}
        << QStringLiteral("<Pro001_Name>検索　ワード入力</Pro001_Name><ProcessN>1</ProcessN>");
}

void TestCTagString::write()
{
    QFETCH(QString, start);
    QFETCH(Writes, writes);
    QFETCH(QString, expected);

    CTagString t;
    t.setTag(start);
    QString returned;
    for (const auto& w : writes)
        returned = t.SetTagString(w.first, w.second);
    QCOMPARE(t.Tag(), expected);
    QCOMPARE(returned, expected);
}

void TestCTagString::read_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain element") << QStringLiteral("<a>1</a><b>2</b>") << "b"
                                   << "2";
    QTest::newRow("absent element reads empty") << QStringLiteral("<a>1</a>") << "b"
                                                << "";
    QTest::newRow("first of two elements of a name") << QStringLiteral("<a>1</a><a>2</a>") << "a"
                                                     << "1";
    QTest::newRow("closing tag before opening tag reads empty") << QStringLiteral("</a>x<a>y") << "a"
                                                                << "";
    QTest::newRow("opening tag without closing tag reads empty") << QStringLiteral("<a>1") << "a"
                                                                 << "";
    QTest::newRow("value containing its own closing text is cut short") << QStringLiteral("<a>x</a>y</a>") << "a"
                                                                        << "x";
    QTest::newRow("Name is not found by looking up name") << QStringLiteral("<Name>v</Name>") << "name"
                                                          << "";
    QTest::newRow("element of another name inside a value") << QStringLiteral("<a><b>1</b></a>") << "b"
                                                            << "1";
    QTest::newRow("outer element returns the inner text whole") << QStringLiteral("<a><b>1</b></a>") << "a"
                                                                << "<b>1</b>";
    QTest::newRow("leading and trailing blanks kept") << QStringLiteral("<a> 3 </a>") << "a"
                                                      << " 3 ";
    QTest::newRow("empty element reads as empty") << QStringLiteral("<a></a>") << "a"
                                                  << "";
    QTest::newRow("line breaks inside a value kept")
        << QStringLiteral("<a>1\r\n2</a>") << "a" << QStringLiteral("1\r\n2");
}

void TestCTagString::read()
{
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    CTagString t;
    t.setTag(tag);
    QCOMPARE(t.GetTagString(name), expected);
    QCOMPARE(t.Tag(), tag); // reading never changes the text
}

void TestCTagString::readAfterWrite_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("older second element is the one later reads return") << QStringLiteral("<a>1</a><a>2</a>") << "a"
                                                                        << "3"
                                                                        << "2";
    QTest::newRow("value with its own closing text reads back cut short")
        << QString() << "a" << QStringLiteral("x</a>y") << "x";
    QTest::newRow("blank followed by 3 reads back with its blank") << QString() << "a"
                                                                   << " 3"
                                                                   << " 3";
    QTest::newRow("closing-before-opening pair still shadows the new element") << QStringLiteral("</a>x<a>y") << "a"
                                                                               << "1"
                                                                               << "";
}

void TestCTagString::readAfterWrite()
{
    QFETCH(QString, start);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    CTagString t;
    t.setTag(start);
    t.SetTagString(name, value);
    QCOMPARE(t.GetTagString(name), expected);
}

void TestCTagString::twoArgumentFormsReplaceTag()
{
    CTagString t;
    t.setTag(QStringLiteral("<old>1</old>"));
    QCOMPARE(t.SetTagString2(QStringLiteral("<a>1</a><b>2</b>"), QStringLiteral("a"), QStringLiteral("9")),
             QStringLiteral("<b>2</b><a>9</a>"));
    QCOMPARE(t.Tag(), QStringLiteral("<b>2</b><a>9</a>"));

    QCOMPARE(t.GetTagString2(QStringLiteral("<c>3</c>"), QStringLiteral("c")), QStringLiteral("3"));
    QCOMPARE(t.Tag(), QStringLiteral("<c>3</c>")); // stays replaced
    QCOMPARE(t.GetTagString2(QStringLiteral("<c>3</c>"), QStringLiteral("d")), QString());
    QCOMPARE(t.Tag(), QStringLiteral("<c>3</c>"));
}

void TestCTagString::positionLimit_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("overflows");
    QTest::addColumn<QString>("expected");

    // "<a>v</a>" after n characters: the opening tag at n + 1, the closing tag at n + 5.
    QTest::newRow("closing tag at position 32767 reads") << padding(32762) + "<a>v</a>"
                                                         << "a" << false << "v";
    QTest::newRow("closing tag at position 32768 overflows") << padding(32763) + "<a>v</a>"
                                                             << "a" << true << "";
    QTest::newRow("opening tag at position 32767, closing beyond, overflows") << padding(32766) + "<a>v</a>"
                                                                              << "a" << true << "";
    QTest::newRow("opening tag at 32768 without closing tag overflows") << padding(32767) + "<a>"
                                                                        << "a" << true << "";
    QTest::newRow("closing tag at 32768 without opening tag overflows") << padding(32767) + "</a>"
                                                                        << "a" << true << "";
    QTest::newRow("element near the start of a long text reads") << "<b>1</b>" + padding(40000) + "<a>2</a>"
                                                                 << "b" << false << "1";
    QTest::newRow("absent element in a long text reads empty") << padding(70000) << "a" << false << "";
    QTest::newRow("opening near the start, closing beyond the limit overflows") << "<a>" + padding(40000) + "</a>"
                                                                                << "a" << true << "";
    QTest::newRow("second element of a name beyond the limit is never looked at")
        << "<a>1</a>" + padding(40000) + "<a>2</a>"
        << "a" << false << "1";
}

void TestCTagString::positionLimit()
{
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(bool, overflows);
    QFETCH(QString, expected);

    CTagString reader;
    reader.setTag(tag);
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(TagStringOverflow, reader.GetTagString(name));
    } else {
        QCOMPARE(reader.GetTagString(name), expected);
    }

    CTagString writer;
    writer.setTag(tag);
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(TagStringOverflow, writer.SetTagString(name, QStringLiteral("new")));
        QCOMPARE(writer.Tag(), tag);
    } else {
        writer.SetTagString(name, QStringLiteral("new"));
        QVERIFY(writer.Tag().endsWith(QStringLiteral("<%1>new</%1>").arg(name)));
    }
}

void TestCTagString::overflowLeavesTagUnchanged()
{
    const QString big = padding(32767) + QStringLiteral("<a>1</a>");
    CTagString t;
    t.setTag(big);
    QVERIFY_THROWS_EXCEPTION(TagStringOverflow, t.SetTagString(QStringLiteral("a"), QString()));
    QCOMPARE(t.Tag(), big);
    QVERIFY_THROWS_EXCEPTION(TagStringOverflow, t.GetTagString(QStringLiteral("a")));
    QCOMPARE(t.Tag(), big);

    // The error is an overflow error to a caller that knows only the standard library.
    try {
        t.GetTagString(QStringLiteral("a"));
        QFAIL("no exception");
    } catch (const std::overflow_error& e) {
        QVERIFY(QByteArray(e.what()).contains("32767"));
    }
}

void TestCTagString::overflowInTwoArgumentFormsKeepsNewTag()
{
    const QString big = padding(40000) + QStringLiteral("<a>1</a>");
    CTagString t;
    t.setTag(QStringLiteral("<old>1</old>"));
    QVERIFY_THROWS_EXCEPTION(TagStringOverflow, t.SetTagString2(big, QStringLiteral("a"), QStringLiteral("2")));
    QCOMPARE(t.Tag(), big);

    t.setTag(QStringLiteral("<old>1</old>"));
    QVERIFY_THROWS_EXCEPTION(TagStringOverflow, t.GetTagString2(big, QStringLiteral("a")));
    QCOMPARE(t.Tag(), big);
}

QTEST_GUILESS_MAIN(TestCTagString)
#include "tst_ctagstring.moc"
