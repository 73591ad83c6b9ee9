#include "FakeBrowserAutomation.h"

#include "quessel/util/Beep.h"
#include "quessel/web/CWebPageWx.h"

#include <orvik/CRegistry.h>

#include <QSet>
#include <QTest>

#include <functional>

using namespace quessel;
using namespace quessel::fake;

// Applies filter settings to a finder and returns what the last setter returned.
using FilterSetup = std::function<bool(CWebPageWx&)>;
Q_DECLARE_METATYPE(FilterSetup)

namespace {

const QString PageUrl = QStringLiteral("http://example.com/search");

QList<WebElement> fillers(int count)
{
    QList<WebElement> out;
    for (int i = 0; i < count; ++i)
        out.append(element(QStringLiteral("DIV")));
    return out;
}

WebElement withHtml(WebElement e, const QString& innerHTML, const QString& alt = {})
{
    e.innerHTML = innerHTML;
    e.alt = alt;
    return e;
}

// The page of the filter tests, one element per kind of case.
QList<WebElement> filterPage()
{
    return {
        element("HTML"),                                                                   // 0
        withHtml(element("A", {}, {}, {}, "http://news.example/top?q=1"), "ニュース"),     // 1
        withHtml(element("A", {}, {}, {}, "javascript:void(0)"), "<img src=x>"),           // 2
        element("INPUT", "text", "q", "query"),                                            // 3
        element("INPUT", "hidden", {}, "token"),                                           // 4
        element("INPUT", "submit", "go", "btnG"),                                          // 5
        withHtml(element("IMG"), {}, "ロゴ"),                                              // 6
        withHtml(element("TD"), QString(1025, QChar('x'))),                                // 7
        withHtml(element("TD"), "  <b>bold</b>"),                                          // 8
        element("INPUT", "checkbox", "safe", "safe"),                                      // 9
        withHtml(element("A", {}, "more", {}, "https://news.example/more"), "もっと見る"), // 10
        withHtml(element("B"), "NEWS"),                                                    // 11
    };
}

} // namespace

class TestCWebPageWx : public QObject
{
    Q_OBJECT

private:
    int m_beeps = 0;
    QStringList m_messages;

    struct Page
    {
        FakeBrowserAutomation browser;
        std::shared_ptr<FakeWindow> window;
        CWebPageWx finder;
        explicit Page(const QList<WebElement>& elements, bool bind = true)
        {
            window = browser.addWindow(PageUrl);
            window->title = QStringLiteral("検索");
            window->document->elements = elements;
            if (bind)
                finder.SetWebPage(window);
        }
    };

private slots:
    void init()
    {
        m_beeps = 0;
        m_messages.clear();
        Beep::setHandler([this] { ++m_beeps; });
        CWebPageWx::setMessageHandler([this](const QString& text) { m_messages.append(text); });
    }
    void cleanup()
    {
        Beep::setHandler({});
        CWebPageWx::setMessageHandler({});
    }

    void bindingAPage()
    {
        Page page({element("HTML"), element("A", {}, {}, {}, "http://a/"), element("IMG")});
        QCOMPARE(page.finder.SetWebPage(page.window), true);
        QVERIFY(page.finder.IsWebPage());
        QVERIFY(page.finder.CheckWebPage());
        QCOMPARE(page.finder.GetTitle(), QStringLiteral("検索"));
        QCOMPARE(page.finder.GetURL(), PageUrl);
        QCOMPARE(page.finder.GetIE_hWnd(), page.window->hwnd);
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(3));

        // A window that shows no web page is bound, but its document is not: the collection of
        // the page bound before stays.
        auto folder = page.browser.addWindow(QStringLiteral("file:///home/user"));
        folder->title = QStringLiteral("user");
        QCOMPARE(page.finder.SetWebPage(folder), false);
        QVERIFY(!page.finder.IsWebPage());
        QCOMPARE(page.finder.GetIE_hWnd(), 0);
        QCOMPARE(page.finder.GetTitle(), QStringLiteral("user"));
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(3));
        QCOMPARE(page.finder.GetWebItemN(0), qint16(0)); // no document bound

        QCOMPARE(page.finder.SetWebPage(nullptr), false);
        QCOMPARE(page.finder.GetTitle(), QStringLiteral("No Title"));
        QCOMPARE(page.finder.GetURL(), QStringLiteral("No URL"));

        // The program's own window counts as a web page while it is still blank.
        auto own = page.browser.addWindow(QStringLiteral("about:blank"), true);
        QCOMPARE(page.finder.SetWebPage(own), true);
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(0));
    }

    void elementCounts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");
        QTest::newRow("0 all") << 0 << 9;
        QTest::newRow("1 links") << 1 << 2;
        QTest::newRow("2 images") << 2 << 1;
        QTest::newRow("3 forms") << 3 << 1;
        QTest::newRow("4 frames") << 4 << 2;
        QTest::newRow("-1 bound collection") << -1 << 9;
        QTest::newRow("5 bound collection") << 5 << 9;
    }
    void elementCounts()
    {
        QFETCH(int, type);
        QFETCH(int, count);
        Page page({element("HTML"), element("FORM"), element("A", {}, {}, {}, "http://a/"), element("A"),
                   element("AREA", {}, {}, {}, "http://b/"), element("IMG"), element("IFRAME"), element("FRAME"),
                   element("INPUT", "text")});
        QCOMPARE(page.finder.GetWebItemN(type), qint16(count));
        page.window->document->fail = true;
        page.finder.SetWebPage(page.window); // the bound snapshot fails too
        QCOMPARE(page.finder.GetWebItemN(type), qint16(0));
    }

    void itemProperties_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 tagName") << 1 << "INPUT";
        QTest::newRow("2 type") << 2 << "text";
        QTest::newRow("3 nothing") << 3 << "";
        QTest::newRow("4 name") << 4 << "n";
        QTest::newRow("5 value") << 5 << "v";
        QTest::newRow("6 alt") << 6 << "al";
        QTest::newRow("7 href") << 7 << "http://h/";
        QTest::newRow("8 innerText") << 8 << "it";
        QTest::newRow("9 innerHTML") << 9 << "<i>ih</i>";
        QTest::newRow("10 id") << 10 << "i";
        QTest::newRow("11 nothing") << 11 << "";
        QTest::newRow("12 text") << 12 << "tx";
        QTest::newRow("13 outerHTML") << 13 << "<input>";
        QTest::newRow("14 uniqueID") << 14 << "u1";
        QTest::newRow("15 title") << 15 << "ti";
        QTest::newRow("0 nothing") << 0 << "";
        QTest::newRow("16 nothing") << 16 << "";
    }
    void itemProperties()
    {
        QFETCH(int, property);
        QFETCH(QString, text);
        WebElement e{"INPUT", "text", "i", "n", "v", "http://h/", "it", "al", "<i>ih</i>", "<input>", "ti", "u1", "tx"};
        Page page({element("HTML"), e});
        bool error = true;
        QCOMPARE(page.finder.GetItemStr(1, property, error), text);
        QCOMPARE(error, false);
        QCOMPARE(m_beeps, 0);
    }

    void noPropertyDoesNotTouchThePage()
    {
        Page page({element("HTML")}, false);
        page.window->document->failSnapshots = 1; // binding could not take the snapshot
        QVERIFY(page.finder.SetWebPage(page.window));
        QCOMPARE(page.window->document->snapshotCalls, 1);
        bool error = true;
        QCOMPARE(page.finder.GetItemStr(0, 3, error), QString());
        QCOMPARE(page.finder.GetItemStr(0, 11, error), QString());
        QCOMPARE(page.window->document->snapshotCalls, 1);
        // A real property takes the missing snapshot now, once for all later reads.
        QCOMPARE(page.finder.GetItemStr(0, 1, error), QStringLiteral("HTML"));
        QCOMPARE(page.finder.GetItemStr(0, 1, error), QStringLiteral("HTML"));
        QCOMPARE(page.window->document->snapshotCalls, 2);
    }

    void itemReadFailures_data()
    {
        QTest::addColumn<bool>("bind");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("throws");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("errorFromFalse"); // rError after a call with rError false before
        QTest::addColumn<bool>("errorFromTrue");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<int>("messages");
        QTest::newRow("index past the end: no such element") << true << 2 << 0 << 0 << "" << true << true << 0 << 0;
        QTest::newRow("negative index: no such element") << true << -1 << 0 << 0 << "" << true << true << 0 << 0;
        QTest::newRow("nothing bound: no such element") << false << 0 << 0 << 0 << "" << true << true << 0 << 0;
        QTest::newRow("browser refuses the page: beep, error flag left")
            << true << 0 << 2 << 0 << "" << false << true << 1 << 0;
        QTest::newRow("unexpected failure shown once, then read")
            << true << 0 << 0 << 2 << "HTML" << false << false << 1 << 1;
        QTest::newRow("unexpected failure that stays: shown four times, then given up")
            << true << 0 << 0 << 100 << "" << true << true << 4 << 4;
    }
    void itemReadFailures()
    {
        QFETCH(bool, bind);
        QFETCH(int, index);
        QFETCH(int, refusals);
        QFETCH(int, throws);
        QFETCH(QString, text);
        QFETCH(bool, errorFromFalse);
        QFETCH(bool, errorFromTrue);
        QFETCH(int, beeps);
        QFETCH(int, messages);
        for (bool before : {false, true}) {
            m_beeps = 0;
            m_messages.clear();
            Page page({element("HTML"), element("BODY")}, false);
            page.window->document->failSnapshots = refusals;
            page.window->document->throwSnapshots = throws;
            if (bind)
                page.finder.SetWebPage(page.window);
            bool error = before;
            QCOMPARE(page.finder.GetItemStr(index, 1, error), text);
            QCOMPARE(error, before ? errorFromTrue : errorFromFalse);
            QCOMPARE(m_beeps, beeps);
            QCOMPARE(m_messages.size(), messages);
            for (const QString& message : std::as_const(m_messages))
                QCOMPARE(message, QStringLiteral("★☆Error No： 51\nSource：Quessel\nDescription：fake failure"));
        }
    }

    void typingIntoTheKeyedBox_data()
    {
        QTest::addColumn<QList<WebElement>>("elements");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("index");
        QTest::newRow("id wins over a text box with that name, whatever its tag")
            << QList<WebElement>{element("INPUT", "text", {}, "q"), element("DIV", {}, "q")} << "q" << 1;
        QTest::newRow("text box found by its name")
            << QList<WebElement>{element("DIV"), element("INPUT", "text", {}, "q")} << "q" << 1;
        QTest::newRow("first of two text boxes with the name")
            << QList<WebElement>{element("INPUT", "text", {}, "q"), element("INPUT", "text", {}, "q")} << "q" << 0;
        QTest::newRow("password box is not found by its name")
            << QList<WebElement>{element("INPUT", "password", {}, "q")} << "q" << -1;
        QTest::newRow("search box is not found by its name")
            << QList<WebElement>{element("INPUT", "search", {}, "q")} << "q" << -1;
        QTest::newRow("text area is not found by its name")
            << QList<WebElement>{element("TEXTAREA", "textarea", {}, "q")} << "q" << -1;
        QTest::newRow("search box found by its id") << QList<WebElement>{element("INPUT", "search", "q")} << "q" << 0;
        QTest::newRow("id is compared with case") << QList<WebElement>{element("INPUT", "text", "Q")} << "q" << -1;
        QTest::newRow("name is compared with case")
            << QList<WebElement>{element("INPUT", "text", {}, "Q")} << "q" << -1;
        QTest::newRow("empty key finds nothing")
            << QList<WebElement>{element("HTML"), element("INPUT", "text")} << "" << -1;
    }
    void typingIntoTheKeyedBox()
    {
        QFETCH(QList<WebElement>, elements);
        QFETCH(QString, key);
        QFETCH(int, index);
        Page page(elements);
        QCOMPARE(page.finder.SetItemKey_Value(key, QStringLiteral("ワード")), float(index));
        if (index < 0) {
            QCOMPARE(m_beeps, 1);
            QVERIFY(page.browser.log.isEmpty());
            return;
        }
        QCOMPARE(m_beeps, 0);
        QCOMPARE(page.browser.log,
                 (QStringList{QStringLiteral("click %1").arg(index), QStringLiteral("setValue %1 ワード").arg(index)}));
        bool error = true;
        QCOMPARE(page.finder.GetItemStr(index, 5, error), QStringLiteral("ワード"));
    }

    void typingFailures()
    {
        Page page({element("INPUT", "text", "q")});
        page.window->document->failActions = true;
        QCOMPARE(page.finder.SetItemKey_Value(QStringLiteral("q"), QStringLiteral("w")), -1.0f);
        QCOMPARE(m_beeps, 1);

        // The page replaced the element since the snapshot: the browser refuses to act on it.
        Page changed({element("INPUT", "text", "q")});
        changed.window->document->elements[0] = element("DIV", {}, "other");
        QCOMPARE(changed.finder.SetItemKey_Value(QStringLiteral("q"), QStringLiteral("w")), -1.0f);
        QCOMPARE(m_beeps, 2);

        Page unbound({element("INPUT", "text", "q")}, false);
        QCOMPARE(unbound.finder.SetItemKey_Value(QStringLiteral("q"), QStringLiteral("w")), -1.0f);
        QCOMPARE(m_beeps, 3);
    }

    void clickingTheSubmitControl_data()
    {
        QTest::addColumn<int>("offset"); // where the control lies after the keyword box (at 2)
        QTest::addColumn<WebElement>("control");
        QTest::addColumn<int>("linkOffset"); // where a link lies, 0 for none
        QTest::addColumn<int>("clicked");    // index clicked, -1 for none
        const WebElement submit = element("INPUT", "submit");
        QTest::newRow("submit right after the box") << 1 << submit << 0 << 3;
        QTest::newRow("submit 30 after the box is the last one looked at") << 30 << submit << 0 << 32;
        QTest::newRow("submit 31 after the box is not found") << 31 << submit << 0 << -1;
        QTest::newRow("link within the window clicked when the submit lies beyond") << 31 << submit << 12 << 14;
        QTest::newRow("link before the submit wins") << 20 << submit << 5 << 7;
        QTest::newRow("image button") << 4 << element("INPUT", "image") << 0 << 6;
        QTest::newRow("button of type submit") << 4 << element("BUTTON", "submit") << 0 << 6;
        QTest::newRow("button of type button is no submit") << 4 << element("BUTTON", "button") << 0 << -1;
        QTest::newRow("input button is no submit") << 4 << element("INPUT", "button") << 0 << -1;
        QTest::newRow("link without address is no submit") << 4 << element("A") << 0 << -1;
    }
    void clickingTheSubmitControl()
    {
        QFETCH(int, offset);
        QFETCH(WebElement, control);
        QFETCH(int, linkOffset);
        QFETCH(int, clicked);
        QList<WebElement> elements = fillers(40);
        elements[2] = element("INPUT", "text", "q", "q");
        elements[2 + offset] = control;
        if (linkOffset)
            elements[2 + linkOffset] = element("A", {}, {}, {}, "http://example.com/next");
        Page page(elements);
        QCOMPARE(page.finder.Click(2, QStringLiteral("unused")), clicked >= 0);
        if (clicked >= 0) {
            QCOMPARE(page.browser.log, QStringList{QStringLiteral("click %1").arg(clicked)});
            QCOMPARE(m_beeps, 0);
        } else {
            QVERIFY(page.browser.log.isEmpty());
            QCOMPARE(m_beeps, 1);
        }
    }

    void clickingNearTheEnd()
    {
        Page page({element("INPUT", "text", "q"), element("INPUT", "submit")});
        QVERIFY(!page.finder.Click(2, QString())); // nothing from there on
        QVERIFY(page.finder.Click(-5, QString())); // indexes before the first read as empty
        QCOMPARE(page.browser.log, QStringList{"click 1"});
        page.window->document->failActions = true;
        QVERIFY(!page.finder.Click(0, QString()));
        QCOMPARE(m_beeps, 2);
    }

    void staleCollectionAfterNavigation()
    {
        Page page({element("HTML"), element("INPUT", "text", "old")});
        page.window->url = QStringLiteral("http://example.com/result");
        page.window->document = std::make_shared<FakeDocument>(
            &page.browser.log, QList<WebElement>{element("HTML"), element("P", {}, "new")});
        bool error = false;
        QCOMPARE(page.finder.GetItemStr(1, 10, error), QStringLiteral("old"));
        QVERIFY(!page.finder.CheckWebPage());
        QVERIFY(!page.finder.ItemClick(1, QString(), QString()));
        QList<int> hits;
        QCOMPARE(page.finder.SearchItem(hits, true, false), qint16(-1));
        QVERIFY(page.finder.SetWebPage(page.window));
        QCOMPARE(page.finder.GetItemStr(1, 10, error), QStringLiteral("new"));
        QVERIFY(page.finder.CheckWebPage());
    }

    void otherCollections()
    {
        Page page({element("HTML"), element("A", {}, {}, {}, "http://a/"), element("IMG"),
                   element("A", {}, {}, {}, "http://b/"), element("A", {}, {}, {}, "http://b/")});
        QVERIFY(page.finder.SetItems(1));
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(3));
        bool error = false;
        QCOMPARE(page.finder.GetItemStr(1, 7, error), QStringLiteral("http://b/"));
        // Actions name the element by its place among all elements: link 2 is element 4 (the
        // second of two identical links).
        QVERIFY(page.finder.ItemClick(2, QString(), QString()));
        QVERIFY(page.finder.SetItems(2));
        QCOMPARE(page.finder.GetItemStr(0, 1, error), QStringLiteral("IMG"));
        QVERIFY(page.finder.SetItem_Value(0, QStringLiteral("x")));
        QVERIFY(page.finder.SetItems(0));
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(5));
        QCOMPARE(page.browser.log, (QStringList{"click 4", "setValue 2 x"}));

        auto folder = page.browser.addWindow(QStringLiteral("file:///home/user"));
        page.finder.SetWebPage(folder);
        QVERIFY(!page.finder.SetItems(1));
        QCOMPARE(page.finder.GetWebItemN(-1), qint16(5)); // the previous collection stays
    }

    void clickableItems_data()
    {
        QTest::addColumn<WebElement>("item");
        QTest::addColumn<bool>("clickable");
        QTest::newRow("any input") << element("INPUT", "text") << true;
        QTest::newRow("image type") << element("BUTTON", "image") << true;
        QTest::newRow("checkbox type") << element("X", "checkbox") << true;
        QTest::newRow("radio type") << element("X", "radio") << true;
        QTest::newRow("button type") << element("BUTTON", "button") << true;
        QTest::newRow("submit type") << element("BUTTON", "submit") << true;
        QTest::newRow("link with address") << element("A", {}, {}, {}, "http://a/") << true;
        QTest::newRow("link without address") << element("A") << false;
        QTest::newRow("plain element") << element("DIV") << false;
        QTest::newRow("reset button") << element("BUTTON", "reset") << false;
    }
    void clickableItems()
    {
        QFETCH(WebElement, item);
        QFETCH(bool, clickable);
        Page page({element("HTML"), item});
        QCOMPARE(page.finder.IsClickItem(1), clickable);
        QVERIFY(!page.finder.IsClickItem(2)); // no such element
    }

    void itemClick_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("wasChecked");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("radio with a name ticks that element") << "radio"
                                                              << "r2" << false << QStringList{"setChecked 2 1"};
        QTest::newRow("checkbox with a name is turned over") << "checkbox"
                                                             << "c" << true << QStringList{"setChecked 3 0"};
        QTest::newRow("unticked checkbox is ticked") << "checkbox"
                                                     << "c" << false << QStringList{"setChecked 3 1"};
        QTest::newRow("radio without a name is clicked") << "radio"
                                                         << "" << false << QStringList{"click 1"};
        QTest::newRow("any other type is clicked") << "submit"
                                                   << "r2" << false << QStringList{"click 1"};
        QTest::newRow("unknown id does nothing") << "radio"
                                                 << "none" << false << QStringList{};
    }
    void itemClick()
    {
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(bool, wasChecked);
        QFETCH(QStringList, log);
        Page page({element("HTML"), element("INPUT", "radio", "r1"), element("INPUT", "radio", "r2"),
                   element("INPUT", "checkbox", "c")});
        page.window->document->checkedState[3] = wasChecked;
        QVERIFY(page.finder.ItemClick(1, type, name));
        QCOMPARE(page.browser.log, log);
    }

    void itemClickFailures()
    {
        Page page({element("HTML"), element("INPUT", "checkbox", "c")});
        page.window->document->failActions = true;
        // Errors on the tick are passed over; a refused click is reported.
        QVERIFY(page.finder.ItemClick(1, QStringLiteral("checkbox"), QStringLiteral("c")));
        QVERIFY(!page.finder.ItemClick(1, QString(), QString()));
        QVERIFY(!page.finder.ItemClick(7, QString(), QString()));
    }

    void focusingAnItem()
    {
        Page page({element("HTML"), element("INPUT", "text", "q")});
        page.finder.SetfocusItem(QStringLiteral("q"));
        QCOMPARE(page.browser.log, (QStringList{"activate 1", "focus 1"}));
        QCOMPARE(m_beeps, 0);
        page.window->url = QStringLiteral("http://example.com/elsewhere");
        page.finder.SetfocusItem(QStringLiteral("q"));
        QCOMPARE(page.browser.log.size(), 2);
        QCOMPARE(m_beeps, 1);
    }

    void pageComplete_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("failing");
        QTest::addColumn<bool>("complete");
        QTest::newRow("idle and complete") << false << 4 << false << true;
        QTest::newRow("busy") << true << 4 << false << false;
        QTest::newRow("still loading") << false << 1 << false << false;
        QTest::newRow("interactive") << false << 3 << false << false;
        QTest::newRow("no answer counts as done") << false << 1 << true << true;
    }
    void pageComplete()
    {
        QFETCH(bool, busy);
        QFETCH(int, state);
        QFETCH(bool, failing);
        QFETCH(bool, complete);
        Page page({element("HTML")});
        page.window->busy = busy;
        page.window->readyState = state;
        page.window->fail = failing;
        QCOMPARE(page.finder.IsWebPageComplete(), complete);
    }

    void visitingOrder_data()
    {
        QTest::addColumn<int>("remembered");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("order"); // positions 0 to count
        QTest::newRow("nothing remembered: straight on") << -1 << 5 << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("remembered 0: straight on") << 0 << 5 << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("near the start: around it, then up") << 2 << 10 << QList<int>{2, 1, 3, 0, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("in the middle: around it") << 5 << 10 << QList<int>{5, 4, 6, 3, 7, 2, 8, 1, 9, 0, 10};
        QTest::newRow("near the end: around it, then down") << 7 << 10 << QList<int>{7, 6, 8, 5, 9, 4, 10, 3, 2, 1, 0};
        QTest::newRow("at the end: down") << 10 << 10 << QList<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
        QTest::newRow("beyond the end: from the end down") << 12 << 4 << QList<int>{4, 3, 2, 1, 0};
        QTest::newRow("-3 halves to -2: straight on") << -3 << 3 << QList<int>{0, 1, 2, 3};
        QTest::newRow("-5 halves to -2: straight on") << -5 << 3 << QList<int>{0, 1, 2, 3};
    }
    void visitingOrder()
    {
        QFETCH(int, remembered);
        QFETCH(int, count);
        QFETCH(QList<int>, order);
        QList<int> visited;
        for (int j = 0; j <= count; ++j)
            visited.append(CWebPageWx::SearchItemNo(remembered, j, count));
        QCOMPARE(visited, order);
    }

    void visitingOrderIsClamped_data()
    {
        QTest::addColumn<int>("remembered");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::newRow("beyond the last position upwards") << -1 << 8 << 5 << 5;
        QTest::newRow("beyond the last position downwards") << 7 << 12 << 10 << 0;
        QTest::newRow("remembered index of an emptied page") << 3 << 0 << 0 << 0;
    }
    void visitingOrderIsClamped()
    {
        QFETCH(int, remembered);
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(int, index);
        QCOMPARE(CWebPageWx::SearchItemNo(remembered, position, count), index);
    }

    void filteredSearch_data()
    {
        QTest::addColumn<FilterSetup>("setup");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QList<int>>("hits");
        const QList<int> everything{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        QTest::newRow("no filter passes everything")
            << FilterSetup([](CWebPageWx&) { return false; }) << false << everything;
        QTest::newRow("tag A") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_TagName(1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        }) << true << QList<int>{1, 2, 10};
        QTest::newRow("tags IMG and B") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_TagName(0, 1, 0, 0, 1, 0, 0, 0, 0, 0);
        }) << true << QList<int>{6, 11};
        QTest::newRow("other tags") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
        }) << true << QList<int>{0};
        QTest::newRow("all tag flags cleared: no filter")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }) << false
            << everything;
        QTest::newRow("type text") << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Type(1, 0, 0, 0, 0); }) << true
                                   << QList<int>{3};
        QTest::newRow("type other: elements without a type fail")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Type(0, 0, 0, 0, 1); }) << true << QList<int>{9};
        QTest::newRow("types hidden and submit")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Type(0, 0, 1, 1, 0); }) << true << QList<int>{4, 5};
        QTest::newRow("true (-1) changes no flag") << FilterSetup([](CWebPageWx& f) {
            f.SetFilter_Type(1, 0, 0, 0, 0);
            return f.SetFilter_Type(-1, -1, -1, -1, -1);
        }) << true << QList<int>{3};
        QTest::newRow("any value but 1 clears a flag") << FilterSetup([](CWebPageWx& f) {
            f.SetFilter_Type(1, 0, 0, 0, 0);
            return f.SetFilter_Type(2, -1, -1, -1, -1);
        }) << false << everything;
        QTest::newRow("innerHTML text") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Innerhtml(QStringLiteral("ニュース"), 0, 0);
        }) << true << QList<int>{1};
        QTest::newRow("innerHTML other: not markup, not too long")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Innerhtml(QString(), 1, 0); }) << true
            << QList<int>{1, 10, 11};
        QTest::newRow("innerHTML other with markup allowed")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Innerhtml(QString(), 1, 1); }) << true
            << QList<int>{1, 2, 8, 10, 11};
        QTest::newRow("innerHTML text is compared with case")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Innerhtml(QStringLiteral("news"), 0, 0); }) << true
            << QList<int>{};
        QTest::newRow("innerHTML extend alone passes nothing")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Innerhtml(QString(), 0, 1); }) << true
            << QList<int>{};
        QTest::newRow("tooltip text") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Tooltip(QStringLiteral("ロゴ"), 0);
        }) << true << QList<int>{6};
        QTest::newRow("href texts") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Href(0, 0, QStringLiteral("news"), QStringLiteral("top"));
        }) << true << QList<int>{1};
        QTest::newRow("second href text alone becomes the first")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Href(0, 0, QString(), QStringLiteral("more")); })
            << true << QList<int>{10};
        QTest::newRow("href http flag") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Href(1, 0, QString(), QString());
        }) << true << QList<int>{1, 10};
        QTest::newRow("href other flag") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Href(0, 1, QString(), QString());
        }) << true << QList<int>{2};
        QTest::newRow("href text or other flag")
            << FilterSetup([](CWebPageWx& f) { return f.SetFilter_Href(0, 1, QStringLiteral("more"), QString()); })
            << true << QList<int>{2, 10};
        QTest::newRow("href text kept by ・") << FilterSetup([](CWebPageWx& f) {
            f.SetFilter_Href(0, 0, QStringLiteral("more"), QString());
            return f.SetFilter_Href(-1, -1, QStringLiteral("・"), QStringLiteral("・"));
        }) << true << QList<int>{10};
        QTest::newRow("id text") << FilterSetup([](CWebPageWx& f) { return f.SetFilter_ID(QStringLiteral("o"), 0); })
                                 << true << QList<int>{5, 10};
        QTest::newRow("id other: any id") << FilterSetup([](CWebPageWx& f) { return f.SetFilter_ID(QString(), 1); })
                                          << true << QList<int>{3, 5, 9, 10};
        QTest::newRow("name text") << FilterSetup([](CWebPageWx& f) {
            return f.SetFilter_Name(QStringLiteral("e"), 0);
        }) << true << QList<int>{3, 4, 9};
        QTest::newRow("filters combine") << FilterSetup([](CWebPageWx& f) {
            f.SetFilter_TagName(0, 0, 0, 1, 0, 0, 0, 0, 0, 0);
            return f.SetFilter_Name(QString(), 1);
        }) << true << QList<int>{3, 4, 5, 9};
        QTest::newRow("start and end index") << FilterSetup([](CWebPageWx& f) {
            f.SetSearchStartNo(3);
            f.SetSearchEndNo(6);
            return false;
        }) << false << QList<int>{3, 4, 5, 6};
        QTest::newRow("negative start is 0") << FilterSetup([](CWebPageWx& f) {
            f.SetSearchStartNo(-4);
            f.SetSearchEndNo(1);
            return false;
        }) << false << QList<int>{0, 1};
        QTest::newRow("cleared filter passes everything") << FilterSetup([](CWebPageWx& f) {
            f.SetFilter_ID(QStringLiteral("q"), 0);
            f.SetSearchStartNo(5);
            f.ClearItemFilter();
            return false;
        }) << false << everything;
    }
    void filteredSearch()
    {
        QFETCH(FilterSetup, setup);
        QFETCH(bool, active);
        QFETCH(QList<int>, hits);
        Page page(filterPage());
        QCOMPARE(setup(page.finder), active);
        QList<int> found{99};
        QCOMPARE(page.finder.SearchItem(found, true, false), qint16(hits.size()));
        QCOMPARE(found, hits);
        // Without searching all: the first of them.
        QCOMPARE(page.finder.SearchItem(found, false, false), qint16(hits.isEmpty() ? 0 : 1));
        QCOMPARE(found, hits.mid(0, 1));
    }

    void rememberedSearch()
    {
        Page page(filterPage());
        page.finder.SetFilter_TagName(1, 0, 0, 0, 0, 0, 0, 0, 0, 0); // links at 1, 2 and 10
        const QString key = page.finder.FilterKey();
        orvik::CRegistry registry;
        auto stored = [&] {
            return registry.GetSetting2(orvik::erlUser, QStringLiteral("Quessel"), QStringLiteral("ItemFilter"), key);
        };
        QCOMPARE(stored(), QString());

        QList<int> found;
        QCOMPARE(page.finder.SearchItem(found, false, true), qint16(1));
        QCOMPARE(found, QList<int>{1});
        QCOMPARE(stored(), QStringLiteral("1"));

        // The search starts again from the remembered index and remembers its new hit.
        registry.SaveSetting2(orvik::erlUser, QStringLiteral("Quessel"), QStringLiteral("ItemFilter"), key,
                              QStringLiteral("9"));
        QCOMPARE(page.finder.SearchItem(found, false, true), qint16(1));
        QCOMPARE(found, QList<int>{10});
        QCOMPARE(stored(), QStringLiteral("10"));
        // Without remembering it starts from the beginning and leaves the value alone.
        QCOMPARE(page.finder.SearchItem(found, false, false), qint16(1));
        QCOMPARE(found, QList<int>{1});
        QCOMPARE(stored(), QStringLiteral("10"));

        // Other settings keep an index of their own.
        page.finder.SetFilter_TagName(1, 0, 0, 0, 0, 0, 0, 0, 0, 1);
        QVERIFY(page.finder.FilterKey() != key);
        QCOMPARE(page.finder.SearchItem(found, false, true), qint16(1));
        QCOMPARE(found, QList<int>{0});
        QCOMPARE(stored(), QStringLiteral("10"));
    }

    void filterKeyHoldsEverySetting()
    {
        const QList<FilterSetup> changes{
            [](CWebPageWx& f) { return f.SetFilter_Type(1, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Type(0, 1, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Type(0, 0, 1, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Type(0, 0, 0, 1, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Type(0, 0, 0, 0, 1); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(1, 0, 0, 0, 0, 0, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 1, 0, 0, 0, 0, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 1, 0, 0, 0, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 1, 0, 0, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 1, 0, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 1, 0, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 1, 0, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 0, 1, 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 0, 0, 1, 0); },
            [](CWebPageWx& f) { return f.SetFilter_TagName(0, 0, 0, 0, 0, 0, 0, 0, 0, 1); },
            [](CWebPageWx& f) { return f.SetFilter_Href(1, 0, QString(), QString()); },
            [](CWebPageWx& f) { return f.SetFilter_Href(0, 1, QString(), QString()); },
            [](CWebPageWx& f) { return f.SetFilter_Href(0, 0, QStringLiteral("a/b"), QString()); },
            [](CWebPageWx& f) { return f.SetFilter_Href(0, 0, QStringLiteral("A/B"), QString()); },
            [](CWebPageWx& f) { return f.SetFilter_Href(0, 0, QStringLiteral("a/b"), QStringLiteral("c")); },
            [](CWebPageWx& f) { return f.SetFilter_Innerhtml(QStringLiteral("a/b"), 0, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Innerhtml(QString(), 1, 0); },
            [](CWebPageWx& f) { return f.SetFilter_Innerhtml(QString(), 0, 1); },
            [](CWebPageWx& f) { return f.SetFilter_Tooltip(QStringLiteral("a/b"), 0); },
            [](CWebPageWx& f) { return f.SetFilter_Tooltip(QString(), 1); },
            [](CWebPageWx& f) { return f.SetFilter_ID(QStringLiteral("a/b"), 0); },
            [](CWebPageWx& f) { return f.SetFilter_ID(QString(), 1); },
            [](CWebPageWx& f) { return f.SetFilter_Name(QStringLiteral("a/b"), 0); },
            [](CWebPageWx& f) { return f.SetFilter_Name(QString(), 1); },
            [](CWebPageWx& f) { return f.SetFilter_Name(QStringLiteral("ａ；b"), 1); },
        };
        QSet<QString> keys{CWebPageWx().FilterKey()};
        QSet<QString> foldedKeys{CWebPageWx().FilterKey().toLower()};
        for (const FilterSetup& change : changes) {
            CWebPageWx finder;
            change(finder);
            keys.insert(finder.FilterKey());
            foldedKeys.insert(finder.FilterKey().toLower()); // registry names ignore case
        }
        QCOMPARE(keys.size(), changes.size() + 1);
        QCOMPARE(foldedKeys.size(), changes.size() + 1);

        // Each key keeps its own index in the registry.
        orvik::CRegistry registry;
        int n = 0;
        for (const QString& key : std::as_const(keys))
            QVERIFY(registry.SaveSetting2(orvik::erlUser, QStringLiteral("Quessel"), QStringLiteral("ItemFilter"), key,
                                          QString::number(n++)));
        QSet<QString> values;
        for (const QString& key : std::as_const(keys))
            values.insert(
                registry.GetSetting2(orvik::erlUser, QStringLiteral("Quessel"), QStringLiteral("ItemFilter"), key));
        QCOMPARE(values.size(), keys.size());
    }

    void failingBrowserFailsSoftly()
    {
        Page page({element("HTML"), element("INPUT", "text", "q")});
        page.window->fail = true; // the browser process is gone
        QVERIFY(!page.finder.SetWebPage(page.window));
        QVERIFY(!page.finder.IsWebPage());
        QVERIFY(!page.finder.CheckWebPage());
        QCOMPARE(page.finder.GetTitle(), QStringLiteral("No Title"));
        QCOMPARE(page.finder.GetURL(), QStringLiteral("No URL"));
        QCOMPARE(page.finder.GetIE_hWnd(), 0);
        QCOMPARE(page.finder.GetWebItemN(0), qint16(0));
        QVERIFY(page.finder.IsWebPageComplete());
        QList<int> found;
        QCOMPARE(page.finder.SearchItem(found, true, false), qint16(-1));
        QVERIFY(!page.finder.ItemClick(1, QString(), QString()));

        // The collection bound before still reads, but acting on the page fails with a beep.
        page.window->document->fail = true;
        bool error = true;
        QCOMPARE(page.finder.GetItemStr(1, 10, error), QStringLiteral("q"));
        QCOMPARE(page.finder.SetItemKey_Value(QStringLiteral("q"), QStringLiteral("w")), -1.0f);
        QVERIFY(!page.finder.Click(0, QString()));
        QVERIFY(!page.finder.SetItem_Value(1, QStringLiteral("w")));
        QCOMPARE(m_beeps, 3);
    }
};

QTEST_GUILESS_MAIN(TestCWebPageWx)
#include "tst_cwebpagewx.moc"
