#pragma once

namespace quessel {

class CTrendSite;

// Adds the ready-made trend sites, each with the default trend process, when the list is empty.
// They reach the list file with its next write.
void InstallPresetTrendSites(CTrendSite& list);

} // namespace quessel
