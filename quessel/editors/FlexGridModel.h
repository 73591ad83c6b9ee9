#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <vector>

namespace quessel {

// The cells behind a FlexGrid. Model row i is the grid's data row i + 1; the heading row lives
// in the horizontal header data. Kept lean per cell, since a watch-word list can fill tens of
// thousands of rows.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        CellDataRole = Qt::UserRole + 1,
        PictureRole,
        PictureAlignmentRole,
        ComboListRole,
        BackColorNumberRole,
    };

    enum class Check : qint8
    {
        None,
        Unchecked,
        Checked,
    };

    static constexpr quint32 NoColor = 0xFFFFFFFFu; // the grid's own background
    static constexpr int DefaultHeight = -1;
    static constexpr qsizetype MaxInterned = 32767; // distinct fonts or pictures a cell can refer to

    explicit FlexGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setRowCount(int rows);
    void setColumnCount(int cols);

    QString heading(int col) const;
    void setHeading(int col, const QString& text);
    Qt::Alignment headingAlignment(int col) const;
    void setHeadingAlignment(int col, Qt::Alignment alignment);
    Qt::Alignment columnAlignment(int col) const;
    void setColumnAlignment(int col, Qt::Alignment alignment);
    bool columnEditable(int col) const;
    void setColumnEditable(int col, bool editable);
    QString columnComboList(int col) const;
    void setColumnComboList(int col, const QString& list);

    // Cell access by model row; out-of-range cells read as empty and ignore writes.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    QVariant cellData(int row, int col) const;
    void setCellData(int row, int col, const QVariant& value);
    Check check(int row, int col) const;
    void setCheck(int row, int col, Check state);
    quint32 backColor(int row, int col) const; // NoColor when the cell has none of its own
    void setBackColor(int row, int col, quint32 windowsColor);
    QString fontName(int row, int col) const;
    void setFontName(int row, int col, const QString& family);
    QPixmap picture(int row, int col) const;
    void setPicture(int row, int col, const QPixmap& picture);
    Qt::Alignment pictureAlignment(int row, int col) const;
    void setPictureAlignment(int row, int col, Qt::Alignment alignment);

    int rowHeightTwips(int row) const; // DefaultHeight unless set
    void setRowHeightTwips(int row, int twips);

    // While redraw is off, cell changes send no signals; turning it back on announces one
    // change over every cell.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // Stable sort of the rows by the number at the start of the column's text.
    void sortRows(int col, Qt::SortOrder order);

    // The font a cell asks for by family name; the Japanese monospace families fall back to
    // ones Linux desktops carry.
    static QFont fontForFamily(const QString& family, const QFont& base);
    void setBaseFont(const QFont& font);

    static QColor colorFromWindows(quint32 windowsColor);

signals:
    // A user's edit was written into the cell (model row).
    void cellEdited(int row, int col);

private:
    struct Cell
    {
        QString text;
        QVariant data;
        quint32 backColor = NoColor;
        Check check = Check::None;
        qint16 fontIndex = -1;
        qint16 pictureIndex = -1;
        quint16 pictureAlignment = Qt::AlignCenter;
    };
    struct Row
    {
        std::vector<Cell> cells;
        int heightTwips = DefaultHeight;
    };
    struct Column
    {
        QString heading;
        Qt::Alignment headingAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool editable = false;
        QString comboList;
    };

    const Cell* cellAt(int row, int col) const;
    Cell* cellAt(int row, int col);
    void changed(int row, int col);
    qint16 internFont(const QString& family);
    qint16 internPicture(const QPixmap& picture);

    std::vector<Row> m_rows;
    QList<Column> m_columns;
    QStringList m_fontNames;
    QList<QPixmap> m_pictures;
    mutable QHash<qint16, QFont> m_fontCache;
    QFont m_baseFont;
    bool m_redraw = true;
};

} // namespace quessel
