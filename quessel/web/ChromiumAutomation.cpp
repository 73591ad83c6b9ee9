#include "ChromiumAutomation.h"

#include "quessel/util/DataFolder.h"
#include "quessel/web/BrowserLocator.h"
#include "quessel/web/ChromiumWindow.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QUrl>

namespace quessel {

namespace {

// A browser starting on a cold disk takes far longer than one answering a call.
constexpr int LaunchTimeoutMs = 20000;
// ReadyState answers within these even while a navigation holds the page's script.
constexpr int ReadyProbeFirstWaitMs = 1000;
constexpr int ReadyProbeLaterWaitMs = 100;
constexpr int QuitWaitMs = 3000;
constexpr int AttachWaitMs = 1000;
// A navigation the page asked for that does not start loading within this was dropped (a
// download, a cancelled submit); one the browser has answered commits within the second.
constexpr qint64 RequestedNavigationLifeMs = 5000;
constexpr qint64 AnsweredNavigationLifeMs = 2000;

QJsonArray pageFilter()
{
    return QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("page")}}};
}

// Failures of an evaluation that met a navigation; the same evaluation again reaches the new document.
bool isNavigationError(const QString& error)
{
    return error.contains(QLatin1String("navigated or closed")) ||
           error.contains(QLatin1String("Execution context was destroyed")) ||
           error.contains(QLatin1String("Cannot find context"));
}

int readyStateNumber(const QString& state)
{
    if (state == QLatin1String("loading"))
        return 1;
    if (state == QLatin1String("interactive"))
        return 3;
    if (state == QLatin1String("complete"))
        return 4;
    return 0;
}

QString mainFrameOf(const QJsonObject& params)
{
    return params.value(QStringLiteral("frameId")).toString();
}

} // namespace

ChromiumAutomation::ChromiumAutomation(QObject* parent) : QObject(parent)
{
    m_clock.start();
}

ChromiumAutomation::~ChromiumAutomation()
{
    retirePipe();
}

QString ChromiumAutomation::lastError() const
{
    return m_lastError;
}

bool ChromiumAutomation::isRunning() const
{
    return m_pipe && m_pipe->isOpen();
}

qint64 ChromiumAutomation::browserProcessId() const
{
    return isRunning() ? m_pipe->processId() : 0;
}

QList<BrowserWindowPtr> ChromiumAutomation::ShellWindows()
{
    QList<BrowserWindowPtr> windows;
    if (!isRunning())
        return windows;
    const int generation = m_generation;
    const std::optional<QStringList> present = listPageTargets();
    if (generation != m_generation)
        return windows;
    for (const PagePtr& page : std::as_const(m_pages)) {
        if (!present || present->contains(page->targetId))
            windows << std::make_shared<ChromiumWindow>(this, generation, page->targetId, page->handle,
                                                        page->createdByProgram);
    }
    return windows;
}

BrowserWindowPtr ChromiumAutomation::CreateBrowser()
{
    QString targetId;
    // A browser that died unnoticed fails the first attempt; the second starts a new one.
    for (int attempt = 0; attempt < 2 && targetId.isEmpty(); ++attempt) {
        if (!ensureBrowser())
            return nullptr;
        const QString launchPage = std::exchange(m_launchPage, QString());
        if (!launchPage.isEmpty() && findPage(m_generation, launchPage)) {
            targetId = launchPage;
            break;
        }
        const DevToolsPipe::Reply reply = browserCommand(
            m_generation, QStringLiteral("Target.createTarget"),
            {{QStringLiteral("url"), QStringLiteral("about:blank")}, {QStringLiteral("newWindow"), true}});
        if (reply.ok) {
            targetId = reply.result.value(QStringLiteral("targetId")).toString();
        } else {
            m_lastError = QStringLiteral("The browser did not open a new window: %1").arg(reply.error);
            if (isRunning())
                return nullptr;
        }
    }
    if (targetId.isEmpty())
        return nullptr;
    const int generation = m_generation;
    const PagePtr page = notePage(targetId);
    page->createdByProgram = true;
    if (ensureSession(generation, targetId).isEmpty())
        return nullptr;
    m_lastError.clear();
    return std::make_shared<ChromiumWindow>(this, generation, targetId, page->handle, true);
}

void ChromiumAutomation::catchUp()
{
    if (m_pipe)
        m_pipe->poll();
}

bool ChromiumAutomation::ensureBrowser()
{
    return isRunning() || launch();
}

bool ChromiumAutomation::launch()
{
    // A dead browser is reaped first: it still holds the profile until it is gone.
    retirePipe();
    QString error;
    const std::optional<QString> program = BrowserLocator::locate(&error);
    if (!program) {
        m_lastError = error;
        return false;
    }
    const QString profile = DataFolder::browserProfilePath();
    const QString logPath = DataFolder::path() + QStringLiteral("/browser.log");
    QDir().mkpath(profile);
    // The previous run's messages stay beside the new ones (after a crash they tell why); children
    // of a dead browser that still write go on writing into the old file, not into the new one.
    const QString oldLogPath = logPath + QStringLiteral(".old");
    QFile::remove(oldLogPath);
    QFile::rename(logPath, oldLogPath);
    auto* pipe = new DevToolsPipe(this);
    if (!pipe->start(*program, BrowserLocator::launchArguments(profile), logPath, &error)) {
        delete pipe;
        m_lastError = error;
        return false;
    }
    m_pipe = pipe;
    const int generation = ++m_generation;
    connect(pipe, &DevToolsPipe::eventReceived, this, &ChromiumAutomation::onEvent);
    connect(pipe, &DevToolsPipe::closed, this, &ChromiumAutomation::onPipeClosed);

    DevToolsPipe::Reply reply =
        pipe->call(QStringLiteral("Target.setDiscoverTargets"),
                   {{QStringLiteral("discover"), true}, {QStringLiteral("filter"), pageFilter()}}, {}, LaunchTimeoutMs);
    // Every page is attached and held at its start until we listen, so no dialog slips through.
    if (reply.ok)
        reply = pipe->call(QStringLiteral("Target.setAutoAttach"),
                           {{QStringLiteral("autoAttach"), true},
                            {QStringLiteral("waitForDebuggerOnStart"), true},
                            {QStringLiteral("flatten"), true},
                            {QStringLiteral("filter"), pageFilter()}},
                           {}, CallTimeoutMs);
    if (!reply.ok || m_pipe != pipe || generation != m_generation) {
        int exitCode = -1;
        if (m_pipe == pipe && pipe->waitForExit(2000))
            exitCode = pipe->exitCode();
        if (exitCode == 21)
            error = QStringLiteral("The browser profile %1 is in use by another browser process. Close that "
                                   "browser and try again.")
                        .arg(profile);
        else
            error = QStringLiteral("The browser %1 did not start: %2 Its messages are in %3.")
                        .arg(*program, reply.error, logPath);
        if (m_pipe == pipe)
            retirePipe();
        m_lastError = error;
        return false;
    }
    // The blank first page of the launch becomes the first window the program asks for; a page
    // the browser restored from an earlier session stays the user's.
    if (const std::optional<QStringList> present = listPageTargets()) {
        for (const PagePtr& page : std::as_const(m_pages)) {
            if (present->contains(page->targetId) && page->url == QLatin1String("about:blank")) {
                m_launchPage = page->targetId;
                break;
            }
        }
    }
    return true;
}

void ChromiumAutomation::retirePipe()
{
    if (!m_pipe)
        return;
    DevToolsPipe* pipe = std::exchange(m_pipe, nullptr);
    disconnect(pipe, nullptr, this, nullptr);
    m_pages.clear();
    m_sessionTargets.clear();
    m_launchPage.clear();
    pipe->close();
    pipe->deleteLater();
}

void ChromiumAutomation::onPipeClosed()
{
    m_pages.clear();
    m_sessionTargets.clear();
    m_launchPage.clear();
    m_lastError = QStringLiteral("The browser has ended; a new window starts it again.");
}

ChromiumAutomation::PagePtr ChromiumAutomation::findPage(int generation, const QString& targetId) const
{
    if (generation != m_generation || !isRunning())
        return nullptr;
    for (const PagePtr& page : m_pages) {
        if (page->targetId == targetId)
            return page;
    }
    return nullptr;
}

ChromiumAutomation::PagePtr ChromiumAutomation::notePage(const QString& targetId)
{
    for (const PagePtr& page : std::as_const(m_pages)) {
        if (page->targetId == targetId)
            return page;
    }
    auto page = std::make_shared<Page>();
    page->targetId = targetId;
    page->mainFrameId = targetId;
    page->handle = ++m_lastHandle;
    m_pages << page;
    return page;
}

ChromiumAutomation::PagePtr ChromiumAutomation::notePage(const QJsonObject& targetInfo)
{
    const PagePtr page = notePage(targetInfo.value(QStringLiteral("targetId")).toString());
    page->url = targetInfo.value(QStringLiteral("url")).toString();
    return page;
}

void ChromiumAutomation::forgetPage(const QString& targetId)
{
    m_pages.removeIf([&](const PagePtr& page) { return page->targetId == targetId; });
    for (auto it = m_sessionTargets.begin(); it != m_sessionTargets.end();) {
        if (it.value() == targetId)
            it = m_sessionTargets.erase(it);
        else
            ++it;
    }
    if (m_launchPage == targetId)
        m_launchPage.clear();
}

DevToolsPipe* ChromiumAutomation::pipeFor(int generation) const
{
    return generation == m_generation && isRunning() ? m_pipe : nullptr;
}

bool ChromiumAutomation::navigationPending(const Page& page) const
{
    const qint64 now = m_clock.elapsed();
    switch (page.pending) {
    case Page::Pending::None:
        return false;
    case Page::Pending::Started:
        return true;
    case Page::Pending::Ours:
        return page.pendingAnsweredAt < 0 || now - page.pendingAnsweredAt < AnsweredNavigationLifeMs;
    case Page::Pending::Requested:
        return now - page.pendingSince < RequestedNavigationLifeMs;
    }
    return false;
}

std::optional<QStringList> ChromiumAutomation::listPageTargets()
{
    DevToolsPipe* pipe = m_pipe;
    if (!isRunning())
        return std::nullopt;
    const int generation = m_generation;
    const DevToolsPipe::Reply reply =
        pipe->call(QStringLiteral("Target.getTargets"), {{QStringLiteral("filter"), pageFilter()}}, {}, CallTimeoutMs);
    if (!reply.ok || generation != m_generation)
        return std::nullopt;
    QStringList present;
    for (const QJsonValue& value : reply.result.value(QStringLiteral("targetInfos")).toArray()) {
        const QJsonObject info = value.toObject();
        if (info.value(QStringLiteral("type")).toString() != QLatin1String("page"))
            continue;
        present << notePage(info)->targetId;
    }
    return present;
}

void ChromiumAutomation::onEvent(const QString& method, const QJsonObject& params, const QString& sessionId)
{
    if (!isRunning())
        return;
    if (method == QLatin1String("Target.targetCreated") || method == QLatin1String("Target.targetInfoChanged")) {
        const QJsonObject info = params.value(QStringLiteral("targetInfo")).toObject();
        if (info.value(QStringLiteral("type")).toString() == QLatin1String("page"))
            notePage(info);
    } else if (method == QLatin1String("Target.targetDestroyed")) {
        forgetPage(params.value(QStringLiteral("targetId")).toString());
    } else if (method == QLatin1String("Target.attachedToTarget")) {
        const QString session = params.value(QStringLiteral("sessionId")).toString();
        const QJsonObject info = params.value(QStringLiteral("targetInfo")).toObject();
        if (info.value(QStringLiteral("type")).toString() == QLatin1String("page")) {
            const PagePtr page = notePage(info);
            m_sessionTargets.insert(session, page->targetId);
            if (page->sessionId.isEmpty())
                page->sessionId = session;
            m_pipe->send(QStringLiteral("Page.enable"), {}, session);
        }
        // Sent after Page.enable, which the browser handles first: the page starts with us listening.
        if (params.value(QStringLiteral("waitingForDebugger")).toBool())
            m_pipe->send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString session = params.value(QStringLiteral("sessionId")).toString();
        const QString targetId = m_sessionTargets.take(session);
        if (const PagePtr page = findPage(m_generation, targetId); page && page->sessionId == session)
            page->sessionId = m_sessionTargets.key(targetId);
    } else if (!sessionId.isEmpty()) {
        if (const PagePtr page = findPage(m_generation, m_sessionTargets.value(sessionId)))
            onPageEvent(*page, method, params, sessionId);
    }
}

void ChromiumAutomation::onPageEvent(Page& page, const QString& method, const QJsonObject& params,
                                     const QString& sessionId)
{
    const qint64 now = m_clock.elapsed();
    if (method == QLatin1String("Page.javascriptDialogOpening")) {
        // An unanswered dialog would hold every evaluation of the page. Accepting lets a run go
        // on (beforeunload must be accepted, or the page could never be left or closed).
        QJsonObject answer{{QStringLiteral("accept"), true}};
        if (params.value(QStringLiteral("type")).toString() == QLatin1String("prompt"))
            answer.insert(QStringLiteral("promptText"), params.value(QStringLiteral("defaultPrompt")).toString());
        m_pipe->send(QStringLiteral("Page.handleJavaScriptDialog"), answer, sessionId);
    } else if (method == QLatin1String("Page.frameRequestedNavigation")) {
        // Only a navigation of this window itself; a new tab or window is a target of its own.
        if (mainFrameOf(params) == page.mainFrameId &&
            params.value(QStringLiteral("disposition")).toString() == QLatin1String("currentTab") &&
            page.pending == Page::Pending::None) {
            page.pending = Page::Pending::Requested;
            page.pendingSince = now;
        }
    } else if (method == QLatin1String("Page.frameStartedNavigating")) {
        const QString type = params.value(QStringLiteral("navigationType")).toString();
        if (mainFrameOf(params) == page.mainFrameId &&
            !type.contains(QLatin1String("SameDocument"), Qt::CaseInsensitive) && page.pending == Page::Pending::None) {
            page.pending = Page::Pending::Requested;
            page.pendingSince = now;
        }
    } else if (method == QLatin1String("Page.frameStartedLoading")) {
        if (mainFrameOf(params) == page.mainFrameId) {
            page.loading = true;
            page.pending = Page::Pending::Started;
            page.pendingSince = now;
        }
    } else if (method == QLatin1String("Page.frameNavigated")) {
        const QJsonObject frame = params.value(QStringLiteral("frame")).toObject();
        if (!frame.contains(QStringLiteral("parentId"))) {
            page.mainFrameId = frame.value(QStringLiteral("id")).toString();
            page.pending = Page::Pending::None;
        }
    } else if (method == QLatin1String("Page.frameStoppedLoading")) {
        if (mainFrameOf(params) == page.mainFrameId) {
            page.loading = false;
            page.pending = Page::Pending::None;
        }
    }
}

QString ChromiumAutomation::ensureSession(int generation, const QString& targetId)
{
    PagePtr page = findPage(generation, targetId);
    if (!page)
        return {};
    if (!page->sessionId.isEmpty())
        return page->sessionId;
    DevToolsPipe* pipe = pipeFor(generation);
    if (!pipe)
        return {};
    // Pages are attached as they appear; a brand-new one gets its session within milliseconds.
    pipe->waitUntil(
        [&] {
            const PagePtr p = findPage(generation, targetId);
            return !p || !p->sessionId.isEmpty();
        },
        AttachWaitMs);
    page = findPage(generation, targetId);
    if (!page)
        return {};
    if (!page->sessionId.isEmpty())
        return page->sessionId;
    const DevToolsPipe::Reply reply =
        pipe->call(QStringLiteral("Target.attachToTarget"),
                   {{QStringLiteral("targetId"), targetId}, {QStringLiteral("flatten"), true}}, {}, CallTimeoutMs);
    page = findPage(generation, targetId);
    if (!reply.ok || !page || !pipeFor(generation)) {
        m_lastError = QStringLiteral("Cannot attach to the browser window: %1").arg(reply.error);
        return {};
    }
    const QString session = reply.result.value(QStringLiteral("sessionId")).toString();
    m_sessionTargets.insert(session, targetId);
    if (page->sessionId.isEmpty()) {
        page->sessionId = session;
        m_pipe->send(QStringLiteral("Page.enable"), {}, session);
    }
    return page->sessionId;
}

DevToolsPipe::Reply ChromiumAutomation::browserCommand(int generation, const QString& method, const QJsonObject& params,
                                                       int timeoutMs)
{
    DevToolsPipe* pipe = pipeFor(generation);
    if (!pipe)
        return DevToolsPipe::Reply{false, {}, QStringLiteral("The browser window is gone.")};
    return pipe->call(method, params, {}, timeoutMs);
}

DevToolsPipe::Reply ChromiumAutomation::pageCommand(int generation, const QString& targetId, const QString& method,
                                                    const QJsonObject& params, int timeoutMs)
{
    const QString session = ensureSession(generation, targetId);
    DevToolsPipe* pipe = pipeFor(generation);
    if (session.isEmpty() || !pipe)
        return DevToolsPipe::Reply{false, {}, QStringLiteral("The browser window is gone.")};
    return pipe->call(method, params, session, timeoutMs);
}

ChromiumAutomation::Evaluation ChromiumAutomation::evaluate(int generation, const QString& targetId,
                                                            const QString& expression, bool userGesture, int timeoutMs)
{
    const QJsonObject params{{QStringLiteral("expression"), expression},
                             {QStringLiteral("returnByValue"), true},
                             {QStringLiteral("awaitPromise"), false},
                             {QStringLiteral("userGesture"), userGesture}};
    QElapsedTimer elapsed;
    elapsed.start();
    QString error = QStringLiteral("The page did not answer within %1 ms.").arg(timeoutMs);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int remaining = timeoutMs - int(elapsed.elapsed());
        if (remaining <= 0)
            break;
        const DevToolsPipe::Reply reply =
            pageCommand(generation, targetId, QStringLiteral("Runtime.evaluate"), params, remaining);
        if (!reply.ok) {
            error = reply.error;
            if (isNavigationError(error))
                continue;
            break;
        }
        const QJsonObject details = reply.result.value(QStringLiteral("exceptionDetails")).toObject();
        if (!details.isEmpty()) {
            error =
                details.value(QStringLiteral("exception")).toObject().value(QStringLiteral("description")).toString();
            if (error.isEmpty())
                error = details.value(QStringLiteral("text")).toString();
            if (isNavigationError(error))
                continue;
            break;
        }
        return Evaluation{
            true, reply.result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")), {}};
    }
    return Evaluation{false, {}, error};
}

bool ChromiumAutomation::navigate(int generation, const QString& targetId, const QString& url)
{
    const QUrl address = QUrl::fromUserInput(url.trimmed());
    if (url.trimmed().isEmpty() || !address.isValid()) {
        m_lastError = QStringLiteral("Not an address: %1").arg(url);
        return false;
    }
    const QString session = ensureSession(generation, targetId);
    DevToolsPipe* pipe = pipeFor(generation);
    const PagePtr page = findPage(generation, targetId);
    if (session.isEmpty() || !pipe || !page)
        return false;
    page->pending = Page::Pending::Ours;
    page->pendingSince = m_clock.elapsed();
    page->pendingAnsweredAt = -1;
    // The browser answers Page.navigate only once the server does; Navigate returns at once.
    pipe->send(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), address.toString(QUrl::FullyEncoded)}},
               session, [this, generation, targetId](const DevToolsPipe::Reply& reply) {
                   const PagePtr p = findPage(generation, targetId);
                   if (!p || p->pending != Page::Pending::Ours)
                       return;
                   // Failed, or a jump within the document: no new document will commit.
                   if (!reply.ok || !reply.result.value(QStringLiteral("errorText")).toString().isEmpty() ||
                       reply.result.value(QStringLiteral("loaderId")).toString().isEmpty())
                       p->pending = Page::Pending::None;
                   else
                       p->pendingAnsweredAt = m_clock.elapsed();
               });
    return true;
}

bool ChromiumAutomation::stop(int generation, const QString& targetId)
{
    const DevToolsPipe::Reply reply = pageCommand(generation, targetId, QStringLiteral("Page.stopLoading"), {});
    if (const PagePtr page = findPage(generation, targetId); page && reply.ok)
        page->pending = Page::Pending::None;
    return reply.ok;
}

bool ChromiumAutomation::quit(int generation, const QString& targetId)
{
    if (!findPage(generation, targetId))
        return false;
    const DevToolsPipe::Reply reply =
        browserCommand(generation, QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), targetId}});
    if (!reply.ok)
        return false;
    // Callers count the windows right after closing one.
    if (DevToolsPipe* pipe = pipeFor(generation))
        pipe->waitUntil([&] { return !findPage(generation, targetId); }, QuitWaitMs);
    return reply.result.value(QStringLiteral("success")).toBool(true);
}

bool ChromiumAutomation::activate(int generation, const QString& targetId)
{
    if (const auto window = windowOf(generation, targetId);
        window && window->second.value(QStringLiteral("windowState")).toString() == QLatin1String("minimized"))
        setWindowBounds(generation, window->first, {{QStringLiteral("windowState"), QStringLiteral("normal")}});
    return browserCommand(generation, QStringLiteral("Target.activateTarget"), {{QStringLiteral("targetId"), targetId}})
        .ok;
}

std::optional<QJsonObject> ChromiumAutomation::targetInfo(int generation, const QString& targetId)
{
    if (!findPage(generation, targetId))
        return std::nullopt;
    const DevToolsPipe::Reply reply =
        browserCommand(generation, QStringLiteral("Target.getTargetInfo"), {{QStringLiteral("targetId"), targetId}});
    if (!reply.ok)
        return std::nullopt;
    return reply.result.value(QStringLiteral("targetInfo")).toObject();
}

std::optional<int> ChromiumAutomation::readyState(int generation, const QString& targetId)
{
    catchUp();
    PagePtr page = findPage(generation, targetId);
    if (!page)
        return std::nullopt;
    if (navigationPending(*page))
        return 1;
    int waitMs = ReadyProbeLaterWaitMs;
    if (page->readyProbe == 0) {
        const QString session = ensureSession(generation, targetId);
        DevToolsPipe* pipe = pipeFor(generation);
        page = findPage(generation, targetId);
        if (session.isEmpty() || !pipe || !page)
            return std::nullopt;
        // Sent without waiting for it: an evaluation during a navigation is held until the new
        // document commits, and this question must not hold the caller that long.
        auto answered = std::make_shared<bool>(false);
        const int id = pipe->send(QStringLiteral("Runtime.evaluate"),
                                  {{QStringLiteral("expression"), QStringLiteral("document.readyState")},
                                   {QStringLiteral("returnByValue"), true}},
                                  session, [this, generation, targetId, answered](const DevToolsPipe::Reply& reply) {
                                      *answered = true;
                                      const PagePtr p = findPage(generation, targetId);
                                      if (!p)
                                          return;
                                      p->readyProbe = 0;
                                      const QJsonObject details =
                                          reply.result.value(QStringLiteral("exceptionDetails")).toObject();
                                      if (reply.ok && details.isEmpty())
                                          p->readyAnswer = readyStateNumber(reply.result.value(QStringLiteral("result"))
                                                                                .toObject()
                                                                                .value(QStringLiteral("value"))
                                                                                .toString());
                                      else if (isNavigationError(reply.error))
                                          p->readyAnswer = 1;
                                      else
                                          p->readyAnswer.reset();
                                  });
        if (*answered)
            return page->readyAnswer;
        page->readyProbe = id;
        page->readyAnswer.reset();
        waitMs = ReadyProbeFirstWaitMs;
    }
    if (DevToolsPipe* pipe = pipeFor(generation))
        pipe->waitUntil(
            [&] {
                const PagePtr p = findPage(generation, targetId);
                return !p || p->readyProbe == 0;
            },
            waitMs);
    page = findPage(generation, targetId);
    if (!page)
        return std::nullopt;
    // No answer yet: a navigation holds the page's script.
    if (page->readyProbe != 0 || navigationPending(*page))
        return 1;
    return page->readyAnswer;
}

std::optional<bool> ChromiumAutomation::busy(int generation, const QString& targetId)
{
    catchUp();
    const PagePtr page = findPage(generation, targetId);
    if (!page)
        return std::nullopt;
    return navigationPending(*page) || page->loading;
}

bool ChromiumAutomation::hasPage(int generation, const QString& targetId)
{
    catchUp();
    return findPage(generation, targetId) != nullptr;
}

std::optional<QPair<int, QJsonObject>> ChromiumAutomation::windowOf(int generation, const QString& targetId)
{
    if (!findPage(generation, targetId))
        return std::nullopt;
    const DevToolsPipe::Reply reply = browserCommand(generation, QStringLiteral("Browser.getWindowForTarget"),
                                                     {{QStringLiteral("targetId"), targetId}});
    if (!reply.ok)
        return std::nullopt;
    return qMakePair(reply.result.value(QStringLiteral("windowId")).toInt(),
                     reply.result.value(QStringLiteral("bounds")).toObject());
}

bool ChromiumAutomation::setWindowBounds(int generation, int windowId, const QJsonObject& bounds)
{
    return browserCommand(generation, QStringLiteral("Browser.setWindowBounds"),
                          {{QStringLiteral("windowId"), windowId}, {QStringLiteral("bounds"), bounds}})
        .ok;
}

} // namespace quessel
