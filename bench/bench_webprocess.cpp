// A complete default search run (close other pages, open the portal, type the word and submit,
// wait for completion) against a fixture page served on 127.0.0.1, by the step runner on its
// 100 ms tick: once with the browser's launch included, once on a running browser. Then the same
// steps written for Playwright on the same Chromium and the same page (bench/playwright_search.mjs),
// in the same run, for comparison.
//
//   build/bench/bench_webprocess [--runs N] [--no-playwright]
//
// Playwright: playwright-core installed in a folder of its own, PW_DIR (default /tmp/pw):
//   mkdir -p /tmp/pw && (cd /tmp/pw && npm install playwright-core)
// NODE overrides the node program. Headless unless QUESSEL_HEADLESS is set otherwise.
#include "../tests/web/LocalHttpServer.h"

#include "quessel/data/WebProcessScript.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebProcess.h"
#include "quessel/web/ChromiumAutomation.h"
#include "quessel/web/WebProcessRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace quessel;

namespace {

const QString FixtureDir = QStringLiteral(QUESSEL_SOURCE_DIR "/tests/fixtures/web/process");
const QString PlaywrightScript = QStringLiteral(QUESSEL_SOURCE_DIR "/bench/playwright_search.mjs");

struct Sample
{
    double runMs = 0;    // start of the run (or of the launch) to the runner's end with result 1
    double submitMs = 0; // ... to the query reaching the server
};

// Runs the process to its end; false unless it finished with result 1 and the query arrived.
bool runOnce(CWebProcess& process, LocalHttpServer& server, const QElapsedTimer& since, Sample* sample)
{
    WebProcessRunner runner(process);
    QEventLoop loop;
    int result = 0;
    sample->submitMs = -1;
    QObject::connect(&runner, &WebProcessRunner::finished, &loop, [&](int r) {
        result = r;
        sample->runMs = double(since.nsecsElapsed()) / 1e6;
        if (sample->submitMs >= 0)
            loop.quit();
    });
    const QMetaObject::Connection seen =
        QObject::connect(&server, &LocalHttpServer::requestReceived, &loop, [&](const LocalHttpServer::Request& r) {
            if (r.path != QLatin1String("/search") || sample->submitMs >= 0)
                return;
            sample->submitMs = double(since.nsecsElapsed()) / 1e6;
            if (result != 0)
                loop.quit();
        });
    QTimer::singleShot(90000, &loop, &QEventLoop::quit);
    runner.startAutoRun();
    loop.exec();
    QObject::disconnect(seen);
    return result == WebProcessRunner::Finished && sample->submitMs >= 0;
}

void report(const char* what, std::vector<double> times)
{
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %9.3f ms   best %9.3f ms   (%zu runs)\n", what, times[times.size() / 2], times.front(),
                times.size());
}

void reportSamples(const char* runText, const char* submitText, const std::vector<Sample>& samples)
{
    std::vector<double> runs, submits;
    for (const Sample& s : samples) {
        runs.push_back(s.runMs);
        submits.push_back(s.submitMs);
    }
    report(runText, runs);
    report(submitText, submits);
}

// Runs the Playwright version while this event loop keeps serving the page.
int runPlaywright(const QString& portalUrl, int runs)
{
    QProcess node;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("PW_DIR")))
        env.insert(QStringLiteral("PW_DIR"), QStringLiteral("/tmp/pw"));
    node.setProcessEnvironment(env);
    node.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(&node, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&node, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    const QString program = qEnvironmentVariableIsEmpty("NODE") ? QStringLiteral("node") : qEnvironmentVariable("NODE");
    node.start(program, {PlaywrightScript, portalUrl, QString::number(runs)});
    if (!node.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start %s: %s\n", qPrintable(program), qPrintable(node.errorString()));
        return 1;
    }
    loop.exec();
    return node.exitStatus() == QProcess::NormalExit ? node.exitCode() : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    int runs = 10;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--runs")); at > 0 && at + 1 < arguments.size())
        runs = qMax(1, arguments.at(at + 1).toInt());
    const bool withPlaywright = !arguments.contains(QStringLiteral("--no-playwright"));

    if (qEnvironmentVariableIsEmpty("QUESSEL_HEADLESS"))
        qputenv("QUESSEL_HEADLESS", "1");
    if (qEnvironmentVariableIsEmpty("QUESSEL_BROWSER_ARGS"))
        qputenv("QUESSEL_BROWSER_ARGS",
                "--disable-quic --disable-background-networking --disable-component-update --disable-sync");

    LocalHttpServer server;
    if (!server.listen() ||
        !server.addFile(QStringLiteral("/portal.html"), FixtureDir + QStringLiteral("/portal.html")) ||
        !server.addFile(QStringLiteral("/search"), FixtureDir + QStringLiteral("/results.html"))) {
        std::fprintf(stderr, "cannot serve the fixture pages from %s\n", qPrintable(FixtureDir));
        return 1;
    }
    const QString portal = server.url(QStringLiteral("/portal.html"));
    const QString script = WebProcessScript::DefaultSearchProcess(portal, QStringLiteral("q"));
    std::printf("page %s\n\n", qPrintable(portal));
    QTemporaryDir scratch;

    // Launch included: a browser of its own for every run, on a fresh profile as Playwright's.
    std::vector<Sample> launched;
    for (int i = 0; i < runs; ++i) {
        qputenv("QUESSEL_DATA_DIR", scratch.filePath(QStringLiteral("launch%1").arg(i)).toUtf8());
        QElapsedTimer since;
        since.start();
        auto automation = std::make_unique<ChromiumAutomation>();
        auto browser = std::make_unique<CWebBrowserWx>(*automation);
        auto process = std::make_unique<CWebProcess>(*browser);
        (void)process->setProcessStr(script);
        process->setMemory(1, QStringLiteral("日本語 %1").arg(i));
        Sample sample;
        if (!runOnce(*process, server, since, &sample)) {
            std::fprintf(stderr, "run %d did not finish: %s\n", i, qPrintable(automation->lastError()));
            return 1;
        }
        launched.push_back(sample);
        process.reset();
        browser.reset();
        automation.reset();
    }

    // Launch excluded: one running browser; each run gets a process of its own, as a run window does.
    qputenv("QUESSEL_DATA_DIR", scratch.filePath(QStringLiteral("warm")).toUtf8());
    ChromiumAutomation automation;
    CWebBrowserWx browser(automation);
    std::vector<Sample> warm;
    for (int i = -1; i < runs; ++i) {
        CWebProcess process(browser);
        (void)process.setProcessStr(script);
        process.setMemory(1, QStringLiteral("word %1").arg(i));
        QElapsedTimer since;
        since.start();
        Sample sample;
        if (!runOnce(process, server, since, &sample)) {
            std::fprintf(stderr, "run %d did not finish: %s\n", i, qPrintable(automation.lastError()));
            return 1;
        }
        if (i >= 0) // the first run launches the browser
            warm.push_back(sample);
    }

    std::printf("Quessel step runner (100 ms tick)\n");
    reportSamples("launch included: launch to result 1", "launch included: launch to query at the server", launched);
    reportSamples("launch excluded: start to result 1", "launch excluded: start to query at the server", warm);
    std::printf("\n");
    std::fflush(stdout);

    if (!withPlaywright)
        return 0;
    std::printf("Playwright (same steps, same Chromium, same page)\n");
    std::fflush(stdout);
    return runPlaywright(portal, runs);
}
