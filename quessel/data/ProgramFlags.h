#pragma once

namespace quessel {

// Process-wide flags that several windows and the scheduler read and write.
struct ProgramFlags
{
    bool AnySiteSearchable = false; // set by the last refresh of the site notes
    bool AutoShutDown = false;      // the shutdown offer is armed
    bool CompressView = false;      // the site grid hides rows that cannot be searched now
};

inline ProgramFlags& programFlags()
{
    static ProgramFlags flags;
    return flags;
}

} // namespace quessel
