#pragma once

namespace quessel {

class CSearchSite;

// Gives an empty search-site list a few well-known portals to start from; a list that holds
// any site is left alone. The sites reach the file with the list's next write.
void InstallPresetSearchSites(CSearchSite& list);

} // namespace quessel
