#pragma once

#include <QIcon>
#include <QString>

namespace quessel {

// The main window's toolbar pictures by button key ("Paste", "検索Watch0", ...). The desktop's
// icon theme supplies the usual ones where it has them; the program draws its own otherwise,
// so the toolbar is never blank.
QIcon toolBarIcon(const QString& key);

// The program's own drawing for a key, without the theme (the window icon uses it too).
QIcon ownToolBarIcon(const QString& key);

} // namespace quessel
