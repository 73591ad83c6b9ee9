#pragma once

#include <functional>

namespace quessel {

// The system beep that answers wrong input or a bad index. The core only asks for it; the
// program with windows installs the desktop's beep, tests install a counter.
class Beep
{
public:
    using Handler = std::function<void()>;
    static void sound();
    // An empty handler restores the default, which does nothing (a beep from a program
    // without a window would only be noise on a terminal).
    static void setHandler(Handler handler);
};

} // namespace quessel
