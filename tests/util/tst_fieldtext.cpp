#include "quessel/util/FieldText.h"

#include <orvik/VbDate.h>

#include <QTest>

using namespace quessel;
using orvik::vbdate::fromParts;

class TestFieldText : public QObject
{
    Q_OBJECT

private slots:
    void fieldToTextDate_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty date as 8 blanks") << EmptyDate << QString(8, QLatin1Char(' '));
        QTest::newRow("zero as 8 blanks") << 0.0 << QString(8, QLatin1Char(' '));
        QTest::newRow("negative duration as blanks") << -0.5 << QString(8, QLatin1Char(' '));
        QTest::newRow("one and a half hours") << 1.5 / 24 << QStringLiteral("01:30:00");
        QTest::newRow("25 hours written as 1899/12/31 01:00:00") << 25.0 / 24 << QStringLiteral("1899/12/31 01:00:00");
        QTest::newRow("exactly one day") << 1.0 << QStringLiteral("1899/12/31 00:00:00");
        QTest::newRow("a real date") << fromParts(2005, 3, 1, 15, 4, 5) << QStringLiteral("2005/03/01 15:04:05");
        QTest::newRow("fraction rounds to the nearest second")
            << fromParts(2005, 3, 1, 15, 4, 5) + 0.6 / 86400 << QStringLiteral("2005/03/01 15:04:06");
        QTest::newRow("last second of a day")
            << fromParts(2005, 12, 31, 23, 59, 59) << QStringLiteral("2005/12/31 23:59:59");
    }
    void fieldToTextDate()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FieldToTextDate(value), text);
    }

    void textFieldStaysOneLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain text as it is") << QStringLiteral(" 検索 ") << QStringLiteral(" 検索 ");
        QTest::newRow("tab becomes a blank") << QStringLiteral("a\tb") << QStringLiteral("a b");
        QTest::newRow("line breaks become blanks") << QStringLiteral("a\r\nb\nc") << QStringLiteral("a  b c");
    }
    void textFieldStaysOneLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(FieldToText(text), written);
    }

    void textToDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("blank is the empty date") << QStringLiteral("        ") << EmptyDate;
        QTest::newRow("empty text") << QString() << EmptyDate;
        QTest::newRow("not a date") << QStringLiteral("abc") << EmptyDate;
        QTest::newRow("impossible day") << QStringLiteral("2005/02/30") << EmptyDate;
        QTest::newRow("25 hours read back") << QStringLiteral("1899/12/31 01:00:00") << 25.0 / 24;
        QTest::newRow("time alone is below 1") << QStringLiteral("01:30:00") << 1.5 / 24;
        QTest::newRow("date alone is midnight") << QStringLiteral("2005/03/01") << fromParts(2005, 3, 1);
        QTest::newRow("full-width digits")
            << QStringLiteral("２００５／０３／０１　１５：００：００") << fromParts(2005, 3, 1, 15);
        QTest::newRow("surrounding blanks") << QStringLiteral("  2005/03/01 15:00:00 ") << fromParts(2005, 3, 1, 15);
    }
    void textToDate()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(TextToDate(text), value);
    }

    void numValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty is the empty value") << QString() << EmptyDate;
        QTest::newRow("blanks are the empty value") << QStringLiteral("   ") << EmptyDate;
        QTest::newRow("NP marker") << QStringLiteral("NP") << NumNP;
        QTest::newRow("np in lower case") << QStringLiteral(" np ") << NumNP;
        QTest::newRow("dash marker") << QStringLiteral("-") << NumDash;
        QTest::newRow("full-width dash marker") << QStringLiteral("－") << NumDash;
        QTest::newRow("full-width digits") << QStringLiteral("３０") << 30.0;
        QTest::newRow("leading blank before decimals") << QStringLiteral(" .5") << 0.5;
        QTest::newRow("number at the start") << QStringLiteral("12abc") << 12.0;
        QTest::newRow("no number") << QStringLiteral("abc") << 0.0;
        QTest::newRow("negative") << QStringLiteral("-1") << -1.0;
        QTest::newRow("blanks inside digits are skipped") << QStringLiteral("1 2") << 12.0;
        QTest::newRow("exponent") << QStringLiteral("1E3") << 1000.0;
        QTest::newRow("hexadecimal") << QStringLiteral("&H1F") << 31.0;
        QTest::newRow("date text reads its year") << QStringLiteral("2005/03/01") << 2005.0;
    }
    void numValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(NumValue(text), value);
    }

    void splitFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << QStringLiteral("a\tb\tc") << QStringList{"a", "b", "c"};
        QTest::newRow("leading blanks of every field lost")
            << QStringLiteral("  a\t  b\t  c") << QStringList{"a", "b", "c"};
        QTest::newRow("trailing blanks kept except on the last")
            << QStringLiteral("a  \tb  \tc  ") << QStringList{"a  ", "b  ", "c"};
        QTest::newRow("field of blanks reads empty") << QStringLiteral("a\t   \tc") << QStringList{"a", "", "c"};
        QTest::newRow("blank last field dropped") << QStringLiteral("a\tb\t   ") << QStringList{"a", "b"};
        QTest::newRow("full-width blank last field dropped") << QStringLiteral("a\tb\t　") << QStringList{"a", "b"};
        QTest::newRow("empty fields in the middle kept") << QStringLiteral("a\t\t\tb") << QStringList{"a", "", "", "b"};
        QTest::newRow("blank line gives no field") << QStringLiteral("   ") << QStringList{};
        QTest::newRow("no tab") << QStringLiteral(" abc ") << QStringList{"abc"};
        QTest::newRow("8-blank date field between tabs")
            << QStringLiteral("n\t        \tp") << QStringList{"n", "", "p"};
    }
    void splitFields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(SplitFields(line), fields);
    }

    void splitFieldsStopsAtThousand()
    {
        QStringList many;
        for (int i = 0; i < 1005; ++i)
            many << QString::number(i);
        const QStringList fields = SplitFields(many.join(QLatin1Char('\t')));
        QCOMPARE(fields.size(), 1001); // 1000 taken at tabs, the rest as one last field
        QCOMPARE(fields.at(999), QStringLiteral("999"));
        QVERIFY(fields.last().startsWith(QStringLiteral("1000\t1001")));
    }
};

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
