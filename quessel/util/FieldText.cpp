#include "FieldText.h"

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <cmath>

namespace quessel {

QString FieldToText(const QString& text)
{
    // A tab or line break inside a field would split the one-line record when it is read back.
    QString out = text;
    for (QChar& c : out)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return out;
}

QString FieldToText(int number)
{
    return QString::number(number);
}

QString FieldToTextDate(double value)
{
    const bool dateAndTime = value >= 1;
    if (value <= EmptyDate)
        return QString(dateAndTime ? 19 : 8, QLatin1Char(' '));
    return orvik::vbdate::format(value,
                                 dateAndTime ? QStringLiteral("yyyy/mm/dd hh:nn:ss") : QStringLiteral("hh:nn:ss"));
}

double TextToDate(const QString& text)
{
    const QString t = orvik::trimBlanks(orvik::narrow(text));
    double value = EmptyDate;
    if (t.isEmpty() || !orvik::vbdate::parse(t, &value))
        return EmptyDate;
    return value;
}

double Val(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s.append(c);

    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        s.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const int base = s.at(1).toUpper() == QLatin1Char('H') ? 16 : 8;
        qint64 v = 0;
        for (qsizetype i = 2; i < s.size(); ++i) {
            const char16_t c = s.at(i).toUpper().unicode();
            int d = -1;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            if (d < 0 || d >= base || v > 0xFFFFFFFFLL)
                break;
            v = v * base + d;
        }
        return double(v);
    }

    // sign, digits, optional fraction, optional exponent: the longest such prefix is the number
    qsizetype i = 0;
    const qsizetype n = s.size();
    auto isAsciiDigit = [&](qsizetype k) {
        return k < n && s.at(k) >= QLatin1Char('0') && s.at(k) <= QLatin1Char('9');
    };
    QString num;
    if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        num.append(s.at(i++));
    bool digits = false;
    while (isAsciiDigit(i)) {
        num.append(s.at(i++));
        digits = true;
    }
    if (i < n && s.at(i) == QLatin1Char('.')) {
        num.append(s.at(i++));
        while (isAsciiDigit(i)) {
            num.append(s.at(i++));
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < n && (s.at(i).toUpper() == QLatin1Char('E') || s.at(i).toUpper() == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        QString exp = QStringLiteral("e");
        if (j < n && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-')))
            exp.append(s.at(j++));
        if (isAsciiDigit(j)) {
            while (isAsciiDigit(j))
                exp.append(s.at(j++));
            num.append(exp);
        }
    }
    if (num.endsWith(QLatin1Char('.')))
        num.append(QLatin1Char('0'));
    const double v = num.toDouble();
    return std::isfinite(v) ? v : 0;
}

double NumValue(const QString& text)
{
    const QString t = orvik::narrow(orvik::trimBlanks(text).toUpper());
    if (t.isEmpty())
        return EmptyDate;
    if (t == QLatin1String("NP"))
        return NumNP;
    if (t == QLatin1String("-"))
        return NumDash;
    return Val(t);
}

QStringList SplitFields(const QString& line)
{
    QStringList fields;
    auto trimView = [](QStringView v) {
        while (!v.isEmpty() && v.front() == QLatin1Char(' '))
            v = v.mid(1);
        while (!v.isEmpty() && v.back() == QLatin1Char(' '))
            v.chop(1);
        return v;
    };
    QStringView rest = trimView(QStringView(line));
    qsizetype tab;
    while ((tab = rest.indexOf(QLatin1Char('\t'))) >= 0 && fields.size() < MaxSplitFields) {
        fields.append(rest.left(tab).toString());
        rest = trimView(rest.mid(tab + 1));
    }
    if (!orvik::isBlank(orvik::narrow(rest.toString())))
        fields.append(rest.toString());
    return fields;
}

} // namespace quessel
