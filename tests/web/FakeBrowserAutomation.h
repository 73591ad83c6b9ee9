#pragma once

#include "quessel/util/Clock.h"
#include "quessel/web/BrowserAutomation.h"
#include "quessel/web/WebWait.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// A scripted browser for the window manager and page finder tests: windows with addresses,
// titles and ready states, documents with element lists, failure injection, and one log of
// every action ("Navigate 1 http://...", "Quit 2", "click 5", ...). Reads are counted, not logged.
namespace quessel::fake {

class FakeBrowserAutomation;

class FakeDocument : public WebDocument
{
public:
    explicit FakeDocument(QStringList* log, QList<WebElement> elements = {});

    QList<WebElement> elements;
    bool fail = false;        // every call fails
    bool failActions = false; // click, setValue, setChecked, checked and focus fail
    int failSnapshots = 0;    // the next so many snapshots are refused
    int throwSnapshots = 0;   // the next so many snapshots throw
    int snapshotCalls = 0;
    QMap<int, bool> checkedState;

    std::optional<int> count(WebCollection collection) override;
    std::optional<QList<WebElement>> snapshot(WebCollection collection) override;
    bool click(int index, const WebElement& expected) override;
    bool setValue(int index, const WebElement& expected, const QString& value) override;
    bool setChecked(int index, const WebElement& expected, bool checked) override;
    std::optional<bool> checked(int index, const WebElement& expected) override;
    bool focus(int index, const WebElement& expected) override;

private:
    QList<WebElement> collection(WebCollection kind) const;
    // Like the real host: an action names an element the snapshot saw; a changed one is refused.
    bool matches(int index, const WebElement& expected) const;

    QStringList* m_log;
};

class FakeWindow : public BrowserWindow
{
public:
    FakeWindow(FakeBrowserAutomation* owner, int hwnd, const QString& url, bool byProgram);

    int hwnd;
    bool byProgram;
    QString url;
    QString title;
    QString status;
    int readyState = 4;
    QList<int> readyScript; // answers to the next ReadyState reads, then readyState
    bool readyStateUnreadable = false;
    bool busy = false;
    Rect rect{10, 20, 800, 600};
    bool fail = false;       // every call fails (the window's process is gone)
    bool failBounds = false; // bounds and setBounds fail
    bool visible = false;
    int toolBar = -1;
    int readyStateReads = 0;
    std::shared_ptr<FakeDocument> document;

    int HWND() const override;
    bool createdByProgram() const override;
    bool Navigate(const QString& address) override;
    bool GoHome() override;
    bool Stop() override;
    bool Quit() override;
    bool setVisible(bool shown) override;
    bool setToolBar(int shown) override;
    bool activate() override;
    std::optional<QString> LocationURL() override;
    std::optional<QString> LocationName() override;
    std::optional<int> ReadyState() override;
    std::optional<bool> Busy() override;
    std::optional<QString> StatusText() override;
    std::optional<Rect> bounds() override;
    bool setBounds(const Rect& r) override;
    std::shared_ptr<WebDocument> Document() override;

private:
    void log(const QString& entry);
    FakeBrowserAutomation* m_owner;
};

class FakeBrowserAutomation : public BrowserAutomation
{
public:
    QList<std::shared_ptr<FakeWindow>> windows;
    QStringList log;
    QString homePage = QStringLiteral("about:blank");
    bool failCreate = false;
    int createdReadyState = 4; // ready state of a window just created
    int nextHandle = 1;

    std::shared_ptr<FakeWindow> addWindow(const QString& url, bool byProgram = false);
    std::shared_ptr<FakeWindow> window(int hwnd) const;
    QList<int> handles() const;
    // The handles of the "Quit" entries of the log, in order.
    QList<int> quitOrder() const;
    void remove(const FakeWindow* window);

    QList<BrowserWindowPtr> ShellWindows() override;
    BrowserWindowPtr CreateBrowser() override;
    QString lastError() const override;
};

// Waits by moving a manual clock on, in whole milliseconds as the system clock reports them.
// Throws after an absurd number of pauses, so a wait that never ends fails its test instead of
// hanging it.
class ManualClockWait : public WebWait
{
public:
    explicit ManualClockWait(ManualClock& clock);
    void pause(double seconds) override;
    int pauses = 0;

private:
    ManualClock& m_clock;
};

WebElement element(const QString& tagName, const QString& type = {}, const QString& id = {}, const QString& name = {},
                   const QString& href = {});

} // namespace quessel::fake
