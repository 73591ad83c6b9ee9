#include "quessel/editors/FlexGridModel.h"

#include "quessel/util/FieldText.h"

#include <QColor>

#include <algorithm>
#include <numeric>

namespace quessel {

namespace {

const QString MsGothic = QStringLiteral(u"ＭＳ ゴシック");

bool isMsGothic(const QString& family)
{
    return family == MsGothic || family.compare(QLatin1String("MS Gothic"), Qt::CaseInsensitive) == 0;
}

} // namespace

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

const FlexGridModel::Cell* FlexGridModel::cellAt(int row, int col) const
{
    if (row < 0 || row >= int(m_rows.size()) || col < 0 || col >= int(m_columns.size()))
        return nullptr;
    return &m_rows[size_t(row)].cells[size_t(col)];
}

FlexGridModel::Cell* FlexGridModel::cellAt(int row, int col)
{
    return const_cast<Cell*>(std::as_const(*this).cellAt(row, col));
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    const Cell* cell = cellAt(index.row(), index.column());
    if (!cell)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell->text;
    case Qt::TextAlignmentRole:
        return int(m_columns.at(index.column()).alignment);
    case Qt::BackgroundRole:
        if (cell->backColor == NoColor)
            return {};
        return colorFromWindows(cell->backColor);
    case Qt::FontRole: {
        if (cell->fontIndex < 0)
            return {};
        auto it = m_fontCache.find(cell->fontIndex);
        if (it == m_fontCache.end())
            it = m_fontCache.insert(cell->fontIndex, fontForFamily(m_fontNames.at(cell->fontIndex), m_baseFont));
        return *it;
    }
    case Qt::CheckStateRole:
        if (cell->check == Check::None)
            return {};
        return cell->check == Check::Checked ? Qt::Checked : Qt::Unchecked;
    case CellDataRole:
        return cell->data;
    case PictureRole:
        if (cell->pictureIndex < 0)
            return {};
        return m_pictures.at(cell->pictureIndex);
    case PictureAlignmentRole:
        return int(cell->pictureAlignment);
    case ComboListRole:
        return m_columns.at(index.column()).comboList;
    case BackColorNumberRole:
        return cell->backColor;
    default:
        return {};
    }
}

bool FlexGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    // Only the cell editor writes through here; the grid's own setters do not.
    if (role != Qt::EditRole || !cellAt(index.row(), index.column()))
        return false;
    setText(index.row(), index.column(), value.toString());
    emit cellEdited(index.row(), index.column());
    return true;
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).heading;
    if (role == Qt::TextAlignmentRole)
        return int(m_columns.at(section).headingAlignment);
    return {};
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const
{
    if (!cellAt(index.row(), index.column()))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_columns.at(index.column()).editable)
        f |= Qt::ItemIsEditable;
    return f;
}

void FlexGridModel::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    const int old = int(m_rows.size());
    if (rows > old) {
        beginInsertRows(QModelIndex(), old, rows - 1);
        m_rows.resize(size_t(rows));
        for (int r = old; r < rows; ++r)
            m_rows[size_t(r)].cells.resize(size_t(m_columns.size()));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows(QModelIndex(), rows, old - 1);
        m_rows.resize(size_t(rows));
        endRemoveRows();
    }
}

void FlexGridModel::setColumnCount(int cols)
{
    cols = std::max(cols, 0);
    const int old = int(m_columns.size());
    if (cols == old)
        return;
    if (cols > old)
        beginInsertColumns(QModelIndex(), old, cols - 1);
    else
        beginRemoveColumns(QModelIndex(), cols, old - 1);
    m_columns.resize(cols);
    for (Row& row : m_rows)
        row.cells.resize(size_t(cols));
    if (cols > old)
        endInsertColumns();
    else
        endRemoveColumns();
}

QString FlexGridModel::heading(int col) const
{
    return col >= 0 && col < m_columns.size() ? m_columns.at(col).heading : QString();
}

void FlexGridModel::setHeading(int col, const QString& text)
{
    if (col < 0 || col >= m_columns.size())
        return;
    m_columns[col].heading = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

Qt::Alignment FlexGridModel::headingAlignment(int col) const
{
    return col >= 0 && col < m_columns.size() ? m_columns.at(col).headingAlignment : Qt::Alignment();
}

void FlexGridModel::setHeadingAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= m_columns.size())
        return;
    m_columns[col].headingAlignment = alignment;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

Qt::Alignment FlexGridModel::columnAlignment(int col) const
{
    return col >= 0 && col < m_columns.size() ? m_columns.at(col).alignment : Qt::Alignment();
}

void FlexGridModel::setColumnAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= m_columns.size())
        return;
    m_columns[col].alignment = alignment;
    if (m_redraw && !m_rows.empty())
        emit dataChanged(index(0, col), index(int(m_rows.size()) - 1, col), {Qt::TextAlignmentRole});
}

bool FlexGridModel::columnEditable(int col) const
{
    return col >= 0 && col < m_columns.size() && m_columns.at(col).editable;
}

void FlexGridModel::setColumnEditable(int col, bool editable)
{
    if (col >= 0 && col < m_columns.size())
        m_columns[col].editable = editable;
}

QString FlexGridModel::columnComboList(int col) const
{
    return col >= 0 && col < m_columns.size() ? m_columns.at(col).comboList : QString();
}

void FlexGridModel::setColumnComboList(int col, const QString& list)
{
    if (col >= 0 && col < m_columns.size())
        m_columns[col].comboList = list;
}

void FlexGridModel::changed(int row, int col)
{
    if (m_redraw) {
        const QModelIndex i = index(row, col);
        emit dataChanged(i, i);
    }
}

QString FlexGridModel::text(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell ? cell->text : QString();
}

void FlexGridModel::setText(int row, int col, const QString& text)
{
    Cell* cell = cellAt(row, col);
    if (!cell || cell->text == text)
        return;
    cell->text = text;
    changed(row, col);
}

QVariant FlexGridModel::cellData(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell ? cell->data : QVariant();
}

void FlexGridModel::setCellData(int row, int col, const QVariant& value)
{
    // Nothing shows the data, so no repaint is due.
    if (Cell* cell = cellAt(row, col))
        cell->data = value;
}

FlexGridModel::Check FlexGridModel::check(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell ? cell->check : Check::None;
}

void FlexGridModel::setCheck(int row, int col, Check state)
{
    Cell* cell = cellAt(row, col);
    if (!cell || cell->check == state)
        return;
    cell->check = state;
    changed(row, col);
}

quint32 FlexGridModel::backColor(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell ? cell->backColor : NoColor;
}

void FlexGridModel::setBackColor(int row, int col, quint32 windowsColor)
{
    Cell* cell = cellAt(row, col);
    if (!cell)
        return;
    // Only the low three bytes name a colour; the high byte would be a system-colour flag.
    const quint32 value = windowsColor == NoColor ? NoColor : (windowsColor & 0xFFFFFFu);
    if (cell->backColor == value)
        return;
    cell->backColor = value;
    changed(row, col);
}

QString FlexGridModel::fontName(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell && cell->fontIndex >= 0 ? m_fontNames.at(cell->fontIndex) : QString();
}

void FlexGridModel::setFontName(int row, int col, const QString& family)
{
    Cell* cell = cellAt(row, col);
    if (!cell)
        return;
    const qint16 fontIndex = family.isEmpty() ? qint16(-1) : internFont(family);
    if (cell->fontIndex == fontIndex)
        return;
    cell->fontIndex = fontIndex;
    changed(row, col);
}

QPixmap FlexGridModel::picture(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell && cell->pictureIndex >= 0 ? m_pictures.at(cell->pictureIndex) : QPixmap();
}

void FlexGridModel::setPicture(int row, int col, const QPixmap& picture)
{
    Cell* cell = cellAt(row, col);
    if (!cell)
        return;
    const qint16 pictureIndex = picture.isNull() ? qint16(-1) : internPicture(picture);
    if (cell->pictureIndex == pictureIndex)
        return;
    cell->pictureIndex = pictureIndex;
    changed(row, col);
}

Qt::Alignment FlexGridModel::pictureAlignment(int row, int col) const
{
    const Cell* cell = cellAt(row, col);
    return cell ? Qt::Alignment(cell->pictureAlignment) : Qt::Alignment(Qt::AlignCenter);
}

void FlexGridModel::setPictureAlignment(int row, int col, Qt::Alignment alignment)
{
    Cell* cell = cellAt(row, col);
    if (!cell || cell->pictureAlignment == quint16(alignment))
        return;
    cell->pictureAlignment = quint16(alignment);
    changed(row, col);
}

int FlexGridModel::rowHeightTwips(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].heightTwips : DefaultHeight;
}

void FlexGridModel::setRowHeightTwips(int row, int twips)
{
    if (row >= 0 && row < int(m_rows.size()))
        m_rows[size_t(row)].heightTwips = twips < 0 ? DefaultHeight : twips;
}

void FlexGridModel::setRedraw(bool on)
{
    if (m_redraw == on)
        return;
    m_redraw = on;
    if (on && !m_rows.empty() && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, int(m_columns.size()) - 1));
}

void FlexGridModel::sortRows(int col, Qt::SortOrder order)
{
    if (col < 0 || col >= m_columns.size() || m_rows.size() < 2)
        return;
    const int n = int(m_rows.size());
    std::vector<double> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        keys[size_t(r)] = Val(m_rows[size_t(r)].cells[size_t(col)].text);
    std::vector<int> byRank(static_cast<size_t>(n));
    std::iota(byRank.begin(), byRank.end(), 0);
    std::stable_sort(byRank.begin(), byRank.end(), [&](int a, int b) {
        return order == Qt::AscendingOrder ? keys[size_t(a)] < keys[size_t(b)] : keys[size_t(a)] > keys[size_t(b)];
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> sorted;
    sorted.reserve(size_t(n));
    std::vector<int> newRowOf(static_cast<size_t>(n));
    for (int newRow = 0; newRow < n; ++newRow) {
        sorted.push_back(std::move(m_rows[size_t(byRank[size_t(newRow)])]));
        newRowOf[size_t(byRank[size_t(newRow)])] = newRow;
    }
    m_rows = std::move(sorted);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to.append(i.isValid() && i.row() < n ? index(newRowOf[size_t(i.row())], i.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QFont FlexGridModel::fontForFamily(const QString& family, const QFont& base)
{
    QFont font = base;
    QStringList families{family};
    if (isMsGothic(family)) {
        families << QStringLiteral("Noto Sans Mono CJK JP") << QStringLiteral("IPAGothic");
        font.setStyleHint(QFont::Monospace);
    }
    font.setFamilies(families);
    return font;
}

void FlexGridModel::setBaseFont(const QFont& font)
{
    m_baseFont = font;
    m_fontCache.clear();
}

QColor FlexGridModel::colorFromWindows(quint32 windowsColor)
{
    return QColor(int(windowsColor & 0xFF), int((windowsColor >> 8) & 0xFF), int((windowsColor >> 16) & 0xFF));
}

qint16 FlexGridModel::internFont(const QString& family)
{
    qsizetype i = m_fontNames.indexOf(family);
    if (i < 0) {
        if (m_fontNames.size() >= MaxInterned)
            return -1;
        m_fontNames.append(family);
        i = m_fontNames.size() - 1;
    }
    return qint16(i);
}

qint16 FlexGridModel::internPicture(const QPixmap& picture)
{
    for (qsizetype i = 0; i < m_pictures.size(); ++i) {
        if (m_pictures.at(i).cacheKey() == picture.cacheKey())
            return qint16(i);
    }
    if (m_pictures.size() >= MaxInterned)
        return -1;
    m_pictures.append(picture);
    return qint16(m_pictures.size() - 1);
}

} // namespace quessel
