#include <orvik/CString.h>

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>
#include <orvik/VbFormat.h>

namespace orvik {

namespace {

constexpr int MaxPieces = 500;

// The text the measuring operations work on: Buffer when vStr is empty.
QString subject(const QString& vStr, const QString& buffer)
{
    return vStr.isEmpty() ? buffer : vStr;
}

// Entries are numbered from 1: make sure index n exists, keeping what is there.
void reachIndex(QStringList& list, qsizetype n)
{
    if (list.size() < n + 1)
        list.resize(n + 1);
}

} // namespace

QString CString::Version() const
{
    return QStringLiteral("VER.:") + QStringLiteral("1.00");
}

bool CString::Compare(const QString& vStr, int vType) const
{
    switch (vType) {
    case esjt前方比較:
        return m_buffer.startsWith(vStr, Qt::CaseSensitive);
    case esjt後方比較:
        return m_buffer.endsWith(vStr, Qt::CaseSensitive);
    case esjt完全一致:
        return m_buffer == vStr;
    default: // esjt含む and every unknown kind
        return vStr.isEmpty() || m_buffer.contains(vStr, Qt::CaseSensitive);
    }
}

QString CString::Format1(const QVariant& vExpression, const QString& vformat)
{
    m_buffer = formatValue(vExpression, vformat);
    return m_buffer;
}

QString CString::PrintF(double vData, int vWidth, int vPrecision)
{
    const int w = qMax(0, vWidth);
    QString pattern = QString(w, QLatin1Char('#')) + QLatin1Char('0');
    if (vPrecision > 0)
        pattern += QLatin1Char('.') + QString(vPrecision, QLatin1Char('0'));
    pattern = pattern.right(w);
    const QString text = formatNumber(vData, pattern);
    m_buffer = (QString(w, QLatin1Char(' ')) + text).right(w);
    return m_buffer;
}

int CString::ExStr(const QString& vStr, QStringList& rExStr) const
{
    static const QString start = QStringLiteral("http");
    int i = 0;
    QString s = vStr;
    for (;;) {
        const qsizetype at = s.indexOf(start);
        if (at < 0)
            return i;
        const QString t = s.mid(at);
        // A carriage return (alone or before a line feed) or a space ends the address.
        qsizetype end = t.size();
        const qsizetype cr = t.indexOf(QLatin1Char('\r'));
        const qsizetype space = t.indexOf(QLatin1Char(' '));
        if (cr >= 0)
            end = cr;
        if (space >= 0 && space < end)
            end = space;
        ++i;
        reachIndex(rExStr, i);
        rExStr[i] = t.left(end);
        s = t.mid(end);
    }
}

int CString::TrimLen(const QString& vStr) const
{
    if (!m_measuring)
        return 0;
    return int(trimBlanks(narrow(subject(vStr, m_buffer))).size());
}

double CString::CDate2(const QString& vStr) const
{
    const QString text = subject(vStr, m_buffer);
    if (TrimLen(text) == 0)
        return vbdate::EmptyDate;
    double value = 0;
    if (!vbdate::parse(trimBlanks(narrow(text)), &value))
        return vbdate::EmptyDate;
    return value;
}

int CString::StrDivide(const QString& vStr, const QString& vDivideStr, QStringList& rtnStr) const
{
    QStringList pieces;
    pieces.append(QString()); // entry 0 is unused
    QString rest = trimBlanks(vStr);
    int n = 0;
    while (n < MaxPieces && !vDivideStr.isEmpty()) {
        const qsizetype at = rest.indexOf(vDivideStr);
        if (at < 0)
            break;
        ++n;
        pieces.append(rest.left(at));
        rest = trimBlanks(rest.mid(at + vDivideStr.size()));
    }
    if (n < MaxPieces && TrimLen(rest) > 0) {
        ++n;
        pieces.append(rest);
    }
    rtnStr = pieces;
    return n;
}

} // namespace orvik
