#pragma once

#include <orvik/OrvikGlobal.h>

#include <QString>

#include <optional>
#include <stdexcept>

namespace orvik {

// Raised when the tags of an element looked up lie beyond the 32,767th character of the text:
// positions are 16-bit in the stored format, and a larger text would not read back the same.
class ORVIK_EXPORT TagStringOverflow : public std::overflow_error
{
public:
    TagStringOverflow();
};

// A text of concatenated elements "<name>value</name>", read and written element by element.
// Writing an element moves it to the end; an empty value removes it.
class ORVIK_EXPORT CTagString
{
public:
    static constexpr qsizetype MaxPosition = 32767;

    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // These throw TagStringOverflow as described above.
    QString SetTagString(const QString& vElementStr, const QString& vData);
    QString GetTagString(const QString& vElementStr);
    QString SetTagString2(const QString& vTag, const QString& vElementStr, const QString& vData);
    QString GetTagString2(const QString& vTag, const QString& vElementStr);

private:
    static QString MakeTag(const QString& name, bool closing);
    static QString MakeElement(const QString& name, const QString& value, bool force);
    std::optional<QString> TakeElement(const QString& name, bool cut);

    QString m_tag;
};

} // namespace orvik
