#include <orvik/CStringFilter.h>

#include <orvik/CString.h>

namespace orvik {

namespace {

// Entries 1 … n, one per condition: the judge type as a whole number, then the text.
void listConditions(const QList<typeStringCondition>& conditions, QStringList& rList)
{
    rList = QStringList(conditions.size() + 1); // entry 0 is unused
    for (qsizetype i = 0; i < conditions.size(); ++i)
        rList[i + 1] = QString::number(conditions.at(i).JudgeType) + conditions.at(i).JudgeStr;
}

} // namespace

typeStringCondition CStringFilter::LetStringCondition(const QString& vStr, qint16 vJudgeType)
{
    typeStringCondition condition;
    condition.JudgeStr = vStr;
    condition.JudgeType = vJudgeType;
    return condition;
}

int CStringFilter::AddContained(const QString& vStr, qint16 vJudgeType)
{
    m_contained.append(LetStringCondition(vStr, vJudgeType));
    return 0;
}

int CStringFilter::AddNotContain(const QString& vStr, qint16 vJudgeType)
{
    m_notContained.append(LetStringCondition(vStr, vJudgeType));
    return 0;
}

int CStringFilter::ClearCondition()
{
    m_contained.clear();
    m_notContained.clear();
    return 0;
}

bool CStringFilter::Judge() const
{
    CString text;
    text.setBuffer(m_buffer);
    for (const typeStringCondition& condition : m_contained) {
        if (!text.Compare(condition.JudgeStr, condition.JudgeType))
            return false;
    }
    for (const typeStringCondition& condition : m_notContained) {
        if (text.Compare(condition.JudgeStr, condition.JudgeType))
            return false;
    }
    return true;
}

int CStringFilter::GetContainedList(QStringList& rList) const
{
    listConditions(m_contained, rList);
    return 0;
}

int CStringFilter::GetNotContainList(QStringList& rList) const
{
    listConditions(m_notContained, rList);
    return 0;
}

} // namespace orvik
