#include "quessel/editors/GridPresentation.h"

#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/ProgramFlags.h"
#include "quessel/editors/FlexGrid.h"
#include "quessel/util/FieldText.h"

#include <orvik/CTagString.h>
#include <orvik/VbDate.h>

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace quessel {

namespace {

const QString ShortDate = QStringLiteral("mm/dd hh:nn");
const QString LongDate = QStringLiteral("yyyy/mm/dd hh:nn:ss");
const QString TagElement = QStringLiteral("Tag");

constexpr Qt::Alignment TextAlign = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment NumberAlign = Qt::AlignRight | Qt::AlignVCenter;

bool isEmptyDate(double date)
{
    return !(date > EmptyDate) || !std::isfinite(date);
}

// ---- the button pictures -------------------------------------------------------------------

constexpr int PictureWidth = 30;
constexpr int PictureHeight = 15;

void drawButtonFace(QPainter& p, bool pressed)
{
    const QRectF face(0.5, 0.5, PictureWidth - 1.0, PictureHeight - 1.0);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    if (pressed) {
        fill.setColorAt(0, QColor(0xA8, 0xB4, 0xC4));
        fill.setColorAt(1, QColor(0xC8, 0xD2, 0xDE));
    } else {
        fill.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        fill.setColorAt(1, QColor(0xD6, 0xDC, 0xE4));
    }
    p.setPen(QPen(pressed ? QColor(0x4A, 0x5A, 0x70) : QColor(0x7A, 0x86, 0x96), 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 3, 3);
}

void drawMagnifier(QPainter& p, QPointF offset)
{
    p.save();
    p.translate(offset);
    p.setBrush(QColor(0xE8, 0xF4, 0xFF));
    p.setPen(QPen(QColor(0x20, 0x40, 0x70), 1.6));
    p.drawEllipse(QPointF(13.5, 6.5), 3.6, 3.6);
    p.setPen(QPen(QColor(0x20, 0x40, 0x70), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.3, 9.3), QPointF(19.2, 12.2));
    p.restore();
}

void drawFunnel(QPainter& p, QPointF offset)
{
    p.save();
    p.translate(offset);
    QPainterPath funnel;
    funnel.moveTo(8.5, 3.0);
    funnel.lineTo(21.5, 3.0);
    funnel.lineTo(16.5, 8.5);
    funnel.lineTo(16.5, 12.0);
    funnel.lineTo(13.5, 13.0);
    funnel.lineTo(13.5, 8.5);
    funnel.closeSubpath();
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x10), 1.1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(QColor(0xF0, 0xB0, 0x40));
    p.drawPath(funnel);
    p.restore();
}

void drawSimpleGlyph(QPainter& p, int n)
{
    const QColor ink(0x30, 0x40, 0x58);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    switch (n) {
    case 1: { // play
        const QPointF tri[] = {{12.0, 3.5}, {19.0, 7.5}, {12.0, 11.5}};
        p.drawPolygon(tri, 3);
        break;
    }
    case 2: // stop
        p.drawRect(QRectF(12.0, 4.0, 6.5, 6.5));
        break;
    case 3: // tick
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{11.0, 7.5}, {14.0, 10.5}, {19.5, 4.0}}));
        break;
    case 4: // cross
        p.drawLine(QPointF(12.0, 4.0), QPointF(18.0, 11.0));
        p.drawLine(QPointF(18.0, 4.0), QPointF(12.0, 11.0));
        break;
    case 5: // dot
        p.drawEllipse(QPointF(15.0, 7.5), 2.5, 2.5);
        break;
    default: // 0: a plain button
        break;
    }
}

QPixmap drawPicture(int n)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(int(std::ceil(PictureWidth * dpr)), int(std::ceil(PictureHeight * dpr))));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const bool pressed = n == PicSearchPressed || n == PicExtractPressed;
    drawButtonFace(p, pressed);
    const QPointF shift = pressed ? QPointF(1, 1) : QPointF(0, 0);
    if (n == PicSearch || n == PicSearchPressed)
        drawMagnifier(p, shift);
    else if (n == PicExtract || n == PicExtractPressed)
        drawFunnel(p, shift);
    else
        drawSimpleGlyph(p, n);
    return pixmap;
}

int pressedFormOf(int picture)
{
    if (picture == PicSearch)
        return PicSearchPressed;
    if (picture == PicExtract)
        return PicExtractPressed;
    return -1;
}

// ---- layouts -------------------------------------------------------------------------------

void applyLayout(FlexGrid& grid, const QList<GridColumn>& columns)
{
    grid.setRows(1);
    grid.setCols(int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) {
        const GridColumn& column = columns.at(c);
        grid.setText(0, c, column.heading);
        grid.setColWidthTwips(c, column.width);
        grid.setColAlignment(c, column.number ? NumberAlign : TextAlign);
        grid.setHeadingAlignment(c, TextAlign);
    }
}

void restoreWidths(FlexGrid& grid, const QString& prefix, const ColumnWidthRoutines& widths, bool storeAgain)
{
    const bool keep = storeAgain && widths.keepBuiltInWidths && widths.keepBuiltInWidths();
    if (widths.load && !keep)
        widths.load(grid, prefix);
    if (storeAgain && widths.save)
        widths.save(grid, prefix);
}

// Writes a text cell and drops any data an earlier fill left there.
void setPlainCell(FlexGrid& grid, int row, int col, const QString& text)
{
    grid.setText(row, col, text);
    grid.setCellData(row, col, QVariant());
}

// Fills many cells with one repaint at the end.
class RedrawPause
{
public:
    explicit RedrawPause(FlexGrid& grid) : m_grid(grid), m_was(grid.redraw()) { grid.setRedraw(false); }
    ~RedrawPause() { m_grid.setRedraw(m_was); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    FlexGrid& m_grid;
    bool m_was;
};

} // namespace

const QPixmap& picGridCell(int n)
{
    static const std::array<QPixmap, GridPictureCount> pictures = [] {
        std::array<QPixmap, GridPictureCount> all;
        for (int i = 0; i < GridPictureCount; ++i)
            all[size_t(i)] = drawPicture(i);
        return all;
    }();
    static const QPixmap none;
    return n >= 0 && n < GridPictureCount ? pictures[size_t(n)] : none;
}

const QList<GridColumn>& SearchSiteGridColumns()
{
    static const QList<GridColumn> columns{
        {QStringLiteral(u"№"), 500, true},
        {QStringLiteral(u"検索ページ"), 2000, false},
        {QStringLiteral(u"注目ワード"), 2000, false},
        {QStringLiteral(u"検索"), 720, false},
        {QStringLiteral(u"最終検索日時"), 1500, false},
        {QStringLiteral(u"一括"), 420, false},
        {QStringLiteral(u"ｽﾃｰﾀｽ"), 630, false},
        {QStringLiteral(u"ｴﾗｰ"), 360, false},
        {QStringLiteral(u"備考"), 200, false},
    };
    return columns;
}

const QList<GridColumn>& SearchWordGridColumns()
{
    static const QList<GridColumn> columns{
        {QStringLiteral(u"№"), 500, true},          {QStringLiteral(u"注目ワード"), 2000, false},
        {QStringLiteral(u"最終使用"), 1050, false}, {QStringLiteral(u"有効期限"), 1050, false},
        {QStringLiteral(u"登録日時"), 1050, false}, {QStringLiteral(u"有効日数"), 900, true},
        {QStringLiteral(u"使用回数"), 900, true},   {QStringLiteral(" "), 200, false},
    };
    return columns;
}

const QList<GridColumn>& TrendSiteGridColumns()
{
    static const QList<GridColumn> columns{
        {QStringLiteral(u"№"), 500, true},          {QStringLiteral(u"注目ワードサイト"), 2000, false},
        {QStringLiteral(u"抽出"), 720, false},      {QStringLiteral(u"ｽﾃｰﾀｽ"), 750, false},
        {QStringLiteral(u"抽出日時"), 1500, false}, {QStringLiteral(u"抽出注目ワード"), 200, false},
    };
    return columns;
}

const QList<GridColumn>& WebProcessGridColumns()
{
    static const QList<GridColumn> columns = [] {
        QList<GridColumn> c{
            {QStringLiteral(u"№"), 500, true},
            {QStringLiteral(u"ｽﾃｰﾀｽ"), 2000, false},
            {QStringLiteral(u"処理名"), 2000, false},
            {QStringLiteral(u"命令(ｺﾏﾝﾄﾞ)"), 2000, false},
            {QStringLiteral(u"パラメータ①"), 2000, false},
            {QStringLiteral(u"パラメータ②"), 2000, false},
            {QStringLiteral(u"パラメータ③"), 2000, false},
        };
        // Parameters 4 to 10 start hidden: width 0 until the user widens them.
        const QString circled = QStringLiteral(u"④⑤⑥⑦⑧⑨⑩");
        for (const QChar n : circled)
            c.append({QStringLiteral(u"パラメータ") + n, 0, false});
        c.append({QStringLiteral(" "), 200, false});
        return c;
    }();
    return columns;
}

const QList<GridColumn>& MemoryGridColumns()
{
    static const QList<GridColumn> columns{
        {QStringLiteral(u"№"), 300, true},
        {QStringLiteral("Memory"), 2000, false},
    };
    return columns;
}

bool ColumnWidthRoutines::shiftKeyHeld()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void SetupSearchSiteGrid(FlexGrid& grid, const ColumnWidthRoutines& widths)
{
    applyLayout(grid, SearchSiteGridColumns());
    grid.setColEditable(2, true); // the word cell takes typed words and the candidate list
    restoreWidths(grid, QStringLiteral("SearchSite"), widths, true);
}

void SetupSearchWordGrid(FlexGrid& grid, const ColumnWidthRoutines& widths)
{
    applyLayout(grid, SearchWordGridColumns());
    restoreWidths(grid, QStringLiteral("SearchWord"), widths, true);
}

void SetupTrendSiteGrid(FlexGrid& grid, const ColumnWidthRoutines& widths)
{
    applyLayout(grid, TrendSiteGridColumns());
    restoreWidths(grid, QStringLiteral("TrendSite"), widths, true);
}

void SetupWebProcessGrid(FlexGrid& grid, const ColumnWidthRoutines& widths)
{
    applyLayout(grid, WebProcessGridColumns());
    restoreWidths(grid, QStringLiteral("WebProcess"), widths, false);
}

void SetupMemoryGrid(FlexGrid& grid)
{
    applyLayout(grid, MemoryGridColumns());
    constexpr int Slots = 100;
    grid.setRows(Slots + 1);
    for (int n = 1; n <= Slots; ++n)
        grid.setText(n, 0, QString::number(n));
    grid.setColEditable(1, true);
}

FileResult FillSearchSiteGrid(FlexGrid& grid, CSearchSite& sites, bool save)
{
    FileResult result;
    if (save)
        result = sites.FileRW(1);
    {
        RedrawPause pause(grid);
        const int n = sites.Count();
        grid.setRows(n + 1);
        for (int r = 1; r <= n; ++r) {
            setPlainCell(grid, r, 0, QString::number(r));
            setPlainCell(grid, r, 1, sites.Name(r));
            SetCellPicture(grid, r, 3, PicSearch);
            SetDateCell(grid, r, 4, sites.LastRun(r), ShortDate, LongDate);
            grid.setCellCheck(r, 5,
                              sites.BatchSearchSW(r) == 1 ? FlexGrid::Check::Checked : FlexGrid::Check::Unchecked);
        }
        RefreshSiteNotes(grid, sites, 0);
    }
    return result;
}

void RefreshSiteNotes(FlexGrid& grid, const CSearchSite& sites, int index)
{
    const int lastRow = grid.rows() - 1;
    int first = 1;
    int last = lastRow;
    if (index == 0) {
        programFlags().AnySiteSearchable = false;
    } else {
        if (index < 1 || index > lastRow)
            return;
        first = last = index;
    }
    const bool compress = programFlags().CompressView;
    for (int r = first; r <= last; ++r) {
        grid.setText(r, 8, sites.Note(r));
        grid.setCellFontName(r, 8, GridFontName);
        const bool sw = sites.GetSearchSW(r);
        const bool ticked = grid.isChecked(r, 5);
        grid.setCellBackColor(r, 8, sw ? SearchableColor : WhiteColor);
        grid.setCellBackColor(r, 5, sw && ticked ? SearchableColor : WhiteColor);
        grid.setRowHeightTwips(r, compress && !sw ? 0 : DataRowHeight);
        if (sw)
            programFlags().AnySiteSearchable = true;
    }
}

FileResult FillSearchWordGrid(FlexGrid& grid, CSearchWord& words, bool save)
{
    FileResult result;
    if (save)
        result = words.FileRW(1);
    RedrawPause pause(grid);
    const int n = words.Count();
    grid.setRows(n + 1);
    for (int r = 1; r <= n; ++r) {
        const SearchWord& w = words.Record(r);
        setPlainCell(grid, r, 0, QString::number(r));
        setPlainCell(grid, r, 1, w.Word);
        SetDateCell(grid, r, 2, w.LastDate, ShortDate, LongDate);
        const double validDate = words.ValidDate(r);
        setPlainCell(grid, r, 3,
                     isEmptyDate(validDate) ? QString()
                                            : orvik::vbdate::format(validDate, QStringLiteral("yyyy/mm/dd")));
        SetDateCell(grid, r, 4, w.RegDate, ShortDate, LongDate);
        grid.setCellBackColor(r, 4, words.IsNewData(r) ? NewWordColor : WhiteColor);
        setPlainCell(grid, r, 5, CSearchWord::validDaysText(w.ValidDays));
        setPlainCell(grid, r, 6, QString::number(w.UseCount));
        setPlainCell(grid, r, 7, QString());
    }
    // Newest words on top.
    if (n >= 2)
        grid.sortRows(0, Qt::DescendingOrder);
    return result;
}

FileResult FillTrendSiteGrid(FlexGrid& grid, CTrendSite& sites, bool save)
{
    FileResult result;
    if (save)
        result = sites.FileRW(1);
    RedrawPause pause(grid);
    const int n = sites.Count();
    grid.setRows(n + 1);
    for (int r = 1; r <= n; ++r) {
        setPlainCell(grid, r, 0, QString::number(r));
        setPlainCell(grid, r, 1, sites.Name(r));
        SetCellPicture(grid, r, 2, PicExtract);
        SetDateCell(grid, r, 4, sites.LastRun(r), ShortDate, LongDate);
    }
    return result;
}

QString SetDateCell(FlexGrid& grid, int row, int col, double date, const QString& shortFormat,
                    const QString& longFormat)
{
    QString shortText;
    QString longText;
    if (!isEmptyDate(date)) {
        shortText = orvik::vbdate::format(date, shortFormat);
        longText = orvik::vbdate::format(date, longFormat);
    }
    grid.setText(row, col, shortText);
    orvik::CTagString tag;
    try {
        tag.SetTagString(TagElement, longText);
    } catch (const orvik::TagStringOverflow&) {
        // A date text never comes near the limit; keep the cell without data rather than fail.
    }
    grid.setCellData(row, col, tag.Tag());
    return shortText;
}

void ShowCellTip(FlexGrid& grid, const QList<int>& tipColumns)
{
    const int r = grid.mouseRow();
    const int c = grid.mouseCol();
    QString tip;
    if (r >= 1 && r < grid.rows() && tipColumns.contains(c)) {
        orvik::CTagString tag;
        tag.setTag(grid.cellData(r, c).toString());
        try {
            tip = tag.GetTagString(TagElement);
        } catch (const orvik::TagStringOverflow&) {
            tip.clear();
        }
        if (tip.isEmpty())
            tip = grid.text(r, c);
    }
    if (grid.toolTip() != tip)
        grid.setToolTip(tip);
}

void SetCellPicture(FlexGrid& grid, int row, int col, int picture)
{
    grid.setCellPicture(row, col, picGridCell(picture));
    grid.setCellPictureAlignment(row, col, Qt::AlignCenter);
}

void SetCurrentCellPicture(FlexGrid& grid, int picture)
{
    const int r = grid.row();
    const int c = grid.col();
    if (r >= 1 && c >= 0)
        SetCellPicture(grid, r, c, picture);
}

bool IsOnCellPicture(const FlexGrid& grid, int x, int picture)
{
    const int r = grid.mouseRow();
    const int c = grid.mouseCol();
    if (r < 1 || r >= grid.rows() || c < 0 || c >= grid.cols() || picture < 0 || picture >= GridPictureCount)
        return false;
    const QPixmap shown = grid.cellPicture(r, c);
    if (shown.isNull())
        return false;
    const int pressed = pressedFormOf(picture);
    const bool same = shown.cacheKey() == picGridCell(picture).cacheKey() ||
                      (pressed >= 0 && shown.cacheKey() == picGridCell(pressed).cacheKey());
    if (!same)
        return false;
    const QRect area = grid.cellPictureRect(r, c);
    return area.isValid() && x >= area.left() && x <= area.right();
}

void ScrollRowIntoView(FlexGrid& grid, int row)
{
    if (row < 1 || row >= grid.rows() || grid.rowHeightTwips(row) == 0 || grid.rowIsVisible(row))
        return;
    const int shown = grid.bottomRow() - grid.topRow();
    int top = row - shown / 2;
    top = std::min(top, grid.rows() - 2);
    top = std::max(top, 1);
    grid.setTopRow(top);
}

} // namespace quessel
