#pragma once

namespace quessel {

// The arithmetic of the off-screen veil, in twips. A veiled form stands above and left of the
// screen, and its Left carries the window state in the part of a pixel that a window's real
// position never uses, so the form needs nothing else to come back as it was.
class VeilGeometry
{
public:
    // A form's outer rectangle (frame included).
    struct Rect
    {
        double Left = 0;
        double Top = 0;
        double Width = 0;
        double Height = 0;
    };

    // Window states as they are encoded.
    static constexpr int Normal = 0;
    static constexpr int Minimized = 1;
    static constexpr int Maximized = 2;

    struct Restored
    {
        Rect rect;
        int windowState = Normal;
    };

    // Where a form at `normal` (its normal-state rectangle) goes while veiled.
    static Rect veiled(const Rect& normal, int windowState);
    // Where a veiled form comes back and in which window state; twipsPerPixelX is the pixel
    // grid its Left was on.
    static Restored restored(const Rect& veiled, double twipsPerPixelX);
    // Moves a rectangle in so that it ends at the right and bottom edges of `screen` rather
    // than beyond them, but never before its left or top edge.
    static Rect clampedTo(const Rect& rect, const Rect& screen);
};

} // namespace quessel
