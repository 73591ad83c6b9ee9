#include "VeilGeometry.h"

#include "quessel/util/Rounding.h"

#include <cmath>

namespace quessel {

VeilGeometry::Rect VeilGeometry::veiled(const Rect& normal, int windowState)
{
    Rect r = normal;
    r.Left = -(windowState + normal.Left + normal.Width);
    r.Top = -(normal.Height + normal.Top);
    return r;
}

VeilGeometry::Restored VeilGeometry::restored(const Rect& veiled, double twipsPerPixelX)
{
    Restored back;
    back.rect = veiled;
    const double e = -veiled.Left - veiled.Width;
    // The state is what e holds beyond its last whole pixel. Taken as a remainder of the pixel
    // grid rather than of whole numbers, it survives a fractional twips-per-pixel (screens
    // that are not at a multiple of 96 dpi) and a form that stood left of the screen's origin.
    // The small allowance keeps a position a rounding error short of a pixel on that pixel.
    const double pixels = std::floor(e / twipsPerPixelX + 1e-9);
    const qint64 state = roundHalfEven(e - pixels * twipsPerPixelX);
    back.rect.Left = pixels * twipsPerPixelX;
    back.rect.Top = -veiled.Top - veiled.Height;
    back.windowState = (state == Minimized || state == Maximized) ? int(state) : Normal;
    return back;
}

VeilGeometry::Rect VeilGeometry::clampedTo(const Rect& rect, const Rect& screen)
{
    Rect r = rect;
    if (r.Left + r.Width > screen.Left + screen.Width)
        r.Left = screen.Left + screen.Width - r.Width;
    if (r.Left < screen.Left)
        r.Left = screen.Left;
    if (r.Top + r.Height > screen.Top + screen.Height)
        r.Top = screen.Top + screen.Height - r.Height;
    if (r.Top < screen.Top)
        r.Top = screen.Top;
    return r;
}

} // namespace quessel
