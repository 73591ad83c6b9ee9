#include "quessel/editors/FlexGrid.h"

#include "quessel/editors/DesignScale.h"
#include "quessel/editors/FlexGridDelegate.h"

#include <QCursor>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace quessel {

namespace {

constexpr double TwipsPerInch = 1440.0;

int toPixels(double twips, int dpi)
{
    if (!std::isfinite(twips) || twips <= 0)
        return 0;
    return int(std::lround(std::min(twips, 1e7) * dpi / TwipsPerInch));
}

int toTwips(int pixels, int dpi)
{
    return dpi > 0 ? int(std::lround(pixels * TwipsPerInch / dpi)) : pixels * 15;
}

} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    m_model->setBaseFont(font());
    setModel(m_model);
    setItemDelegate(new FlexGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    QHeaderView* v = verticalHeader();
    v->hide();
    v->setMinimumSectionSize(1);
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(twipsToPixelsY(DefaultRowHeightTwips));

    QHeaderView* h = horizontalHeader();
    h->setMinimumSectionSize(1);
    h->setSectionsClickable(false);
    h->setHighlightSections(false);
    h->setSectionsMovable(false);
    h->setStretchLastSection(false);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->viewport()->setMouseTracking(true);
    h->viewport()->installEventFilter(this);
    connect(h, &QHeaderView::sectionResized, this, [this](int logical, int, int) {
        if (!m_settingWidths)
            m_userResizedCol = logical;
    });
    connect(m_model, &FlexGridModel::cellEdited, this,
            [this](int modelRow, int col) { emit cellEdited(modelRow + 1, col); });

    setRows(1);
}

int FlexGrid::rows() const
{
    return m_model->rowCount() + 1;
}

void FlexGrid::setRows(int rows)
{
    m_model->setRowCount(std::max(rows, 1) - 1);
}

int FlexGrid::cols() const
{
    return m_model->columnCount();
}

void FlexGrid::setCols(int cols)
{
    cols = std::max(cols, 0);
    m_settingWidths = true;
    m_model->setColumnCount(cols);
    m_settingWidths = false;
    m_colTwips.resize(size_t(cols), -1);
}

int FlexGrid::twipsToPixelsX(double twips) const
{
    return toPixels(twips, designDpiX(*this));
}

int FlexGrid::twipsToPixelsY(double twips) const
{
    return toPixels(twips, logicalDpiY());
}

int FlexGrid::pixelsToTwipsX(int pixels) const
{
    return toTwips(pixels, designDpiX(*this));
}

int FlexGrid::pixelsToTwipsY(int pixels) const
{
    return toTwips(pixels, logicalDpiY());
}

int FlexGrid::colWidthTwips(int col) const
{
    if (col < 0 || col >= cols())
        return 0;
    const int pixels = columnWidth(col);
    const int set = m_colTwips[size_t(col)];
    // The twips last set read back unchanged while the pixels still match them, so storing
    // and restoring widths does not drift by rounding.
    if (set >= 0 && twipsToPixelsX(set) == pixels)
        return set;
    return pixelsToTwipsX(pixels);
}

void FlexGrid::setColWidthTwips(int col, int twips)
{
    if (col < 0 || col >= cols())
        return;
    twips = std::clamp(twips, 0, 10'000'000);
    m_colTwips[size_t(col)] = twips;
    m_settingWidths = true;
    setColumnWidth(col, twipsToPixelsX(twips));
    m_settingWidths = false;
}

Qt::Alignment FlexGrid::colAlignment(int col) const
{
    return m_model->columnAlignment(col);
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    m_model->setColumnAlignment(col, alignment);
}

Qt::Alignment FlexGrid::headingAlignment(int col) const
{
    return m_model->headingAlignment(col);
}

void FlexGrid::setHeadingAlignment(int col, Qt::Alignment alignment)
{
    m_model->setHeadingAlignment(col, alignment);
}

bool FlexGrid::colEditable(int col) const
{
    return m_model->columnEditable(col);
}

void FlexGrid::setColEditable(int col, bool editable)
{
    m_model->setColumnEditable(col, editable);
}

QString FlexGrid::colComboList(int col) const
{
    return m_model->columnComboList(col);
}

void FlexGrid::setColComboList(int col, const QString& list)
{
    m_model->setColumnComboList(col, list);
}

QString FlexGrid::text(int row, int col) const
{
    return row == 0 ? m_model->heading(col) : m_model->text(row - 1, col);
}

void FlexGrid::setText(int row, int col, const QString& text)
{
    if (row == 0)
        m_model->setHeading(col, text);
    else
        m_model->setText(row - 1, col, text);
}

QVariant FlexGrid::cellData(int row, int col) const
{
    return m_model->cellData(row - 1, col);
}

void FlexGrid::setCellData(int row, int col, const QVariant& value)
{
    m_model->setCellData(row - 1, col, value);
}

FlexGrid::Check FlexGrid::cellCheck(int row, int col) const
{
    return m_model->check(row - 1, col);
}

void FlexGrid::setCellCheck(int row, int col, Check state)
{
    m_model->setCheck(row - 1, col, state);
}

bool FlexGrid::isChecked(int row, int col) const
{
    return cellCheck(row, col) == Check::Checked;
}

quint32 FlexGrid::cellBackColor(int row, int col) const
{
    const quint32 color = m_model->backColor(row - 1, col);
    return color == FlexGridModel::NoColor ? WindowColor : color;
}

void FlexGrid::setCellBackColor(int row, int col, quint32 windowsColor)
{
    m_model->setBackColor(row - 1, col, windowsColor);
}

QString FlexGrid::cellFontName(int row, int col) const
{
    return m_model->fontName(row - 1, col);
}

void FlexGrid::setCellFontName(int row, int col, const QString& family)
{
    m_model->setFontName(row - 1, col, family);
}

QPixmap FlexGrid::cellPicture(int row, int col) const
{
    return m_model->picture(row - 1, col);
}

void FlexGrid::setCellPicture(int row, int col, const QPixmap& picture)
{
    m_model->setPicture(row - 1, col, picture);
}

Qt::Alignment FlexGrid::cellPictureAlignment(int row, int col) const
{
    return m_model->pictureAlignment(row - 1, col);
}

void FlexGrid::setCellPictureAlignment(int row, int col, Qt::Alignment alignment)
{
    m_model->setPictureAlignment(row - 1, col, alignment);
}

QRect FlexGrid::cellRect(int row, int col) const
{
    if (col < 0 || col >= cols() || row < 0 || row >= rows())
        return {};
    layoutNow();
    if (row == 0) {
        const QHeaderView* h = horizontalHeader();
        const QRect section(h->sectionViewportPosition(col), 0, h->sectionSize(col), h->height());
        return section.translated(h->viewport()->mapTo(this, QPoint(0, 0)));
    }
    const QRect r = visualRect(m_model->index(row - 1, col));
    return r.isValid() ? r.translated(viewport()->mapTo(this, QPoint(0, 0))) : QRect();
}

QRect FlexGrid::cellPictureRect(int row, int col) const
{
    if (row < 1)
        return {};
    const QPixmap picture = cellPicture(row, col);
    const QRect cell = cellRect(row, col);
    if (picture.isNull() || !cell.isValid())
        return {};
    return alignedPictureRect(cell, picture.deviceIndependentSize().toSize(), cellPictureAlignment(row, col));
}

QRect FlexGrid::alignedPictureRect(const QRect& cell, const QSize& picture, Qt::Alignment alignment)
{
    return QStyle::alignedRect(Qt::LeftToRight, alignment, picture, cell);
}

int FlexGrid::rowHeightTwips(int row) const
{
    if (row < 1 || row >= rows())
        return 0;
    if (isRowHidden(row - 1))
        return 0;
    const int twips = m_model->rowHeightTwips(row - 1);
    return twips == FlexGridModel::DefaultHeight ? DefaultRowHeightTwips : twips;
}

void FlexGrid::setRowHeightTwips(int row, int twips)
{
    if (row < 1 || row >= rows())
        return;
    m_model->setRowHeightTwips(row - 1, std::clamp(twips, 0, 1'000'000));
    applyRowHeight(row - 1);
}

void FlexGrid::applyRowHeight(int modelRow)
{
    const int stored = m_model->rowHeightTwips(modelRow);
    const int twips = stored == FlexGridModel::DefaultHeight ? DefaultRowHeightTwips : stored;
    if (twips == 0) {
        if (!isRowHidden(modelRow))
            setRowHidden(modelRow, true);
        return;
    }
    if (isRowHidden(modelRow))
        setRowHidden(modelRow, false);
    const int pixels = std::max(1, twipsToPixelsY(twips));
    if (rowHeight(modelRow) != pixels)
        setRowHeight(modelRow, pixels);
}

int FlexGrid::row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : -1;
}

int FlexGrid::col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_lastCol;
}

void FlexGrid::setRow(int row)
{
    setCurrentCell(row, col());
}

void FlexGrid::setCol(int col)
{
    setCurrentCell(row(), col);
}

void FlexGrid::setCurrentCell(int row, int col)
{
    if (col >= 0 && col < cols())
        m_lastCol = col;
    if (row < 1 || row >= rows() || cols() == 0) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const int c = std::clamp(col, 0, cols() - 1);
    selectionModel()->setCurrentIndex(m_model->index(row - 1, c), QItemSelectionModel::ClearAndSelect);
}

void FlexGrid::layoutNow() const
{
    // Geometry questions must see the rows just added or hidden, not the last painted layout.
    const_cast<FlexGrid*>(this)->executeDelayedItemsLayout();
}

int FlexGrid::topRow() const
{
    layoutNow();
    const int r = rowAt(0);
    return r < 0 ? 0 : r + 1;
}

int FlexGrid::bottomRow() const
{
    layoutNow();
    if (topRow() == 0)
        return 0;
    const int r = rowAt(viewport()->height() - 1);
    if (r >= 0)
        return r + 1;
    for (int m = m_model->rowCount() - 1; m >= 0; --m) {
        if (!isRowHidden(m))
            return m + 1;
    }
    return 0;
}

void FlexGrid::setTopRow(int row)
{
    if (rows() < 2)
        return;
    layoutNow();
    row = std::clamp(row, 1, rows() - 1);
    // A hidden row cannot stand on top: the next shown one does, else the last shown before it.
    int target = row - 1;
    while (target < m_model->rowCount() && isRowHidden(target))
        ++target;
    if (target >= m_model->rowCount()) {
        target = row - 1;
        while (target >= 0 && isRowHidden(target))
            --target;
        if (target < 0)
            return;
    }
    QScrollBar* h = horizontalScrollBar();
    const int keep = h->value();
    const int c = std::clamp(col(), 0, std::max(cols() - 1, 0));
    scrollTo(m_model->index(target, c), QAbstractItemView::PositionAtTop);
    h->setValue(keep);
}

bool FlexGrid::rowIsVisible(int row) const
{
    if (row < 1 || row >= rows() || isRowHidden(row - 1))
        return false;
    layoutNow();
    const int top = rowViewportPosition(row - 1);
    return top >= 0 && top + rowHeight(row - 1) <= viewport()->height();
}

void FlexGrid::sortRows(int col, Qt::SortOrder order)
{
    m_model->sortRows(col, order);
    // Row heights belong to the rows they were set on.
    for (int m = 0; m < m_model->rowCount(); ++m)
        applyRowHeight(m);
}

bool FlexGrid::redraw() const
{
    return m_model->redraw();
}

void FlexGrid::setRedraw(bool on)
{
    m_model->setRedraw(on);
}

bool FlexGrid::editCell()
{
    const QModelIndex current = currentIndex();
    return current.isValid() && edit(current, QAbstractItemView::AllEditTriggers, nullptr);
}

bool FlexGrid::isEditing() const
{
    return state() == QAbstractItemView::EditingState;
}

bool FlexGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool opens = index.isValid() && state() != QAbstractItemView::EditingState &&
                       (m_model->flags(index) & Qt::ItemIsEditable) && trigger != QAbstractItemView::SelectedClicked &&
                       (trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger)) &&
                       !indexWidget(index);
    if (opens) {
        bool cancel = false;
        emit startEdit(index.row() + 1, index.column(), &cancel);
        if (cancel)
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_lastCol = current.column();
    emit currentCellChanged(row(), col());
}

bool FlexGrid::isDataCell(int row, int col) const
{
    return row >= 1 && row < rows() && col >= 0 && col < cols();
}

QPoint FlexGrid::toGrid(const QPoint& viewportPos) const
{
    return viewport()->mapTo(this, viewportPos);
}

void FlexGrid::trackMouse(const QPoint& viewportPos)
{
    const int r = rowAt(viewportPos.y());
    const int c = columnAt(viewportPos.x());
    m_mouseRow = (r < 0 || c < 0) ? -1 : r + 1;
    m_mouseCol = (r < 0 || c < 0) ? -1 : c;
}

void FlexGrid::toggleCheck(int row, int col)
{
    const Check state = cellCheck(row, col);
    if (state == Check::None)
        return;
    const bool checked = state != Check::Checked;
    setCellCheck(row, col, checked ? Check::Checked : Check::Unchecked);
    emit checkToggled(row, col, checked);
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    const QPoint at = toGrid(pos);
    bool cancel = false;
    emit beforeMouseDown(event->button(), event->modifiers(), at.x(), at.y(), &cancel);
    m_pressRow = m_mouseRow;
    m_pressCol = m_mouseCol;
    m_pressCancelled = cancel;
    if (cancel)
        event->accept();
    else
        QTableView::mousePressEvent(event);
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    trackMouse(event->position().toPoint());
    const bool clicked =
        event->button() == Qt::LeftButton && m_pressRow >= 1 && m_pressRow == m_mouseRow && m_pressCol == m_mouseCol;
    const int r = m_pressRow;
    const int c = m_pressCol;
    if (m_pressCancelled)
        event->accept();
    else
        QTableView::mouseReleaseEvent(event);
    m_pressRow = m_pressCol = -1;
    m_pressCancelled = false;
    if (clicked && isDataCell(r, c)) {
        toggleCheck(r, c);
        emit cellClicked(r, c);
    }
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    const QPoint at = toGrid(pos);
    bool cancel = false;
    emit beforeMouseDown(event->button(), event->modifiers(), at.x(), at.y(), &cancel);
    // The release after a double click is no second click.
    m_pressRow = m_pressCol = -1;
    m_pressCancelled = cancel;
    if (cancel)
        event->accept();
    else
        QTableView::mouseDoubleClickEvent(event);
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() == Qt::LeftButton && isDataCell(m_mouseRow, m_mouseCol))
        emit cellDoubleClicked(m_mouseRow, m_mouseCol);
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    trackMouse(pos);
    const QPoint at = toGrid(pos);
    emit mouseMoved(event->buttons(), event->modifiers(), at.x(), at.y());
    // A drag after a cancelled press must not select cells behind the handler's back.
    if (m_pressCancelled && event->buttons() != Qt::NoButton)
        event->accept();
    else
        QTableView::mouseMoveEvent(event);
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && !isEditing() &&
        cellCheck(row(), col()) != Check::None) {
        toggleCheck(row(), col());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool FlexGrid::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        // One tip for the whole grid, set by whoever follows the mouse.
        const auto* help = static_cast<QHelpEvent*>(event);
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    case QEvent::Leave:
        m_mouseRow = m_mouseCol = -1;
        break;
    default:
        break;
    }
    return QTableView::viewportEvent(event);
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport())
        return headingEvent(event) || QTableView::eventFilter(watched, event);
    return QTableView::eventFilter(watched, event);
}

bool FlexGrid::headingEvent(QEvent* event)
{
    QHeaderView* header = horizontalHeader();
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        const int c = header->logicalIndexAt(pos.x());
        m_mouseRow = c < 0 ? -1 : 0;
        m_mouseCol = c;
        const QPoint at = header->viewport()->mapTo(this, pos);
        if (event->type() == QEvent::MouseMove) {
            emit mouseMoved(mouse->buttons(), mouse->modifiers(), at.x(), at.y());
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (m_userResizedCol >= 0) {
                const int resized = m_userResizedCol;
                m_userResizedCol = -1;
                emit columnResized(resized);
            } else if (mouse->button() == Qt::LeftButton && c >= 0 && m_pressRow == 0 && m_pressCol == c) {
                emit cellClicked(0, c);
            }
            m_pressRow = m_pressCol = -1;
        } else {
            bool cancel = false; // column resizing in the heading goes on regardless
            emit beforeMouseDown(mouse->button(), mouse->modifiers(), at.x(), at.y(), &cancel);
            m_pressRow = event->type() == QEvent::MouseButtonPress ? m_mouseRow : -1;
            m_pressCol = event->type() == QEvent::MouseButtonPress ? m_mouseCol : -1;
            emit mouseDown(mouse->button(), mouse->modifiers(), at.x(), at.y());
            if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton && c >= 0)
                emit cellDoubleClicked(0, c);
        }
        return false;
    }
    case QEvent::Leave:
        m_mouseRow = m_mouseCol = -1;
        return false;
    default:
        return false;
    }
}

bool FlexGrid::event(QEvent* event)
{
    // A tip on show follows the grid's tip as the mouse moves from cell to cell.
    if (event->type() == QEvent::ToolTipChange && QToolTip::isVisible() && underMouse()) {
        if (toolTip().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), toolTip(), viewport());
    }
    return QTableView::event(event);
}

void FlexGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_model->setBaseFont(font());
        // The twips stay; their pixels follow the new font.
        for (int col = 0; col < int(m_colTwips.size()); ++col)
            if (m_colTwips[size_t(col)] >= 0)
                setColumnWidth(col, twipsToPixelsX(m_colTwips[size_t(col)]));
    }
    QTableView::changeEvent(event);
}

} // namespace quessel
