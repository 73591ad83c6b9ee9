#include "Beep.h"

namespace quessel {

namespace {
Beep::Handler& handler()
{
    static Beep::Handler h;
    return h;
}
} // namespace

void Beep::sound()
{
    if (handler())
        handler()();
}

void Beep::setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace quessel
