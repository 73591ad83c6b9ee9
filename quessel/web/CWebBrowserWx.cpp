#include "CWebBrowserWx.h"

#include "WebWait.h"

#include "quessel/util/Rounding.h"

namespace quessel {

namespace {

const QString HomePage; // an empty address sends a window to its home page

int handleOf(const BrowserWindowPtr& obj)
{
    return obj ? obj->HWND() : 0;
}

// Handle 0 means "no window" (the base page before it was created, or a handle that could not
// be read), so it never matches another 0.
bool sameHandle(int a, int b)
{
    return a != 0 && a == b;
}

} // namespace

CWebBrowserWx::CWebBrowserWx(BrowserAutomation& automation)
    : m_automation(automation), m_readyStateTexts{QStringLiteral("準備中"), QStringLiteral("読込中"),
                                                  QStringLiteral("読込完"), QStringLiteral("表示中"),
                                                  QStringLiteral("完了")}
{}

bool CWebBrowserWx::OpenBasePage(const QString& vUrl, qint16 vToolBar)
{
    if (!IsBasePage())
        CreateBasePage(vToolBar);
    OpenPage(m_hWndBasePage, vUrl, vToolBar);
    return false;
}

bool CWebBrowserWx::IsBasePage()
{
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (const BrowserWindowPtr& window : windows) {
        if (sameHandle(handleOf(window), m_hWndBasePage) && IsWebPage(window))
            return true;
    }
    return false;
}

BrowserWindowPtr CWebBrowserWx::GetIE(int& hWnd)
{
    if (hWnd == -1)
        hWnd = m_hWndBasePage;
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (const BrowserWindowPtr& window : windows) {
        if (sameHandle(handleOf(window), hWnd) && IsWebPage(window))
            return window;
    }
    return nullptr;
}

qint16 CWebBrowserWx::GetWebPageCount()
{
    int count = 0;
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (const BrowserWindowPtr& window : windows) {
        if (IsWebPage(window))
            ++count;
    }
    return qint16(qMin(count, 32767));
}

void CWebBrowserWx::CloseWebPage(qint16 mode, const BrowserWindowPtr& rIE)
{
    if (mode < 0 || mode > 2)
        return;
    const BrowserWindowPtr reference = CheckIE(rIE);
    // From the last window down, as closing takes windows out of the list.
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        const BrowserWindowPtr& window = windows.at(i);
        if (!IsWebPage(window))
            continue;
        if (mode == 0) {
            if (sameHandle(handleOf(window), handleOf(reference))) {
                QuitPage(window);
                break;
            }
        } else if (mode == 1) {
            if (!sameHandle(handleOf(window), handleOf(reference)))
                QuitPage(window);
        } else {
            QuitPage(window);
            Wait(1.0);
        }
    }
}

void CWebBrowserWx::ActiveBasePage()
{
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (const BrowserWindowPtr& window : windows) {
        if (sameHandle(handleOf(window), m_hWndBasePage)) {
            window->activate();
            return;
        }
    }
}

qint32 CWebBrowserWx::GetReadyStatus(const BrowserWindowPtr& rIE)
{
    const BrowserWindowPtr page = CheckIE(rIE);
    if (!page)
        return 0;
    return page->ReadyState().value_or(0);
}

BrowserWindowPtr CWebBrowserWx::Windows(int n)
{
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    if (n < 0 || n >= windows.size())
        return nullptr;
    return windows.at(n);
}

int CWebBrowserWx::WindowCount()
{
    return int(m_automation.ShellWindows().size());
}

bool CWebBrowserWx::SetIe(const BrowserWindowPtr& rObjIE)
{
    if (!IsWebPage(rObjIE))
        return false;
    m_baseIE = rObjIE;
    return true;
}

BrowserWindowPtr CWebBrowserWx::CheckIE(const BrowserWindowPtr& rIE)
{
    return IsIE(rIE) ? rIE : m_baseIE;
}

BrowserWindowPtr CWebBrowserWx::GetInternetExplorer(int n)
{
    if (n < 1 || n > GetWebPageCount())
        return nullptr;
    int k = 0;
    const QList<BrowserWindowPtr> windows = m_automation.ShellWindows();
    for (const BrowserWindowPtr& window : windows) {
        if (!IsWebPage(window))
            continue;
        window->setVisible(true);
        if (++k == n)
            return window;
    }
    return nullptr;
}

int CWebBrowserWx::GetHandleBasePage() const
{
    return m_hWndBasePage;
}

bool CWebBrowserWx::SetPosBasePage(int vLeft, int vTop, int vWidth, int vHeight)
{
    if ((vLeft == 0 && vTop == 0 && vWidth == 0 && vHeight == 0) || !IsBasePage())
        return true;
    if (!m_baseIE)
        return false;
    std::optional<BrowserWindow::Rect> rect = m_baseIE->bounds();
    if (!rect)
        return false;
    rect->left = vLeft;
    rect->top = vTop;
    if (vWidth > 0)
        rect->width = vWidth;
    if (vHeight > 0)
        rect->height = vHeight;
    return m_baseIE->setBounds(*rect);
}

std::shared_ptr<WebDocument> CWebBrowserWx::GetDoc()
{
    if (!IsIE(m_baseIE))
        return nullptr;
    return m_baseIE->Document();
}

QString CWebBrowserWx::GetReadyStateStr(const BrowserWindowPtr& rIE)
{
    const qint32 state = GetReadyStatus(rIE);
    if (state == -1)
        return QStringLiteral("取得不可");
    if (state >= 0 && state < m_readyStateTexts.size())
        return m_readyStateTexts.at(state);
    return QStringLiteral("未定義");
}

QString CWebBrowserWx::GetIE_URL(const BrowserWindowPtr& rIE)
{
    if (!IsWebPage(rIE))
        return QString();
    return rIE->LocationURL().value_or(QString());
}

QString CWebBrowserWx::GetWebPageTitle(const BrowserWindowPtr& rIE)
{
    const BrowserWindowPtr page = CheckIE(rIE);
    if (!IsWebPage(page))
        return QString();
    return page->LocationName().value_or(QString());
}

QString CWebBrowserWx::GetStatusText(const BrowserWindowPtr& rIE)
{
    const BrowserWindowPtr page = CheckIE(rIE);
    if (!page)
        return QString();
    return page->StatusText().value_or(QString());
}

bool CWebBrowserWx::SetSize(qint16 vLeft, qint16 vTop, qint16 vWidth, qint16 vHeight)
{
    if (!IsIE(m_baseIE))
        return true;
    return m_baseIE->setBounds(BrowserWindow::Rect{vLeft, vTop, vWidth, vHeight});
}

bool CWebBrowserWx::GetSize(qint16& rLeft, qint16& rTop, qint16& rWidth, qint16& rHeight)
{
    if (!IsIE(m_baseIE))
        return true;
    const std::optional<BrowserWindow::Rect> rect = m_baseIE->bounds();
    if (!rect)
        return false;
    rLeft = toInt16(rect->left);
    rTop = toInt16(rect->top);
    rWidth = toInt16(rect->width);
    rHeight = toInt16(rect->height);
    return true;
}

void CWebBrowserWx::ViewToolBar(bool vFlag)
{
    if (m_baseIE)
        m_baseIE->setToolBar(vFlag ? 1 : 0);
}

// The browser offers no way to show or hide its address, menu or status bar: the caller learns
// that the setting did not take.
bool CWebBrowserWx::ViewAddressBar(bool)
{
    return false;
}

bool CWebBrowserWx::ViewMenuBar(bool)
{
    return false;
}

bool CWebBrowserWx::ViewStatusBar(bool)
{
    return false;
}

bool CWebBrowserWx::showsWebPage(const BrowserWindowPtr& obj)
{
    if (!obj)
        return false;
    const std::optional<QString> url = obj->LocationURL();
    if (!url)
        return false;
    // A window of the program's own counts before it shows an http address, so a base page
    // still at a blank home page is found again instead of being created twice.
    return url->startsWith(QLatin1String("http")) || obj->createdByProgram();
}

int CWebBrowserWx::CreatePage(qint16 vToolBar, const QString& vUrl)
{
    m_baseIE = m_automation.CreateBrowser();
    if (m_baseIE) {
        m_baseIE->setVisible(true);
        if (vToolBar != -1)
            m_baseIE->setToolBar(vToolBar == 1 ? 1 : 0);
        if (vUrl.isEmpty())
            m_baseIE->GoHome();
        else
            m_baseIE->Navigate(vUrl);
    }
    const int hWnd = handleOf(m_baseIE);
    WaitReady(m_baseIE, 6);
    return hWnd;
}

void CWebBrowserWx::CreateBasePage(qint16 vToolBar)
{
    m_hWndBasePage = CreatePage(vToolBar, HomePage);
}

void CWebBrowserWx::OpenPage(int hWnd, const QString& vUrl, qint16 vToolBar)
{
    BrowserWindowPtr page = GetIE(hWnd);
    if (page) {
        if (vUrl.isEmpty())
            page->GoHome();
        else
            page->Navigate(vUrl);
    } else {
        int created = CreatePage(vToolBar, vUrl);
        page = GetIE(created);
    }
    WaitReady(page, 6);
}

void CWebBrowserWx::WaitReady(BrowserWindowPtr page, double seconds)
{
    const qint64 polls = roundHalfEven(seconds * 10.0);
    for (qint64 i = 1; i <= polls; ++i) {
        Wait(0.1);
        if (GetReadyStatus(page) == 4)
            break;
    }
}

void CWebBrowserWx::Wait(double NumSecond)
{
    WebWait::wait(NumSecond);
}

bool CWebBrowserWx::IsIE(const BrowserWindowPtr& obj)
{
    return obj != nullptr;
}

bool CWebBrowserWx::IsWebPage(const BrowserWindowPtr& obj)
{
    return showsWebPage(obj);
}

void CWebBrowserWx::QuitPage(const BrowserWindowPtr& page)
{
    if (!page)
        return;
    page->Stop();
    page->Quit();
}

} // namespace quessel
