#include "quessel/data/WebProcessScript.h"

#include <QTest>

using namespace quessel;
using namespace quessel::WebProcessScript;

Q_DECLARE_METATYPE(QList<quessel::WebProcessStep>)

namespace {

WebProcessStep step(const QString& name, qint32 actionType, const QMap<int, QString>& paras = {})
{
    WebProcessStep s;
    s.name = name;
    s.actionType = actionType;
    for (auto it = paras.cbegin(); it != paras.cend(); ++it)
        s.para[size_t(it.key())] = it.value();
    return s;
}

} // namespace

class TestWebProcessScript : public QObject
{
    Q_OBJECT

private slots:
    void write_data()
    {
        QTest::addColumn<QList<WebProcessStep>>("steps");
        QTest::addColumn<QString>("text");
        QTest::newRow("one step on one line")
            << QList<WebProcessStep>{step(QStringLiteral("更新完了待"), 9, {{1, QStringLiteral("30")}})}
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>更新完了待</Pro001_Name>"
                              "<Pro001_ActionType>9</Pro001_ActionType><Pro001_Para001>30</Pro001_Para001>");
        QTest::newRow("empty process is only ProcessN with a blank and 0")
            << QList<WebProcessStep>{} << QStringLiteral("<ProcessN> 0</ProcessN>");
        QTest::newRow("step without parameters writes Name and ActionType only")
            << QList<WebProcessStep>{step(QStringLiteral("確認"), 2)}
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>確認</Pro001_Name>"
                              "<Pro001_ActionType>2</Pro001_ActionType>");
        QTest::newRow("only parameter 3 is numbered 003")
            << QList<WebProcessStep>{step(QStringLiteral("抽出"), 10, {{3, QStringLiteral("3")}})}
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>抽出</Pro001_Name>"
                              "<Pro001_ActionType>10</Pro001_ActionType><Pro001_Para003>3</Pro001_Para003>");
        QTest::newRow("unnamed step has no Name element, parameter 10 is 010")
            << QList<WebProcessStep>{step(QString(), 4, {{10, QStringLiteral("x")}}), step(QStringLiteral("b"), 11)}
            << QStringLiteral("<ProcessN> 2</ProcessN><Pro001_ActionType>4</Pro001_ActionType>"
                              "<Pro001_Para010>x</Pro001_Para010><Pro002_Name>b</Pro002_Name>"
                              "<Pro002_ActionType>11</Pro002_ActionType>");
    }
    void write()
    {
        QFETCH(QList<WebProcessStep>, steps);
        QFETCH(QString, text);
        QCOMPARE(Write(steps), text);
    }

    void writeThenRead()
    {
        QList<WebProcessStep> steps{
            step(QStringLiteral("移動"), 1,
                 {{1, QStringLiteral("https://example.jp/?a=1&b=2")}, {2, QStringLiteral("30")}}),
            step(QString(), 7,
                 {{1, QStringLiteral("5")}, {2, QStringLiteral(" 前後に空白 ")}, {10, QStringLiteral("十")}}),
            step(QStringLiteral("語"), 8, {{2, MemoryToken(1)}}),
        };
        steps[0].status = -1;
        steps[2].status = 21;

        QList<WebProcessStep> read;
        QVERIFY(Read(Write(steps), read));
        QCOMPARE(read.size(), steps.size());
        for (int i = 0; i < steps.size(); ++i) {
            QCOMPARE(read[i].name, steps[i].name);
            QCOMPARE(read[i].actionType, steps[i].actionType);
            for (int p = 1; p <= WebProcessStep::ParamCount; ++p)
                QCOMPARE(read[i].para[size_t(p)], steps[i].para[size_t(p)]);
            QCOMPARE(read[i].status, 0);
        }
    }

    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rewritten");
        QTest::newRow("empty process reads as no step")
            << QStringLiteral("<ProcessN> 0</ProcessN>") << QStringLiteral("<ProcessN> 0</ProcessN>");
        QTest::newRow("missing ProcessN gives no step")
            << QStringLiteral("<Pro001_ActionType>9</Pro001_ActionType>") << QStringLiteral("<ProcessN> 0</ProcessN>");
        QTest::newRow("ProcessN not a number gives no step")
            << QStringLiteral("<ProcessN>abc</ProcessN><Pro001_ActionType>9</Pro001_ActionType>")
            << QStringLiteral("<ProcessN> 0</ProcessN>");
        QTest::newRow("elements in any order, unknown ones ignored")
            << QStringLiteral("<Pro001_Para001>30</Pro001_Para001><Other>x</Other><Pro001_ActionType>9"
                              "</Pro001_ActionType><ProcessN>1</ProcessN>")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType>9</Pro001_ActionType>"
                              "<Pro001_Para001>30</Pro001_Para001>");
        QTest::newRow("steps beyond ProcessN ignored")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType>9</Pro001_ActionType>"
                              "<Pro002_Name>x</Pro002_Name><Pro002_ActionType>4</Pro002_ActionType>")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType>9</Pro001_ActionType>");
        QTest::newRow("action type with blanks around it")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType> 5 </Pro001_ActionType>")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType>5</Pro001_ActionType>");
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(QString, rewritten);
        QList<WebProcessStep> steps;
        const ReadResult result = Read(text, steps);
        QVERIFY2(result.ok, qPrintable(result.errorText));
        QCOMPARE(Write(steps), rewritten);
    }

    void readErrors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stepsKept");
        QTest::newRow("negative step count") << QStringLiteral("<ProcessN>-1</ProcessN>") << 0;
        QTest::newRow("action type not a number")
            << QStringLiteral("<ProcessN> 2</ProcessN><Pro001_ActionType>1</Pro001_ActionType>"
                              "<Pro002_ActionType>九</Pro002_ActionType>")
            << 2;
        QTest::newRow("action type missing")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>名前だけ</Pro001_Name>") << 1;
        QTest::newRow("element past the 32,767-character limit")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>") + QString(40000, QLatin1Char('x')) +
                   QStringLiteral("</Pro001_Name><Pro001_ActionType>9</Pro001_ActionType>")
            << 1;
        // A pasted site can carry any count; it must not make the reader allocate for it.
        QTest::newRow("huge step count with no steps behind it")
            << QStringLiteral("<ProcessN>2000000000</ProcessN>") << 1;
        QTest::newRow("step count beyond the integer range")
            << QStringLiteral("<ProcessN>1E300</ProcessN><Pro001_ActionType>1</Pro001_ActionType>") << 2;
    }
    void readErrors()
    {
        QFETCH(QString, text);
        QFETCH(int, stepsKept);
        QList<WebProcessStep> steps;
        const ReadResult result = Read(text, steps);
        QVERIFY(!result.ok);
        QVERIFY(!result.errorText.isEmpty());
        QCOMPARE(steps.size(), stepsKept);
    }

    void stepOneThousandHasFourDigits()
    {
        QList<WebProcessStep> steps(1000, step(QString(), 4));
        const QString text = Write(steps);
        QVERIFY(text.startsWith(QStringLiteral("<ProcessN> 1000</ProcessN><Pro001_ActionType>4</Pro001_ActionType>")));
        QVERIFY(text.contains(QStringLiteral("<Pro999_ActionType>4</Pro999_ActionType>")));
        QVERIFY(text.endsWith(QStringLiteral("<Pro1000_ActionType>4</Pro1000_ActionType>")));

        // 1000 steps do not fit the tag format's positions: reading reports it instead of failing later.
        QList<WebProcessStep> read;
        const ReadResult result = Read(text, read);
        QVERIFY(!result.ok);
        QVERIFY(!result.errorText.isEmpty());
    }

    void actionTypes_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 ページ移動") << 1 << QStringLiteral("ページ移動");
        QTest::newRow("8 検索実行") << 8 << QStringLiteral("検索実行");
        QTest::newRow("9 表示完了待") << 9 << QStringLiteral("表示完了待");
        QTest::newRow("10 ワード抽出") << 10 << QStringLiteral("ワード抽出");
        QTest::newRow("11 ALLクリア") << 11 << QStringLiteral("ALLクリア");
    }
    void actionTypes()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(ActionTypeStr(number), text);
        QCOMPARE(int(ActionTypeNo(text)), number);
    }

    void unknownActionTypes_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 and part of a command") << 0 << QStringLiteral("検索");
        QTest::newRow("12 and a different case") << 12 << QStringLiteral("allクリア");
        QTest::newRow("-1 and the empty text") << -1 << QString();
        QTest::newRow("the unknown text itself is no command") << 100 << QStringLiteral("?????");
    }
    void unknownActionTypes()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(ActionTypeStr(number), QStringLiteral("?????"));
        QCOMPARE(int(ActionTypeNo(text)), -1);
    }

    void memoryTokens_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("token");
        QTest::newRow("1") << 1 << QString::fromUtf16(u"\u3010\u2460\u300B");
        QTest::newRow("3") << 3 << QString::fromUtf16(u"\u3010\u2462\u300B");
        QTest::newRow("10") << 10 << QString::fromUtf16(u"\u3010\u2469\u300B");
        QTest::newRow("0 has none") << 0 << QString();
        QTest::newRow("11 has none") << 11 << QString();
    }
    void memoryTokens()
    {
        QFETCH(int, n);
        QFETCH(QString, token);
        QCOMPARE(MemoryToken(n), token);
    }

    void defaultProcesses_data()
    {
        QTest::addColumn<QString>("process");
        QTest::addColumn<QString>("text");
        QTest::newRow("search")
            << DefaultSearchProcess(QStringLiteral("https://www.msn.co.jp/"), QStringLiteral("q"))
            << QStringLiteral(
                   "<ProcessN> 4</ProcessN>"
                   "<Pro001_Name>ベース以外を閉じる</Pro001_Name><Pro001_ActionType>5</Pro001_ActionType>"
                   "<Pro001_Para001>1</Pro001_Para001>"
                   "<Pro002_Name>検索ページに移動</Pro002_Name><Pro002_ActionType>1</Pro002_ActionType>"
                   "<Pro002_Para001>https://www.msn.co.jp/</Pro002_Para001><Pro002_Para002>30</Pro002_Para002>"
                   "<Pro003_Name>検索ワード設定実行</Pro003_Name><Pro003_ActionType>8</Pro003_ActionType>"
                   "<Pro003_Para001>q</Pro003_Para001><Pro003_Para002>【①》</Pro003_Para002>"
                   "<Pro004_Name>更新完了待</Pro004_Name><Pro004_ActionType>9</Pro004_ActionType>"
                   "<Pro004_Para001>30</Pro004_Para001>");
        QTest::newRow("trend with both judge strings")
            << DefaultTrendProcess(QStringLiteral("https://www.msn.co.jp/"), QStringLiteral("/search?q="),
                                   QStringLiteral("FORM=JPPOPU&cc=jp"))
            << QStringLiteral(
                   "<ProcessN> 3</ProcessN>"
                   "<Pro001_Name>ベース以外を閉じる</Pro001_Name><Pro001_ActionType>5</Pro001_ActionType>"
                   "<Pro001_Para001>1</Pro001_Para001>"
                   "<Pro002_Name>検索ページに移動</Pro002_Name><Pro002_ActionType>1</Pro002_ActionType>"
                   "<Pro002_Para001>https://www.msn.co.jp/</Pro002_Para001><Pro002_Para002>30</Pro002_Para002>"
                   "<Pro003_Name>ワード抽出</Pro003_Name><Pro003_ActionType>10</Pro003_ActionType>"
                   "<Pro003_Para001>/search?q=</Pro003_Para001><Pro003_Para002>FORM=JPPOPU&cc=jp"
                   "</Pro003_Para002><Pro003_Para003>3</Pro003_Para003>");
        QTest::newRow("trend without a second judge string")
            << DefaultTrendProcess(QStringLiteral("https://www.goo.ne.jp/"), QStringLiteral("https://search.goo/"),
                                   QString())
            << QStringLiteral(
                   "<ProcessN> 3</ProcessN>"
                   "<Pro001_Name>ベース以外を閉じる</Pro001_Name><Pro001_ActionType>5</Pro001_ActionType>"
                   "<Pro001_Para001>1</Pro001_Para001>"
                   "<Pro002_Name>検索ページに移動</Pro002_Name><Pro002_ActionType>1</Pro002_ActionType>"
                   "<Pro002_Para001>https://www.goo.ne.jp/</Pro002_Para001><Pro002_Para002>30</Pro002_Para002>"
                   "<Pro003_Name>ワード抽出</Pro003_Name><Pro003_ActionType>10</Pro003_ActionType>"
                   "<Pro003_Para001>https://search.goo/</Pro003_Para001><Pro003_Para003>3</Pro003_Para003>");
    }
    void defaultProcesses()
    {
        QFETCH(QString, process);
        QFETCH(QString, text);
        QCOMPARE(process, text);
        QList<WebProcessStep> steps;
        QVERIFY(Read(process, steps));
        QCOMPARE(Write(steps), text);
    }
};

QTEST_GUILESS_MAIN(TestWebProcessScript)
#include "tst_webprocessscript.moc"
