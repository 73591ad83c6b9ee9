#include "DesignScale.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quessel {

int designDpiX(const QWidget& widget)
{
    const int dpi = widget.logicalDpiX();
    const double reference = 6.0 * dpi / 96.0;
    const double digit = widget.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const double scale = reference > 0 ? std::max(1.0, digit / reference) : 1.0;
    return int(std::lround(dpi * scale));
}

} // namespace quessel
