#pragma once

namespace quessel {

// Elapsed time since a reset, measured on the program's clock (Clock) and carried over
// midnight: a wait that starts before midnight and ends after it still counts the whole time.
class CTimeOut
{
public:
    static constexpr float DefaultLimit = 60.0f;

    CTimeOut();

    // A new limit in seconds; the start is now.
    void Reset(float vSec);
    // Seconds since the last reset. Within a day to the clock's resolution; when the time of day
    // gives no positive difference (a clock set back, or more than a day passed) the difference
    // of the two date-time values is used, which has whole-second resolution.
    float GetElapsedTime() const;
    // The elapsed time is strictly greater than the limit.
    bool IsTimeOut() const;

    float limit() const { return m_limit; }

private:
    float m_limit = DefaultLimit;
    double m_startDate = 0;     // the day of the start, at midnight
    float m_startTimeOfDay = 0; // seconds since midnight at the start
    double m_startDateTime = 0; // the start as a date-time value, to the second
};

} // namespace quessel
