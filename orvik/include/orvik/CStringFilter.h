#pragma once

#include <orvik/OrvikGlobal.h>

#include <QList>
#include <QString>
#include <QStringList>

namespace orvik {

struct typeStringCondition
{
    QString JudgeStr;
    qint16 JudgeType = 0;
};

// Decides whether a text passes a set of must-contain and must-not-contain conditions.
class ORVIK_EXPORT CStringFilter
{
public:
    QString Buffer() const { return m_buffer; }
    void setBuffer(const QString& text) { m_buffer = text; }

    static typeStringCondition LetStringCondition(const QString& vStr, qint16 vJudgeType);
    int AddContained(const QString& vStr, qint16 vJudgeType);
    int AddNotContain(const QString& vStr, qint16 vJudgeType);
    int ClearCondition();
    bool Judge() const;
    // rList is numbered from 1 (entry 0 unused); each entry is the type followed by the text.
    int GetContainedList(QStringList& rList) const;
    int GetNotContainList(QStringList& rList) const;

private:
    QString m_buffer;
    QList<typeStringCondition> m_contained;
    QList<typeStringCondition> m_notContained;
};

} // namespace orvik
