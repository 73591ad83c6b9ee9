#pragma once

#include <QtGlobal>

namespace quessel {

// Nearest integer with halves going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
qint64 roundHalfEven(double value);

// The records' 16-bit and 32-bit fields. A number beyond the range (a hand-edited file) is
// clamped to the nearest end rather than rejected, so the rest of the line still loads.
qint16 toInt16(double value);
qint32 toInt32(double value);

} // namespace quessel
