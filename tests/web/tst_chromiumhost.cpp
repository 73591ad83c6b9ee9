// The Chromium host against real headless Chromium and pages served on 127.0.0.1.
#include "LocalHttpServer.h"

#include "quessel/web/BrowserLocator.h"
#include "quessel/web/ChromiumAutomation.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <csignal>

using namespace quessel;

namespace {

const QString FixtureDir = QStringLiteral(QUESSEL_FIXTURES_DIR "/web");

int indexOfId(const QList<WebElement>& elements, const QString& id)
{
    for (int i = 0; i < elements.size(); ++i) {
        if (elements[i].id == id)
            return int(i);
    }
    return -1;
}

// Polls ReadyState as the window manager does, until it is `state` or `timeoutMs` has passed.
bool waitForReadyState(BrowserWindow& window, int state, int timeoutMs = 10000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < timeoutMs) {
        if (window.ReadyState() == state)
            return true;
        QTest::qWait(50);
    }
    return false;
}

QSet<int> handlesOf(const QList<BrowserWindowPtr>& windows)
{
    QSet<int> handles;
    for (const BrowserWindowPtr& window : windows)
        handles << window->HWND();
    return handles;
}

} // namespace

class TestChromiumHost : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void launchCreatesProgramWindow();
    void navigateReadsLocationTitleAndReadyState();
    void readyStateAdvancesForCallerThatNeverTurnsEventLoop();
    void snapshotCasing_data();
    void snapshotCasing();
    void actionsCheckTheElementStillMatches();
    void setValueFiresInputAndChange();
    void clickSubmitsJapaneseWord();
    void popupFromClickIsListedAndQuit();
    void slowPageIsNotReadyWhileHeld();
    void dialogsDoNotBlock();
    void killedBrowserFailsSoftlyThenRestarts();
    void missingBrowserGivesClearError_data();
    void missingBrowserGivesClearError();

private:
    bool openPage(const QString& path);

    LocalHttpServer m_server;
    std::unique_ptr<ChromiumAutomation> m_browser;
    BrowserWindowPtr m_window;
    int m_highestHandle = 0;
};

void TestChromiumHost::initTestCase()
{
    QString error;
    QVERIFY2(BrowserLocator::locate(&error), qPrintable(error));
    QVERIFY(m_server.listen());
    for (const QString& name : {QStringLiteral("form"), QStringLiteral("popup"), QStringLiteral("child"),
                                QStringLiteral("alert"), QStringLiteral("results")})
        QVERIFY(
            m_server.addFile(QStringLiteral("/%1.html").arg(name), FixtureDir + QStringLiteral("/%1.html").arg(name)));
    QVERIFY(m_server.addFile(QStringLiteral("/search"), FixtureDir + QStringLiteral("/results.html")));
    QVERIFY(m_server.addFile(QStringLiteral("/slow.html"), FixtureDir + QStringLiteral("/slow.html"), 2500));
    m_browser = std::make_unique<ChromiumAutomation>();
}

void TestChromiumHost::cleanupTestCase()
{
    m_window.reset();
    m_browser.reset();
}

bool TestChromiumHost::openPage(const QString& path)
{
    if (!m_window || !m_window->Navigate(m_server.url(path)))
        return false;
    return waitForReadyState(*m_window, 4) && m_window->LocationURL() == m_server.url(path);
}

void TestChromiumHost::launchCreatesProgramWindow()
{
    QVERIFY(m_browser->ShellWindows().isEmpty()); // nothing is started just by asking
    m_window = m_browser->CreateBrowser();
    QVERIFY2(m_window, qPrintable(m_browser->lastError()));
    QVERIFY(m_browser->browserProcessId() > 0);
    QVERIFY(m_window->HWND() > 0);
    QVERIFY(m_window->createdByProgram());
    QCOMPARE(m_window->LocationURL(), QStringLiteral("about:blank"));
    QVERIFY(waitForReadyState(*m_window, 4));

    // A second window gets a handle of its own; the list shows both as the program's, then one.
    BrowserWindowPtr second = m_browser->CreateBrowser();
    QVERIFY2(second, qPrintable(m_browser->lastError()));
    QVERIFY(second->HWND() > m_window->HWND());
    const QList<BrowserWindowPtr> windows = m_browser->ShellWindows();
    QCOMPARE(handlesOf(windows), (QSet<int>{m_window->HWND(), second->HWND()}));
    for (const BrowserWindowPtr& window : windows)
        QVERIFY(window->createdByProgram());
    QVERIFY(second->Quit());
    QCOMPARE(handlesOf(m_browser->ShellWindows()), QSet<int>{m_window->HWND()});
    QVERIFY(!second->LocationURL());
    QVERIFY(!second->Document());
    m_highestHandle = second->HWND();
}

void TestChromiumHost::navigateReadsLocationTitleAndReadyState()
{
    QVERIFY(m_window);
    QVERIFY(m_window->Navigate(m_server.url(QStringLiteral("/form.html"))));
    QVERIFY(waitForReadyState(*m_window, 4));
    QCOMPARE(m_window->LocationURL(), m_server.url(QStringLiteral("/form.html")));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Form page"));
    QCOMPARE(m_window->Busy(), false);
    QCOMPARE(m_window->StatusText(), QString());

    // The home page setting; about:blank is no web page but still a document.
    QVERIFY(m_window->GoHome());
    QVERIFY(waitForReadyState(*m_window, 4));
    QCOMPARE(m_window->LocationURL(), QStringLiteral("about:blank"));
    QVERIFY(!m_window->Navigate(QString()));
}

void TestChromiumHost::readyStateAdvancesForCallerThatNeverTurnsEventLoop()
{
    // A busy wait as in the window manager's WaitReady; a file, as the test's own server needs the event loop.
    const QString url = QUrl::fromLocalFile(FixtureDir + QStringLiteral("/results.html")).toString();
    QVERIFY(m_window->Navigate(url));
    QElapsedTimer elapsed;
    elapsed.start();
    std::optional<int> state;
    while (elapsed.elapsed() < 10000 && (state = m_window->ReadyState()) != 4)
        QThread::msleep(20);
    QCOMPARE(state, 4);
    QCOMPARE(m_window->LocationURL(), url);
    QCOMPARE(m_window->Busy(), false);
}

void TestChromiumHost::snapshotCasing_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("tagName");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");

    QTest::newRow("TYPE=\"TEXT\" reads as INPUT / text") << "kw"
                                                         << "INPUT"
                                                         << "text"
                                                         << "q";
    QTest::newRow("type=\"CHECKBOX\" reads as checkbox") << "agree"
                                                         << "INPUT"
                                                         << "checkbox"
                                                         << "agree";
    QTest::newRow("submit button") << "go"
                                   << "INPUT"
                                   << "submit"
                                   << "";
    QTest::newRow("link has no type") << "other"
                                      << "A"
                                      << ""
                                      << "";
    QTest::newRow("form") << "searchForm"
                          << "FORM"
                          << ""
                          << "";
    QTest::newRow("button element") << "shift"
                                    << "BUTTON"
                                    << "button"
                                    << "";
}

void TestChromiumHost::snapshotCasing()
{
    QFETCH(QString, id);
    QFETCH(QString, tagName);
    QFETCH(QString, type);
    QFETCH(QString, name);

    QVERIFY(openPage(QStringLiteral("/form.html")));
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto all = document->snapshot(WebCollection::All);
    QVERIFY(all);
    QCOMPARE(document->count(WebCollection::All), int(all->size()));
    QCOMPARE(all->first().tagName, QStringLiteral("HTML"));
    const int index = indexOfId(*all, id);
    QVERIFY(index >= 0);
    const WebElement& element = all->at(index);
    QCOMPARE(element.tagName, tagName);
    QCOMPARE(element.type, type);
    QCOMPARE(element.name, name);
    QVERIFY(element.outerHTML.contains(QStringLiteral("id=\"%1\"").arg(id)));
    QVERIFY(element.uniqueID.startsWith(QStringLiteral("ms__id")));
}

void TestChromiumHost::actionsCheckTheElementStillMatches()
{
    QVERIFY(openPage(QStringLiteral("/form.html")));
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto before = document->snapshot(WebCollection::All);
    QVERIFY(before);

    // Links and images read as text; an SVG link's address is an object in the page.
    const auto links = document->snapshot(WebCollection::Links);
    QVERIFY(links);
    QCOMPARE(links->size(), 1);
    QCOMPARE(links->at(0).href, m_server.url(QStringLiteral("/other.html")));
    QCOMPARE(links->at(0).innerText, QStringLiteral("Other"));
    QCOMPARE(links->at(0).title, QStringLiteral("Other page"));
    const auto svgLink = std::find_if(before->cbegin(), before->cend(),
                                      [](const WebElement& e) { return e.href == QLatin1String("/svg-link"); });
    QVERIFY(svgLink != before->cend());
    QCOMPARE(svgLink->tagName, QStringLiteral("A"));
    QCOMPARE((svgLink - 1)->tagName, QStringLiteral("SVG"));
    const auto images = document->snapshot(WebCollection::Images);
    QVERIFY(images);
    QCOMPARE(images->size(), 1);
    QCOMPARE(images->at(0).alt, QStringLiteral("Picture"));
    QCOMPARE(document->count(WebCollection::Forms), 1);
    QCOMPARE(document->count(WebCollection::Frames), 0);

    // The page inserts an element at the top: every later index moves by one.
    const int shift = indexOfId(*before, QStringLiteral("shift"));
    const int go = indexOfId(*before, QStringLiteral("go"));
    QVERIFY(document->click(shift, before->at(shift)));
    const auto after = document->snapshot(WebCollection::All);
    QVERIFY(after);
    QCOMPARE(after->size(), before->size() + 1);
    QCOMPARE(indexOfId(*after, QStringLiteral("go")), go + 1);

    // At the old index stands another element now: nothing is done there.
    QVERIFY(!document->click(go, before->at(go)));
    const int kw = indexOfId(*before, QStringLiteral("kw"));
    QVERIFY(!document->setValue(kw, before->at(kw), QStringLiteral("x")));
    QVERIFY(!document->click(int(after->size()) + 5, before->at(go)));
    QVERIFY(!document->click(-1, before->at(go)));
    QTest::qWait(200);
    QVERIFY(m_server.requestsFor(QStringLiteral("/search")).isEmpty());

    // The check box, at its index in the fresh snapshot.
    const int agree = indexOfId(*after, QStringLiteral("agree"));
    QCOMPARE(document->checked(agree, after->at(agree)), false);
    QVERIFY(document->setChecked(agree, after->at(agree), true));
    QCOMPARE(document->checked(agree, after->at(agree)), true);
    QVERIFY(document->focus(agree, after->at(agree)));
}

void TestChromiumHost::setValueFiresInputAndChange()
{
    QVERIFY(openPage(QStringLiteral("/form.html")));
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto before = document->snapshot(WebCollection::All);
    QVERIFY(before);
    const int kw = indexOfId(*before, QStringLiteral("kw"));
    QVERIFY(document->setValue(kw, before->at(kw), QStringLiteral("日本語")));

    const auto after = document->snapshot(WebCollection::All);
    QVERIFY(after);
    QCOMPARE(after->at(kw).value, QStringLiteral("日本語"));
    const int log = indexOfId(*after, QStringLiteral("log"));
    QCOMPARE(after->at(log).innerText.trimmed(), QStringLiteral("input:日本語\nchange:日本語"));
}

void TestChromiumHost::clickSubmitsJapaneseWord()
{
    QVERIFY(openPage(QStringLiteral("/form.html")));
    m_server.clearRequests();
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto elements = document->snapshot(WebCollection::All);
    QVERIFY(elements);
    const int kw = indexOfId(*elements, QStringLiteral("kw"));
    const int go = indexOfId(*elements, QStringLiteral("go"));
    const QString word = QStringLiteral("東京 タワー&夜景");
    QVERIFY(document->setValue(kw, elements->at(kw), word));
    QVERIFY(document->click(go, elements->at(go)));

    QTRY_COMPARE(m_server.requestsFor(QStringLiteral("/search")).size(), 1);
    QCOMPARE(m_server.requestsFor(QStringLiteral("/search")).first().queryValue(QStringLiteral("q")), word);
    QVERIFY(waitForReadyState(*m_window, 4));
    QVERIFY(m_window->LocationURL()->startsWith(m_server.url(QStringLiteral("/search?q="))));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Results"));

    // The old document is gone: its object refuses to act on the new one.
    QVERIFY(!document->count(WebCollection::All));
    QVERIFY(!document->snapshot(WebCollection::All));
    QVERIFY(!document->click(go, elements->at(go)));
    const std::shared_ptr<WebDocument> fresh = m_window->Document();
    QVERIFY(fresh);
    const auto found = fresh->snapshot(WebCollection::All);
    QVERIFY(found);
    QVERIFY(indexOfId(*found, QStringLiteral("found")) >= 0);
}

void TestChromiumHost::popupFromClickIsListedAndQuit()
{
    QVERIFY(openPage(QStringLiteral("/popup.html")));
    const QSet<int> before = handlesOf(m_browser->ShellWindows());
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto elements = document->snapshot(WebCollection::All);
    QVERIFY(elements);
    const int open = indexOfId(*elements, QStringLiteral("open"));
    QVERIFY(document->click(open, elements->at(open)));

    QTRY_COMPARE(m_browser->ShellWindows().size(), before.size() + 1);
    BrowserWindowPtr popup;
    for (const BrowserWindowPtr& window : m_browser->ShellWindows()) {
        if (!before.contains(window->HWND()))
            popup = window;
    }
    QVERIFY(popup);
    QVERIFY(popup->HWND() > m_highestHandle);
    m_highestHandle = popup->HWND();
    QVERIFY(!popup->createdByProgram());
    QVERIFY(waitForReadyState(*popup, 4));
    QCOMPARE(popup->LocationURL(), m_server.url(QStringLiteral("/child.html")));
    QCOMPARE(popup->LocationName(), QStringLiteral("Child window"));

    QVERIFY(popup->Quit());
    QCOMPARE(handlesOf(m_browser->ShellWindows()), before);
    QVERIFY(!popup->ReadyState());
}

void TestChromiumHost::slowPageIsNotReadyWhileHeld()
{
    QVERIFY(openPage(QStringLiteral("/form.html")));
    QVERIFY(m_window->Navigate(m_server.url(QStringLiteral("/slow.html"))));
    // Navigate returned although the server has not answered yet.
    QTRY_COMPARE(m_server.heldResponses(), 1);
    int polls = 0;
    while (m_server.heldResponses() > 0 && polls < 5) {
        const std::optional<int> state = m_window->ReadyState();
        if (m_server.heldResponses() == 0)
            break;
        QCOMPARE(state, 1);
        QCOMPARE(m_window->Busy(), true);
        ++polls;
        QTest::qWait(100);
    }
    QVERIFY(polls > 0);
    QVERIFY(waitForReadyState(*m_window, 4));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Slow page"));
    QCOMPARE(m_window->Busy(), false);
}

void TestChromiumHost::dialogsDoNotBlock()
{
    // An alert while the page loads would hold it (and every evaluation) until answered.
    QVERIFY(m_window->Navigate(m_server.url(QStringLiteral("/alert.html"))));
    QVERIFY(waitForReadyState(*m_window, 4));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Alert page"));

    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const auto elements = document->snapshot(WebCollection::All);
    QVERIFY(elements);
    const int ask = indexOfId(*elements, QStringLiteral("ask"));
    QVERIFY(document->click(ask, elements->at(ask)));
    const auto after = document->snapshot(WebCollection::All);
    QVERIFY(after);
    QCOMPARE(after->at(indexOfId(*after, QStringLiteral("answer"))).innerText, QStringLiteral("true"));

    // After that click the page asks before it may be left; the question is answered too.
    QVERIFY(openPage(QStringLiteral("/results.html")));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Results"));
}

void TestChromiumHost::killedBrowserFailsSoftlyThenRestarts()
{
    QVERIFY(openPage(QStringLiteral("/form.html")));
    const std::shared_ptr<WebDocument> document = m_window->Document();
    QVERIFY(document);
    const qint64 pid = m_browser->browserProcessId();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);

    // A call already under way when the browser dies ends with a failure, not a hang.
    QVERIFY(!m_window->LocationURL());
    QTRY_VERIFY(!m_browser->isRunning());
    QVERIFY(!m_window->Navigate(m_server.url(QStringLiteral("/results.html"))));
    QVERIFY(!m_window->ReadyState());
    QVERIFY(!m_window->Busy());
    QVERIFY(!m_window->Document());
    QVERIFY(!document->count(WebCollection::All));
    QVERIFY(!document->snapshot(WebCollection::All));
    QVERIFY(!m_window->Quit());
    QVERIFY(m_browser->ShellWindows().isEmpty());
    QCOMPARE(m_browser->browserProcessId(), 0);

    m_window = m_browser->CreateBrowser();
    QVERIFY2(m_window, qPrintable(m_browser->lastError()));
    QVERIFY(m_browser->browserProcessId() != pid);
    QVERIFY(m_window->HWND() > m_highestHandle); // handles are never reused in one run
    QVERIFY(m_window->createdByProgram());
    QVERIFY(openPage(QStringLiteral("/form.html")));
    QCOMPARE(m_window->LocationName(), QStringLiteral("Form page"));
}

void TestChromiumHost::missingBrowserGivesClearError_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("mentions");

    const QStringList missing = {QStringLiteral("QUESSEL_BROWSER"), QStringLiteral("apt-get install chromium")};
    QTest::newRow("no such path") << "/nonexistent/chromium" << (missing + QStringList{"/nonexistent/chromium"});
    QTest::newRow("no such name on PATH") << "no-such-browser-here" << (missing + QStringList{"no-such-browser-here"});
    QTest::newRow("a file that cannot be run") << QString(FixtureDir + "/form.html") << missing;
    QTest::newRow("a program that ends at once") << "/bin/true" << QStringList{"/bin/true", "did not start"};
}

void TestChromiumHost::missingBrowserGivesClearError()
{
    QFETCH(QString, setting);
    QFETCH(QStringList, mentions);

    const QByteArray saved = qgetenv("QUESSEL_BROWSER");
    qputenv("QUESSEL_BROWSER", setting.toUtf8());
    ChromiumAutomation browser;
    const BrowserWindowPtr window = browser.CreateBrowser();
    if (saved.isEmpty())
        qunsetenv("QUESSEL_BROWSER");
    else
        qputenv("QUESSEL_BROWSER", saved);

    QVERIFY(!window);
    QVERIFY(!browser.isRunning());
    QVERIFY(browser.ShellWindows().isEmpty());
    for (const QString& mention : mentions)
        QVERIFY2(browser.lastError().contains(mention), qPrintable(browser.lastError()));
}

QTEST_GUILESS_MAIN(TestChromiumHost)
#include "tst_chromiumhost.moc"
