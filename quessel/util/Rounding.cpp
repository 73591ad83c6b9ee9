#include "Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quessel {

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lo = double(std::numeric_limits<qint64>::min());
    constexpr double hi = 9223372036854774784.0; // largest double below 2^63
    const double r = std::nearbyint(value);      // the default rounding mode is to nearest, ties to even
    if (r <= lo)
        return std::numeric_limits<qint64>::min();
    if (r >= hi)
        return std::numeric_limits<qint64>::max();
    return qint64(r);
}

qint16 toInt16(double value)
{
    const qint64 v = roundHalfEven(value);
    return qint16(std::clamp<qint64>(v, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

qint32 toInt32(double value)
{
    const qint64 v = roundHalfEven(value);
    return qint32(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace quessel
