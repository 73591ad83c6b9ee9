#include "ExchangeText.h"

#include "quessel/util/Cp932File.h"

#include <orvik/StrConv.h>

namespace quessel {

namespace {
const QString OuterStart = QStringLiteral("*START*");
const QString OuterEnd = QStringLiteral("**END**");
const QString InnerStart = QStringLiteral("*start*");
const QString InnerEnd = QStringLiteral("**end**");
constexpr qsizetype MarkerLength = 7;
} // namespace

QString Base64Codec::Base64(const QString& text, int mode, bool* ok) const
{
    if (ok)
        *ok = true;
    if (mode != 1)
        return QString::fromLatin1(Cp932File::encodeText(text).toBase64());
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        if (ok)
            *ok = false;
        return QString();
    }
    return Cp932File::decodeText(*decoded);
}

QString EncodeExchangeText(const QString& payload)
{
    return OuterStart + Base64Codec().Base64(InnerStart + payload + InnerEnd) + OuterEnd;
}

QString DecodeExchangeText(const QString& text)
{
    QString t = orvik::narrow(text);
    t.removeIf([](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
               c == QLatin1Char('\t');
    });
    const qsizetype start = t.indexOf(OuterStart);
    if (start > 0)
        t = t.mid(start);
    const qsizetype end = t.indexOf(OuterEnd);
    if (end < 0)
        t = t.left(6);
    else if (end + MarkerLength != t.size())
        t = t.left(end + MarkerLength);
    if (t.size() <= 2 * MarkerLength - 1 || !t.startsWith(OuterStart) || !t.endsWith(OuterEnd))
        return ExchangeError;

    bool ok = false;
    const QString inner = Base64Codec().Base64(t.mid(MarkerLength, t.size() - 2 * MarkerLength), 1, &ok);
    if (!ok || inner.size() <= 2 * MarkerLength - 1 || !inner.startsWith(InnerStart) || !inner.endsWith(InnerEnd))
        return ExchangeError;
    return inner.mid(MarkerLength, inner.size() - 2 * MarkerLength);
}

} // namespace quessel
