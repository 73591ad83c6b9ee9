#pragma once

#include "BrowserAutomation.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

namespace quessel {

// The program's browser windows: finds, creates, navigates, waits on and closes them. One
// window is the base page, the window the program created itself and in which every web process
// navigates; every other window showing a web page is another page, which a web process may
// close. One instance lives as long as the main window.
//
// A browser object is a BrowserWindowPtr; null stands for "no object". Automation errors come
// back from the browser as false, nullopt or null and are ignored here, except where a member
// says it returns false for them. Waits go through WebWait, so they keep the event loop turning.
class CWebBrowserWx
{
public:
    // The browser is not owned and must outlive this object.
    explicit CWebBrowserWx(BrowserAutomation& automation);

    CWebBrowserWx(const CWebBrowserWx&) = delete;
    CWebBrowserWx& operator=(const CWebBrowserWx&) = delete;

    // vToolBar: -1 leaves the tool bar as it is, 1 shows it, anything else hides it. Creates the
    // base page when there is none, then shows the address in it (the home page when empty).
    // Always false.
    bool OpenBasePage(const QString& vUrl, qint16 vToolBar);
    bool IsBasePage();
    // hWnd -1 stands for the base page handle and is overwritten with it.
    BrowserWindowPtr GetIE(int& hWnd);
    qint16 GetWebPageCount();
    // Mode 0 closes the reference window, 1 every other web page, 2 every web page with a
    // one-second pause after each; other modes close nothing. The reference is rIE, or the
    // base browser object when rIE is null.
    void CloseWebPage(qint16 mode, const BrowserWindowPtr& rIE);
    void ActiveBasePage();
    // Of rIE, or of the base browser object when rIE is null; 0 when it cannot be read.
    qint32 GetReadyStatus(const BrowserWindowPtr& rIE);

    BrowserWindowPtr Windows(int n);
    int WindowCount();
    bool SetIe(const BrowserWindowPtr& rObjIE);
    BrowserWindowPtr CheckIE(const BrowserWindowPtr& rIE);
    // The n-th web page (from 1) in window-list order, making every page passed visible.
    BrowserWindowPtr GetInternetExplorer(int n);
    int GetHandleBasePage() const;
    // These return false when the browser refused (an automation error the caller must see).
    bool SetPosBasePage(int vLeft, int vTop, int vWidth, int vHeight);
    std::shared_ptr<WebDocument> GetDoc();
    QString GetReadyStateStr(const BrowserWindowPtr& rIE);
    QString GetIE_URL(const BrowserWindowPtr& rIE);
    QString GetWebPageTitle(const BrowserWindowPtr& rIE);
    QString GetStatusText(const BrowserWindowPtr& rIE);
    bool SetSize(qint16 vLeft, qint16 vTop, qint16 vWidth, qint16 vHeight);
    bool GetSize(qint16& rLeft, qint16& rTop, qint16& rWidth, qint16& rHeight);
    void ViewToolBar(bool vFlag);
    bool ViewAddressBar(bool vFlag);
    bool ViewMenuBar(bool vFlag);
    bool ViewStatusBar(bool vFlag);

    // The web-page test shared with the page element finder: the window shows an "http"
    // address (https included; case-sensitive), or the program created it itself. An address
    // that cannot be read counts as no.
    static bool showsWebPage(const BrowserWindowPtr& obj);

private:
    int CreatePage(qint16 vToolBar, const QString& vUrl);
    void CreateBasePage(qint16 vToolBar);
    void OpenPage(int hWnd, const QString& vUrl, qint16 vToolBar);
    void WaitReady(BrowserWindowPtr page, double seconds);
    void Wait(double NumSecond);
    static bool IsIE(const BrowserWindowPtr& obj);
    static bool IsWebPage(const BrowserWindowPtr& obj);
    static void QuitPage(const BrowserWindowPtr& page);

    BrowserAutomation& m_automation;
    BrowserWindowPtr m_baseIE; // follows every CreatePage (and SetIe)
    int m_hWndBasePage = 0;    // set only by CreateBasePage
    const QStringList m_readyStateTexts;
};

} // namespace quessel
