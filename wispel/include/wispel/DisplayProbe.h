#pragma once

#include <wispel/WispelGlobal.h>

class QWidget;

namespace wispel {

// What the windowing system offers a faded window. The real probe asks the running platform;
// tests install their own to reach the paths a headless display never takes.
class WISPEL_EXPORT DisplayProbe
{
public:
    virtual ~DisplayProbe();

    // Whether a top-level window can be shown translucent at all: under X11 only while a
    // compositing manager runs; never on the offscreen or other single-surface platforms.
    virtual bool canMakeTranslucent() const;
    // Colour depth of the screen the host shows on (the primary screen when it has none).
    virtual int bitsPerPixel(const QWidget* host) const;

    static const DisplayProbe& instance();
    // Replaces the probe (not owned); nullptr brings back the real one.
    static void setInstance(const DisplayProbe* probe);
};

} // namespace wispel
