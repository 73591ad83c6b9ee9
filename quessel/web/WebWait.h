#pragma once

namespace quessel {

// The waits of the browser layer (0.1-second polls for a page to load, the pause after closing
// a window). The real one keeps the event loop turning while it waits, so the program's
// windows stay responsive; tests install one that moves a manual clock on instead of sleeping.
class WebWait
{
public:
    virtual ~WebWait() = default;

    // Lets about `seconds` pass (always > 0). The caller checks the clock afterwards, so
    // waking early or late is harmless.
    virtual void pause(double seconds);

    static WebWait* instance();
    // nullptr restores the real one. The caller keeps ownership.
    static void setInstance(WebWait* wait);

    // Returns once `seconds` have passed on the seconds-since-midnight clock
    // (Clock::secondsSinceMidnight), also when midnight falls inside the wait.
    static void wait(double seconds);
};

} // namespace quessel
