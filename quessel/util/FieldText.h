#pragma once

#include <QString>
#include <QStringList>

// How the list files and the exchange text turn field values into text and back.
namespace quessel {

inline constexpr double EmptyDate = 1e-20; // a missing date or number; reads and writes as blanks
inline constexpr double NumNP = 3e-21;     // "NP" in a number field; counts as zero
inline constexpr double NumDash = 2e-21;   // "-" in a number field; counts as zero
inline constexpr double OneSecond = 1.0 / 86400.0;
inline constexpr int MaxSplitFields = 1000;

// Texts as they are, except that tabs and line breaks become blanks: a record stays one line.
QString FieldToText(const QString& text);
QString FieldToText(int number);
// "yyyy/mm/dd hh:nn:ss" from 1 on, "hh:nn:ss" below 1; at or below the empty date (zero and
// negative values included) as many blanks as the pattern has characters.
QString FieldToTextDate(double value);

// Narrowed and trimmed; blank or unreadable text gives the empty date, without a message.
double TextToDate(const QString& text);

// Trimmed, upper-cased and narrowed: "" gives EmptyDate, "NP" NumNP, "-" NumDash, anything else
// the number at its start (0 when it has none), read as the desktop's Val does.
double NumValue(const QString& text);
// The number at the start of a text: blanks, tabs and line feeds are skipped anywhere; a sign,
// digits, one decimal point, an exponent (E or D); "&H" hexadecimal and "&O" octal.
double Val(const QString& text);

// Splits a record line at TABs. Blanks around every field but the first's end are lost, and
// the text after the last TAB counts only when it is not blank.
QStringList SplitFields(const QString& line);

} // namespace quessel
