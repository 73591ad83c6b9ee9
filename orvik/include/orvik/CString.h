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

    QString Version() const;
    bool Compare(const QString& vStr, int vType) const;
    QString Format1(const QVariant& vExpression, const QString& vformat);
    QString PrintF(double vData, int vWidth, int vPrecision);
    // rExStr is numbered from 1: entry 0 is unused, as the library's arrays are.
    int ExStr(const QString& vStr, QStringList& rExStr) const;

    int TrimLen(const QString& vStr = QString()) const;
    double CDate2(const QString& vStr = QString()) const;
    int StrDivide(const QString& vStr, const QString& vDivideStr, QStringList& rtnStr) const;

private:
    QString m_buffer;
    bool m_measuring = false;
};

} // namespace orvik
