#include "CWebProcess.h"

#include "CWebBrowserWx.h"
#include "WebProcessStatusSink.h"

#include "quessel/util/Beep.h"
#include "quessel/util/FieldText.h"
#include "quessel/util/Rounding.h"

#include <orvik/StrConv.h>

#include <QUrl>

#include <cmath>

namespace quessel {

namespace {

constexpr QChar Ellipsis = QChar(0x2026);
const QString AnchorTag = QStringLiteral("A");

// Element properties of the page finder.
constexpr int PropTagName = 1;
constexpr int PropHref = 7;
constexpr int PropInnerText = 8;

// A slot or count number as the parameters give it: NumValue, rounded half to even.
qint64 numberParameter(const QString& text)
{
    return roundHalfEven(NumValue(text));
}

// The integer conversion of the desktop: a number, possibly with blanks around it and a fraction
// (rounded half to even), within 16 bits; anything else is no integer text.
bool readInt16(const QString& text, qint64* value)
{
    bool ok = false;
    const double v = orvik::trimBlanks(text).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    const qint64 r = roundHalfEven(v);
    if (r < -32768 || r > 32767)
        return false;
    *value = r;
    return true;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

CWebProcess::CWebProcess(CWebBrowserWx& browser) : m_browser(browser) {}

QString CWebProcess::ProcessStr() const
{
    return WebProcessScript::Write(m_steps.mid(1));
}

WebProcessScript::ReadResult CWebProcess::setProcessStr(const QString& text)
{
    QList<WebProcessStep> steps;
    const WebProcessScript::ReadResult result = WebProcessScript::Read(text, steps);
    m_steps = QList<WebProcessStep>{WebProcessStep()} + steps;
    m_readError = result ? QString() : result.errorText;
    if (m_processNo > ProcessN())
        m_processNo = 0;
    return result;
}

QString CWebProcess::readError() const
{
    return m_readError;
}

qint16 CWebProcess::ProcessN() const
{
    return qint16(qMin<qsizetype>(m_steps.size() - 1, 32767));
}

qint16 CWebProcess::ProcessNo() const
{
    return m_processNo;
}

void CWebProcess::setProcessNo(int n)
{
    m_processNo = (n < 0 || n > ProcessN()) ? 0 : qint16(n);
    m_steps[m_processNo].status = NotStarted;
}

void CWebProcess::AddProces(const QString& mName, qint32 vConnamd, const Params& rPara)
{
    WebProcessStep step;
    step.name = mName;
    step.actionType = vConnamd;
    step.para = rPara;
    step.para[0].clear();
    m_steps.append(step);
}

bool CWebProcess::validStep(int n) const
{
    if (n >= 0 && n <= ProcessN())
        return true;
    Beep::sound();
    return false;
}

QString CWebProcess::ProName(int n) const
{
    return validStep(n) ? m_steps.at(n).name : QString();
}

qint16 CWebProcess::ProActionType(int n) const
{
    return validStep(n) ? toInt16(m_steps.at(n).actionType) : qint16(0);
}

QString CWebProcess::ProActionTypeStr(int n) const
{
    return validStep(n) ? ActionTypeStr(m_steps.at(n).actionType) : QString();
}

QString CWebProcess::ProPara(int vProNo, int vParaNo) const
{
    if (!validStep(vProNo))
        return QString();
    if (vParaNo < 0 || vParaNo > ParamCount) {
        Beep::sound();
        return QString();
    }
    return m_steps.at(vProNo).para[size_t(vParaNo)];
}

qint32 CWebProcess::ProStatus(int n) const
{
    return validStep(n) ? m_steps.at(n).status : 0;
}

QString CWebProcess::ActionTypeStr(int n)
{
    return WebProcessScript::ActionTypeStr(n);
}

qint16 CWebProcess::ActionTypeNo(const QString& text)
{
    return WebProcessScript::ActionTypeNo(text);
}

QString CWebProcess::Memory(int n) const
{
    if (n < 0 || n > MemoryLast) {
        Beep::sound();
        return QString();
    }
    return m_memory[size_t(n)];
}

bool CWebProcess::setMemory(int n, const QString& text)
{
    if (n < 0 || n > MemoryLast) {
        Beep::sound();
        return false;
    }
    m_memory[size_t(n)] = text;
    return true;
}

void CWebProcess::MemoryClear()
{
    for (QString& slot : m_memory)
        slot.clear();
}

QString CWebProcess::MemoryToken(int n)
{
    return WebProcessScript::MemoryToken(n);
}

QString CWebProcess::ExpandMemory(const QString& text) const
{
    QString out = text;
    for (int n = 1; n <= WebProcessScript::MemoryTokenCount; ++n)
        out.replace(MemoryToken(n), m_memory[size_t(n)]);
    return out;
}

QString CWebProcess::cvStrWebProcessStatus(qint32 code) const
{
    switch (code) {
    case NotStarted:
        return QString();
    case Ended1:
    case Ended2:
    case Ended3:
        return QStringLiteral("終了") + QString::number(code);
    case NavigationStarted:
        return QStringLiteral("移動開始");
    case PageLoading:
        return QStringLiteral("表示中");
    case NavigationDone:
        return QStringLiteral("移動完了");
    case WaitStarted:
        return QStringLiteral("待機開始");
    case Waiting:
        return QStringLiteral("待機中:") + formatSeconds(m_timeOut.GetElapsedTime());
    case WaitEnded:
        return QStringLiteral("待機終了");
    case CompletionWaitStarted:
        return QStringLiteral("完了待始");
    case CompletionWaitEnded:
        return QStringLiteral("完了待終");
    case Done:
        return QStringLiteral("完了");
    case Failed:
        return QStringLiteral("エラー");
    case TimedOut:
        return QStringLiteral("タイムアウト");
    default:
        // A number shown as text keeps a blank where a plus sign would be.
        return QStringLiteral("◆不明？") + (code >= 0 ? QStringLiteral(" ") : QString()) + QString::number(code);
    }
}

QString CWebProcess::formatSeconds(double seconds)
{
    const double tenths = std::round(seconds * 10.0) / 10.0;
    return QString::number(tenths == 0 ? 0.0 : tenths, 'f', 1);
}

void CWebProcess::SetGrid(WebProcessStatusSink* rGrid)
{
    m_grid = rGrid;
}

WebProcessStep& CWebProcess::current()
{
    return m_steps[m_processNo];
}

const WebProcessStep& CWebProcess::current() const
{
    return m_steps.at(m_processNo);
}

void CWebProcess::setStatus(qint32 status)
{
    current().status = status;
}

void CWebProcess::fail(const QString& message)
{
    setStatus(Failed);
    m_stepMessage = message;
    UpdateWebProcessStatus();
}

void CWebProcess::StartProcess(int n)
{
    m_stepMessage.clear();
    setProcessNo(n);
    if (m_processNo == 0)
        return;
    const WebProcessStep step = current();
    switch (step.actionType) {
    case 1: // ページ移動
        startNavigation(step);
        break;
    case 2: // ページ確認
    case 3: // クリック
        break;
    case 4: // 待機
        setStatus(WaitStarted);
        UpdateWebProcessStatus();
        m_timeOut.Reset(float(NumValue(step.para[1])));
        break;
    case 5: // 閉じる
        m_browser.CloseWebPage(toInt16(NumValue(step.para[1])), nullptr);
        setStatus(Done);
        UpdateWebProcessStatus();
        break;
    case 6: // アイテム代入
        startItemWrite(step, false);
        break;
    case 7: // メモリ代入
        startMemoryStore(step);
        break;
    case 8: // 検索実行
        startItemWrite(step, true);
        break;
    case 9: // 表示完了待
        setStatus(CompletionWaitStarted);
        UpdateWebProcessStatus();
        m_timeOut.Reset(float(NumValue(step.para[1])));
        break;
    case 10: // ワード抽出
        startWordExtraction(step);
        break;
    case 11: // ALLクリア
        MemoryClear();
        setStatus(Done);
        UpdateWebProcessStatus();
        break;
    default:
        // Only a damaged or hand-made script gets here; waiting on it would only end in the
        // watchdog's time-out without saying why.
        fail(QStringLiteral("命令番号 %1 は不明な命令です").arg(step.actionType));
        break;
    }
}

void CWebProcess::startNavigation(const WebProcessStep& step)
{
    QString address;
    QString reason;
    if (!isOpenableAddress(step.para[1], &address, &reason)) {
        fail(QStringLiteral("ページ移動: ") + reason);
        return;
    }
    setStatus(NavigationStarted);
    UpdateWebProcessStatus();
    // Reset before the call: the time blocked in it counts against the step's own limit.
    m_timeOut.Reset(float(NumValue(step.para[2])));
    m_browser.OpenBasePage(address, -1);
}

void CWebProcess::startMemoryStore(const WebProcessStep& step)
{
    const qint64 slot = numberParameter(step.para[1]);
    if (slot < 0 || slot > MemoryLast) {
        fail(QStringLiteral("メモリ代入: メモリ番号 %1 は範囲外です（0～%2）").arg(slot).arg(MemoryLast));
        return;
    }
    m_memory[size_t(slot)] = step.para[2];
    setStatus(Done);
    UpdateWebProcessStatus();
}

void CWebProcess::startItemWrite(const WebProcessStep& step, bool submit)
{
    if (!GetCurrantWebPage()) {
        setStatus(Failed);
        return;
    }
    const float index = m_page.SetItemKey_Value(step.para[1], ExpandMemory(step.para[2]));
    bool ok = index != -1;
    if (ok && submit)
        ok = m_page.Click(int(index), QString());
    setStatus(ok ? Done : Failed);
    UpdateWebProcessStatus();
}

void CWebProcess::startWordExtraction(const WebProcessStep& step)
{
    qint64 countSlot = 0;
    if (!readInt16(step.para[3], &countSlot)) {
        fail(QStringLiteral("ワード抽出: 件数を入れるメモリ番号「%1」が整数ではありません").arg(step.para[3]));
        return;
    }
    if (countSlot <= 0)
        countSlot = 1;
    if (countSlot > MemoryLast) {
        fail(QStringLiteral("ワード抽出: メモリ番号 %1 は範囲外です（0～%2）").arg(countSlot).arg(MemoryLast));
        return;
    }
    if (!GetCurrantWebPage()) {
        setStatus(Failed);
        return;
    }
    const QString& filter1 = step.para[1];
    const QString& filter2 = step.para[2];
    int stored = 0;
    int dropped = 0;
    const int count = m_page.GetWebItemN(-1);
    for (int j = 0; j < count; ++j) {
        bool error = false;
        if (m_page.GetItemStr(j, PropTagName, error) != AnchorTag)
            continue;
        const QString href = m_page.GetItemStr(j, PropHref, error);
        if ((!filter1.isEmpty() && !href.contains(filter1)) || (!filter2.isEmpty() && !href.contains(filter2)))
            continue;
        QString word = m_page.GetItemStr(j, PropInnerText, error);
        if (word.contains(Ellipsis)) {
            word.remove(Ellipsis);
            const QString address = decodeLinkAddress(href);
            const qsizetype at = address.indexOf(word);
            if (at >= 0)
                word = address.mid(at);
        }
        // The memory ends at slot 100: further words are counted as dropped, never stored.
        if (countSlot + stored + 1 > MemoryLast) {
            ++dropped;
            continue;
        }
        m_memory[size_t(countSlot + stored + 1)] = word;
        ++stored;
    }
    if (dropped > 0)
        m_stepMessage = QStringLiteral("ワード抽出: メモリが%1番で終わるため、%2件のワードを捨てました")
                            .arg(MemoryLast)
                            .arg(dropped);
    if (stored == 0) {
        setStatus(Failed);
    } else {
        m_memory[size_t(countSlot)] = QString::number(stored);
        setStatus(Done);
    }
    UpdateWebProcessStatus();
}

qint32 CWebProcess::ContinueProcess()
{
    if (m_processNo == 0)
        return 0;
    WebProcessStep& step = current();
    switch (step.actionType) {
    case 1:
    case 9:
        if (step.status == NavigationStarted || step.status == PageLoading || step.status == CompletionWaitStarted) {
            if (m_browser.GetReadyStatus(nullptr) == 4)
                step.status = Done;
            else if (m_timeOut.IsTimeOut())
                step.status = TimedOut;
            else
                step.status = PageLoading;
        }
        return step.status;
    case 4:
        if (step.status == WaitStarted || step.status == Waiting)
            step.status = m_timeOut.IsTimeOut() ? Done : Waiting;
        return step.status;
    default:
        return 0;
    }
}

qint32 CWebProcess::GetStatus() const
{
    return current().status;
}

bool CWebProcess::GetCurrantWebPage()
{
    int hWnd = -1;
    if (!m_browser.GetIE(hWnd))
        return false;
    hWnd = -1;
    return m_page.SetWebPage(m_browser.GetIE(hWnd));
}

void CWebProcess::UpdateWebProcessStatus()
{
    if (!m_grid || m_processNo < 1 || m_processNo > m_grid->rowCount() - 1)
        return;
    m_grid->setStatusText(m_processNo, cvStrWebProcessStatus(GetStatus()));
    m_grid->redraw();
}

QString CWebProcess::takeStepMessage()
{
    QString message;
    message.swap(m_stepMessage);
    return message;
}

bool CWebProcess::isOpenableAddress(const QString& address, QString* opened, QString* reason)
{
    const QString text = address.trimmed();
    if (text.isEmpty()) {
        *opened = QString(); // the browser's home page
        return true;
    }
    if (text.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0) {
        *opened = QStringLiteral("about:blank");
        return true;
    }
    // Read as the browser host reads an address, so what is checked is what would be opened.
    const QUrl url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !url.host().isEmpty()) {
        *opened = url.toString(QUrl::FullyEncoded);
        return true;
    }
    *reason = QStringLiteral("http・https・about:blank 以外のアドレスは開きません: ") + address;
    return false;
}

QString CWebProcess::decodeLinkAddress(const QString& href)
{
    QByteArray bytes;
    bytes.reserve(href.size());
    for (qsizetype i = 0; i < href.size(); ++i) {
        const QChar c = href.at(i);
        if (c == QLatin1Char('%') && i + 2 < href.size()) {
            const int hi = hexDigit(href.at(i + 1));
            const int lo = hexDigit(href.at(i + 2));
            if (hi >= 0 && lo >= 0) {
                bytes.append(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        if (c == QLatin1Char('+')) {
            bytes.append(' ');
        } else if (c.unicode() < 0x80) {
            bytes.append(char(c.unicode()));
        } else if (orvik::isCp932Encodable(c.unicode())) {
            // Half-width katakana are single bytes in Shift-JIS; everything wider is dropped.
            const QByteArray encoded = orvik::toCp932(QString(c));
            if (encoded.size() == 1)
                bytes.append(encoded);
        }
    }
    return orvik::fromCp932(bytes);
}

} // namespace quessel
