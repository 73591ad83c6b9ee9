#pragma once

#include "quessel/editors/GridPresentation.h"

#include <QString>

class QWidget;

// Window positions and grid column widths, kept in the per-user application settings file
// (section "ＦormPosition" and section "GridCellWidth"). Positions and sizes are stored in twips.
namespace quessel {

class FlexGrid;

inline constexpr int NoForcedState = -1;

// $XDG_CONFIG_HOME/Quessel/Quessel.ini
QString applicationSettingsPath();

// Stores "WindowState" + suffix (0 normal, 1 minimized, 2 maximized) and, only for a visible
// window in the normal state, its left, top, width and height, so a minimized or maximized
// window keeps the rectangle it last had in the normal state. Width and height are the client
// size, which is what a window is resized by. False when the file could not be written.
bool SaveFormPosition(const QWidget& window, const QString& suffix);

// Centres a normal window, then applies the stored rectangle (size only for a resizable
// window), moved back onto the screen, and the stored state; a forced state of 0 (normal) or
// 1 (minimized) wins over the stored one. The window's visibility stays as it was.
void LoadFormPosition(QWidget& window, const QString& suffix, int forcedState = NoForcedState);

// Moves a visible window in the normal state back inside its screen, right and bottom edges
// first, so a window larger than the screen keeps its top-left corner on it.
void KeepFormOnScreen(QWidget& window);

// One value per column, prefix + "_ColNo_" + the column as two digits, in twips.
bool SaveColumnWidths(const FlexGrid& grid, const QString& prefix);
// Applies the stored widths; a missing or unreadable value keeps the column's current width.
void LoadColumnWidths(FlexGrid& grid, const QString& prefix);

// The two routines above, for the grid layouts.
ColumnWidthRoutines settingsColumnWidths();

} // namespace quessel
