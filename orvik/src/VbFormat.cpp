#include <orvik/VbFormat.h>

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace orvik {

namespace {

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

QString plainNumber(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

} // namespace

QString formatNumber(double value, const QString& pattern)
{
    // Only the first section of "pos;neg;zero" patterns is used; its sign comes from the value.
    const QString section = pattern.section(QLatin1Char(';'), 0, 0);
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < section.size(); ++i) {
        if (isPlaceholder(section.at(i)) || (section.at(i) == QLatin1Char('.') && first >= 0)) {
            if (first < 0)
                first = i;
            last = i;
        } else if (section.at(i) == QLatin1Char('.') && first < 0) {
            first = last = i;
        }
    }
    if (first < 0)
        return section; // no placeholder: the pattern is all literal
    const QString prefix = section.left(first);
    const QString suffix = section.mid(last + 1);
    const QString body = section.mid(first, last - first + 1);

    const qsizetype dot = body.indexOf(QLatin1Char('.'));
    const QString intSpec = dot < 0 ? body : body.left(dot);
    const QString fracSpec = dot < 0 ? QString() : body.mid(dot + 1);
    const int minInt = int(intSpec.count(QLatin1Char('0')));
    const bool grouping = intSpec.contains(QLatin1Char(','));
    int fracDigits = 0, fracRequired = 0;
    for (QChar c : fracSpec) {
        if (isPlaceholder(c)) {
            ++fracDigits;
            if (c == QLatin1Char('0'))
                fracRequired = fracDigits;
        }
    }

    double v = value;
    if (prefix.contains(QLatin1Char('%')) || suffix.contains(QLatin1Char('%')))
        v *= 100.0;
    const double scale = std::pow(10.0, fracDigits);
    // Half away from zero, guarded against binary representation (2.675 is 2.67499...).
    double scaled = std::fabs(v) * scale;
    scaled = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled));
    const bool negative = v < 0 && scaled != 0;
    QString digits = QString::number(scaled, 'f', 0);
    while (digits.size() <= fracDigits)
        digits.prepend(QLatin1Char('0'));
    QString intPart = digits.left(digits.size() - fracDigits);
    QString fracPart = digits.right(fracDigits);

    intPart.remove(QRegularExpression(QStringLiteral("^0+")));
    while (intPart.size() < minInt)
        intPart.prepend(QLatin1Char('0'));
    if (grouping) {
        for (qsizetype i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, QLatin1Char(','));
    }
    while (fracPart.size() > fracRequired && fracPart.endsWith(QLatin1Char('0')))
        fracPart.chop(1);

    QString number = intPart;
    if (dot >= 0 && (!fracPart.isEmpty() || fracSpec.isEmpty()))
        number += QLatin1Char('.') + fracPart;
    if (negative)
        number.prepend(QLatin1Char('-'));
    return prefix + number + suffix;
}

QString formatValue(const QVariant& value, const QString& pattern)
{
    double number = 0;
    bool isDate = false;
    bool isNumber = false;
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        number = vbdate::fromDateTime(value.toDateTime());
        isDate = true;
        break;
    case QMetaType::QDate:
        number = vbdate::fromDateTime(value.toDate().startOfDay());
        isDate = true;
        break;
    case QMetaType::QString: {
        const QString text = trimBlanks(narrow(value.toString()));
        bool ok = false;
        number = text.toDouble(&ok);
        if (ok)
            isNumber = true;
        else if (vbdate::parse(text, &number))
            isDate = true;
        else
            return value.toString();
        break;
    }
    default: {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok)
            return value.toString();
        isNumber = true;
    }
    }
    if (pattern.isEmpty())
        return isDate ? vbdate::format(number, vbdate::timePart(number) == 0 ? QStringLiteral("yyyy/mm/dd")
                                                                             : QStringLiteral("yyyy/mm/dd h:nn:ss"))
                      : plainNumber(number);
    if (vbdate::isDatePattern(pattern))
        return vbdate::format(number, pattern);
    Q_UNUSED(isNumber);
    return formatNumber(number, pattern);
}

} // namespace orvik
