#include <orvik/VbDate.h>

#include <QRegularExpression>

#include <cmath>

namespace orvik::vbdate {

namespace {

constexpr qint64 EpochJulianDay = 2415019; // 1899-12-30

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

double fromParts(int year, int month, int day, int hour, int minute, int second)
{
    const QDate d(year, month, day);
    const double days = double(d.toJulianDay() - EpochJulianDay);
    const double t = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return days >= 0 ? days + t : days - t;
}

double fromDateTime(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return fromParts(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

double datePart(double value)
{
    return std::trunc(value);
}

double timePart(double value)
{
    return std::fabs(value - std::trunc(value));
}

Parts toParts(double value)
{
    qint64 days = qint64(std::trunc(value));
    qint64 seconds = std::llround(timePart(value) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += 1;
    }
    const QDate d = QDate::fromJulianDay(EpochJulianDay + days);
    Parts p;
    p.year = d.year();
    p.month = d.month();
    p.day = d.day();
    p.hour = int(seconds / 3600);
    p.minute = int(seconds / 60 % 60);
    p.second = int(seconds % 60);
    return p;
}

QDateTime toDateTime(double value)
{
    const Parts p = toParts(value);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
}

bool parse(const QString& text, double* value)
{
    static const QRegularExpression dateTime(
        QStringLiteral(R"(^\s*(\d{1,4})[/-](\d{1,2})[/-](\d{1,2})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    static const QRegularExpression timeOnly(QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));

    auto validTime = [](int h, int n, int s) { return h < 24 && n < 60 && s < 60; };

    QRegularExpressionMatch m = dateTime.match(text);
    if (m.hasMatch()) {
        int year = m.captured(1).toInt();
        if (m.captured(1).size() <= 2) // two-digit years as the desktop reads them
            year += year < 30 ? 2000 : 1900;
        const int month = m.captured(2).toInt();
        const int day = m.captured(3).toInt();
        const int h = m.captured(4).toInt();
        const int n = m.captured(5).toInt();
        const int s = m.captured(6).toInt();
        if (year < 100 || !QDate::isValid(year, month, day) || !validTime(h, n, s))
            return false;
        *value = fromParts(year, month, day, h, n, s);
        return true;
    }
    m = timeOnly.match(text);
    if (m.hasMatch()) {
        const int h = m.captured(1).toInt();
        const int n = m.captured(2).toInt();
        const int s = m.captured(3).toInt();
        if (!validTime(h, n, s))
            return false;
        *value = (h * 3600.0 + n * 60.0 + s) / 86400.0;
        return true;
    }
    return false;
}

bool isDatePattern(const QString& pattern)
{
    bool dateField = false;
    for (QChar c : pattern) {
        const char16_t u = c.toLower().unicode();
        if (u == u'0' || u == u'#')
            return false;
        if (u == u'y' || u == u'm' || u == u'd' || u == u'h' || u == u'n' || u == u's')
            dateField = true;
    }
    return dateField;
}

QString format(double value, const QString& pattern)
{
    const Parts p = toParts(value);
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    const qsizetype n = pattern.size();
    auto runOf = [&](QChar c) {
        qsizetype j = i;
        while (j < n && pattern.at(j).toLower() == c)
            ++j;
        return j - i;
    };
    while (i < n) {
        const QChar c = pattern.at(i);
        const QChar lc = c.toLower();
        if (c == QLatin1Char('\\') && i + 1 < n) {
            out.append(pattern.at(i + 1));
            i += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = close < 0 ? n : close;
            out.append(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        const qsizetype run = runOf(lc);
        if (lc == QLatin1Char('y')) {
            out.append(run >= 3 ? QString::number(p.year) : twoDigits(p.year % 100));
        } else if (lc == QLatin1Char('m')) {
            const int v = afterHour ? p.minute : p.month;
            out.append(run >= 2 ? twoDigits(v) : QString::number(v));
            afterHour = false;
        } else if (lc == QLatin1Char('d')) {
            out.append(run >= 2 ? twoDigits(p.day) : QString::number(p.day));
        } else if (lc == QLatin1Char('h')) {
            out.append(run >= 2 ? twoDigits(p.hour) : QString::number(p.hour));
            afterHour = true;
        } else if (lc == QLatin1Char('n')) {
            out.append(run >= 2 ? twoDigits(p.minute) : QString::number(p.minute));
            afterHour = false;
        } else if (lc == QLatin1Char('s')) {
            out.append(run >= 2 ? twoDigits(p.second) : QString::number(p.second));
            afterHour = false;
        } else {
            out.append(c);
            i += 1;
            continue;
        }
        i += lc == QLatin1Char('y') ? run : qMin<qsizetype>(run, 2);
    }
    return out;
}

} // namespace orvik::vbdate
