#pragma once

#include <orvik/OrvikGlobal.h>

#include <QByteArray>
#include <QString>

// Text conversions the library's classes rest on, offered to the program so that the whole
// system narrows, trims and encodes text one way.
namespace orvik {

// Full-width to half-width narrowing as the Japanese desktop does it: full-width ASCII and the
// ideographic space, katakana (voiced ones split into base and mark) and 。「」、・ー゛゜.
// Hiragana, kanji and everything else pass unchanged.
ORVIK_EXPORT QString narrow(const QString& text);

// Blanks are U+0020 only: tabs and full-width spaces are not trimmed.
ORVIK_EXPORT QString trimBlanks(const QString& text);
ORVIK_EXPORT QString trimBlanksLeft(const QString& text);
ORVIK_EXPORT QString trimBlanksRight(const QString& text);
ORVIK_EXPORT bool isBlank(const QString& text);

enum class Unmappable
{
    Substitute,         // "?" as the code page's substitute character
    CharacterReference, // "&#N;" with the decimal code point
};

// Japanese ANSI code page 932 (Shift-JIS with the vendor extensions: ①, ～, － ...).
ORVIK_EXPORT QByteArray toCp932(const QString& text, Unmappable how = Unmappable::Substitute);
// Invalid byte sequences become U+FFFD; the rest of the text still decodes.
ORVIK_EXPORT QString fromCp932(const QByteArray& bytes);
ORVIK_EXPORT bool isCp932Encodable(char32_t codePoint);

} // namespace orvik
