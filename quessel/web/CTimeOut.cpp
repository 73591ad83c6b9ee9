#include "CTimeOut.h"

#include "quessel/util/Clock.h"

#include <orvik/VbDate.h>

namespace quessel {

namespace {
constexpr double SecondsPerDay = 86400.0;
} // namespace

CTimeOut::CTimeOut()
{
    Reset(DefaultLimit);
}

void CTimeOut::Reset(float vSec)
{
    m_limit = vSec;
    m_startDateTime = Clock::now();
    m_startDate = orvik::vbdate::datePart(m_startDateTime);
    m_startTimeOfDay = float(Clock::secondsSinceMidnight());
}

float CTimeOut::GetElapsedTime() const
{
    const double today = orvik::vbdate::datePart(Clock::now());
    const float timeOfDay = float(Clock::secondsSinceMidnight());
    const float elapsed = float((today - m_startDate) * SecondsPerDay) + timeOfDay - m_startTimeOfDay;
    if (elapsed > 0)
        return elapsed;
    return float((Clock::now() - m_startDateTime) * SecondsPerDay);
}

bool CTimeOut::IsTimeOut() const
{
    return GetElapsedTime() > m_limit;
}

} // namespace quessel
