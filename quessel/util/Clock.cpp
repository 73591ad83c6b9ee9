#include "Clock.h"

#include <orvik/VbDate.h>

namespace quessel {

namespace {
Clock* g_clock = nullptr;
} // namespace

QDateTime Clock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

Clock* Clock::instance()
{
    static Clock systemClock;
    return g_clock ? g_clock : &systemClock;
}

void Clock::setInstance(Clock* clock)
{
    g_clock = clock;
}

double Clock::now()
{
    return orvik::vbdate::fromDateTime(instance()->currentDateTime());
}

double Clock::secondsSinceMidnight()
{
    const QTime t = instance()->currentDateTime().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

ManualClock::ManualClock(const QDateTime& start) : m_now(start) {}

QDateTime ManualClock::currentDateTime() const
{
    return m_now;
}

void ManualClock::set(const QDateTime& moment)
{
    m_now = moment;
}

void ManualClock::setValue(double dateValue)
{
    m_now = orvik::vbdate::toDateTime(dateValue);
}

void ManualClock::advanceSeconds(double seconds)
{
    m_now = m_now.addMSecs(qint64(seconds * 1000.0));
}

} // namespace quessel
