#include "FakeBrowserAutomation.h"

#include <QtMath>

#include <stdexcept>

namespace quessel::fake {

FakeDocument::FakeDocument(QStringList* log, QList<WebElement> elements) : elements(std::move(elements)), m_log(log) {}

QList<WebElement> FakeDocument::collection(WebCollection kind) const
{
    QList<WebElement> out;
    for (const WebElement& e : elements) {
        bool in = false;
        switch (kind) {
        case WebCollection::All:
            in = true;
            break;
        case WebCollection::Links:
            in = (e.tagName == QLatin1String("A") || e.tagName == QLatin1String("AREA")) && !e.href.isEmpty();
            break;
        case WebCollection::Images:
            in = e.tagName == QLatin1String("IMG");
            break;
        case WebCollection::Forms:
            in = e.tagName == QLatin1String("FORM");
            break;
        case WebCollection::Frames:
            in = e.tagName == QLatin1String("IFRAME") || e.tagName == QLatin1String("FRAME");
            break;
        }
        if (in)
            out.append(e);
    }
    return out;
}

bool FakeDocument::matches(int index, const WebElement& expected) const
{
    return index >= 0 && index < elements.size() && elements.at(index).tagName == expected.tagName &&
           elements.at(index).id == expected.id;
}

std::optional<int> FakeDocument::count(WebCollection kind)
{
    if (fail)
        return std::nullopt;
    return int(collection(kind).size());
}

std::optional<QList<WebElement>> FakeDocument::snapshot(WebCollection kind)
{
    ++snapshotCalls;
    if (throwSnapshots > 0) {
        --throwSnapshots;
        throw std::runtime_error("fake failure");
    }
    if (failSnapshots > 0) {
        --failSnapshots;
        return std::nullopt;
    }
    if (fail)
        return std::nullopt;
    return collection(kind);
}

bool FakeDocument::click(int index, const WebElement& expected)
{
    m_log->append(QStringLiteral("click %1").arg(index));
    return !fail && !failActions && matches(index, expected);
}

bool FakeDocument::setValue(int index, const WebElement& expected, const QString& value)
{
    m_log->append(QStringLiteral("setValue %1 %2").arg(index).arg(value));
    if (fail || failActions || !matches(index, expected))
        return false;
    elements[index].value = value;
    return true;
}

bool FakeDocument::setChecked(int index, const WebElement& expected, bool checked)
{
    m_log->append(QStringLiteral("setChecked %1 %2").arg(index).arg(int(checked)));
    if (fail || failActions || !matches(index, expected))
        return false;
    checkedState[index] = checked;
    return true;
}

std::optional<bool> FakeDocument::checked(int index, const WebElement& expected)
{
    if (fail || failActions || !matches(index, expected))
        return std::nullopt;
    return checkedState.value(index, false);
}

bool FakeDocument::focus(int index, const WebElement& expected)
{
    m_log->append(QStringLiteral("focus %1").arg(index));
    return !fail && !failActions && matches(index, expected);
}

FakeWindow::FakeWindow(FakeBrowserAutomation* owner, int hwnd, const QString& url, bool byProgram)
    : hwnd(hwnd), byProgram(byProgram), url(url), document(std::make_shared<FakeDocument>(&owner->log)), m_owner(owner)
{}

void FakeWindow::log(const QString& entry)
{
    m_owner->log.append(entry);
}

int FakeWindow::HWND() const
{
    return hwnd;
}

bool FakeWindow::createdByProgram() const
{
    return byProgram;
}

bool FakeWindow::Navigate(const QString& address)
{
    log(QStringLiteral("Navigate %1 %2").arg(hwnd).arg(address));
    if (fail)
        return false;
    url = address;
    return true;
}

bool FakeWindow::GoHome()
{
    log(QStringLiteral("GoHome %1").arg(hwnd));
    if (fail)
        return false;
    url = m_owner->homePage;
    return true;
}

bool FakeWindow::Stop()
{
    log(QStringLiteral("Stop %1").arg(hwnd));
    return !fail;
}

bool FakeWindow::Quit()
{
    log(QStringLiteral("Quit %1").arg(hwnd));
    if (fail)
        return false;
    m_owner->remove(this);
    return true;
}

bool FakeWindow::setVisible(bool shown)
{
    log(QStringLiteral("setVisible %1 %2").arg(hwnd).arg(int(shown)));
    if (fail)
        return false;
    visible = shown;
    return true;
}

bool FakeWindow::setToolBar(int shown)
{
    log(QStringLiteral("setToolBar %1 %2").arg(hwnd).arg(shown));
    if (fail)
        return false;
    toolBar = shown;
    return true;
}

bool FakeWindow::activate()
{
    log(QStringLiteral("activate %1").arg(hwnd));
    return !fail;
}

std::optional<QString> FakeWindow::LocationURL()
{
    if (fail)
        return std::nullopt;
    return url;
}

std::optional<QString> FakeWindow::LocationName()
{
    if (fail)
        return std::nullopt;
    return title;
}

std::optional<int> FakeWindow::ReadyState()
{
    ++readyStateReads;
    if (fail || readyStateUnreadable)
        return std::nullopt;
    if (!readyScript.isEmpty())
        return readyScript.takeFirst();
    return readyState;
}

std::optional<bool> FakeWindow::Busy()
{
    if (fail)
        return std::nullopt;
    return busy;
}

std::optional<QString> FakeWindow::StatusText()
{
    if (fail)
        return std::nullopt;
    return status;
}

std::optional<BrowserWindow::Rect> FakeWindow::bounds()
{
    if (fail || failBounds)
        return std::nullopt;
    return rect;
}

bool FakeWindow::setBounds(const Rect& r)
{
    log(QStringLiteral("setBounds %1 %2,%3 %4x%5").arg(hwnd).arg(r.left).arg(r.top).arg(r.width).arg(r.height));
    if (fail || failBounds)
        return false;
    rect = r;
    return true;
}

std::shared_ptr<WebDocument> FakeWindow::Document()
{
    if (fail)
        return nullptr;
    return document;
}

std::shared_ptr<FakeWindow> FakeBrowserAutomation::addWindow(const QString& url, bool byProgram)
{
    auto w = std::make_shared<FakeWindow>(this, nextHandle++, url, byProgram);
    windows.append(w);
    return w;
}

std::shared_ptr<FakeWindow> FakeBrowserAutomation::window(int hwnd) const
{
    for (const auto& w : windows) {
        if (w->hwnd == hwnd)
            return w;
    }
    return nullptr;
}

QList<int> FakeBrowserAutomation::handles() const
{
    QList<int> out;
    for (const auto& w : windows)
        out.append(w->hwnd);
    return out;
}

QList<int> FakeBrowserAutomation::quitOrder() const
{
    QList<int> out;
    for (const QString& entry : log) {
        if (entry.startsWith(QLatin1String("Quit ")))
            out.append(entry.mid(5).toInt());
    }
    return out;
}

void FakeBrowserAutomation::remove(const FakeWindow* window)
{
    windows.removeIf([window](const std::shared_ptr<FakeWindow>& w) { return w.get() == window; });
}

QList<BrowserWindowPtr> FakeBrowserAutomation::ShellWindows()
{
    QList<BrowserWindowPtr> out;
    for (const auto& w : windows)
        out.append(w);
    return out;
}

BrowserWindowPtr FakeBrowserAutomation::CreateBrowser()
{
    if (failCreate) {
        log.append(QStringLiteral("CreateBrowser failed"));
        return nullptr;
    }
    auto w = addWindow(QStringLiteral("about:blank"), true);
    w->readyState = createdReadyState;
    log.append(QStringLiteral("CreateBrowser %1").arg(w->hwnd));
    return w;
}

QString FakeBrowserAutomation::lastError() const
{
    return failCreate ? QStringLiteral("the browser cannot be started") : QString();
}

ManualClockWait::ManualClockWait(ManualClock& clock) : m_clock(clock) {}

void ManualClockWait::pause(double seconds)
{
    if (++pauses > 1000000)
        throw std::runtime_error("a wait never ended");
    const qint64 ms = qMax<qint64>(1, qRound64(seconds * 1000.0));
    m_clock.set(m_clock.currentDateTime().addMSecs(ms));
}

WebElement element(const QString& tagName, const QString& type, const QString& id, const QString& name,
                   const QString& href)
{
    WebElement e;
    e.tagName = tagName;
    e.type = type;
    e.id = id;
    e.name = name;
    e.href = href;
    return e;
}

} // namespace quessel::fake
