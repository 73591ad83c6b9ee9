#include <orvik/StrConv.h>

#include <QTest>

using namespace orvik;

class TestStrConv : public QObject
{
    Q_OBJECT

private slots:
    void narrowing_data()
    {
        QTest::addColumn<QString>("wide");
        QTest::addColumn<QString>("narrow");
        QTest::newRow("full-width ASCII") << QStringLiteral("ＡＢＣａｂｃ０１２！～") << QStringLiteral("ABCabc012!~");
        QTest::newRow("full-width minus") << QStringLiteral("－") << QStringLiteral("-");
        QTest::newRow("ideographic space") << QStringLiteral("a　b") << QStringLiteral("a b");
        QTest::newRow("katakana") << QStringLiteral("カスタマイズ") << QStringLiteral("ｶｽﾀﾏｲｽﾞ");
        QTest::newRow("voiced and semi-voiced split") << QStringLiteral("ガパヴ") << QStringLiteral("ｶﾞﾊﾟｳﾞ");
        QTest::newRow("small kana and long vowel") << QStringLiteral("ァッャー") << QStringLiteral("ｧｯｬｰ");
        QTest::newRow("punctuation") << QStringLiteral("。「」、・") << QStringLiteral("｡｢｣､･");
        QTest::newRow("lone voiced marks") << QStringLiteral("゛゜") << QStringLiteral("ﾞﾟ");
        QTest::newRow("hiragana and kanji unchanged")
            << QStringLiteral("ひらがな漢字") << QStringLiteral("ひらがな漢字");
        QTest::newRow("kana without half-width form") << QStringLiteral("ヮヰヱヵヶ") << QStringLiteral("ヮヰヱヵヶ");
        QTest::newRow("half-width stays") << QStringLiteral("ｱｲｳ abc") << QStringLiteral("ｱｲｳ abc");
    }
    void narrowing()
    {
        QFETCH(QString, wide);
        QFETCH(QString, narrow);
        QCOMPARE(orvik::narrow(wide), narrow);
    }

    void trimmingTakesBlanksOnly()
    {
        QCOMPARE(trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
        QCOMPARE(trimBlanks(QStringLiteral("　a　")), QStringLiteral("　a　"));
    }

    void codePage932_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("circled digit") << QStringLiteral("①") << QByteArray("\x87\x40");
        QTest::newRow("wave dash") << QStringLiteral("～") << QByteArray("\x81\x60");
        QTest::newRow("substitute for the unmappable") << QStringLiteral("é") << QByteArray("?");
        QTest::newRow("yen sign is backslash's byte") << QStringLiteral("\\") << QByteArray("\\");
    }
    void codePage932()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toCp932(text), bytes);
        if (!bytes.contains('?'))
            QCOMPARE(fromCp932(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestStrConv)
#include "tst_strconv.moc"
