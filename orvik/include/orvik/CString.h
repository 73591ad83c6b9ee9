#pragma once

#include <orvik/OrvikGlobal.h>

#include <QString>
#include <QStringList>
#include <QVariant>

namespace orvik {

enum eStrJudgeType
{
    esjt含む = 0,
    esjt前方比較 = 1,
    esjt後方比較 = 2,
    esjt完全一致 = 3,
};

// A holder of one text with comparison and formatting operations.
class ORVIK_EXPORT CString
{
public:
    QString Buffer() const { return m_buffer; }
    void setBuffer(const QString& text) { m_buffer = text; }

    // Measuring for TrimLen (and so CDate2 and the last piece of StrDivide) is off by default,
    // as the library has always shipped it; turning it on makes the three work as named.
    bool Measuring() const { return m_measuring; }
    void setMeasuring(bool on) { m_measuring = on; }

    QString Version() const; // "VER.:1.00"
    // Exact, case-sensitive test of Buffer against vStr; a kind other than 1, 2, 3 tests containment.
    bool Compare(const QString& vStr, int vType) const;
    // Buffer := vExpression formatted with the desktop's Format patterns; returns Buffer.
    QString Format1(const QVariant& vExpression, const QString& vformat);
    // Buffer := vData right-aligned in vWidth characters with vPrecision decimals; a wider number
    // loses its leading characters. A width of 0 or below gives the empty text.
    QString PrintF(double vData, int vWidth, int vPrecision);
    // Collects every address beginning with "http" (case-sensitive); a carriage return or a space
    // ends one, line feeds and tabs do not. rExStr is numbered from 1 (entry 0 unused, as the
    // library's arrays are); it only grows to reach the last index, so entries beyond the returned
    // count keep what the caller had there.
    int ExStr(const QString& vStr, QStringList& rExStr) const;

    // Length of the text (Buffer when vStr is empty) after narrowing and trimming blanks; 0 while
    // Measuring() is off.
    int TrimLen(const QString& vStr = QString()) const;
    // The date of the text (Buffer when vStr is empty) after narrowing and trimming blanks, or the
    // empty date when TrimLen is 0 (always so while Measuring() is off) or the text is no date.
    double CDate2(const QString& vStr = QString()) const;
    // Splits the blank-trimmed vStr at each vDivideStr; each remainder is trimmed before the next
    // search, pieces keep their blanks before the divider. The rest after the last divider counts
    // only when its TrimLen is above 0, so while Measuring() is off it is dropped. At most 500
    // pieces: further ones are dropped. An empty divider divides nothing. rtnStr is replaced by
    // entries 1 … count (entry 0 unused); returns the count.
    int StrDivide(const QString& vStr, const QString& vDivideStr, QStringList& rtnStr) const;

private:
    QString m_buffer;
    bool m_measuring = false;
};

} // namespace orvik
