// The web process interpreter and its step runner on the scripted browser and a set clock.
#include "FakeBrowserAutomation.h"

#include "quessel/data/WebProcessScript.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebProcess.h"
#include "quessel/web/WebProcessRunner.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace quessel;
using namespace quessel::fake;

Q_DECLARE_METATYPE(QList<quessel::WebElement>)

namespace {

const QString Portal = QStringLiteral("http://portal.test/");
// 長い言葉の全体 in Shift-JIS, percent-encoded; "t" (0x74) and "S" (0x53) are bytes of it too.
const QString LongWordQuery = QStringLiteral("%92%B7%82%A2%8C%BE%97t%82%CC%91S%91%CC");

CWebProcess::Params params(std::initializer_list<std::pair<int, QString>> given)
{
    CWebProcess::Params p;
    for (const auto& [n, text] : given)
        p[size_t(n)] = text;
    return p;
}

WebElement link(const QString& href, const QString& text)
{
    WebElement e = element(QStringLiteral("A"), {}, {}, {}, href);
    e.innerText = text;
    return e;
}

// A wait that also lets something happen while a step blocks, as the event loop would.
class EventfulWait : public WebWait
{
public:
    EventfulWait(ManualClock& clock, std::function<void()> during) : m_clock(clock), m_during(std::move(during)) {}
    void pause(double seconds) override
    {
        m_clock.set(m_clock.currentDateTime().addMSecs(qMax<qint64>(1, qRound64(seconds * 1000.0))));
        if (m_during)
            m_during();
    }

private:
    ManualClock& m_clock;
    std::function<void()> m_during;
};

} // namespace

class TestWebInterpreter : public QObject
{
    Q_OBJECT

private:
    ManualClock m_clock;
    ManualClockWait m_wait{m_clock};
    std::unique_ptr<FakeBrowserAutomation> m_automation;
    std::unique_ptr<CWebBrowserWx> m_browser;
    std::unique_ptr<CWebProcess> m_process;

    // Opens the base page on `url` and gives it these elements.
    std::shared_ptr<FakeWindow> basePage(const QList<WebElement>& elements = {}, const QString& url = Portal)
    {
        m_browser->OpenBasePage(url, -1);
        const auto window = m_automation->window(m_browser->GetHandleBasePage());
        if (window)
            window->document->elements = elements;
        return window;
    }

    // Ticks every 0.1 s of the set clock until the run ends; the result, or 0 after maxTicks.
    int runToEnd(WebProcessRunner& runner, int maxTicks = 2000)
    {
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        for (int i = 0; i < maxTicks && finished.isEmpty(); ++i) {
            runner.tick();
            m_clock.advanceSeconds(0.1);
        }
        return finished.isEmpty() ? 0 : finished.first().first().toInt();
    }

    static QStringList messages(const QSignalSpy& entries)
    {
        QStringList out;
        for (const QList<QVariant>& e : entries)
            out << e.first().toString().mid(12); // after "mm:ss.zzz - "
        return out;
    }

private slots:
    void init()
    {
        m_clock.set(QDateTime(QDate(2005, 3, 1), QTime(12, 0)));
        Clock::setInstance(&m_clock);
        WebWait::setInstance(&m_wait);
        Beep::setHandler([] {});
        m_automation = std::make_unique<FakeBrowserAutomation>();
        m_browser = std::make_unique<CWebBrowserWx>(*m_automation);
        m_process = std::make_unique<CWebProcess>(*m_browser);
    }
    void cleanup()
    {
        m_process.reset();
        m_browser.reset();
        m_automation.reset();
        Beep::setHandler({});
        WebWait::setInstance(nullptr);
        Clock::setInstance(nullptr);
    }

    // --- each step type ---

    void navigationDoneOnFirstPollWhenLoadedDuringTheCall()
    {
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, Portal}, {2, QStringLiteral("30")}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::NavigationStarted));
        QVERIFY(m_automation->log.contains(QStringLiteral("Navigate 1 ") + Portal));
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::Done));
    }

    void navigationStillLoadingThenDone()
    {
        m_automation->createdReadyState = 1;
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, Portal}, {2, QStringLiteral("30")}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::PageLoading));
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::PageLoading));
        m_automation->window(m_browser->GetHandleBasePage())->readyState = 4;
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::Done));
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::Done)); // left as it is
    }

    void navigationTimeOutCountsTheBlockedTime()
    {
        // The page never completes: the call blocks 12 s (create, then open), over the 3 s limit.
        m_automation->createdReadyState = 1;
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, Portal}, {2, QStringLiteral("3")}}));
        m_process->StartProcess(1);
        QVERIFY(m_process->timeOut().GetElapsedTime() > 3);
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::TimedOut));
        QCOMPARE(m_process->cvStrWebProcessStatus(m_process->GetStatus()), QStringLiteral("タイムアウト"));
    }

    void openableAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("http") << "http://portal.test/a?q=1" << true;
        QTest::newRow("https") << "https://portal.test/" << true;
        QTest::newRow("scheme in capitals") << "HTTPS://portal.test/" << true;
        QTest::newRow("about:blank") << "about:blank" << true;
        QTest::newRow("host without a scheme is read as http") << "portal.test/x" << true;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("javascript in capitals behind blanks") << "  JavaScript:alert(1)" << false;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("a path would open as a file") << "/etc/passwd" << false;
        QTest::newRow("data") << "data:text/html,<script>alert(1)</script>" << false;
        QTest::newRow("chrome") << "chrome://settings" << false;
        QTest::newRow("view-source") << "view-source:http://portal.test/" << false;
        QTest::newRow("other about page") << "about:config" << false;
        QTest::newRow("ftp") << "ftp://portal.test/" << false;
        QTest::newRow("http without a host") << "http://" << false;
    }
    void openableAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, address}, {2, QStringLiteral("30")}}));
        WebProcessRunner runner(*m_process);
        QSignalSpy entries(&runner, &WebProcessRunner::statusEntry);
        runner.setRunNo(1);
        runner.runAll();
        runner.tick();
        const bool navigated = m_automation->log.filter(QStringLiteral("Navigate")).size() > 0;
        QCOMPARE(navigated, opened);
        if (opened) {
            QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::NavigationStarted));
        } else {
            QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Failed));
            QVERIFY(m_automation->windows.isEmpty()); // not even a window was made for it
            const QStringList said = messages(entries);
            QCOMPARE(said.size(), 2);
            QVERIFY2(said.at(1).startsWith(QStringLiteral("(1/1) 移動: ページ移動: ")), qPrintable(said.at(1)));
            QVERIFY(said.at(1).contains(address.trimmed()));
        }
    }

    void waitStep()
    {
        m_process->AddProces(QStringLiteral("待つ"), 4, params({{1, QStringLiteral("3")}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::WaitStarted));
        m_clock.advanceSeconds(2.9);
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::Waiting));
        QCOMPARE(m_process->cvStrWebProcessStatus(m_process->GetStatus()), QStringLiteral("待機中:2.9"));
        m_clock.advanceSeconds(0.2);
        QCOMPARE(m_process->ContinueProcess(), qint32(CWebProcess::Done));
    }

    void stepsThatDoNothing_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("ページ確認") << 2;
        QTest::newRow("クリック") << 3;
    }
    void stepsThatDoNothing()
    {
        QFETCH(int, type);
        basePage();
        m_automation->log.clear();
        m_process->AddProces(QStringLiteral("x"), type, {});
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), 0);
        QCOMPARE(m_process->ContinueProcess(), 0);
        QVERIFY(m_automation->log.isEmpty());
    }

    void closeStep_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("0 the base page") << "0" << QList<int>{2, 3};
        QTest::newRow("1 every web page but the base page") << "1" << QList<int>{1};
        QTest::newRow("2 every web page") << "2" << QList<int>{};
        QTest::newRow("blank is mode 0") << "" << QList<int>{2, 3};
    }
    void closeStep()
    {
        QFETCH(QString, mode);
        QFETCH(QList<int>, left);
        basePage();
        m_automation->addWindow(QStringLiteral("http://other.test/"));
        m_automation->addWindow(QStringLiteral("https://third.test/"));
        m_process->AddProces(QStringLiteral("閉じる"), 5, params({{1, mode}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Done));
        QCOMPARE(m_automation->handles(), left);
    }

    void itemWriteAndSearch_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("withPage");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("アイテム代入 types the expanded word")
            << 6 << "kw" << true << -1 << QStringList{"click 1", "setValue 1 日本語 word"};
        QTest::newRow("検索実行 types and clicks the submit after the box")
            << 8 << "kw" << true << -1 << QStringList{"click 1", "setValue 1 日本語 word", "click 3"};
        QTest::newRow("検索実行 finds a text box by its name")
            << 8 << "q" << true << -1 << QStringList{"click 1", "setValue 1 日本語 word", "click 3"};
        QTest::newRow("unknown key is an error") << 8 << "nothing" << true << -2 << QStringList{};
        QTest::newRow("no base page is an error") << 6 << "kw" << false << -2 << QStringList{};
    }
    void itemWriteAndSearch()
    {
        QFETCH(int, type);
        QFETCH(QString, key);
        QFETCH(bool, withPage);
        QFETCH(int, status);
        QFETCH(QStringList, actions);
        if (withPage)
            basePage(
                {element(QStringLiteral("FORM")),
                 element(QStringLiteral("INPUT"), QStringLiteral("text"), QStringLiteral("kw"), QStringLiteral("q")),
                 element(QStringLiteral("SPAN")), element(QStringLiteral("INPUT"), QStringLiteral("submit"))});
        m_automation->log.clear();
        m_process->setMemory(1, QStringLiteral("日本語"));
        m_process->AddProces(QStringLiteral("入力"), type,
                             params({{1, key}, {2, CWebProcess::MemoryToken(1) + QStringLiteral(" word")}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), status);
        QCOMPARE(m_automation->log, actions);
    }

    void memoryStore_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("done");
        QTest::newRow("slot 5") << "5" << 5 << true;
        QTest::newRow("slot 100") << "100" << 100 << true;
        QTest::newRow("half rounds to even") << "4.5" << 4 << true;
        QTest::newRow("not a number is slot 0") << "abc" << 0 << true;
        QTest::newRow("slot 101 is an error") << "101" << -1 << false;
        QTest::newRow("slot -1 is an error") << "-1" << -1 << false;
        QTest::newRow("beyond 16 bits is an error") << "70000" << -1 << false;
    }
    void memoryStore()
    {
        QFETCH(QString, slot);
        QFETCH(int, stored);
        QFETCH(bool, done);
        const QString value = QStringLiteral("as ") + CWebProcess::MemoryToken(1);
        m_process->setMemory(1, QStringLiteral("one"));
        m_process->AddProces(QStringLiteral("記憶"), 7, params({{1, slot}, {2, value}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), done ? qint32(CWebProcess::Done) : qint32(CWebProcess::Failed));
        const QString message = m_process->takeStepMessage();
        if (done) {
            QCOMPARE(m_process->Memory(stored), value); // taken literally
            QVERIFY(message.isEmpty());
        } else {
            QVERIFY(message.contains(QStringLiteral("範囲外")));
            QCOMPARE(m_process->Memory(1), QStringLiteral("one"));
        }
    }

    void completionWait_data()
    {
        QTest::addColumn<int>("readyState");
        QTest::addColumn<double>("after");
        QTest::addColumn<int>("status");
        QTest::newRow("page still complete is done at once") << 4 << 0.0 << -1;
        QTest::newRow("loading page within the limit") << 1 << 10.0 << 11;
        QTest::newRow("loading page past the limit") << 1 << 30.1 << -99;
    }
    void completionWait()
    {
        QFETCH(int, readyState);
        QFETCH(double, after);
        QFETCH(int, status);
        const auto window = basePage();
        window->readyState = readyState;
        m_process->AddProces(QStringLiteral("待ち"), 9, params({{1, QStringLiteral("30")}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::CompletionWaitStarted));
        m_clock.advanceSeconds(after);
        QCOMPARE(m_process->ContinueProcess(), status);
    }

    void allClear()
    {
        for (int n = 0; n <= 100; ++n)
            m_process->setMemory(n, QString::number(n));
        m_process->AddProces(QStringLiteral("消す"), 11, {});
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Done));
        for (int n = 0; n <= 100; ++n)
            QVERIFY(m_process->Memory(n).isEmpty());
    }

    void unknownActionTypeFailsWithAReason_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("0") << 0;
        QTest::newRow("12") << 12;
        QTest::newRow("-5") << -5;
    }
    void unknownActionTypeFailsWithAReason()
    {
        QFETCH(int, type);
        m_process->AddProces(QStringLiteral("謎"), type, {});
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Failed));
        QVERIFY(m_process->takeStepMessage().contains(QString::number(type)));
        QCOMPARE(m_process->ContinueProcess(), 0);
    }

    // --- word extraction ---

    void wordExtraction_data()
    {
        QTest::addColumn<QList<WebElement>>("page");
        QTest::addColumn<QString>("filter1");
        QTest::addColumn<QString>("filter2");
        QTest::addColumn<QString>("countSlot");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("words");
        const QString base = QStringLiteral("http://trend.test");
        QTest::newRow("first filter picks one of two links")
            << QList<WebElement>{link(base + "/s?q=abc", "abc"), link(base + "/t?q=def", "def")} << "/s?"
            << ""
            << "3" << 3 << QStringList{"abc"};
        QTest::newRow("both filters must match")
            << QList<WebElement>{link(base + "/s?q=a&x", "a"), link(base + "/s?q=b", "b")} << "/s?"
            << "&x"
            << "3" << 3 << QStringList{"a"};
        QTest::newRow("empty filters take every link, texts as they are")
            << QList<WebElement>{link(base + "/1", " padded "), link(base + "/2", ""), link(base + "/3", "x")} << ""
            << ""
            << "3" << 3 << QStringList{" padded ", "", "x"};
        QTest::newRow("only tag A counts")
            << QList<WebElement>{element("AREA", {}, {}, {}, base + "/s?q=z"), link(base + "/s?q=y", "y")} << "/s?"
            << ""
            << "3" << 3 << QStringList{"y"};
        QTest::newRow("filters are case-sensitive")
            << QList<WebElement>{link(base + "/S?q=up", "up"), link(base + "/s?q=low", "low")} << "/s?"
            << ""
            << "3" << 3 << QStringList{"low"};
        QTest::newRow("ellipsis completed from the Shift-JIS address")
            << QList<WebElement>{link(base + "/s?q=" + LongWordQuery, "長い言葉…")} << "/s?"
            << ""
            << "3" << 3 << QStringList{"長い言葉の全体"};
        QTest::newRow("ellipsis with a plus for a blank")
            << QList<WebElement>{link(base + "/s?q=New+York+City", "New Y…")} << ""
            << ""
            << "3" << 3 << QStringList{"New York City"};
        QTest::newRow("half-width katakana in the address are single bytes")
            << QList<WebElement>{link(base + QStringLiteral("/s?q=ｶﾀ%B6%C5"), "ｶﾀ…")} << ""
            << ""
            << "3" << 3 << QStringList{"ｶﾀｶﾅ"};
        QTest::newRow("shortened text not in the address loses its ellipses")
            << QList<WebElement>{link(base + "/s?q=zzz", "…abc…")} << ""
            << ""
            << "3" << 3 << QStringList{"abc"};
        QTest::newRow("same word three times is stored three times")
            << QList<WebElement>{link(base + "/1", "w"), link(base + "/2", "w"), link(base + "/3", "w")} << ""
            << ""
            << "3" << 3 << QStringList{"w", "w", "w"};
        QTest::newRow("count slot 0 means slot 1") << QList<WebElement>{link(base + "/1", "a")} << ""
                                                   << ""
                                                   << "0" << 1 << QStringList{"a"};
        QTest::newRow("count slot rounds half to even") << QList<WebElement>{link(base + "/1", "a")} << ""
                                                        << ""
                                                        << "4.5" << 4 << QStringList{"a"};
    }
    void wordExtraction()
    {
        QFETCH(QList<WebElement>, page);
        QFETCH(QString, filter1);
        QFETCH(QString, filter2);
        QFETCH(QString, countSlot);
        QFETCH(int, slot);
        QFETCH(QStringList, words);
        basePage(page, QStringLiteral("http://trend.test/"));
        m_process->AddProces(QStringLiteral("抽出"), 10, params({{1, filter1}, {2, filter2}, {3, countSlot}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Done));
        QCOMPARE(m_process->Memory(slot), QString::number(words.size()));
        for (int i = 0; i < words.size(); ++i)
            QCOMPARE(m_process->Memory(slot + 1 + i), words.at(i));
        QVERIFY(m_process->Memory(slot + 1 + int(words.size())).isEmpty());
        QVERIFY(m_process->takeStepMessage().isEmpty());
    }

    void wordExtractionFailures_data()
    {
        QTest::addColumn<bool>("withPage");
        QTest::addColumn<QString>("countSlot");
        QTest::addColumn<QString>("message"); // a part of the status-list text; empty: none
        QTest::newRow("no matching link") << true << "3"
                                          << "";
        QTest::newRow("no base page") << false << "3"
                                      << "";
        QTest::newRow("count slot not a number") << true << "three"
                                                 << "整数ではありません";
        QTest::newRow("count slot empty") << true << ""
                                          << "整数ではありません";
        QTest::newRow("count slot past the memory") << true << "101"
                                                    << "範囲外";
        QTest::newRow("count slot beyond 16 bits") << true << "40000"
                                                   << "整数ではありません";
    }
    void wordExtractionFailures()
    {
        QFETCH(bool, withPage);
        QFETCH(QString, countSlot);
        QFETCH(QString, message);
        if (withPage)
            basePage({link(QStringLiteral("http://trend.test/x"), QStringLiteral("x"))});
        for (int n = 0; n <= 100; ++n)
            m_process->setMemory(n, QStringLiteral("m%1").arg(n));
        m_process->AddProces(QStringLiteral("抽出"), 10,
                             params({{1, QStringLiteral("/nomatch")}, {2, QString()}, {3, countSlot}}));
        m_process->StartProcess(1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Failed));
        for (int n = 0; n <= 100; ++n)
            QCOMPARE(m_process->Memory(n), QStringLiteral("m%1").arg(n)); // untouched
        const QString said = m_process->takeStepMessage();
        QCOMPARE(said.isEmpty(), message.isEmpty());
        QVERIFY(said.contains(message));
    }

    void wordExtractionStopsAtTheLastSlot_data()
    {
        QTest::addColumn<int>("links");
        QTest::addColumn<QString>("countSlot");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("dropped");
        QTest::newRow("97 words fill slots 4 to 100") << 97 << "3" << 97 << 0;
        QTest::newRow("100 words: 97 stored, 3 dropped") << 100 << "3" << 97 << 3;
        QTest::newRow("count in slot 99 leaves room for one") << 5 << "99" << 1 << 4;
        QTest::newRow("count in slot 100 leaves no room") << 2 << "100" << 0 << 2;
    }
    void wordExtractionStopsAtTheLastSlot()
    {
        QFETCH(int, links);
        QFETCH(QString, countSlot);
        QFETCH(int, stored);
        QFETCH(int, dropped);
        QList<WebElement> page;
        for (int i = 1; i <= links; ++i)
            page << link(QStringLiteral("http://trend.test/s?q=%1").arg(i), QStringLiteral("w%1").arg(i));
        basePage(page, QStringLiteral("http://trend.test/"));
        m_process->AddProces(QStringLiteral("抽出"), 10, params({{1, QStringLiteral("/s?")}, {3, countSlot}}));
        m_process->StartProcess(1);
        const int slot = countSlot.toInt();
        const QString said = m_process->takeStepMessage();
        QCOMPARE(said.contains(QStringLiteral("%1件").arg(dropped)), dropped > 0);
        if (stored == 0) {
            QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Failed));
            QVERIFY(m_process->Memory(slot).isEmpty());
            return;
        }
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Done));
        QCOMPARE(m_process->Memory(slot), QString::number(stored));
        QCOMPARE(m_process->Memory(100), QStringLiteral("w%1").arg(stored));
    }

    // --- the runner ---

    void automaticRunOfTheDefaultSearchProcess()
    {
        basePage({element(QStringLiteral("INPUT"), QStringLiteral("text"), QStringLiteral("kw"), QStringLiteral("q")),
                  element(QStringLiteral("INPUT"), QStringLiteral("submit"))});
        m_automation->addWindow(QStringLiteral("http://ad.test/")); // closed by step 1
        QVERIFY(m_process->setProcessStr(WebProcessScript::DefaultSearchProcess(Portal, QStringLiteral("q"))));
        m_process->setMemory(1, QStringLiteral("検索語"));
        m_automation->log.clear();
        WebProcessRunner runner(*m_process);
        QSignalSpy entries(&runner, &WebProcessRunner::statusEntry);
        QSignalSpy topMost(&runner, &WebProcessRunner::keepOnTop);
        QSignalSpy rows(&runner, &WebProcessRunner::currentStepChanged);
        runner.startAutoRun();
        QCOMPARE(runToEnd(runner), 1);
        QCOMPARE(runner.pbRetuen(), 1);
        QVERIFY(!runner.isTicking());
        QCOMPARE(messages(entries), (QStringList{"自動実行開始", "最終処理終了"}));
        QVERIFY(topMost.size() > 0);
        QList<int> rowOrder;
        for (const QList<QVariant>& r : rows)
            rowOrder << r.first().toInt();
        QCOMPARE(rowOrder, (QList<int>{1, 2, 3, 4, 0}));
        QCOMPARE(m_automation->quitOrder(), QList<int>{2});
        QVERIFY(m_automation->log.contains(QStringLiteral("setValue 0 検索語")));
        QVERIFY(m_automation->log.contains(QStringLiteral("click 1")));
        QCOMPARE(runner.RunNo(), 0);
    }

    void statusEntryFormat()
    {
        const QDateTime at(QDate(2005, 3, 1), QTime(13, 4, 5, 67));
        QCOMPARE(WebProcessRunner::statusEntryText(at, QStringLiteral("実行開始")),
                 QStringLiteral("04:05.067 - 実行開始"));
    }

    void waitStepEndsOnTheFirstTickAfterItsTime()
    {
        m_process->AddProces(QStringLiteral("待つ"), 4, params({{1, QStringLiteral("3")}}));
        WebProcessRunner runner(*m_process);
        runner.startAutoRun();
        runner.tick(); // starts the wait
        m_clock.advanceSeconds(2.95);
        runner.tick();
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Waiting));
        m_clock.advanceSeconds(0.1);
        runner.tick();
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::Done));
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        runner.tick();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 1);
    }

    void watchdogEndsTheRun_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("para1");
        QTest::newRow("ページ確認 never leaves status 0") << 2 << "";
        QTest::newRow("待機 of 60 seconds") << 4 << "60";
        QTest::newRow("a step in error stays current") << 7 << "200";
    }
    void watchdogEndsTheRun()
    {
        QFETCH(int, type);
        QFETCH(QString, para1);
        m_process->AddProces(QStringLiteral("消す"), 11, {});
        m_process->AddProces(QStringLiteral("止まる"), type, params({{1, para1}}));
        WebProcessRunner runner(*m_process);
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        runner.startAutoRun();
        runner.tick(); // step 1 done
        runner.tick(); // step 2 current: the watchdog starts now
        const QDateTime current = m_clock.currentDateTime();
        while (finished.isEmpty() && current.msecsTo(m_clock.currentDateTime()) < 70000) {
            m_clock.advanceSeconds(0.1);
            runner.tick();
        }
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 5);
        const qint64 after = current.msecsTo(m_clock.currentDateTime());
        QVERIFY2(after > 60000 && after <= 60200, qPrintable(QString::number(after)));
        QCOMPARE(runner.RunNo(), 2);
        QVERIFY(!runner.isTicking());
    }

    void stepRunMovesToTheNextStepAndStops()
    {
        m_process->AddProces(QStringLiteral("a"), 7, params({{1, QStringLiteral("5")}, {2, QStringLiteral("A")}}));
        m_process->AddProces(QStringLiteral("b"), 7, params({{1, QStringLiteral("6")}, {2, QStringLiteral("B")}}));
        m_process->AddProces(QStringLiteral("c"), 7, params({{1, QStringLiteral("7")}, {2, QStringLiteral("C")}}));
        WebProcessRunner runner(*m_process);
        QSignalSpy stopped(&runner, &WebProcessRunner::stopped);
        QSignalSpy entries(&runner, &WebProcessRunner::statusEntry);
        runner.setRunNo(2); // the user selected row 2
        runner.stepRun();
        QCOMPARE(runner.runMode(), qint32(WebProcessRunner::StepRun));
        for (int i = 0; i < 5 && runner.isTicking(); ++i)
            runner.tick();
        QVERIFY(!runner.isTicking());
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(runner.runMode(), qint32(WebProcessRunner::Stopped));
        QCOMPARE(runner.RunNo(), 3);
        QCOMPARE(m_process->Memory(6), QStringLiteral("B"));
        QVERIFY(m_process->Memory(5).isEmpty());
        QVERIFY(m_process->Memory(7).isEmpty());
        QCOMPARE(m_process->ProStatus(3), 0);

        // Pressed again later: that step runs, and the last one ends the run without closing.
        m_clock.advanceSeconds(300);
        runner.stepRun();
        for (int i = 0; i < 5 && runner.isTicking(); ++i)
            runner.tick();
        QCOMPARE(m_process->Memory(7), QStringLiteral("C"));
        QCOMPARE(runner.RunNo(), 0);
        QCOMPARE(runner.pbRetuen(), 0);
        QCOMPARE(messages(entries), (QStringList{"ステップ実行(2)", "ステップ実行(3)", "最終処理終了"}));
    }

    void runAllStaysOpenAndCanRunAgainMuchLater()
    {
        m_process->AddProces(QStringLiteral("a"), 11, {});
        WebProcessRunner runner(*m_process);
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        runner.runAll();
        for (int i = 0; i < 5 && runner.isTicking(); ++i)
            runner.tick();
        QVERIFY(!runner.isTicking());
        QCOMPARE(runner.RunNo(), 0);
        // A second run two minutes later gets its own 60 seconds.
        m_clock.advanceSeconds(120);
        runner.runAll();
        for (int i = 0; i < 5 && runner.isTicking(); ++i)
            runner.tick();
        QVERIFY(finished.isEmpty());
        QCOMPARE(runner.RunNo(), 0);
        runner.accept();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(runner.pbRetuen(), 1);
    }

    void emptyProcessClosesWithResult2AtTheFirstTick()
    {
        WebProcessRunner runner(*m_process);
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        runner.startAutoRun();
        QVERIFY(finished.isEmpty());
        runner.tick();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 2);
        QVERIFY(m_automation->log.isEmpty());
    }

    void unreadableProcessEndsAsAFailureWithItsReason()
    {
        QVERIFY(!m_process->setProcessStr(QStringLiteral("<ProcessN>-1</ProcessN>")));
        WebProcessRunner runner(*m_process);
        QSignalSpy entries(&runner, &WebProcessRunner::statusEntry);
        runner.startAutoRun();
        QCOMPARE(runToEnd(runner, 5), 5);
        const QStringList said = messages(entries);
        QCOMPARE(said.size(), 2);
        QVERIFY(said.at(1).startsWith(QStringLiteral("プロセスを読めません: ")));
    }

    void badActionTypeInAScriptFailsAtThatStep()
    {
        const QString text = QStringLiteral("<ProcessN> 2</ProcessN><Pro001_Name>a</Pro001_Name><Pro001_ActionType>11"
                                            "</Pro001_ActionType><Pro002_Name>b</Pro002_Name><Pro002_ActionType>?"
                                            "</Pro002_ActionType>");
        QVERIFY(!m_process->setProcessStr(text));
        WebProcessRunner runner(*m_process);
        QSignalSpy entries(&runner, &WebProcessRunner::statusEntry);
        runner.startAutoRun();
        QCOMPARE(runToEnd(runner), 5);
        QCOMPARE(m_process->ProStatus(1), qint32(CWebProcess::Done));
        QCOMPARE(m_process->ProStatus(2), qint32(CWebProcess::Failed));
        const QStringList said = messages(entries);
        QCOMPARE(said.size(), 3);
        QVERIFY(said.at(2).startsWith(QStringLiteral("(2/2) b: ")));
    }

    void tickArrivingDuringABlockingStepDoesNothing()
    {
        m_automation->createdReadyState = 1; // the navigation blocks its full 12 s
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, Portal}, {2, QStringLiteral("30")}}));
        m_process->AddProces(QStringLiteral("消す"), 11, {});
        WebProcessRunner runner(*m_process);
        int nested = 0;
        EventfulWait wait(m_clock, [&] {
            ++nested;
            runner.tick();
        });
        WebWait::setInstance(&wait);
        runner.startAutoRun();
        runner.tick();
        WebWait::setInstance(&m_wait);
        QVERIFY(nested > 0);
        QCOMPARE(runner.RunNo(), 1);
        QCOMPARE(m_process->GetStatus(), qint32(CWebProcess::NavigationStarted));
        QCOMPARE(m_process->ProStatus(2), 0);
    }

    void cancelDuringABlockingStepEndsOnce()
    {
        m_automation->createdReadyState = 1;
        m_process->AddProces(QStringLiteral("移動"), 1, params({{1, Portal}, {2, QStringLiteral("30")}}));
        WebProcessRunner runner(*m_process);
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        QSignalSpy changed(&runner, &WebProcessRunner::stepStatusChanged);
        EventfulWait wait(m_clock, [&] { runner.cancel(); });
        WebWait::setInstance(&wait);
        runner.startAutoRun();
        runner.tick();
        WebWait::setInstance(&m_wait);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 2);
        const qsizetype reported = changed.size();
        runner.tick();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(changed.size(), reported);
    }

    void runModeTexts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "'停止";
        QTest::newRow("1") << 1 << "全プロセス実行後閉じる";
        QTest::newRow("2") << 2 << "全プロセス実行";
        QTest::newRow("32") << 32 << "ステップ実行";
        QTest::newRow("other") << 3 << "?????";
    }
    void runModeTexts()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QCOMPARE(WebProcessRunner::runModeText(mode), text);
    }
};

QTEST_GUILESS_MAIN(TestWebInterpreter)
#include "tst_webinterpreter.moc"
