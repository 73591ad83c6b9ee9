#pragma once

#include <QDateTime>

namespace quessel {

// The one source of "now" for the whole program, so tests can set the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime currentDateTime() const;

    static Clock* instance();
    // nullptr restores the system clock. The caller keeps ownership.
    static void setInstance(Clock* clock);

    // The current moment as a date-time value (days since 1899-12-30), to the whole second.
    static double now();
    // Seconds since local midnight, with the fraction the system gives (for short timers).
    static double secondsSinceMidnight();
};

// A clock that stands still until told otherwise (tests, dry runs of the command-line tool).
class ManualClock : public Clock
{
public:
    explicit ManualClock(const QDateTime& start = QDateTime(QDate(2005, 3, 1), QTime(12, 0)));
    QDateTime currentDateTime() const override;
    void set(const QDateTime& moment);
    void setValue(double dateValue);
    void advanceSeconds(double seconds);

private:
    QDateTime m_now;
};

} // namespace quessel
