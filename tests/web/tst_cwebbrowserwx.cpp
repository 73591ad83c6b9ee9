#include "FakeBrowserAutomation.h"

#include "quessel/util/Clock.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/WebWait.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace quessel;
using namespace quessel::fake;

class TestCWebBrowserWx : public QObject
{
    Q_OBJECT

private:
    const QDateTime m_start{QDate(2005, 3, 1), QTime(12, 0)};
    ManualClock m_clock{m_start};
    ManualClockWait m_wait{m_clock};

    qint64 elapsedMs() const { return m_start.msecsTo(m_clock.currentDateTime()); }

private slots:
    void init()
    {
        m_clock.set(m_start);
        m_wait.pauses = 0;
        Clock::setInstance(&m_clock);
        WebWait::setInstance(&m_wait);
    }
    void cleanup()
    {
        WebWait::setInstance(nullptr);
        Clock::setInstance(nullptr);
    }

    void withoutAnyWindow()
    {
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        QVERIFY(!wx.IsBasePage());
        QCOMPARE(wx.GetWebPageCount(), qint16(0));
        int hWnd = -1;
        QVERIFY(!wx.GetIE(hWnd));
        QCOMPARE(hWnd, 0);
        QCOMPARE(wx.GetHandleBasePage(), 0);
        QCOMPARE(wx.WindowCount(), 0);
        QVERIFY(!wx.Windows(0));
        QVERIFY(!wx.GetInternetExplorer(1));
        QCOMPARE(wx.GetReadyStatus(nullptr), 0);
        QVERIFY(!wx.GetDoc());
        wx.CloseWebPage(2, nullptr);
        QCOMPARE(elapsedMs(), qint64(0));
        QVERIFY(browser.log.isEmpty());
    }

    void webPageTest_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("byProgram");
        QTest::addColumn<bool>("failing");
        QTest::addColumn<bool>("webPage");
        QTest::newRow("http address") << "http://example.com/" << false << false << true;
        QTest::newRow("secure address") << "https://example.com/" << false << false << true;
        QTest::newRow("upper-case scheme is no web page") << "HTTP://EXAMPLE.COM/" << false << false << false;
        QTest::newRow("folder window is no web page") << "file:///home/user" << false << false << false;
        QTest::newRow("blank window of someone else is no web page") << "about:blank" << false << false << false;
        QTest::newRow("blank window of the program is its web page") << "about:blank" << true << false << true;
        QTest::newRow("unreadable address is no web page") << "http://example.com/" << false << true << false;
        QTest::newRow("program window whose address cannot be read") << "about:blank" << true << true << false;
    }
    void webPageTest()
    {
        QFETCH(QString, url);
        QFETCH(bool, byProgram);
        QFETCH(bool, failing);
        QFETCH(bool, webPage);
        FakeBrowserAutomation browser;
        auto window = browser.addWindow(url, byProgram);
        window->fail = failing;
        CWebBrowserWx wx(browser);
        QCOMPARE(CWebBrowserWx::showsWebPage(window), webPage);
        QCOMPARE(wx.GetWebPageCount(), qint16(webPage ? 1 : 0));
        int hWnd = window->hwnd;
        QCOMPARE(wx.GetIE(hWnd) == window, webPage);
        QCOMPARE(wx.SetIe(window), webPage);
        QCOMPARE(wx.WindowCount(), 1);
        QVERIFY(wx.Windows(0) == window); // the raw list holds every window
    }

    void openBasePage_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("toolBar");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("new window at home, then the address")
            << "http://example.com/" << -1
            << QStringList{"CreateBrowser 1", "setVisible 1 1", "GoHome 1", "Navigate 1 http://example.com/"};
        QTest::newRow("tool bar shown") << "http://example.com/" << 1
                                        << QStringList{"CreateBrowser 1", "setVisible 1 1", "setToolBar 1 1",
                                                       "GoHome 1", "Navigate 1 http://example.com/"};
        QTest::newRow("tool bar hidden") << "http://example.com/" << 0
                                         << QStringList{"CreateBrowser 1", "setVisible 1 1", "setToolBar 1 0",
                                                        "GoHome 1", "Navigate 1 http://example.com/"};
        QTest::newRow("any other tool-bar choice hides it")
            << "http://example.com/" << 7
            << QStringList{"CreateBrowser 1", "setVisible 1 1", "setToolBar 1 0", "GoHome 1",
                           "Navigate 1 http://example.com/"};
        QTest::newRow("empty address goes home")
            << QString() << -1 << QStringList{"CreateBrowser 1", "setVisible 1 1", "GoHome 1", "GoHome 1"};
    }
    void openBasePage()
    {
        QFETCH(QString, url);
        QFETCH(int, toolBar);
        QFETCH(QStringList, log);
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        QCOMPARE(wx.OpenBasePage(url, qint16(toolBar)), false);
        QCOMPARE(browser.log, log);
        QCOMPARE(browser.handles(), QList<int>{1});
        QCOMPARE(wx.GetHandleBasePage(), 1);
        QVERIFY(wx.IsBasePage());
        int hWnd = -1;
        QVERIFY(wx.GetIE(hWnd) == browser.window(1));
        QCOMPARE(hWnd, 1);
        // One poll after creating, one after navigating: both pages were complete at once.
        QCOMPARE(elapsedMs(), qint64(200));
    }

    void openBasePageReusesTheBasePage()
    {
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        wx.OpenBasePage(QString(), -1); // left at the blank home page
        browser.log.clear();
        wx.OpenBasePage(QStringLiteral("http://example.com/a"), -1);
        wx.OpenBasePage(QStringLiteral("http://example.com/b"), -1);
        QCOMPARE(browser.log, (QStringList{"Navigate 1 http://example.com/a", "Navigate 1 http://example.com/b"}));
        QCOMPARE(browser.handles(), QList<int>{1});

        // The user closed it: the next call makes a new base page.
        browser.window(1)->Quit();
        QVERIFY(!wx.IsBasePage());
        browser.log.clear();
        wx.OpenBasePage(QStringLiteral("http://example.com/c"), -1);
        QCOMPARE(browser.log,
                 (QStringList{"CreateBrowser 2", "setVisible 2 1", "GoHome 2", "Navigate 2 http://example.com/c"}));
        QCOMPARE(wx.GetHandleBasePage(), 2);
    }

    void openBasePageWhenTheBrowserCannotStart()
    {
        FakeBrowserAutomation browser;
        browser.failCreate = true;
        CWebBrowserWx wx(browser);
        wx.OpenBasePage(QStringLiteral("http://example.com/"), 1);
        QCOMPARE(browser.log, (QStringList{"CreateBrowser failed", "CreateBrowser failed"}));
        QCOMPARE(wx.GetHandleBasePage(), 0);
        QVERIFY(!wx.IsBasePage());
        // Three waits of 6 seconds on nothing: bounded, and the call comes back.
        QCOMPARE(elapsedMs(), qint64(18000));
    }

    void waitReady_data()
    {
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<int>("polls");
        QTest::newRow("complete at the first poll") << QList<int>{4} << false << 1;
        QTest::newRow("complete at the fourth poll stops there") << QList<int>{1, 1, 3, 4} << false << 4;
        QTest::newRow("never complete: 60 polls in 6 seconds") << QList<int>{1} << false << 60;
        QTest::newRow("interactive is not complete") << QList<int>{3} << false << 60;
        QTest::newRow("unreadable state polls to the end") << QList<int>{} << true << 60;
    }
    void waitReady()
    {
        QFETCH(QList<int>, script);
        QFETCH(bool, unreadable);
        QFETCH(int, polls);
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        wx.OpenBasePage(QString(), -1);
        auto base = browser.window(1);
        base->readyStateReads = 0;
        base->readyState = script.isEmpty() ? 0 : script.last();
        base->readyScript = script;
        base->readyStateUnreadable = unreadable;
        const qint64 before = elapsedMs();
        wx.OpenBasePage(QStringLiteral("http://example.com/"), -1);
        QCOMPARE(base->readyStateReads, polls);
        QCOMPARE(elapsedMs() - before, qint64(polls) * 100);
    }

    void closeWebPage_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("reference"); // handle, 0 for none
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QList<int>>("closed");
        QTest::addColumn<int>("waitedMs");
        // Windows: 1 base page, 2 http page, 3 folder window, 4 https page.
        QTest::newRow("0 without reference closes only the base page")
            << 0 << 0 << QList<int>{2, 3, 4} << QList<int>{1} << 0;
        QTest::newRow("0 with a reference closes it") << 0 << 2 << QList<int>{1, 3, 4} << QList<int>{2} << 0;
        QTest::newRow("0 with a folder reference closes nothing")
            << 0 << 3 << QList<int>{1, 2, 3, 4} << QList<int>{} << 0;
        QTest::newRow("1 without reference leaves exactly the base page")
            << 1 << 0 << QList<int>{1, 3} << QList<int>{4, 2} << 0;
        QTest::newRow("1 with a reference leaves it") << 1 << 2 << QList<int>{2, 3} << QList<int>{4, 1} << 0;
        QTest::newRow("2 closes every web page, a second each")
            << 2 << 0 << QList<int>{3} << QList<int>{4, 2, 1} << 3000;
        QTest::newRow("3 closes nothing") << 3 << 0 << QList<int>{1, 2, 3, 4} << QList<int>{} << 0;
        QTest::newRow("-1 closes nothing") << -1 << 0 << QList<int>{1, 2, 3, 4} << QList<int>{} << 0;
    }
    void closeWebPage()
    {
        QFETCH(int, mode);
        QFETCH(int, reference);
        QFETCH(QList<int>, left);
        QFETCH(QList<int>, closed);
        QFETCH(int, waitedMs);
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        wx.OpenBasePage(QStringLiteral("http://base.example/"), -1);
        browser.addWindow(QStringLiteral("http://a.example/"));
        browser.addWindow(QStringLiteral("file:///home/user"));
        browser.addWindow(QStringLiteral("https://b.example/"));
        browser.log.clear();
        const qint64 before = elapsedMs();

        wx.CloseWebPage(qint16(mode), reference ? browser.window(reference) : nullptr);

        QCOMPARE(browser.handles(), left);
        QCOMPARE(browser.quitOrder(), closed);
        QStringList expectedLog;
        for (int h : closed)
            expectedLog << QStringLiteral("Stop %1").arg(h) << QStringLiteral("Quit %1").arg(h);
        QCOMPARE(browser.log, expectedLog);
        QCOMPARE(elapsedMs() - before, qint64(waitedMs));
    }

    void closeAllPagesAcrossMidnight()
    {
        FakeBrowserAutomation browser;
        browser.addWindow(QStringLiteral("http://a.example/"));
        browser.addWindow(QStringLiteral("http://b.example/"));
        CWebBrowserWx wx(browser);
        const QDateTime late(QDate(2005, 3, 1), QTime(23, 59, 59, 500));
        m_clock.set(late);
        wx.CloseWebPage(2, nullptr);
        QCOMPARE(browser.handles(), QList<int>{});
        QCOMPARE(m_clock.currentDateTime(), late.addMSecs(2000));
    }

    void waitAcrossMidnight_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("waitedMs");
        QTest::newRow("a poll that ends after midnight") << QTime(23, 59, 59, 950) << 0.1 << 100;
        QTest::newRow("a second that ends exactly at midnight") << QTime(23, 59, 59) << 1.0 << 1000;
        QTest::newRow("an ordinary second") << QTime(12, 0) << 1.0 << 1000;
        QTest::newRow("nothing to wait") << QTime(12, 0) << 0.0 << 0;
    }
    void waitAcrossMidnight()
    {
        QFETCH(QTime, start);
        QFETCH(double, seconds);
        QFETCH(int, waitedMs);
        const QDateTime from(QDate(2005, 3, 1), start);
        m_clock.set(from);
        WebWait::wait(seconds);
        QCOMPARE(from.msecsTo(m_clock.currentDateTime()), qint64(waitedMs));
    }

    void realWaitKeepsEventsFlowing()
    {
        WebWait::setInstance(nullptr);
        Clock::setInstance(nullptr);
        bool timerFired = false;
        QTimer::singleShot(0, [&] { timerFired = true; });
        QElapsedTimer elapsed;
        elapsed.start();
        WebWait::wait(0.05);
        QVERIFY(elapsed.elapsed() >= 45); // the clock's milliseconds and the timer's may differ a little
        QVERIFY(timerFired);
    }

    void readyStateText_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << false << "準備中";
        QTest::newRow("1") << 1 << false << "読込中";
        QTest::newRow("2") << 2 << false << "読込完";
        QTest::newRow("3") << 3 << false << "表示中";
        QTest::newRow("4") << 4 << false << "完了";
        QTest::newRow("5 is undefined") << 5 << false << "未定義";
        QTest::newRow("-2 is undefined") << -2 << false << "未定義";
        QTest::newRow("-1 cannot be had") << -1 << false << "取得不可";
        QTest::newRow("an unreadable state reads as 0") << 4 << true << "準備中";
    }
    void readyStateText()
    {
        QFETCH(int, state);
        QFETCH(bool, unreadable);
        QFETCH(QString, text);
        FakeBrowserAutomation browser;
        auto window = browser.addWindow(QStringLiteral("http://example.com/"));
        window->readyState = state;
        window->readyStateUnreadable = unreadable;
        CWebBrowserWx wx(browser);
        QCOMPARE(wx.GetReadyStateStr(window), text);
        // Without an argument: the base browser object's state, or 0 when there is none.
        QCOMPARE(wx.GetReadyStateStr(nullptr), QStringLiteral("準備中"));
        QVERIFY(wx.SetIe(window));
        QCOMPARE(wx.GetReadyStateStr(nullptr), text);
    }

    void readingPages()
    {
        FakeBrowserAutomation browser;
        auto base = browser.addWindow(QStringLiteral("http://base.example/"));
        base->title = QStringLiteral("Base");
        base->status = QStringLiteral("完了");
        auto folder = browser.addWindow(QStringLiteral("file:///home/user"));
        folder->title = QStringLiteral("user");
        folder->status = QStringLiteral("folder");
        CWebBrowserWx wx(browser);
        QVERIFY(wx.SetIe(base));
        QVERIFY(!wx.SetIe(folder));

        QCOMPARE(wx.GetIE_URL(base), QStringLiteral("http://base.example/"));
        QCOMPARE(wx.GetIE_URL(folder), QString());
        QCOMPARE(wx.GetIE_URL(nullptr), QString()); // no fall-back to the base object
        QCOMPARE(wx.GetWebPageTitle(nullptr), QStringLiteral("Base"));
        QCOMPARE(wx.GetWebPageTitle(folder), QString());
        QCOMPARE(wx.GetStatusText(folder), QStringLiteral("folder"));
        QCOMPARE(wx.GetStatusText(nullptr), QStringLiteral("完了"));
        QVERIFY(wx.CheckIE(nullptr) == base);
        QVERIFY(wx.CheckIE(folder) == folder);
        QVERIFY(wx.GetDoc() == base->document);

        base->fail = true;
        QCOMPARE(wx.GetWebPageTitle(nullptr), QString());
        QCOMPARE(wx.GetStatusText(nullptr), QString());
        QCOMPARE(wx.GetReadyStatus(nullptr), 0);
    }

    void getInternetExplorer()
    {
        FakeBrowserAutomation browser;
        browser.addWindow(QStringLiteral("http://a.example/"));
        browser.addWindow(QStringLiteral("file:///home/user"));
        browser.addWindow(QStringLiteral("https://b.example/"));
        browser.addWindow(QStringLiteral("http://c.example/"));
        CWebBrowserWx wx(browser);
        QVERIFY(!wx.GetInternetExplorer(0));
        QVERIFY(!wx.GetInternetExplorer(4));
        QVERIFY(browser.log.isEmpty());
        QVERIFY(wx.GetInternetExplorer(2) == browser.window(3));
        // The pages passed on the way are made visible too, the folder window is left alone.
        QVERIFY(browser.window(1)->visible);
        QVERIFY(!browser.window(2)->visible);
        QVERIFY(browser.window(3)->visible);
        QVERIFY(!browser.window(4)->visible);
    }

    void activeBasePage()
    {
        FakeBrowserAutomation browser;
        browser.addWindow(QStringLiteral("http://other.example/"));
        CWebBrowserWx wx(browser);
        wx.ActiveBasePage(); // no base page yet: nothing to bring forward
        QVERIFY(browser.log.isEmpty());
        wx.OpenBasePage(QStringLiteral("http://example.com/"), -1);
        browser.log.clear();
        wx.ActiveBasePage();
        QCOMPARE(browser.log, QStringList{"activate 2"});
    }

    void placingTheBasePage()
    {
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        QVERIFY(wx.SetPosBasePage(1, 2, 3, 4)); // no base page: nothing to do
        wx.OpenBasePage(QStringLiteral("http://example.com/"), -1);
        auto base = browser.window(1);
        browser.log.clear();

        QVERIFY(wx.SetPosBasePage(0, 0, 0, 0));
        QVERIFY(browser.log.isEmpty());
        QVERIFY(wx.SetPosBasePage(5, 6, 0, -1)); // width and height kept when not above 0
        QCOMPARE(browser.log, QStringList{"setBounds 1 5,6 800x600"});
        QVERIFY(wx.SetPosBasePage(7, 8, 640, 480));
        QCOMPARE(browser.log.last(), QStringLiteral("setBounds 1 7,8 640x480"));

        QVERIFY(wx.SetSize(1, 2, 300, 200));
        qint16 left = 0, top = 0, width = 0, height = 0;
        QVERIFY(wx.GetSize(left, top, width, height));
        QCOMPARE(QList<int>({left, top, width, height}), QList<int>({1, 2, 300, 200}));
        base->rect = {0, 0, 70000, -70000};
        QVERIFY(wx.GetSize(left, top, width, height));
        QCOMPARE(QList<int>({width, height}), QList<int>({32767, -32768}));

        wx.ViewToolBar(true);
        QCOMPARE(base->toolBar, 1);
        wx.ViewToolBar(false);
        QCOMPARE(base->toolBar, 0);
        // The browser cannot show or hide these bars: the caller is told.
        QVERIFY(!wx.ViewAddressBar(true));
        QVERIFY(!wx.ViewMenuBar(false));
        QVERIFY(!wx.ViewStatusBar(true));

        base->failBounds = true;
        QVERIFY(!wx.SetPosBasePage(1, 1, 1, 1));
        QVERIFY(!wx.SetSize(1, 1, 1, 1));
        left = 99;
        QVERIFY(!wx.GetSize(left, top, width, height));
        QCOMPARE(left, qint16(99));
    }

    void failingBrowserFailsSoftly()
    {
        FakeBrowserAutomation browser;
        CWebBrowserWx wx(browser);
        wx.OpenBasePage(QStringLiteral("http://example.com/"), -1);
        auto base = browser.window(1);
        base->fail = true; // the browser process is gone
        QVERIFY(!wx.IsBasePage());
        QCOMPARE(wx.GetWebPageCount(), qint16(0));
        QCOMPARE(wx.GetReadyStatus(base), 0);
        QCOMPARE(wx.GetIE_URL(base), QString());
        QVERIFY(!wx.GetDoc());
        wx.CloseWebPage(2, nullptr);
        QCOMPARE(browser.quitOrder(), QList<int>{});
        QVERIFY(!wx.GetInternetExplorer(1));
    }
};

QTEST_GUILESS_MAIN(TestCWebBrowserWx)
#include "tst_cwebbrowserwx.moc"
