#pragma once

#include "BrowserAutomation.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace quessel {

// Works on the elements of one loaded page: binds a browser object and its document, counts
// elements, reads their properties as text, finds the input box a web process step names by
// its key, types into it and clicks the control that submits it, and runs the filtered element
// search of the wizards. Elements are addressed by their 0-based index in the bound collection
// (document order).
//
// Binding takes one snapshot of the collection (one round trip); every read works on it and
// every action is a single call that names the snapshot's element, so the browser can refuse
// an action on an element that has changed since. After the browser navigated elsewhere the
// bound collection still shows the old page until SetWebPage is called again.
class CWebPageWx
{
public:
    // Shows an unexpected read failure to the user. The default writes to standard error; the
    // program with windows installs a message box. An empty handler restores the default.
    using MessageHandler = std::function<void(const QString& text)>;
    static void setMessageHandler(MessageHandler handler);

    CWebPageWx() = default;

    // Binds rIE; when it shows a web page, also its document, its address and the collection of
    // all elements (true). Otherwise the document is dropped and the previous collection stays
    // bound (false).
    bool SetWebPage(const BrowserWindowPtr& rIE);
    // 0 all elements, 1 links, 2 images, 3 forms, 4 frames of the bound document; any other
    // value the bound collection. 0 on any error.
    qint16 GetWebItemN(qint32 vType);
    // vProperty: 1 tagName, 2 type, 4 name, 5 value, 6 alt, 7 href, 8 innerText, 9 innerHTML,
    // 10 id, 12 text, 13 outerHTML, 14 uniqueID, 15 title; any other number the empty text.
    // rError: false on success, true when there is no such element; left as it was when the
    // browser refused to read the page.
    QString GetItemStr(int vItemNo, int vProperty, bool& rError);
    // Clicks the element whose id is vKey (or else the INPUT of type "text" named vKey) and
    // writes vStr into it: its index, or -1 with a beep.
    float SetItemKey_Value(const QString& vKey, const QString& vStr);
    // Clicks the first submit button, image button or link among the 31 elements from
    // vStartNo. vName is not used. False with a beep when none is found or the click failed.
    bool Click(int vStartNo, const QString& vName);
    QString GetTitle();
    QString GetURL();

    // 1 links, 2 images, 3 frames, any other value all elements of the bound web page.
    bool SetItems(int vType);
    bool IsWebPage();
    // The bound object still shows the address it showed when it was bound.
    bool CheckWebPage();
    int GetIE_hWnd();
    bool IsWebPageComplete();
    bool SetItem_Value(int vItemNo, const QString& vStr);
    bool IsClickItem(int vItemNo);
    // vType "radio" with a name ticks the element with that id; "checkbox" with a name turns
    // that element's tick over; anything else clicks element vItemNo.
    bool ItemClick(int vItemNo, const QString& vType, const QString& vName);
    void SetfocusItem(const QString& vName);

    // The filtered search. In the setters a flag argument below 0 leaves that flag as it is,
    // 1 sets it and any other value clears it; the text "・" leaves a text as it is. Each
    // returns whether its filter is now active (a flag set or a text given).
    void ClearItemFilter();
    void SetSearchStartNo(int vNo);
    void SetSearchEndNo(int vNo); // 0: no end
    bool SetFilter_Type(qint16 vText, qint16 vRadio, qint16 vSubmit, qint16 vHidden, qint16 vOther);
    bool SetFilter_TagName(qint16 vA, qint16 vB, qint16 vFONT, qint16 vINPUT, qint16 vIMG, qint16 vTH, qint16 vTR,
                           qint16 vTD, qint16 vBR, qint16 vOther);
    bool SetFilter_Href(qint16 vhttp, qint16 vOther, const QString& vStr1, const QString& vStr2);
    bool SetFilter_Innerhtml(const QString& vStr, qint16 vOther, qint16 vStrExtend);
    bool SetFilter_Tooltip(const QString& vStr, qint16 vOther);
    bool SetFilter_ID(const QString& vStr, qint16 vOther);
    bool SetFilter_Name(const QString& vStr, qint16 vOther);
    // With vSearchAll: every passing index from the start index on (the count). Otherwise the
    // first passing index (1, or 0 when none), visited from the index remembered for these
    // settings when vRegSearch is set, which also remembers the hit. -1 when the page changed
    // since binding. rItemNo receives the indexes found.
    qint16 SearchItem(QList<int>& rItemNo, bool vSearchAll, bool vRegSearch);
    // The j-th index to visit (vNo = j) around the remembered index vRegNo among vCount elements.
    static int SearchItemNo(int vRegNo, int vNo, int vCount);
    // The registry value name under which the index found for the current settings is kept.
    QString FilterKey() const;

private:
    struct Target
    {
        int index; // in the document's collection of all elements
        WebElement element;
    };
    struct ReadFailure
    {
        int number = 0;
        QString source;
        QString description;
    };
    enum class ItemsState
    {
        Ready,
        NotBound,
        Refused,
        Failed,
    };
    struct TextFilter
    {
        bool active = false;
        QString text;
        bool other = false;
        bool set(const QString& vStr, qint16 vOther);
    };

    void bindCollection(WebCollection kind);
    ItemsState loadItems(ReadFailure* failure);
    const QList<WebElement>* boundItems();
    std::optional<Target> allTarget(int index);
    std::optional<Target> findById(const QString& id);
    bool passes(const WebElement& element) const;

    BrowserWindowPtr m_ie;
    std::shared_ptr<WebDocument> m_doc;
    QString m_url;

    // The bound collection and the document it belongs to (kept when a later binding fails).
    std::shared_ptr<WebDocument> m_itemsDoc;
    WebCollection m_itemsKind = WebCollection::All;
    bool m_itemsBound = false;
    std::optional<QList<WebElement>> m_items; // nullopt: the snapshot is still to be taken
    bool m_itemsRefused = false;              // the browser refused it again after binding

    int m_startNo = 0;
    int m_endNo = 0;
    bool m_typeActive = false;
    std::array<bool, 5> m_typeFlags{}; // text, radio, submit, hidden, other
    bool m_tagActive = false;
    std::array<bool, 10> m_tagFlags{}; // A, B, FONT, INPUT, IMG, TH, TR, TD, BR, other
    bool m_hrefActive = false;
    bool m_hrefHttp = false;
    bool m_hrefOther = false;
    QString m_hrefStr1;
    QString m_hrefStr2;
    TextFilter m_innerHtml;
    bool m_innerHtmlExtend = false;
    TextFilter m_tooltip;
    TextFilter m_id;
    TextFilter m_name;
};

} // namespace quessel
