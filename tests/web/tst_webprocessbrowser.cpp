// The default search and trend processes run whole against real headless Chromium and pages
// served on 127.0.0.1.
#include "LocalHttpServer.h"

#include "quessel/data/WebProcessScript.h"
#include "quessel/web/BrowserLocator.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/CWebProcess.h"
#include "quessel/web/ChromiumAutomation.h"
#include "quessel/web/WebProcessRunner.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace quessel;

namespace {
const QString FixtureDir = QStringLiteral(QUESSEL_FIXTURES_DIR "/web/process");
} // namespace

class TestWebProcessBrowser : public QObject
{
    Q_OBJECT

private:
    LocalHttpServer m_server;
    std::unique_ptr<ChromiumAutomation> m_automation;
    std::unique_ptr<CWebBrowserWx> m_browser;

    // Runs the process automatically to its end; the result, or 0 when it did not end in time.
    int run(CWebProcess& process, QStringList* entries = nullptr)
    {
        WebProcessRunner runner(process);
        QSignalSpy finished(&runner, &WebProcessRunner::finished);
        QSignalSpy said(&runner, &WebProcessRunner::statusEntry);
        runner.startAutoRun();
        if (finished.isEmpty() && !finished.wait(90000))
            return 0;
        if (entries) {
            for (const QList<QVariant>& e : std::as_const(said))
                *entries << e.first().toString();
        }
        return finished.first().first().toInt();
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BrowserLocator::locate(&error), qPrintable(error));
        QVERIFY(m_server.listen());
        QVERIFY(m_server.addFile(QStringLiteral("/portal.html"), FixtureDir + QStringLiteral("/portal.html")));
        QVERIFY(m_server.addFile(QStringLiteral("/search"), FixtureDir + QStringLiteral("/results.html")));
        QVERIFY(m_server.addFile(QStringLiteral("/trend.html"), FixtureDir + QStringLiteral("/trend.html")));
        m_automation = std::make_unique<ChromiumAutomation>();
        m_browser = std::make_unique<CWebBrowserWx>(*m_automation);
    }
    void cleanupTestCase()
    {
        m_browser.reset();
        m_automation.reset();
    }

    void defaultSearchProcessSubmitsTheWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("ASCII word") << QStringLiteral("quessel");
        QTest::newRow("Japanese with a blank and half-width katakana") << QStringLiteral("日本語 ｶﾀｶﾅ検索");
    }
    void defaultSearchProcessSubmitsTheWord()
    {
        QFETCH(QString, word);
        m_server.clearRequests();
        CWebProcess process(*m_browser);
        QVERIFY(process.setProcessStr(
            WebProcessScript::DefaultSearchProcess(m_server.url(QStringLiteral("/portal.html")), QStringLiteral("q"))));
        process.setMemory(1, word);
        QStringList entries;
        QCOMPARE(run(process, &entries), 1);
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries.last().endsWith(QStringLiteral(" - 最終処理終了")));
        // The completion wait may end while the old page still shows; the form was sent all the same.
        QTRY_VERIFY_WITH_TIMEOUT(!m_server.requestsFor(QStringLiteral("/search")).isEmpty(), 10000);
        const LocalHttpServer::Request request = m_server.requestsFor(QStringLiteral("/search")).first();
        QCOMPARE(request.queryValue(QStringLiteral("q")), word);
        QCOMPARE(request.queryValue(QStringLiteral("src")), QStringLiteral("portal"));
        for (int step = 1; step <= 4; ++step)
            QCOMPARE(process.ProStatus(step), qint32(CWebProcess::Done));
    }

    void defaultTrendProcessHarvestsLinkTexts()
    {
        CWebProcess process(*m_browser);
        QVERIFY(process.setProcessStr(WebProcessScript::DefaultTrendProcess(m_server.url(QStringLiteral("/trend.html")),
                                                                            QStringLiteral("/s?"), QString())));
        QCOMPARE(run(process), 1);
        QCOMPARE(process.Memory(3), QStringLiteral("4"));
        QCOMPARE(process.Memory(4), QStringLiteral("abc"));
        QCOMPARE(process.Memory(5), QStringLiteral("長い言葉の全体")); // "長い言葉…" completed
        QCOMPARE(process.Memory(6), QStringLiteral("日本"));
        QCOMPARE(process.Memory(7), QStringLiteral("テスト")); // "テス…ト" completed
        QVERIFY(process.Memory(8).isEmpty());
    }

    void secondFilterNarrowsTheHarvest()
    {
        CWebProcess process(*m_browser);
        QVERIFY(process.setProcessStr(WebProcessScript::DefaultTrendProcess(
            m_server.url(QStringLiteral("/trend.html")), QStringLiteral("?q="), QStringLiteral("/t"))));
        QCOMPARE(run(process), 1);
        QCOMPARE(process.Memory(3), QStringLiteral("1"));
        QCOMPARE(process.Memory(4), QStringLiteral("def"));
    }
};

QTEST_GUILESS_MAIN(TestWebProcessBrowser)
#include "tst_webprocessbrowser.moc"
