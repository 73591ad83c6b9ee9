#pragma once

#include <QString>

namespace quessel::DataFolder {

// Where the list files live, in this order:
//   $QUESSEL_DATA_DIR when set;
//   the executable's folder when it holds a file named "portable" or any "VELT_*" list file
//   (portable use, and files copied over from the Windows program);
//   $XDG_DATA_HOME/Quessel (default ~/.local/share/Quessel), created private to the user.
QString path();
// The login name the file names carry.
QString userName();
// path() + "/VELT_" + userName() + "_": the list files are this prefix + "SearchSite.DAT" etc.
QString filePrefix();
// The browser profile of the program's own browser.
QString browserProfilePath();

} // namespace quessel::DataFolder
