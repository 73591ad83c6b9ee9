#pragma once

#include <QStyledItemDelegate>

namespace quessel {

// Paints a FlexGrid cell (background, centred check box, aligned picture, text) and gives
// columns with a drop-down list a combo box as their editor.
class FlexGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit FlexGridDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // Items of a drop-down list text "a|b|c"; a leading "|" makes the list open to typed words.
    static QStringList comboItems(const QString& list, bool* editable = nullptr);
};

} // namespace quessel
