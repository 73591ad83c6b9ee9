// The Chromium host on a page of 5,000 elements: the launch, one trivial evaluation's round trip,
// a snapshot of every element, and typing plus a click. Runs headless in a data folder of its own.
//
//   build/bench/bench_browser [--page-dir DIR]
//
// The page is written to DIR (default: a temporary folder that is removed afterwards); with
// --page-dir it stays there, so bench/playwright_compare.mjs can drive the same page:
//
//   mkdir -p /tmp/pw && (cd /tmp/pw && npm install playwright-core)
//   PW_DIR=/tmp/pw node bench/playwright_compare.mjs file:///DIR/page5000.html
#include "quessel/web/ChromiumAutomation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace quessel;

namespace {

// 6 fixed elements, a form of 3, then rows of 5: 999 rows make 5,004 elements.
QByteArray pageOf5000Elements()
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Five thousand</title></head><body>"
                      "<form id=\"f\" onsubmit=\"return false\"><input id=\"kw\" name=\"q\" type=\"text\">"
                      "<button id=\"btn\" type=\"button\" "
                      "onclick=\"document.getElementById('n').textContent = ++window.clicks\">Go</button></form>"
                      "<span id=\"n\">0</span><script>window.clicks = 0;</script>";
    for (int i = 0; i < 999; ++i) {
        const QByteArray n = QByteArray::number(i);
        html += "<div class=\"row\"><a href=\"https://example.invalid/item/" + n + "\">Item " + n + "</a> <span>note " +
                n + "</span> <b>" + n + "</b> <i>x</i></div>";
    }
    html += "</body></html>";
    return html;
}

struct Figures
{
    double median = 0;
    double best = 0;
};

// Milliseconds per run of `step`, over `runs` runs.
Figures measure(int runs, const std::function<bool()>& step)
{
    std::vector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        if (!step()) {
            std::fprintf(stderr, "a step failed\n");
            return {};
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void report(const char* what, const Figures& f, int runs)
{
    std::printf("%-52s median %9.3f ms   best %9.3f ms   (%d runs)\n", what, f.median, f.best, runs);
}

int indexOfId(const QList<WebElement>& elements, const QString& id)
{
    for (int i = 0; i < elements.size(); ++i) {
        if (elements[i].id == id)
            return i;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString pageDir;
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--page-dir")); at > 0 && at + 1 < arguments.size())
        pageDir = arguments.at(at + 1);

    QTemporaryDir scratch;
    if (pageDir.isEmpty())
        pageDir = scratch.path();
    QDir().mkpath(pageDir);
    const QString pagePath = QDir(pageDir).absoluteFilePath(QStringLiteral("page5000.html"));
    QFile page(pagePath);
    if (!page.open(QIODevice::WriteOnly) || page.write(pageOf5000Elements()) < 0)
        return 1;
    page.close();
    const QString pageUrl = QUrl::fromLocalFile(pagePath).toString();

    // A profile of its own: never the one of a Quessel that may be running.
    qputenv("QUESSEL_DATA_DIR", scratch.filePath(QStringLiteral("data")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QUESSEL_HEADLESS"))
        qputenv("QUESSEL_HEADLESS", "1");
    if (qEnvironmentVariableIsEmpty("QUESSEL_BROWSER_ARGS"))
        qputenv("QUESSEL_BROWSER_ARGS",
                "--disable-quic --disable-background-networking --disable-component-update --disable-sync");

    ChromiumAutomation browser;
    QElapsedTimer timer;
    timer.start();
    const BrowserWindowPtr window = browser.CreateBrowser();
    if (!window) {
        std::fprintf(stderr, "%s\n", qPrintable(browser.lastError()));
        return 1;
    }
    const double launchMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("page %s\n", qPrintable(pageUrl));
    std::printf("%-52s %9.3f ms\n", "launch to first usable window", launchMs);

    timer.start();
    window->Navigate(pageUrl);
    while (window->ReadyState() != 4 && timer.elapsed() < 10000)
        QThread::msleep(1);
    std::printf("%-52s %9.3f ms\n", "navigate to the page until ReadyState 4", double(timer.nsecsElapsed()) / 1e6);

    const std::shared_ptr<WebDocument> document = window->Document();
    const auto first = document ? document->snapshot(WebCollection::All) : std::nullopt;
    if (!first) {
        std::fprintf(stderr, "no snapshot\n");
        return 1;
    }
    std::printf("elements in document.all: %lld\n\n", static_cast<long long>(first->size()));

    report("trivial evaluation (ReadyState)", measure(500, [&] { return window->ReadyState() == 4; }), 500);
    report("count of document.all (the page script's round trip)",
           measure(500, [&] { return document->count(WebCollection::All).has_value(); }), 500);
    report("snapshot of all elements, 13 members each",
           measure(30,
                   [&] {
                       const auto fresh = window->Document();
                       return fresh && fresh->snapshot(WebCollection::All).has_value();
                   }),
           30);
    report("snapshot again, page unchanged (kept snapshot)",
           measure(500, [&] { return document->snapshot(WebCollection::All).has_value(); }), 500);

    const int kw = indexOfId(*first, QStringLiteral("kw"));
    const int button = indexOfId(*first, QStringLiteral("btn"));
    int typed = 0;
    report("setValue + click",
           measure(200,
                   [&] {
                       return document->setValue(kw, first->at(kw), QStringLiteral("word %1").arg(++typed)) &&
                              document->click(button, first->at(button));
                   }),
           200);
    report("setValue + click + fresh snapshot",
           measure(20,
                   [&] {
                       return document->setValue(kw, first->at(kw), QStringLiteral("word %1").arg(++typed)) &&
                              document->click(button, first->at(button)) &&
                              document->snapshot(WebCollection::All).has_value();
                   }),
           20);
    return 0;
}
