#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// The browser as the window manager and the page element finder see it: a list of browser
// windows (every page of the program's browser, popups and windows the user opened included),
// each with its page's document. Every call may fail; failures come back as false, nullopt or
// null, never as exceptions, and a failing browser never blocks a caller for longer than its
// time-outs.
namespace quessel {

// One element of a page as read in a snapshot: all members as text, tag names upper-case and
// input types lower-case; members an element does not have are empty.
struct WebElement
{
    QString tagName;
    QString type;
    QString id;
    QString name;
    QString value;
    QString href;
    QString innerText;
    QString alt;
    QString innerHTML;
    QString outerHTML;
    QString title;
    QString uniqueID;
    QString text;
};

enum class WebCollection
{
    All,
    Links,
    Images,
    Forms,
    Frames,
};

// A page's document. Element indexes are positions in document order within the collection
// the snapshot was taken of; actions check that the element at an index still has the tag and
// id of the snapshot before acting, since scripts may have changed the page since.
class WebDocument
{
public:
    virtual ~WebDocument() = default;

    virtual std::optional<int> count(WebCollection collection) = 0;
    // All elements of a collection in one round trip.
    virtual std::optional<QList<WebElement>> snapshot(WebCollection collection) = 0;

    // Acting on element `index` of the `All` collection, as the snapshot `expected` saw it.
    virtual bool click(int index, const WebElement& expected) = 0;
    // Writes `value` and fires the input and change events, as typing would.
    virtual bool setValue(int index, const WebElement& expected, const QString& value) = 0;
    virtual bool setChecked(int index, const WebElement& expected, bool checked) = 0;
    virtual std::optional<bool> checked(int index, const WebElement& expected) = 0;
    virtual bool focus(int index, const WebElement& expected) = 0;
};

// One browser window (one page target of the browser).
class BrowserWindow
{
public:
    virtual ~BrowserWindow() = default;

    // A small positive number the host assigns and never reuses in one run; 0 when unknown.
    virtual int HWND() const = 0;
    // True for a window the program created itself (it counts as a web page of the program's
    // own even before it shows an http address).
    virtual bool createdByProgram() const = 0;

    virtual bool Navigate(const QString& url) = 0;
    virtual bool GoHome() = 0;
    virtual bool Stop() = 0;
    virtual bool Quit() = 0;
    virtual bool setVisible(bool visible) = 0;
    virtual bool setToolBar(int shown) = 0; // 0 hidden, 1 shown; a browser may ignore it
    virtual bool activate() = 0;            // bring to the front

    virtual std::optional<QString> LocationURL() = 0;
    virtual std::optional<QString> LocationName() = 0;
    // 0 no document, 1 loading, 3 interactive, 4 complete.
    virtual std::optional<int> ReadyState() = 0;
    virtual std::optional<bool> Busy() = 0;
    virtual std::optional<QString> StatusText() = 0;

    struct Rect
    {
        int left = 0, top = 0, width = 0, height = 0;
    };
    virtual std::optional<Rect> bounds() = 0;
    virtual bool setBounds(const Rect& rect) = 0;

    // The document of the page shown now; null when the window is gone or has none.
    virtual std::shared_ptr<WebDocument> Document() = 0;
};

using BrowserWindowPtr = std::shared_ptr<BrowserWindow>;

// The browser program: its window list and the creation of new windows.
class BrowserAutomation
{
public:
    virtual ~BrowserAutomation() = default;

    // The current window list, in a stable order (creation order).
    virtual QList<BrowserWindowPtr> ShellWindows() = 0;
    // A new window of the program's own at about:blank, starting the browser when it is not
    // running (again after it died). Null when the browser cannot be started; lastError() says why.
    virtual BrowserWindowPtr CreateBrowser() = 0;
    virtual QString lastError() const = 0;
};

} // namespace quessel
