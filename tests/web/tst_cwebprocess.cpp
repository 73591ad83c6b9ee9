// The web process model: steps, script text, memory and tokens, status texts, the status grid
// and the time-out clock.
#include "FakeBrowserAutomation.h"

#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/web/CTimeOut.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebProcess.h"
#include "quessel/web/WebProcessStatusSink.h"

#include <QMap>
#include <QTest>

using namespace quessel;
using namespace quessel::fake;

namespace {

CWebProcess::Params params(const QMap<int, QString>& given)
{
    CWebProcess::Params p;
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        p[size_t(it.key())] = it.value();
    return p;
}

class GridSink : public WebProcessStatusSink
{
public:
    explicit GridSink(int rows) : rows(rows) {}
    int rows;
    QMap<int, QString> cells;
    int redraws = 0;
    int rowCount() const override { return rows; }
    void setStatusText(int row, const QString& text) override { cells[row] = text; }
    void redraw() override { ++redraws; }
};

} // namespace

class TestCWebProcess : public QObject
{
    Q_OBJECT

private:
    ManualClock m_clock{QDateTime(QDate(2005, 3, 1), QTime(12, 0))};
    ManualClockWait m_wait{m_clock};
    int m_beeps = 0;
    FakeBrowserAutomation m_automation;
    CWebBrowserWx m_browser{m_automation};

private slots:
    void init()
    {
        m_clock.set(QDateTime(QDate(2005, 3, 1), QTime(12, 0)));
        Clock::setInstance(&m_clock);
        WebWait::setInstance(&m_wait);
        m_beeps = 0;
        Beep::setHandler([this] { ++m_beeps; });
    }
    void cleanup()
    {
        Beep::setHandler({});
        WebWait::setInstance(nullptr);
        Clock::setInstance(nullptr);
    }

    void newProcessIsEmpty()
    {
        CWebProcess p(m_browser);
        QCOMPARE(p.ProcessN(), qint16(0));
        QCOMPARE(p.ProcessNo(), qint16(0));
        QCOMPARE(p.ProcessStr(), QStringLiteral("<ProcessN> 0</ProcessN>"));
        for (int n = 0; n <= 100; ++n)
            QVERIFY(p.Memory(n).isEmpty());
        QCOMPARE(p.timeOut().limit(), 60.0f);
        QCOMPARE(p.GetStatus(), 0);
        QVERIFY(p.setProcessStr(p.ProcessStr()));
        QCOMPARE(p.ProcessN(), qint16(0));
        QCOMPARE(m_beeps, 0);
    }

    void scriptText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("actionType");
        QTest::addColumn<QString>("para3");
        QTest::addColumn<QString>("text");
        QTest::newRow("step without parameters writes Name and ActionType only")
            << QStringLiteral("確認") << 2 << QString()
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>確認</Pro001_Name>"
                              "<Pro001_ActionType>2</Pro001_ActionType>");
        QTest::newRow("only parameter 3 set writes 003 and neither 001 nor 002")
            << QStringLiteral("ワード抽出") << 10 << QStringLiteral("3")
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_Name>ワード抽出</Pro001_Name>"
                              "<Pro001_ActionType>10</Pro001_ActionType><Pro001_Para003>3</Pro001_Para003>");
        QTest::newRow("unnamed step has no Name element")
            << QString() << 11 << QString()
            << QStringLiteral("<ProcessN> 1</ProcessN><Pro001_ActionType>11</Pro001_ActionType>");
    }
    void scriptText()
    {
        QFETCH(QString, name);
        QFETCH(int, actionType);
        QFETCH(QString, para3);
        QFETCH(QString, text);
        CWebProcess p(m_browser);
        p.AddProces(name, actionType, params({{3, para3}}));
        QCOMPARE(p.ProcessStr(), text);
    }

    void writeThenReadKeepsStepsAndClearsStatuses()
    {
        CWebProcess p(m_browser);
        p.AddProces(QStringLiteral("記憶"), 7, params({{1, QStringLiteral("5")}, {2, QStringLiteral("値")}}));
        p.AddProces(QStringLiteral("移動"), 1,
                    params({{1, QStringLiteral("https://example.com/?a=1&b=2")}, {2, QStringLiteral("30")}}));
        p.AddProces(QStringLiteral("十番"), 4, params({{10, QStringLiteral("末尾")}}));
        p.StartProcess(1);
        QCOMPARE(p.GetStatus(), qint32(CWebProcess::Done));
        p.setMemory(1, QStringLiteral("keep"));

        CWebProcess q(m_browser);
        q.setMemory(1, QStringLiteral("mine"));
        q.AddProces(QStringLiteral("old"), 2, {});
        q.AddProces(QStringLiteral("old2"), 2, {});
        q.setProcessNo(2);
        QVERIFY(q.setProcessStr(p.ProcessStr()));
        QCOMPARE(q.ProcessN(), qint16(3));
        QCOMPARE(q.ProcessNo(), qint16(2)); // kept, still a step
        QCOMPARE(q.Memory(1), QStringLiteral("mine"));
        QCOMPARE(q.ProcessStr(), p.ProcessStr());
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(q.ProName(n), p.ProName(n));
            QCOMPARE(q.ProActionType(n), p.ProActionType(n));
            QCOMPARE(q.ProStatus(n), 0);
            for (int k = 1; k <= 10; ++k)
                QCOMPARE(q.ProPara(n, k), p.ProPara(n, k));
        }
        QCOMPARE(q.ProPara(3, 10), QStringLiteral("末尾"));
        QCOMPARE(q.ProActionTypeStr(2), QStringLiteral("ページ移動"));
        QCOMPARE(m_beeps, 0);
    }

    void step1000GetsAFourDigitPrefix()
    {
        CWebProcess p(m_browser);
        for (int i = 1; i <= 1000; ++i)
            p.AddProces(QStringLiteral("s%1").arg(i), 11, {});
        const QString text = p.ProcessStr();
        QVERIFY(text.startsWith(QStringLiteral("<ProcessN> 1000</ProcessN>")));
        QVERIFY(text.contains(QStringLiteral("<Pro999_Name>s999</Pro999_Name>")));
        QVERIFY(text.contains(QStringLiteral("<Pro1000_Name>s1000</Pro1000_Name><Pro1000_ActionType>11")));
        // So many steps are past what the tag format reads back (32767 characters): the read
        // fails with a reason instead of giving a process cut short without a word.
        QVERIFY(text.size() > 32767);
        CWebProcess q(m_browser);
        QVERIFY(!q.setProcessStr(text));
        QVERIFY(!q.readError().isEmpty());
    }

    void unreadableScriptSaysWhy_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("lastType");
        QTest::newRow("negative count gives no step")
            << QStringLiteral("<ProcessN>-2</ProcessN><Pro001_Name>a</Pro001_Name>") << 0 << 0;
        QTest::newRow("action type not a number stops at that step, which cannot run")
            << QStringLiteral("<ProcessN> 3</ProcessN><Pro001_Name>a</Pro001_Name><Pro001_ActionType>11"
                              "</Pro001_ActionType><Pro002_Name>b</Pro002_Name><Pro002_ActionType>x"
                              "</Pro002_ActionType>")
            << 2 << 0;
        QTest::newRow("missing action type") << QStringLiteral("<ProcessN> 1</ProcessN>") << 1 << 0;
    }
    void unreadableScriptSaysWhy()
    {
        QFETCH(QString, text);
        QFETCH(int, steps);
        QFETCH(int, lastType);
        CWebProcess p(m_browser);
        const WebProcessScript::ReadResult r = p.setProcessStr(text);
        QVERIFY(!r);
        QVERIFY(!p.readError().isEmpty());
        QCOMPARE(p.readError(), r.errorText);
        QCOMPARE(int(p.ProcessN()), steps);
        QCOMPARE(int(p.ProActionType(p.ProcessN())), lastType);
        // A later good read clears the error.
        QVERIFY(p.setProcessStr(QStringLiteral("<ProcessN> 0</ProcessN>")));
        QVERIFY(p.readError().isEmpty());
    }

    void missingOrBlankCountIsAnEmptyProcess_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no ProcessN") << QStringLiteral("<Pro001_Name>a</Pro001_Name>");
        QTest::newRow("blank ProcessN") << QStringLiteral("<ProcessN> </ProcessN>");
        QTest::newRow("ProcessN not a number") << QStringLiteral("<ProcessN>abc</ProcessN>");
        QTest::newRow("empty text") << QString();
    }
    void missingOrBlankCountIsAnEmptyProcess()
    {
        QFETCH(QString, text);
        CWebProcess p(m_browser);
        QVERIFY(p.setProcessStr(text));
        QCOMPARE(p.ProcessN(), qint16(0));
    }

    void actionTypes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("検索実行 is 8") << QStringLiteral("検索実行") << 8;
        QTest::newRow("検索 alone is none") << QStringLiteral("検索") << -1;
        QTest::newRow("first command") << QStringLiteral("ページ移動") << 1;
        QTest::newRow("last command") << QStringLiteral("ALLクリア") << 11;
        QTest::newRow("case matters") << QStringLiteral("allクリア") << -1;
        QTest::newRow("trailing blank matters") << QStringLiteral("待機 ") << -1;
        QTest::newRow("the unknown text is no command") << QStringLiteral("?????") << -1;
        QTest::newRow("empty text") << QString() << -1;
    }
    void actionTypes()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(int(CWebProcess::ActionTypeNo(text)), number);
        if (number > 0)
            QCOMPARE(CWebProcess::ActionTypeStr(number), text);
    }

    void actionTypeTextOutsideTheTable_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("0") << 0;
        QTest::newRow("12") << 12;
        QTest::newRow("-1") << -1;
    }
    void actionTypeTextOutsideTheTable()
    {
        QFETCH(int, number);
        QCOMPARE(CWebProcess::ActionTypeStr(number), QStringLiteral("?????"));
    }

    void expandMemory_data()
    {
        QTest::addColumn<QString>("slot1");
        QTest::addColumn<QString>("slot2");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");
        const QString t1 = CWebProcess::MemoryToken(1);
        const QString t2 = CWebProcess::MemoryToken(2);
        QTest::newRow("token between two characters") << "abc"
                                                      << ""
                                                      << "x" + t1 + "y"
                                                      << "xabcy";
        QTest::newRow("closing 】 instead of 》 is left alone")
            << "abc"
            << "" << QStringLiteral("x【①】y") << QStringLiteral("x【①】y");
        QTest::newRow("every occurrence") << "ab"
                                          << "" << t1 + "-" + t1 << "ab-ab";
        QTest::newRow("slot 1 first, so a token it holds is expanded by slot 2") << t2 << "two"
                                                                                 << "[" + t1 + "]"
                                                                                 << "[two]";
        QTest::newRow("slot 2 holding token 1 is not expanded again") << "one" << t1 << t2 << t1;
        QTest::newRow("empty slot removes the token") << ""
                                                      << ""
                                                      << "a" + t1 + "b"
                                                      << "ab";
        QTest::newRow("token 10") << ""
                                  << "" << CWebProcess::MemoryToken(10) << "ten";
    }
    void expandMemory()
    {
        QFETCH(QString, slot1);
        QFETCH(QString, slot2);
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        CWebProcess p(m_browser);
        p.setMemory(1, slot1);
        p.setMemory(2, slot2);
        p.setMemory(10, QStringLiteral("ten"));
        QCOMPARE(p.ExpandMemory(text), expanded);
    }

    void memoryTokens()
    {
        QCOMPARE(CWebProcess::MemoryToken(1), QString(QChar(0x3010)) + QChar(0x2460) + QChar(0x300B));
        QCOMPARE(CWebProcess::MemoryToken(10), QStringLiteral("【⑩》"));
        QVERIFY(CWebProcess::MemoryToken(11).isEmpty());
        QVERIFY(CWebProcess::MemoryToken(0).isEmpty());
    }

    void memorySlotBounds_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("valid");
        QTest::newRow("slot 0 exists") << 0 << true;
        QTest::newRow("slot 100 exists") << 100 << true;
        QTest::newRow("slot -1 beeps") << -1 << false;
        QTest::newRow("slot 101 beeps") << 101 << false;
    }
    void memorySlotBounds()
    {
        QFETCH(int, slot);
        QFETCH(bool, valid);
        CWebProcess p(m_browser);
        QCOMPARE(p.setMemory(slot, QStringLiteral("v")), valid);
        QCOMPARE(p.Memory(slot), valid ? QStringLiteral("v") : QString());
        QCOMPARE(m_beeps, valid ? 0 : 2);
        p.MemoryClear();
        QVERIFY(p.Memory(valid ? slot : 0).isEmpty());
    }

    void badStepNumbersBeep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("para");
        QTest::addColumn<int>("beeps");
        QTest::newRow("step 0 is the empty dummy") << 0 << 1 << 0;
        QTest::newRow("step past the end") << 3 << 1 << 5;
        QTest::newRow("negative step") << -1 << 1 << 5;
        QTest::newRow("parameter 11") << 1 << 11 << 1;
    }
    void badStepNumbersBeep()
    {
        QFETCH(int, step);
        QFETCH(int, para);
        QFETCH(int, beeps);
        CWebProcess p(m_browser);
        p.AddProces(QStringLiteral("a"), 4, params({{1, QStringLiteral("1")}}));
        p.AddProces(QStringLiteral("b"), 4, {});
        if (para == 1) {
            QVERIFY(p.ProName(step).isEmpty());
            QCOMPARE(p.ProActionType(step), qint16(0));
            const QString command = p.ProActionTypeStr(step);
            QCOMPARE(command, step == 0 ? QStringLiteral("?????") : QString());
            QCOMPARE(p.ProStatus(step), 0);
        }
        QVERIFY(p.ProPara(step, para).isEmpty());
        QCOMPARE(m_beeps, beeps);
    }

    void processNoBounds_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("current");
        QTest::newRow("a step") << 2 << 2;
        QTest::newRow("above the count becomes 0") << 3 << 0;
        QTest::newRow("below 0 becomes 0") << -1 << 0;
    }
    void processNoBounds()
    {
        QFETCH(int, set);
        QFETCH(int, current);
        CWebProcess p(m_browser);
        p.AddProces(QStringLiteral("a"), 11, {});
        p.AddProces(QStringLiteral("b"), 11, {});
        p.StartProcess(2);
        QCOMPARE(p.ProStatus(2), qint32(CWebProcess::Done));
        p.setProcessNo(set);
        QCOMPARE(int(p.ProcessNo()), current);
        QCOMPARE(p.ProStatus(2), current == 2 ? 0 : qint32(CWebProcess::Done)); // only that step resets
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 not started") << 0 << "";
        QTest::newRow("1") << 1 << "終了1";
        QTest::newRow("2") << 2 << "終了2";
        QTest::newRow("3") << 3 << "終了3";
        QTest::newRow("10") << 10 << "移動開始";
        QTest::newRow("11") << 11 << "表示中";
        QTest::newRow("12") << 12 << "移動完了";
        QTest::newRow("20") << 20 << "待機開始";
        QTest::newRow("21 with the elapsed seconds") << 21 << "待機中:2.5";
        QTest::newRow("22") << 22 << "待機終了";
        QTest::newRow("70") << 70 << "完了待始";
        QTest::newRow("71") << 71 << "完了待終";
        QTest::newRow("-1") << -1 << "完了";
        QTest::newRow("-2") << -2 << "エラー";
        QTest::newRow("-99") << -99 << "タイムアウト";
        QTest::newRow("unknown positive keeps a blank") << 5 << "◆不明？ 5";
        QTest::newRow("unknown negative has its sign") << -3 << "◆不明？-3";
        QTest::newRow("unknown 4") << 4 << "◆不明？ 4";
    }
    void statusTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        CWebProcess p(m_browser);
        p.timeOut().Reset(10);
        m_clock.advanceSeconds(2.5);
        QCOMPARE(p.cvStrWebProcessStatus(code), text);
    }

    void statusGoesToTheGridRowOfTheStep_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("written");
        QTest::newRow("row of step 2") << 4 << 2 << true;
        QTest::newRow("last row") << 3 << 2 << true;
        QTest::newRow("grid shorter than the process") << 2 << 2 << false;
    }
    void statusGoesToTheGridRowOfTheStep()
    {
        QFETCH(int, rows);
        QFETCH(int, step);
        QFETCH(bool, written);
        CWebProcess p(m_browser);
        p.AddProces(QStringLiteral("a"), 11, {});
        p.AddProces(QStringLiteral("b"), 11, {});
        p.AddProces(QStringLiteral("c"), 11, {});
        GridSink grid(rows);
        p.SetGrid(&grid);
        p.StartProcess(step);
        QCOMPARE(grid.cells.contains(step), written);
        if (written) {
            QCOMPARE(grid.cells.value(step), QStringLiteral("完了"));
            QVERIFY(grid.redraws > 0);
        }
        QCOMPARE(grid.cells.size(), written ? 1 : 0);
        p.SetGrid(nullptr);
        p.setProcessNo(1);
        p.UpdateWebProcessStatus();
        QCOMPARE(grid.cells.size(), written ? 1 : 0);
    }

    void timeOut_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("advanceMs");
        QTest::addColumn<float>("elapsed");
        QTest::addColumn<bool>("timedOut");
        const QDateTime noon(QDate(2005, 3, 1), QTime(12, 0));
        QTest::newRow("exactly the limit is not over it") << noon << 60000 << 60.0f << false;
        QTest::newRow("a tenth past the limit") << noon << 60100 << 60.1f << true;
        QTest::newRow("across midnight") << QDateTime(QDate(2005, 3, 1), QTime(23, 59, 50)) << 20000 << 20.0f << false;
        QTest::newRow("across midnight past the limit")
            << QDateTime(QDate(2005, 3, 1), QTime(23, 59, 30)) << 61500 << 61.5f << true;
        QTest::newRow("clock set back gives whole seconds")
            << QDateTime(QDate(2005, 3, 1), QTime(12, 0)) << -3700 << -4.0f << false;
    }
    void timeOut()
    {
        QFETCH(QDateTime, start);
        QFETCH(int, advanceMs);
        QFETCH(float, elapsed);
        QFETCH(bool, timedOut);
        m_clock.set(start);
        CTimeOut t;
        t.Reset(60);
        m_clock.set(start.addMSecs(advanceMs));
        QVERIFY2(qAbs(t.GetElapsedTime() - elapsed) < 0.01f, qPrintable(QString::number(t.GetElapsedTime())));
        QCOMPARE(t.IsTimeOut(), timedOut);
    }

    void formatSeconds_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0.0";
        QTest::newRow("below one") << 0.04 << "0.0";
        QTest::newRow("half away from zero") << 2.25 << "2.3";
        QTest::newRow("no padding") << 999.94 << "999.9";
        QTest::newRow("thousands") << 1234.5 << "1234.5";
    }
    void formatSeconds()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(CWebProcess::formatSeconds(seconds), text);
    }
};

QTEST_GUILESS_MAIN(TestCWebProcess)
#include "tst_cwebprocess.moc"
