#include "CWebPageWx.h"

#include "CWebBrowserWx.h"

#include "quessel/util/Beep.h"
#include "quessel/util/Rounding.h"

#include <orvik/CRegistry.h>

#include <QStringList>
#include <QtDebug>

#include <algorithm>
#include <exception>

namespace quessel {

namespace {

const QString AppName = QStringLiteral("Quessel");
const QString FilterSection = QStringLiteral("ItemFilter");
const QString KeepText = QStringLiteral("・");

// A read that keeps failing in an unexpected way is shown and tried again this many times.
constexpr int MaxReadRetries = 3;
// The number an unexpected failure of the browser layer is reported with ("internal error").
constexpr int UnexpectedErrorNumber = 51;

// Elements after this many characters of innerHTML are left out of the innerHTML filter.
constexpr qsizetype MaxFilteredHtml = 1024;

CWebPageWx::MessageHandler& messageHandler()
{
    static CWebPageWx::MessageHandler handler;
    return handler;
}

void showMessage(const QString& text)
{
    if (messageHandler())
        messageHandler()(text);
    else
        qWarning().noquote() << text;
}

const QString WebElement::*propertyMember(int vProperty)
{
    switch (vProperty) {
    case 1:
        return &WebElement::tagName;
    case 2:
        return &WebElement::type;
    case 4:
        return &WebElement::name;
    case 5:
        return &WebElement::value;
    case 6:
        return &WebElement::alt;
    case 7:
        return &WebElement::href;
    case 8:
        return &WebElement::innerText;
    case 9:
        return &WebElement::innerHTML;
    case 10:
        return &WebElement::id;
    case 12:
        return &WebElement::text;
    case 13:
        return &WebElement::outerHTML;
    case 14:
        return &WebElement::uniqueID;
    case 15:
        return &WebElement::title;
    default: // 3 and 11 included: no property
        return nullptr;
    }
}

bool sameElement(const WebElement& a, const WebElement& b)
{
    return a.tagName == b.tagName && a.type == b.type && a.id == b.id && a.name == b.name && a.value == b.value &&
           a.href == b.href && a.innerText == b.innerText && a.alt == b.alt && a.innerHTML == b.innerHTML &&
           a.outerHTML == b.outerHTML && a.title == b.title && a.uniqueID == b.uniqueID && a.text == b.text;
}

const WebElement& elementAt(const QList<WebElement>* items, qint64 index)
{
    static const WebElement none;
    if (!items || index < 0 || index >= items->size())
        return none;
    return items->at(index);
}

bool isSubmitLike(const WebElement& e)
{
    // Chromium reports a BUTTON without a type attribute as type "submit".
    if ((e.tagName == QLatin1String("BUTTON") || e.tagName == QLatin1String("INPUT")) &&
        (e.type == QLatin1String("submit") || e.type == QLatin1String("image")))
        return true;
    return e.tagName == QLatin1String("A") && !e.href.isEmpty();
}

void applyFlag(bool& flag, qint16 argument)
{
    if (argument < 0)
        return;
    flag = argument == 1;
}

void applyText(QString& text, const QString& argument)
{
    if (argument == KeepText)
        return;
    text = argument;
}

// A text filter passes a non-empty property that contains its text or when its "other" flag
// is set; an empty filter text leaves only the flag.
bool textPasses(const QString& property, const QString& text, bool other)
{
    if (property.isEmpty())
        return false;
    return other || (!text.isEmpty() && property.contains(text));
}

char flagChar(bool flag)
{
    return flag ? '1' : '0';
}

// Registry value names are compared without regard to case, so texts go into the key as hex of
// their UTF-8 bytes: "Abc" and "abc" keep an index each.
QString hexText(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toHex().toUpper());
}

QString messageText(const int number, const QString& source, const QString& description)
{
    // The number with the leading blank of a non-negative number shown as text.
    const QString shown = number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
    return QStringLiteral("★☆Error No：") + shown + QLatin1Char('\n') + QStringLiteral("Source：") + source +
           QLatin1Char('\n') + QStringLiteral("Description：") + description;
}

} // namespace

void CWebPageWx::setMessageHandler(MessageHandler handler)
{
    messageHandler() = std::move(handler);
}

bool CWebPageWx::SetWebPage(const BrowserWindowPtr& rIE)
{
    m_ie = rIE;
    if (IsWebPage()) {
        std::shared_ptr<WebDocument> doc = m_ie->Document();
        if (doc) {
            m_doc = std::move(doc);
            m_url = m_ie->LocationURL().value_or(QString());
            bindCollection(WebCollection::All);
            return true;
        }
    }
    m_doc.reset();
    return false;
}

qint16 CWebPageWx::GetWebItemN(qint32 vType)
{
    std::optional<int> count;
    switch (vType) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: {
        static const WebCollection kinds[] = {WebCollection::All, WebCollection::Links, WebCollection::Images,
                                              WebCollection::Forms, WebCollection::Frames};
        if (m_doc)
            count = m_doc->count(kinds[vType]);
        break;
    }
    default:
        if (const QList<WebElement>* items = boundItems())
            count = int(items->size());
        break;
    }
    return qint16(qBound(0, count.value_or(0), 32767));
}

QString CWebPageWx::GetItemStr(int vItemNo, int vProperty, bool& rError)
{
    const QString WebElement::*member = propertyMember(vProperty);
    if (!member) {
        rError = false;
        return QString();
    }
    for (int retries = 0;; ++retries) {
        ReadFailure failure;
        switch (loadItems(&failure)) {
        case ItemsState::Ready:
            if (vItemNo < 0 || vItemNo >= m_items->size()) {
                rError = true;
                return QString();
            }
            rError = false;
            return m_items->at(vItemNo).*member;
        case ItemsState::NotBound:
            rError = true;
            return QString();
        case ItemsState::Refused:
            Beep::sound();
            return QString();
        case ItemsState::Failed:
            Beep::sound();
            showMessage(messageText(failure.number, failure.source, failure.description));
            break;
        }
        if (retries >= MaxReadRetries) {
            rError = true;
            return QString();
        }
    }
}

float CWebPageWx::SetItemKey_Value(const QString& vKey, const QString& vStr)
{
    const QList<WebElement>* items = boundItems();
    int found = -1;
    // An empty key would match the first element without an id (the page's root element).
    if (items && !vKey.isEmpty()) {
        for (qsizetype i = 0; i < items->size() && found < 0; ++i) {
            if (items->at(i).id == vKey)
                found = int(i);
        }
        for (qsizetype i = 0; i < items->size() && found < 0; ++i) {
            const WebElement& e = items->at(i);
            if (e.name == vKey && e.tagName == QLatin1String("INPUT") && e.type == QLatin1String("text"))
                found = int(i);
        }
    }
    if (found < 0) {
        Beep::sound();
        return -1;
    }
    // Clicked first so the box takes the focus, as a user would.
    const std::optional<Target> target = allTarget(found);
    if (!target || !m_itemsDoc->click(target->index, target->element) ||
        !m_itemsDoc->setValue(target->index, target->element, vStr)) {
        Beep::sound();
        return -1;
    }
    (*m_items)[found].value = vStr; // what the page holds now
    return float(found);
}

bool CWebPageWx::Click(int vStartNo, const QString& vName)
{
    Q_UNUSED(vName);
    const QList<WebElement>* items = boundItems();
    for (qint64 k = vStartNo; k <= qint64(vStartNo) + 30; ++k) {
        if (!isSubmitLike(elementAt(items, k)))
            continue;
        const std::optional<Target> target = allTarget(int(k));
        if (!target || !m_itemsDoc->click(target->index, target->element)) {
            Beep::sound();
            return false;
        }
        return true;
    }
    Beep::sound();
    return false;
}

QString CWebPageWx::GetTitle()
{
    const std::optional<QString> title = m_ie ? m_ie->LocationName() : std::nullopt;
    return title.value_or(QStringLiteral("No Title"));
}

QString CWebPageWx::GetURL()
{
    const std::optional<QString> url = m_ie ? m_ie->LocationURL() : std::nullopt;
    return url.value_or(QStringLiteral("No URL"));
}

bool CWebPageWx::SetItems(int vType)
{
    if (IsWebPage()) {
        if (!m_doc)
            m_doc = m_ie->Document();
        if (m_doc) {
            switch (vType) {
            case 1:
                bindCollection(WebCollection::Links);
                break;
            case 2:
                bindCollection(WebCollection::Images);
                break;
            case 3:
                bindCollection(WebCollection::Frames);
                break;
            default:
                bindCollection(WebCollection::All);
                break;
            }
            return true;
        }
    }
    m_doc.reset();
    return false;
}

bool CWebPageWx::IsWebPage()
{
    return CWebBrowserWx::showsWebPage(m_ie);
}

bool CWebPageWx::CheckWebPage()
{
    if (!m_ie)
        return false;
    const std::optional<QString> url = m_ie->LocationURL();
    return url && *url == m_url;
}

int CWebPageWx::GetIE_hWnd()
{
    return IsWebPage() ? m_ie->HWND() : 0;
}

bool CWebPageWx::IsWebPageComplete()
{
    // A browser that does not answer counts as done, so nobody waits on it for ever.
    if (!m_ie)
        return true;
    const std::optional<bool> busy = m_ie->Busy();
    const std::optional<int> state = m_ie->ReadyState();
    if (!busy || !state)
        return true;
    return !*busy && *state == 4;
}

bool CWebPageWx::SetItem_Value(int vItemNo, const QString& vStr)
{
    const std::optional<Target> target = allTarget(vItemNo);
    if (!target || !m_itemsDoc->setValue(target->index, target->element, vStr)) {
        Beep::sound();
        return false;
    }
    (*m_items)[vItemNo].value = vStr;
    return true;
}

bool CWebPageWx::IsClickItem(int vItemNo)
{
    const WebElement& e = elementAt(boundItems(), vItemNo);
    static const QStringList clickTypes{QStringLiteral("image"), QStringLiteral("checkbox"), QStringLiteral("radio"),
                                        QStringLiteral("button"), QStringLiteral("submit")};
    return e.tagName == QLatin1String("INPUT") || clickTypes.contains(e.type) || !e.href.isEmpty();
}

bool CWebPageWx::ItemClick(int vItemNo, const QString& vType, const QString& vName)
{
    if (!CheckWebPage())
        return false;
    if (vType == QLatin1String("radio") && !vName.isEmpty()) {
        if (const std::optional<Target> target = findById(vName))
            m_itemsDoc->setChecked(target->index, target->element, true);
        return true;
    }
    if (vType == QLatin1String("checkbox") && !vName.isEmpty()) {
        if (const std::optional<Target> target = findById(vName)) {
            if (const std::optional<bool> checked = m_itemsDoc->checked(target->index, target->element))
                m_itemsDoc->setChecked(target->index, target->element, !*checked);
        }
        return true;
    }
    // A click the browser refused is reported, not passed off as done.
    const std::optional<Target> target = allTarget(vItemNo);
    return target && m_itemsDoc->click(target->index, target->element);
}

void CWebPageWx::SetfocusItem(const QString& vName)
{
    if (!CheckWebPage()) {
        Beep::sound();
        return;
    }
    m_ie->activate();
    if (const std::optional<Target> target = findById(vName))
        m_itemsDoc->focus(target->index, target->element);
}

void CWebPageWx::ClearItemFilter()
{
    m_startNo = 0;
    m_endNo = 0;
    m_typeActive = false;
    m_typeFlags.fill(false);
    m_tagActive = false;
    m_tagFlags.fill(false);
    m_hrefActive = false;
    m_hrefHttp = false;
    m_hrefOther = false;
    m_hrefStr1.clear();
    m_hrefStr2.clear();
    m_innerHtml = TextFilter();
    m_innerHtmlExtend = false;
    m_tooltip = TextFilter();
    m_id = TextFilter();
    m_name = TextFilter();
}

void CWebPageWx::SetSearchStartNo(int vNo)
{
    m_startNo = qMax(vNo, 0);
}

void CWebPageWx::SetSearchEndNo(int vNo)
{
    m_endNo = vNo;
}

bool CWebPageWx::SetFilter_Type(qint16 vText, qint16 vRadio, qint16 vSubmit, qint16 vHidden, qint16 vOther)
{
    const qint16 arguments[] = {vText, vRadio, vSubmit, vHidden, vOther};
    for (size_t i = 0; i < m_typeFlags.size(); ++i)
        applyFlag(m_typeFlags[i], arguments[i]);
    m_typeActive = std::find(m_typeFlags.begin(), m_typeFlags.end(), true) != m_typeFlags.end();
    return m_typeActive;
}

bool CWebPageWx::SetFilter_TagName(qint16 vA, qint16 vB, qint16 vFONT, qint16 vINPUT, qint16 vIMG, qint16 vTH,
                                   qint16 vTR, qint16 vTD, qint16 vBR, qint16 vOther)
{
    const qint16 arguments[] = {vA, vB, vFONT, vINPUT, vIMG, vTH, vTR, vTD, vBR, vOther};
    for (size_t i = 0; i < m_tagFlags.size(); ++i)
        applyFlag(m_tagFlags[i], arguments[i]);
    m_tagActive = std::find(m_tagFlags.begin(), m_tagFlags.end(), true) != m_tagFlags.end();
    return m_tagActive;
}

bool CWebPageWx::SetFilter_Href(qint16 vhttp, qint16 vOther, const QString& vStr1, const QString& vStr2)
{
    applyFlag(m_hrefHttp, vhttp);
    applyFlag(m_hrefOther, vOther);
    applyText(m_hrefStr1, vStr1);
    applyText(m_hrefStr2, vStr2);
    if (m_hrefStr1.isEmpty() && !m_hrefStr2.isEmpty()) {
        m_hrefStr1 = m_hrefStr2;
        m_hrefStr2.clear();
    }
    m_hrefActive = m_hrefHttp || m_hrefOther || !m_hrefStr1.isEmpty();
    return m_hrefActive;
}

bool CWebPageWx::SetFilter_Innerhtml(const QString& vStr, qint16 vOther, qint16 vStrExtend)
{
    applyText(m_innerHtml.text, vStr);
    applyFlag(m_innerHtml.other, vOther);
    applyFlag(m_innerHtmlExtend, vStrExtend);
    m_innerHtml.active = m_innerHtml.other || m_innerHtmlExtend || !m_innerHtml.text.isEmpty();
    return m_innerHtml.active;
}

bool CWebPageWx::TextFilter::set(const QString& vStr, qint16 vOther)
{
    applyText(text, vStr);
    applyFlag(other, vOther);
    active = other || !text.isEmpty();
    return active;
}

bool CWebPageWx::SetFilter_Tooltip(const QString& vStr, qint16 vOther)
{
    return m_tooltip.set(vStr, vOther);
}

bool CWebPageWx::SetFilter_ID(const QString& vStr, qint16 vOther)
{
    return m_id.set(vStr, vOther);
}

bool CWebPageWx::SetFilter_Name(const QString& vStr, qint16 vOther)
{
    return m_name.set(vStr, vOther);
}

qint16 CWebPageWx::SearchItem(QList<int>& rItemNo, bool vSearchAll, bool vRegSearch)
{
    rItemNo.clear();
    if (!CheckWebPage())
        return -1;
    const QList<WebElement>* items = boundItems();
    const int n = items ? int(items->size()) : 0;
    // The end index, when above 0, is the last index visited.
    const auto pastEnd = [this](int d) { return m_endNo > 0 && d >= m_endNo; };

    if (vSearchAll) {
        for (int d = m_startNo; d < n; ++d) {
            if (passes(items->at(d)) && rItemNo.size() < 32767)
                rItemNo.append(d);
            if (pastEnd(d))
                break;
        }
        return qint16(rItemNo.size());
    }

    const QString key = FilterKey();
    int remembered = -1;
    if (vRegSearch) {
        bool ok = false;
        const int stored = orvik::CRegistry()
                               .GetSetting2(orvik::erlUser, AppName, FilterSection, key, QStringLiteral("-1"))
                               .trimmed()
                               .toInt(&ok);
        if (ok)
            remembered = stored;
    }
    // Positions run to n inclusive: around a remembered index the order touches n (no element)
    // before it has covered everything below.
    for (int j = 0; j <= n; ++j) {
        const int d = SearchItemNo(remembered, j, n);
        const bool inRange = d >= m_startNo && d < n && (m_endNo <= 0 || d <= m_endNo);
        if (inRange && passes(items->at(d))) {
            if (vRegSearch)
                orvik::CRegistry().SaveSetting2(orvik::erlUser, AppName, FilterSection, key, QString::number(d));
            rItemNo.append(d);
            return 1;
        }
        if (pastEnd(d))
            break;
    }
    return 0;
}

int CWebPageWx::SearchItemNo(int vRegNo, int vNo, int vCount)
{
    const qint64 a = vRegNo < 0 ? roundHalfEven(vRegNo / 2.0) : vRegNo;
    const qint64 j = vNo;
    const qint64 n = vCount;
    const qint64 c = qMin(a, n - a);
    qint64 d;
    if (j <= 2 * c) {
        const qint64 step = (j + 1) / 2;
        d = (j % 2 != 0) ? a - step : a + step;
    } else {
        d = (a <= n - a) ? a + (j - c) : a - (j - c);
    }
    return int(qBound<qint64>(0, d, qMax<qint64>(n, 0)));
}

QString CWebPageWx::FilterKey() const
{
    QString key;
    key += QStringLiteral("Type:");
    for (bool flag : m_typeFlags)
        key += QLatin1Char(flagChar(flag));
    key += QStringLiteral(";Tag:");
    for (bool flag : m_tagFlags)
        key += QLatin1Char(flagChar(flag));
    key += QStringLiteral(";Href:") + QLatin1Char(flagChar(m_hrefHttp)) + QLatin1Char(flagChar(m_hrefOther)) +
           QLatin1Char(':') + hexText(m_hrefStr1) + QLatin1Char(':') + hexText(m_hrefStr2);
    key += QStringLiteral(";Html:") + QLatin1Char(flagChar(m_innerHtml.other)) +
           QLatin1Char(flagChar(m_innerHtmlExtend)) + QLatin1Char(':') + hexText(m_innerHtml.text);
    const auto textPart = [](const char* label, const TextFilter& filter) {
        return QLatin1Char(';') + QLatin1String(label) + QLatin1Char(':') + QLatin1Char(flagChar(filter.other)) +
               QLatin1Char(':') + hexText(filter.text);
    };
    key += textPart("Alt", m_tooltip);
    key += textPart("ID", m_id);
    key += textPart("Name", m_name);
    return key;
}

void CWebPageWx::bindCollection(WebCollection kind)
{
    m_itemsDoc = m_doc;
    m_itemsKind = kind;
    m_itemsBound = true;
    m_itemsRefused = false;
    m_items.reset();
    // A snapshot the browser could not give now is taken again at the first read.
    loadItems(nullptr);
    m_itemsRefused = false;
}

CWebPageWx::ItemsState CWebPageWx::loadItems(ReadFailure* failure)
{
    if (!m_itemsBound || !m_itemsDoc)
        return ItemsState::NotBound;
    if (m_items)
        return ItemsState::Ready;
    if (m_itemsRefused)
        return ItemsState::Refused;
    try {
        m_items = m_itemsDoc->snapshot(m_itemsKind);
    } catch (const std::exception& e) {
        if (failure)
            *failure = {UnexpectedErrorNumber, AppName, QString::fromLocal8Bit(e.what())};
        return ItemsState::Failed;
    } catch (...) {
        if (failure)
            *failure = {UnexpectedErrorNumber, AppName, QStringLiteral("unknown failure")};
        return ItemsState::Failed;
    }
    if (!m_items) {
        m_itemsRefused = true;
        return ItemsState::Refused;
    }
    return ItemsState::Ready;
}

const QList<WebElement>* CWebPageWx::boundItems()
{
    return loadItems(nullptr) == ItemsState::Ready ? &*m_items : nullptr;
}

std::optional<CWebPageWx::Target> CWebPageWx::allTarget(int index)
{
    const QList<WebElement>* items = boundItems();
    if (!items || index < 0 || index >= items->size())
        return std::nullopt;
    const WebElement& element = items->at(index);
    if (m_itemsKind == WebCollection::All)
        return Target{index, element};

    // Actions address the collection of all elements: find the same element there, the k-th of
    // its identical twins in document order as it is in the bound collection.
    int twin = 0;
    for (int i = 0; i < index; ++i) {
        if (sameElement(items->at(i), element))
            ++twin;
    }
    const std::optional<QList<WebElement>> all = m_itemsDoc->snapshot(WebCollection::All);
    if (!all)
        return std::nullopt;
    for (qsizetype i = 0; i < all->size(); ++i) {
        if (sameElement(all->at(i), element) && twin-- == 0)
            return Target{int(i), all->at(i)};
    }
    return std::nullopt;
}

std::optional<CWebPageWx::Target> CWebPageWx::findById(const QString& id)
{
    if (!m_itemsDoc || id.isEmpty())
        return std::nullopt;
    std::optional<QList<WebElement>> taken;
    const QList<WebElement>* all = nullptr;
    if (m_itemsKind == WebCollection::All) {
        all = boundItems();
    } else {
        taken = m_itemsDoc->snapshot(WebCollection::All);
        all = taken ? &*taken : nullptr;
    }
    if (!all)
        return std::nullopt;
    for (qsizetype i = 0; i < all->size(); ++i) {
        if (all->at(i).id == id)
            return Target{int(i), all->at(i)};
    }
    return std::nullopt;
}

bool CWebPageWx::passes(const WebElement& e) const
{
    if (m_tagActive) {
        static const QStringList tags{QStringLiteral("A"),     QStringLiteral("B"),   QStringLiteral("FONT"),
                                      QStringLiteral("INPUT"), QStringLiteral("IMG"), QStringLiteral("TH"),
                                      QStringLiteral("TR"),    QStringLiteral("TD"),  QStringLiteral("BR")};
        const qsizetype i = tags.indexOf(e.tagName);
        if (!m_tagFlags[i < 0 ? 9 : size_t(i)])
            return false;
    }
    if (m_typeActive) {
        // Elements without a type (the browser gives none for most tags) fail this filter.
        if (e.type.isEmpty())
            return false;
        static const QStringList types{QStringLiteral("text"), QStringLiteral("radio"), QStringLiteral("submit"),
                                       QStringLiteral("hidden")};
        const qsizetype i = types.indexOf(e.type);
        if (!m_typeFlags[i < 0 ? 4 : size_t(i)])
            return false;
    }
    if (m_innerHtml.active) {
        const QString& html = e.innerHTML;
        if (html.isEmpty() || html.size() > MaxFilteredHtml)
            return false;
        if (!m_innerHtmlExtend && html.trimmed().startsWith(QLatin1Char('<')))
            return false;
        if (!textPasses(html, m_innerHtml.text, m_innerHtml.other))
            return false;
    }
    if (m_tooltip.active && !textPasses(e.alt, m_tooltip.text, m_tooltip.other))
        return false;
    if (m_hrefActive) {
        const QString& href = e.href;
        if (href.isEmpty())
            return false;
        const bool textsMatch =
            !m_hrefStr1.isEmpty() && href.contains(m_hrefStr1) && (m_hrefStr2.isEmpty() || href.contains(m_hrefStr2));
        const bool http = href.startsWith(QLatin1String("http"));
        if (!textsMatch && !(m_hrefHttp && http) && !(m_hrefOther && !http))
            return false;
    }
    if (m_id.active && !textPasses(e.id, m_id.text, m_id.other))
        return false;
    if (m_name.active && !textPasses(e.name, m_name.text, m_name.other))
        return false;
    return true;
}

} // namespace quessel
