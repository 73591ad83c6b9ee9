#pragma once

#include <orvik/OrvikGlobal.h>

#include <QString>
#include <QVariant>

namespace orvik {

// Formats a number with the number pattern language: "0" a digit always shown, "#" a digit
// shown only when significant, "." the decimal point, "," between digit placeholders groups
// thousands, "%" multiplies by 100; other characters are literals. Halves round away from zero.
// "##0.0" of 5.25 gives "5.3"; "#.0" of 0.5 gives ".5".
ORVIK_EXPORT QString formatNumber(double value, const QString& pattern);

// A value formatted as the desktop's Format function does: dates (and numbers under a date
// pattern) with the date pattern language, numbers with the number pattern language; text that
// is neither a number nor a date comes back unchanged; an empty pattern gives the plain text.
ORVIK_EXPORT QString formatValue(const QVariant& value, const QString& pattern);

} // namespace orvik
