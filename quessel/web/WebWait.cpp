#include "WebWait.h"

#include "quessel/util/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <thread>

namespace quessel {

namespace {
WebWait* g_wait = nullptr;
constexpr qint64 MsPerDay = 86400 * 1000;
} // namespace

void WebWait::pause(double seconds)
{
    const int ms = qMax(1, int(std::ceil(seconds * 1000.0)));
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

WebWait* WebWait::instance()
{
    static WebWait realWait;
    return g_wait ? g_wait : &realWait;
}

void WebWait::setInstance(WebWait* wait)
{
    g_wait = wait;
}

void WebWait::wait(double seconds)
{
    // In whole milliseconds, the clock's own resolution, so a target is met exactly.
    const auto clockMs = [] { return qRound64(Clock::secondsSinceMidnight() * 1000.0); };
    const qint64 start = clockMs();
    qint64 target = start + qRound64(seconds * 1000.0);
    bool pastMidnight = false;
    for (;;) {
        const qint64 now = clockMs();
        // The clock starts again from 0 at midnight: move the target back by one day, once.
        if (!pastMidnight && now < start && start <= target) {
            target -= MsPerDay;
            pastMidnight = true;
        }
        if (now >= target)
            return;
        instance()->pause(double(target - now) / 1000.0);
    }
}

} // namespace quessel
