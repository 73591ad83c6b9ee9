// The window manager and the page element finder on real headless Chromium, against pages
// served on 127.0.0.1 by the test itself.
#include "LocalHttpServer.h"

#include "quessel/util/Beep.h"
#include "quessel/web/BrowserLocator.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebPageWx.h"
#include "quessel/web/ChromiumAutomation.h"

#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

using namespace quessel;

namespace {

const QString FixtureDir = QStringLiteral(QUESSEL_FIXTURES_DIR "/web/integration");
// Pages the browser host tests serve too.
const QString SharedFixtureDir = QStringLiteral(QUESSEL_FIXTURES_DIR "/web");

// The window manager gives up waiting for a page after this long.
constexpr qint64 PageWaitMs = 6000;

constexpr int SlowPageDelayMs = 1500;

int indexOfId(CWebPageWx& page, const QString& id)
{
    const int count = page.GetWebItemN(-1);
    for (int i = 0; i < count; ++i) {
        bool error = false;
        if (page.GetItemStr(i, 10, error) == id && !error)
            return i;
    }
    return -1;
}

} // namespace

class TestWebIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // Runs first: it sees the browser before anything started it.
    void basePageIsCreatedOnceAndReused();
    void typeAndSubmit_data();
    void typeAndSubmit();
    void elementCountsOfARealPage();
    void itemStrMatchesThePage_data();
    void itemStrMatchesThePage();
    void popupsAreCountedAndClosed();
    void alertsDoNotBlock();
    void slowPageIsNotReadyWhileHeld();
    void waitReadyGivesUpOnAPageThatNeverLoads();
    void killedBrowserFailsSoftlyThenRestarts();

private:
    BrowserWindowPtr basePage();
    // Shows `path` in the base page; true when it is there and complete.
    bool openBase(const QString& path);

    LocalHttpServer m_server;
    std::unique_ptr<ChromiumAutomation> m_automation;
    std::unique_ptr<CWebBrowserWx> m_browser;
    int m_beeps = 0;
    QStringList m_messages;
};

void TestWebIntegration::initTestCase()
{
    QString error;
    QVERIFY2(BrowserLocator::locate(&error), qPrintable(error));
    qunsetenv("QUESSEL_HOME_PAGE"); // new windows start blank
    QVERIFY(m_server.listen());
    for (const char* name : {"search.html", "opener.html", "child.html", "alert.html", "properties.html"})
        QVERIFY(m_server.addFile(QStringLiteral("/%1").arg(name), FixtureDir + QStringLiteral("/%1").arg(name)));
    QVERIFY(m_server.addFile(QStringLiteral("/results.html"), SharedFixtureDir + QStringLiteral("/results.html")));
    QVERIFY(m_server.addFile(QStringLiteral("/search"), SharedFixtureDir + QStringLiteral("/results.html")));
    QVERIFY(m_server.addFile(QStringLiteral("/decoy"), SharedFixtureDir + QStringLiteral("/results.html")));
    QVERIFY(m_server.addFile(QStringLiteral("/slow.html"), SharedFixtureDir + QStringLiteral("/slow.html"),
                             SlowPageDelayMs));
    // Answered long after the window manager has stopped waiting for it.
    QVERIFY(m_server.addFile(QStringLiteral("/stalled.html"), SharedFixtureDir + QStringLiteral("/slow.html"),
                             int(PageWaitMs) + 2000));
    m_automation = std::make_unique<ChromiumAutomation>();
    m_browser = std::make_unique<CWebBrowserWx>(*m_automation);
}

void TestWebIntegration::cleanupTestCase()
{
    m_browser.reset();
    m_automation.reset();
}

void TestWebIntegration::init()
{
    m_beeps = 0;
    m_messages.clear();
    Beep::setHandler([this] { ++m_beeps; });
    // In the program this is a message box, which would stop a run until answered.
    CWebPageWx::setMessageHandler([this](const QString& text) { m_messages << text; });
}

void TestWebIntegration::cleanup()
{
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    Beep::setHandler({});
    CWebPageWx::setMessageHandler({});
}

BrowserWindowPtr TestWebIntegration::basePage()
{
    int handle = -1;
    return m_browser->GetIE(handle);
}

bool TestWebIntegration::openBase(const QString& path)
{
    m_browser->OpenBasePage(m_server.url(path), -1);
    return m_browser->GetReadyStatus(nullptr) == 4 && m_browser->GetIE_URL(basePage()) == m_server.url(path);
}

void TestWebIntegration::basePageIsCreatedOnceAndReused()
{
    // Asking about windows does not start the browser.
    QVERIFY(!m_browser->IsBasePage());
    QCOMPARE(m_browser->GetWebPageCount(), qint16(0));
    int handle = -1;
    QVERIFY(!m_browser->GetIE(handle));
    QCOMPARE(handle, 0);
    QVERIFY(!m_automation->isRunning());

    const QString first = m_server.url(QStringLiteral("/search.html"));
    QCOMPARE(m_browser->OpenBasePage(first, 1), false);
    QVERIFY2(m_automation->isRunning(), qPrintable(m_automation->lastError()));
    // The blank window the browser starts with is the base page: no second window.
    QCOMPARE(m_browser->WindowCount(), 1);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
    QVERIFY(m_browser->IsBasePage());
    const int baseHandle = m_browser->GetHandleBasePage();
    QVERIFY(baseHandle > 0);
    handle = -1;
    const BrowserWindowPtr base = m_browser->GetIE(handle);
    QVERIFY(base);
    QCOMPARE(handle, baseHandle);
    QCOMPARE(m_browser->GetIE_URL(base), first);
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QStringLiteral("検索ページ"));
    QCOMPARE(m_browser->GetReadyStatus(nullptr), 4);
    QCOMPARE(m_browser->GetReadyStateStr(nullptr), QStringLiteral("完了"));

    const qint64 pid = m_automation->browserProcessId();
    const QString second = m_server.url(QStringLiteral("/results.html"));
    m_browser->OpenBasePage(second, -1);
    QCOMPARE(m_automation->browserProcessId(), pid);
    QCOMPARE(m_browser->WindowCount(), 1);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
    QCOMPARE(m_browser->GetHandleBasePage(), baseHandle);
    QCOMPARE(m_browser->GetIE_URL(basePage()), second);
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QStringLiteral("Results"));
    QCOMPARE(m_browser->GetReadyStatus(nullptr), 4);
}

void TestWebIntegration::typeAndSubmit_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("form");  // the hidden "src" value of the form that must be sent
    QTest::addColumn<QString>("field"); // the name the word is sent under

    const auto row = [](const char* name, const QString& key, const QString& word, const QString& form,
                        const QString& field) { QTest::newRow(name) << key << word << form << field; };

    const QString japanese = QStringLiteral("東京タワー 夜景");
    row("box by id, past a plain button to the submit button", "kw", japanese, "id", "q");
    row("box by name, passing over a search box of that name", "word", japanese, "name", "word");
    row("characters that mean something in a query", "kw", "a+b&c=d 100% #1", "id", "q");
}

void TestWebIntegration::typeAndSubmit()
{
    QFETCH(QString, key);
    QFETCH(QString, word);
    QFETCH(QString, form);
    QFETCH(QString, field);

    QVERIFY(openBase(QStringLiteral("/search.html")));
    m_server.clearRequests();
    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));
    const float found = page.SetItemKey_Value(key, word);
    QVERIFY(found >= 0);
    const int index = int(found);
    bool error = true;
    QCOMPARE(page.GetItemStr(index, 1, error), QStringLiteral("INPUT"));
    QCOMPARE(page.GetItemStr(index, 2, error), QStringLiteral("text"));
    QCOMPARE(error, false);

    // The page itself holds the word in the box at that index.
    CWebPageWx check;
    QVERIFY(check.SetWebPage(basePage()));
    QCOMPARE(check.GetItemStr(index, 5, error), word);

    QVERIFY(page.Click(index, QString()));
    QTRY_COMPARE(m_server.requestsFor(QStringLiteral("/search")).size(), 1);
    const LocalHttpServer::Request request = m_server.requestsFor(QStringLiteral("/search")).first();
    QCOMPARE(request.queryValue(QStringLiteral("src")), form);
    QCOMPARE(request.queryValue(field), word);
    QVERIFY(m_server.requestsFor(QStringLiteral("/decoy")).isEmpty());
    QCOMPARE(m_beeps, 0);

    // The results replace the page in the base page's own window.
    QTRY_VERIFY(m_browser->GetIE_URL(basePage()).startsWith(m_server.url(QStringLiteral("/search?"))));
    QTRY_COMPARE(m_browser->GetReadyStatus(nullptr), 4);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QStringLiteral("Results"));
}

void TestWebIntegration::elementCountsOfARealPage()
{
    QVERIFY(openBase(QStringLiteral("/properties.html")));
    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));
    QCOMPARE(page.GetTitle(), QStringLiteral("Properties"));
    QCOMPARE(page.GetURL(), m_server.url(QStringLiteral("/properties.html")));
    QVERIFY(page.CheckWebPage());

    // Elements only, in document order; the iframe's own document is not part of the page's.
    QCOMPARE(page.GetWebItemN(0), qint16(26));
    QCOMPARE(page.GetWebItemN(-1), qint16(26));
    QCOMPARE(page.GetWebItemN(1), qint16(2)); // links with an address
    QCOMPARE(page.GetWebItemN(2), qint16(1)); // an image button is no image
    QCOMPARE(page.GetWebItemN(3), qint16(1));
    QCOMPARE(page.GetWebItemN(4), qint16(1));

    bool error = true;
    QCOMPARE(page.GetItemStr(0, 1, error), QStringLiteral("HTML"));
    QCOMPARE(error, false);
    QCOMPARE(page.GetItemStr(25, 10, error), QStringLiteral("frame"));
    QCOMPARE(page.GetItemStr(26, 1, error), QString());
    QCOMPARE(error, true);
    QCOMPARE(m_beeps, 0);
}

void TestWebIntegration::itemStrMatchesThePage_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("tagName");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("innerText");
    const auto row = [](const char* name, const QString& id, const QString& tagName, const QString& type,
                        const QString& href, const QString& innerText) {
        QTest::newRow(name) << id << tagName << type << href << innerText;
    };

    row("paragraph: the text of its markup", "para", "P", "", "", "東京の夜景 guide");
    row("relative link: the full address", "relative", "A", "",
        m_server.url(QStringLiteral("/next.html?p=2&q=%E6%9D%B1")), "次へ");
    row("link written in capitals", "absolute", "A", "", "https://example.invalid/Path", "Away");
    row("anchor without an address", "anchorOnly", "A", "", "", "No address");
    row("TYPE=\"PASSWORD\" reads lower-case", "password", "INPUT", "password", "", "");
    row("type=\"Search\" reads lower-case", "searchBox", "INPUT", "search", "", "");
    row("unknown type reads as text", "unknownType", "INPUT", "text", "", "");
    row("no type reads as text", "noType", "INPUT", "text", "", "");
    row("type=\"IMAGE\" reads lower-case", "imageButton", "INPUT", "image", "", "");
    row("button without a type submits", "plainButton", "BUTTON", "submit", "", "Push");
    row("list: one line per item", "list", "UL", "", "", "一\n二");
    row("custom element", "custom", "MY-WIDGET", "", "", "Custom");
    row("image", "pic", "IMG", "", "", "");
}

void TestWebIntegration::itemStrMatchesThePage()
{
    QFETCH(QString, id);
    QFETCH(QString, tagName);
    QFETCH(QString, type);
    QFETCH(QString, href);
    QFETCH(QString, innerText);

    QVERIFY(openBase(QStringLiteral("/properties.html")));
    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));
    const int index = indexOfId(page, id);
    QVERIFY(index >= 0);
    bool error = true;
    QCOMPARE(page.GetItemStr(index, 1, error), tagName);
    QCOMPARE(page.GetItemStr(index, 2, error), type);
    QCOMPARE(page.GetItemStr(index, 7, error), href);
    QCOMPARE(page.GetItemStr(index, 8, error), innerText);
    QCOMPARE(error, false);
    QCOMPARE(m_beeps, 0);
}

void TestWebIntegration::popupsAreCountedAndClosed()
{
    QVERIFY(openBase(QStringLiteral("/opener.html")));
    const int baseHandle = m_browser->GetHandleBasePage();
    QCOMPARE(m_browser->WindowCount(), 1);
    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));

    QVERIFY(page.Click(indexOfId(page, QStringLiteral("open1")), QString()));
    QTRY_COMPARE(m_browser->GetWebPageCount(), qint16(2));
    QVERIFY(page.Click(indexOfId(page, QStringLiteral("open2")), QString()));
    QTRY_COMPARE(m_browser->GetWebPageCount(), qint16(3));
    // A window at about:blank that the page opened is in the list but is no web page.
    QVERIFY(page.Click(indexOfId(page, QStringLiteral("openBlank")), QString()));
    QTRY_COMPARE(m_browser->WindowCount(), 4);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(3));
    QCOMPARE(m_beeps, 0);

    // Every web page but the base page is closed; the blank window is left alone.
    m_browser->CloseWebPage(1, nullptr);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
    QVERIFY(m_browser->IsBasePage());
    QCOMPARE(m_browser->GetHandleBasePage(), baseHandle);
    QCOMPARE(m_browser->GetIE_URL(basePage()), m_server.url(QStringLiteral("/opener.html")));
    QCOMPARE(m_browser->WindowCount(), 2);

    BrowserWindowPtr blank;
    for (int n = 0; n < m_browser->WindowCount(); ++n) {
        if (const BrowserWindowPtr window = m_browser->Windows(n); window && window->HWND() != baseHandle)
            blank = window;
    }
    QVERIFY(blank);
    QCOMPARE(blank->LocationURL(), QStringLiteral("about:blank"));
    QVERIFY(blank->Quit());
    QCOMPARE(m_browser->WindowCount(), 1);
    QVERIFY(m_browser->IsBasePage());
}

void TestWebIntegration::alertsDoNotBlock()
{
    // An unanswered dialog would hold the page's loading and every read of it until the wait gave up.
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(openBase(QStringLiteral("/alert.html")));
    QVERIFY2(elapsed.elapsed() < PageWaitMs / 2, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QStringLiteral("Alert page"));

    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));
    bool error = true;
    QCOMPARE(page.GetItemStr(indexOfId(page, QStringLiteral("after")), 8, error), QStringLiteral("confirmed:true"));
    QCOMPARE(error, false);

    // A dialog the loaded page opens later is answered as well.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            CWebPageWx fresh;
            bool failed = true;
            return fresh.SetWebPage(basePage()) &&
                   fresh.GetItemStr(indexOfId(fresh, QStringLiteral("later")), 8, failed) == QLatin1String("answered");
        }(),
        3000);
    QCOMPARE(m_beeps, 0);

    // The base page can leave the page, and still counts as the one web page.
    QVERIFY(openBase(QStringLiteral("/results.html")));
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
}

void TestWebIntegration::slowPageIsNotReadyWhileHeld()
{
    QVERIFY(openBase(QStringLiteral("/results.html")));

    // As a status display of the program would, while the window manager waits for the page.
    QList<QPair<qint32, bool>> samples; // ready state, and whether the server still held the page
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        const bool heldBefore = m_server.heldResponses() > 0;
        const qint32 state = m_browser->GetReadyStatus(nullptr);
        samples.append({state, heldBefore && m_server.heldResponses() > 0});
    });
    sampler.start(100);
    QElapsedTimer elapsed;
    elapsed.start();
    m_browser->OpenBasePage(m_server.url(QStringLiteral("/slow.html")), -1);
    const qint64 took = elapsed.elapsed();
    sampler.stop();

    // It waited for the page, and not to the end of its limit.
    QVERIFY2(took >= SlowPageDelayMs - 100 && took < PageWaitMs - 1000, qPrintable(QString::number(took)));
    int heldSamples = 0;
    for (const auto& [state, held] : std::as_const(samples)) {
        if (!held)
            continue;
        ++heldSamples;
        QVERIFY2(state != 4, qPrintable(QString::number(state)));
    }
    QVERIFY2(heldSamples >= 3, qPrintable(QString::number(heldSamples)));
    QCOMPARE(m_browser->GetReadyStatus(nullptr), 4);
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QStringLiteral("Slow page"));
}

void TestWebIntegration::waitReadyGivesUpOnAPageThatNeverLoads()
{
    QVERIFY(openBase(QStringLiteral("/results.html")));
    QElapsedTimer elapsed;
    elapsed.start();
    m_browser->OpenBasePage(m_server.url(QStringLiteral("/stalled.html")), -1);
    const qint64 took = elapsed.elapsed();
    QVERIFY2(took >= PageWaitMs - 500 && took < PageWaitMs + 2500, qPrintable(QString::number(took)));
    QCOMPARE(m_server.heldResponses(), 1);
    QVERIFY(m_browser->GetReadyStatus(nullptr) != 4);

    // The window is still usable: the next address replaces the one still loading.
    QVERIFY(openBase(QStringLiteral("/results.html")));
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
}

void TestWebIntegration::killedBrowserFailsSoftlyThenRestarts()
{
    QVERIFY(openBase(QStringLiteral("/search.html")));
    CWebPageWx page;
    QVERIFY(page.SetWebPage(basePage()));
    const int kw = indexOfId(page, QStringLiteral("kw"));
    QVERIFY(kw >= 0);
    const int oldHandle = m_browser->GetHandleBasePage();
    const qint64 pid = m_automation->browserProcessId();
    QVERIFY(pid > 0);

    // Killed while the window manager waits for a slow page: the wait keeps to its limit.
    QTimer::singleShot(300, this, [pid] { ::kill(pid_t(pid), SIGKILL); });
    QElapsedTimer elapsed;
    elapsed.start();
    m_browser->OpenBasePage(m_server.url(QStringLiteral("/slow.html")), -1);
    QVERIFY2(elapsed.elapsed() < PageWaitMs + 2500, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!m_automation->isRunning());

    // Every call fails at once: the browser's end is known, nobody waits out a time-out.
    elapsed.restart();
    QCOMPARE(page.SetItemKey_Value(QStringLiteral("kw"), QStringLiteral("x")), -1.0f);
    QVERIFY(!page.Click(kw, QString()));
    QCOMPARE(m_beeps, 2);
    QCOMPARE(page.GetWebItemN(0), qint16(0));
    QVERIFY(!page.CheckWebPage());
    QCOMPARE(page.GetTitle(), QStringLiteral("No Title"));
    QVERIFY(!m_browser->IsBasePage());
    QCOMPARE(m_browser->GetWebPageCount(), qint16(0));
    QCOMPARE(m_browser->WindowCount(), 0);
    QCOMPARE(m_browser->GetReadyStatus(nullptr), 0);
    QCOMPARE(m_browser->GetReadyStateStr(nullptr), QStringLiteral("準備中"));
    QCOMPARE(m_browser->GetWebPageTitle(nullptr), QString());
    int handle = -1;
    QVERIFY(!m_browser->GetIE(handle));
    QCOMPARE(handle, oldHandle);
    m_browser->ActiveBasePage();
    m_browser->CloseWebPage(2, nullptr); // nothing left to close, so no pause either
    QVERIFY(!page.SetWebPage(basePage()));
    QVERIFY2(elapsed.elapsed() < ChromiumAutomation::CallTimeoutMs, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!m_automation->isRunning()); // none of these started the browser again

    // The next base page starts a new browser, and it works.
    m_browser->OpenBasePage(m_server.url(QStringLiteral("/search.html")), -1);
    QVERIFY2(m_automation->isRunning(), qPrintable(m_automation->lastError()));
    QVERIFY(m_automation->browserProcessId() != pid);
    QVERIFY(m_browser->IsBasePage());
    QVERIFY(m_browser->GetHandleBasePage() > oldHandle);
    QCOMPARE(m_browser->WindowCount(), 1);
    QCOMPARE(m_browser->GetWebPageCount(), qint16(1));
    QCOMPARE(m_browser->GetReadyStatus(nullptr), 4);

    m_server.clearRequests();
    QVERIFY(page.SetWebPage(basePage()));
    const float found = page.SetItemKey_Value(QStringLiteral("kw"), QStringLiteral("再起動"));
    QCOMPARE(found, float(kw));
    QVERIFY(page.Click(kw, QString()));
    QTRY_COMPARE(m_server.requestsFor(QStringLiteral("/search")).size(), 1);
    QCOMPARE(m_server.requestsFor(QStringLiteral("/search")).first().queryValue(QStringLiteral("q")),
             QStringLiteral("再起動"));
    QCOMPARE(m_beeps, 2);
}

QTEST_GUILESS_MAIN(TestWebIntegration)
#include "tst_webintegration.moc"
