#pragma once

class QWidget;

namespace quessel {

// Horizontal dots per inch for laying out a widget in twips. The program's windows and grid
// columns were sized for a 9-point desktop font whose digits are 6 pixels wide at 96 dpi; with
// a larger font they widen in proportion, so dates and numbers are never cut.
int designDpiX(const QWidget& widget);

} // namespace quessel
