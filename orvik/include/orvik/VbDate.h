#pragma once

#include <orvik/OrvikGlobal.h>

#include <QDateTime>
#include <QString>

// The desktop's date-time value: a double counting days since 1899-12-30 00:00:00 whose
// fraction is the time of day. Before that day the value is negative and its fraction is still
// the time of day (-1.25 is 1899-12-29 06:00), so arithmetic across zero needs these helpers.
namespace orvik::vbdate {

inline constexpr double EmptyDate = 1e-20; // a missing date; reads and writes as blanks
inline constexpr double OneSecond = 1.0 / 86400.0;

struct Parts
{
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

ORVIK_EXPORT double fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
ORVIK_EXPORT double fromDateTime(const QDateTime& dt); // local wall-clock time, to the whole second
// Calendar parts of a value, rounded to the nearest second.
ORVIK_EXPORT Parts toParts(double value);
ORVIK_EXPORT QDateTime toDateTime(double value);

// The calendar day at midnight and the time of day (0 <= t < 1) of a value.
ORVIK_EXPORT double datePart(double value);
ORVIK_EXPORT double timePart(double value);

// Reads "yyyy/mm/dd hh:nn:ss", a date alone ("yyyy/mm/dd", also with "-") or a time alone
// ("h:nn" or "h:nn:ss", giving a value below 1). Leading and trailing blanks are ignored.
ORVIK_EXPORT bool parse(const QString& text, double* value);

// Formats with the date pattern language: yyyy yy mm m dd d hh h nn n ss s ("mm"/"m" right after
// an hour field mean minutes); "/" and ":" are fixed separators; "\x" and "..." are literals.
ORVIK_EXPORT QString format(double value, const QString& pattern);
// True when the pattern holds a date or time field and no digit placeholder.
ORVIK_EXPORT bool isDatePattern(const QString& pattern);

} // namespace orvik::vbdate
