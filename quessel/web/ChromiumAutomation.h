#pragma once

#include "quessel/web/BrowserAutomation.h"
#include "quessel/web/DevToolsPipe.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

namespace quessel {

class ChromiumWindow;
class ChromiumDocument;

// The program's own Chromium-family browser, driven over the DevTools pipe. The browser starts at
// the first CreateBrowser, with the profile in the data folder, and ends with this object. Its
// windows are its page targets (popups and windows the user opened included); every page is
// attached, so a JavaScript dialog is answered at once and never blocks a call. When the browser
// dies, every call fails softly and the next CreateBrowser starts a new one.
//
// Calls wait for the browser with a local event loop, so timers and windows of the program keep
// running meanwhile; this object must not be deleted from inside such a call.
class ChromiumAutomation : public QObject, public BrowserAutomation
{
    Q_OBJECT

public:
    explicit ChromiumAutomation(QObject* parent = nullptr);
    ~ChromiumAutomation() override;

    QList<BrowserWindowPtr> ShellWindows() override;
    BrowserWindowPtr CreateBrowser() override;
    QString lastError() const override;

    bool isRunning() const;
    // The browser's process id, 0 when it is not running.
    qint64 browserProcessId() const;

    // A synchronous call waits this long for the browser at most.
    static constexpr int CallTimeoutMs = 5000;

private:
    friend class ChromiumWindow;
    friend class ChromiumDocument;

    struct Page
    {
        QString targetId;
        QString url; // as the browser last told it
        int handle = 0;
        bool createdByProgram = false;
        QString sessionId;
        QString mainFrameId;
        // A navigation that has not committed yet: of which kind, since when, and when the browser
        // answered our Page.navigate (-1 not yet).
        enum class Pending
        {
            None,
            Ours,      // Navigate sent, the browser has not committed it yet
            Requested, // the page asked to navigate; may still turn into a download or nothing
            Started,   // loading started, not committed yet
        };
        Pending pending = Pending::None;
        qint64 pendingSince = -1;
        qint64 pendingAnsweredAt = -1;
        bool loading = false;
        // The document.readyState question in flight (0 none) and its last answer.
        int readyProbe = 0;
        std::optional<int> readyAnswer;
    };

    struct Evaluation
    {
        bool ok = false;
        QJsonValue value;
        QString error;
    };

    // Handles the events the browser has sent already: callers may poll in a loop of their own
    // that never turns the event loop, and must still see a page finish loading.
    void catchUp();
    bool ensureBrowser();
    bool launch();
    void retirePipe();
    void onEvent(const QString& method, const QJsonObject& params, const QString& sessionId);
    void onPipeClosed();
    void onPageEvent(Page& page, const QString& method, const QJsonObject& params, const QString& sessionId);

    using PagePtr = std::shared_ptr<Page>;
    PagePtr findPage(int generation, const QString& targetId) const;
    PagePtr notePage(const QString& targetId);
    PagePtr notePage(const QJsonObject& targetInfo);
    void forgetPage(const QString& targetId);
    DevToolsPipe* pipeFor(int generation) const;
    bool navigationPending(const Page& page) const;
    QString ensureSession(int generation, const QString& targetId);
    // The page targets the browser has now (noting new ones); nullopt when it does not answer.
    std::optional<QStringList> listPageTargets();

    DevToolsPipe::Reply browserCommand(int generation, const QString& method, const QJsonObject& params,
                                       int timeoutMs = CallTimeoutMs);
    DevToolsPipe::Reply pageCommand(int generation, const QString& targetId, const QString& method,
                                    const QJsonObject& params, int timeoutMs = CallTimeoutMs);
    Evaluation evaluate(int generation, const QString& targetId, const QString& expression, bool userGesture,
                        int timeoutMs = CallTimeoutMs);

    // What the windows ask for.
    bool navigate(int generation, const QString& targetId, const QString& url);
    bool stop(int generation, const QString& targetId);
    bool quit(int generation, const QString& targetId);
    bool activate(int generation, const QString& targetId);
    std::optional<QJsonObject> targetInfo(int generation, const QString& targetId);
    std::optional<int> readyState(int generation, const QString& targetId);
    std::optional<bool> busy(int generation, const QString& targetId);
    bool hasPage(int generation, const QString& targetId);
    // The browser window holding the target: its id and bounds.
    std::optional<QPair<int, QJsonObject>> windowOf(int generation, const QString& targetId);
    bool setWindowBounds(int generation, int windowId, const QJsonObject& bounds);

    DevToolsPipe* m_pipe = nullptr;
    int m_generation = 0;
    int m_lastHandle = 0;
    QList<PagePtr> m_pages;                   // creation order, which is the order of the handles
    QHash<QString, QString> m_sessionTargets; // session id -> target id
    QString m_launchPage;
    QString m_lastError;
    QElapsedTimer m_clock;
};

} // namespace quessel
