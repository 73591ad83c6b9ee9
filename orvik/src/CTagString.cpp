#include <orvik/CTagString.h>

namespace orvik {

TagStringOverflow::TagStringOverflow()
    : std::overflow_error("CTagString: a tag position lies beyond character 32767 of the text")
{}

QString CTagString::SetTagString(const QString& vElementStr, const QString& vData)
{
    TakeElement(vElementStr, true);
    m_tag += MakeElement(vElementStr, vData, false);
    return m_tag;
}

QString CTagString::GetTagString(const QString& vElementStr)
{
    return TakeElement(vElementStr, false).value_or(QString());
}

QString CTagString::SetTagString2(const QString& vTag, const QString& vElementStr, const QString& vData)
{
    m_tag = vTag;
    return SetTagString(vElementStr, vData);
}

QString CTagString::GetTagString2(const QString& vTag, const QString& vElementStr)
{
    m_tag = vTag;
    return GetTagString(vElementStr);
}

QString CTagString::MakeTag(const QString& name, bool closing)
{
    return (closing ? QStringLiteral("</") : QStringLiteral("<")) + name + QLatin1Char('>');
}

QString CTagString::MakeElement(const QString& name, const QString& value, bool force)
{
    if (value.isEmpty() && !force)
        return QString();
    return MakeTag(name, false) + value + MakeTag(name, true);
}

std::optional<QString> CTagString::TakeElement(const QString& name, bool cut)
{
    const QString open = MakeTag(name, false);
    const QString close = MakeTag(name, true);
    // Both searches start at the first character, case-sensitively. Positions are 1-based and
    // must fit the 16-bit positions of the stored format; either tag found beyond that fails
    // before anything changes, even when the element would not have been taken.
    const qsizetype p = m_tag.indexOf(open) + 1;
    if (p > MaxPosition)
        throw TagStringOverflow();
    const qsizetype q = m_tag.indexOf(close) + 1;
    if (q > MaxPosition)
        throw TagStringOverflow();
    if (p <= 0 || q <= 0 || p >= q)
        return std::nullopt;

    // Only a name holding "<" or "/" can make the closing tag begin inside the opening one; such a
    // value is empty rather than a negative length.
    const qsizetype valueStart = p - 1 + open.size(); // 0-based
    QString value = m_tag.mid(valueStart, qMax<qsizetype>(0, q - p - open.size()));
    if (cut)
        m_tag = m_tag.left(p - 1) + m_tag.mid(q - 1 + close.size());
    return value;
}

} // namespace orvik
