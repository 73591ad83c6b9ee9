#pragma once

#include "quessel/editors/FlexGridModel.h"

#include <QPixmap>
#include <QTableView>
#include <QVariant>

#include <vector>

namespace quessel {

// The program's grid: one fixed heading row over data rows, addressed the way the list views
// count. Row 0 is the heading and row r (from 1) is data row r; columns count from 0.
//
// Sizes are in twips (1/1440 inch: 15 per pixel at 96 dpi, scaled by the screen's logical dpi).
// Colours are Windows colour numbers &H00BBGGRR. Positions handed out by the signals and by
// cellRect / cellPictureRect are in this widget's own pixel coordinates.
//
// A click on a cell that has a check box flips it and reports checkToggled before cellClicked;
// the Space key does the same for the current cell.
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    using Check = FlexGridModel::Check;

    static constexpr int DefaultRowHeightTwips = 255;
    static constexpr quint32 WindowColor = 0xFFFFFF; // the background of a cell without its own

    explicit FlexGrid(QWidget* parent = nullptr);

    // Rows include the heading row: 1 means no data rows. Columns added or dropped take their
    // cells with them; the other cells keep their contents.
    int rows() const;
    void setRows(int rows);
    int cols() const;
    void setCols(int cols);

    // Horizontal twips follow the grid's font as well as the screen (see designDpiX).
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;
    int pixelsToTwipsX(int pixels) const;
    int pixelsToTwipsY(int pixels) const;

    // Width 0 hides a column until the user widens it.
    int colWidthTwips(int col) const;
    void setColWidthTwips(int col, int twips);
    Qt::Alignment colAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);
    Qt::Alignment headingAlignment(int col) const;
    void setHeadingAlignment(int col, Qt::Alignment alignment);
    bool colEditable(int col) const;
    void setColEditable(int col, bool editable);
    // A drop-down for the column's editor: the items each preceded by "|" ("|a|b") let the user
    // type other text too; "a|b" offers the items only. Empty: a plain text editor.
    QString colComboList(int col) const;
    void setColComboList(int col, const QString& list);

    // Row 0 reads and writes the heading.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    QVariant cellData(int row, int col) const;
    void setCellData(int row, int col, const QVariant& value);
    Check cellCheck(int row, int col) const;
    void setCellCheck(int row, int col, Check state);
    bool isChecked(int row, int col) const;
    quint32 cellBackColor(int row, int col) const; // WindowColor for a cell without its own
    void setCellBackColor(int row, int col, quint32 windowsColor);
    QString cellFontName(int row, int col) const;
    void setCellFontName(int row, int col, const QString& family);
    QPixmap cellPicture(int row, int col) const;
    void setCellPicture(int row, int col, const QPixmap& picture);
    Qt::Alignment cellPictureAlignment(int row, int col) const;
    void setCellPictureAlignment(int row, int col, Qt::Alignment alignment);

    // The cell's rectangle, and where its picture is drawn inside it (null when it has none).
    QRect cellRect(int row, int col) const;
    QRect cellPictureRect(int row, int col) const;
    static QRect alignedPictureRect(const QRect& cell, const QSize& picture, Qt::Alignment alignment);

    // Data rows only; height 0 hides the row.
    int rowHeightTwips(int row) const;
    void setRowHeightTwips(int row, int twips);

    // The current cell: row -1 when none is selected.
    int row() const;
    int col() const;
    void setRow(int row);
    void setCol(int col);
    void setCurrentCell(int row, int col);

    // The cell under the mouse at its last move or press over the grid: row 0 over the heading,
    // -1 outside every cell.
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

    // First and last data rows shown (0 when none is), and scrolling so that a row is the top one.
    int topRow() const;
    int bottomRow() const;
    void setTopRow(int row);
    // Whether a data row is shown whole.
    bool rowIsVisible(int row) const;

    // Orders the data rows by the number at the start of the column's text; every cell and row
    // height moves with its row.
    void sortRows(int col, Qt::SortOrder order);

    // Off while many cells change at once: one repaint when it is turned on again.
    bool redraw() const;
    void setRedraw(bool on);

    // Opens the editor on the current cell when its column is editable.
    bool editCell();
    bool isEditing() const;

    FlexGridModel* gridModel() const { return m_model; }

signals:
    // A mouse button goes down over the grid; a handler may cancel the grid's own handling
    // (selection, editing). In the heading row the grid only resizes columns, which goes on.
    void beforeMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y, bool* cancel);
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void cellClicked(int row, int col);
    void cellDoubleClicked(int row, int col);
    void checkToggled(int row, int col, bool checked);
    void currentCellChanged(int row, int col);
    // The user finished resizing a column.
    void columnResized(int col);
    // An editor is about to open; a handler may change the cell first or cancel.
    void startEdit(int row, int col, bool* cancel);
    // The user's edit was written into the cell.
    void cellEdited(int row, int col);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool isDataCell(int row, int col) const;
    void trackMouse(const QPoint& viewportPos);
    QPoint toGrid(const QPoint& viewportPos) const;
    void toggleCheck(int row, int col);
    void applyRowHeight(int modelRow);
    bool headingEvent(QEvent* event);
    void layoutNow() const;

    FlexGridModel* m_model;
    std::vector<int> m_colTwips; // the width last set per column, -1 when never set
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_lastCol = -1;
    int m_pressRow = -1;
    int m_pressCol = -1;
    bool m_pressCancelled = false;
    bool m_settingWidths = false;
    int m_userResizedCol = -1;
};

} // namespace quessel
