#pragma once

#include "quessel/util/Cp932File.h"

#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

// What the program's grids show: their columns, the text, colours, pictures and row heights
// of every cell, and the routines that lay the grids out and fill them from the lists. The
// events of the grids are the windows' business.
namespace quessel {

class CSearchSite;
class CSearchWord;
class CTrendSite;
class FlexGrid;

// Cell colours as Windows colour numbers &H00BBGGRR.
inline constexpr quint32 SearchableColor = 0xFFFFC0; // light cyan: the site may be searched now
inline constexpr quint32 WhiteColor = 0xFFFFFF;
inline constexpr quint32 AutoWordColor = 0xFFFFDE; // light yellow: the row's word was drawn
inline constexpr quint32 NewWordColor = 0xDEFFDE;  // light green, red 222 green 255 blue 222: a new word

inline const QString GridFontName = QStringLiteral(u"ＭＳ ゴシック");

inline constexpr int DataRowHeight = 255; // twips

// The button pictures of the grid cells.
enum GridPicture
{
    PicSearch = 6,
    PicSearchPressed = 7,
    PicExtract = 8,
    PicExtractPressed = 9,
};
inline constexpr int GridPictureCount = 10;

// Picture n of the ten (0 to 9); drawn once, then the same pixmap every time, so a cell's
// picture can be recognised by its cache key.
const QPixmap& picGridCell(int n);

// One column of a grid layout.
struct GridColumn
{
    QString heading;
    int width = 0; // twips
    bool number = false;
};

// The layouts, column by column; the windows re-apply parts of them after a user resize.
const QList<GridColumn>& SearchSiteGridColumns();
const QList<GridColumn>& SearchWordGridColumns();
const QList<GridColumn>& TrendSiteGridColumns();
const QList<GridColumn>& WebProcessGridColumns();
const QList<GridColumn>& MemoryGridColumns();

// Where a grid's column widths are kept. The settings store lives in the shell, which hands
// its routines in; without them the built-in widths stay.
struct ColumnWidthRoutines
{
    std::function<void(FlexGrid&, const QString&)> load;
    std::function<void(FlexGrid&, const QString&)> save;
    // Holding Shift while a grid is set up keeps the built-in widths.
    std::function<bool()> keepBuiltInWidths = &shiftKeyHeld;

    static bool shiftKeyHeld();
};

// Layouts: the heading row and no data rows; the three main grids then restore their widths
// (unless kept built-in) and store them again, the step grid only restores its own.
void SetupSearchSiteGrid(FlexGrid& grid, const ColumnWidthRoutines& widths = {});
void SetupSearchWordGrid(FlexGrid& grid, const ColumnWidthRoutines& widths = {});
void SetupTrendSiteGrid(FlexGrid& grid, const ColumnWidthRoutines& widths = {});
void SetupWebProcessGrid(FlexGrid& grid, const ColumnWidthRoutines& widths = {});
// 100 data rows numbered 1 to 100, the text column open to editing.
void SetupMemoryGrid(FlexGrid& grid);

// Fills: with `save` the list file is written first and its outcome returned (a failed write
// still leaves the grid showing the list as it is in memory). The columns that belong to the
// rows rather than to the list entries keep their text.
FileResult FillSearchSiteGrid(FlexGrid& grid, CSearchSite& sites, bool save);
FileResult FillSearchWordGrid(FlexGrid& grid, CSearchWord& words, bool save);
FileResult FillTrendSiteGrid(FlexGrid& grid, CTrendSite& sites, bool save);

// The 備考 column, the colours of 一括 and 備考 and the row height of site `index`, or of all
// rows when it is 0 (which also recomputes whether any site may be searched now).
void RefreshSiteNotes(FlexGrid& grid, const CSearchSite& sites, int index);

// Shows a date-time in the short pattern (blank for the empty date) and keeps the long form in
// the cell data as the "Tag" element; returns the short text.
QString SetDateCell(FlexGrid& grid, int row, int col, double date, const QString& shortFormat,
                    const QString& longFormat);

// Over a data cell of one of the tip columns the grid's tool tip becomes the cell data's "Tag"
// element, or the cell's text when that is empty; elsewhere it is cleared.
void ShowCellTip(FlexGrid& grid, const QList<int>& tipColumns);

void SetCellPicture(FlexGrid& grid, int row, int col, int picture);
void SetCurrentCellPicture(FlexGrid& grid, int picture);
// Whether the mouse is over a data cell showing the button `picture` or its pressed form, and
// x (grid coordinates) lies within the picture's width where the cell draws it.
bool IsOnCellPicture(const FlexGrid& grid, int x, int picture);

// Brings a row that is not shown whole into the middle of the visible rows.
void ScrollRowIntoView(FlexGrid& grid, int row);

} // namespace quessel
