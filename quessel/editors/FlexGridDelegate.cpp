#include "quessel/editors/FlexGridDelegate.h"

#include "quessel/editors/FlexGrid.h"
#include "quessel/editors/FlexGridModel.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>

namespace quessel {

FlexGridDelegate::FlexGridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void FlexGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();

    const bool checkOnly = (opt.features & QStyleOptionViewItem::HasCheckIndicator) && opt.text.isEmpty();
    if (checkOnly) {
        // A lone check box sits in the middle of its cell, as the "一括" column wants.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
        QStyleOptionViewItem box = opt;
        box.rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, opt.widget);
        box.rect.moveCenter(opt.rect.center());
        box.state &= ~QStyle::State_HasFocus;
        box.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, opt.widget);
    } else {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    }

    const QPixmap picture = index.data(FlexGridModel::PictureRole).value<QPixmap>();
    if (!picture.isNull()) {
        const auto alignment = Qt::Alignment(index.data(FlexGridModel::PictureAlignmentRole).toInt());
        const QRect target =
            FlexGrid::alignedPictureRect(opt.rect, picture.deviceIndependentSize().toSize(), alignment);
        painter->save();
        painter->setClipRect(opt.rect);
        painter->drawPixmap(target, picture);
        painter->restore();
    }
}

QStringList FlexGridDelegate::comboItems(const QString& list, bool* editable)
{
    QStringList items = list.split(QLatin1Char('|'));
    const bool open = list.startsWith(QLatin1Char('|'));
    if (open)
        items.removeFirst();
    if (editable)
        *editable = open;
    return items;
}

QWidget* FlexGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    const QString list = index.data(FlexGridModel::ComboListRole).toString();
    if (list.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    bool editable = false;
    const QStringList items = comboItems(list, &editable);
    auto* combo = new QComboBox(parent);
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setFrame(false);
    return combo;
}

void FlexGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString text = index.data(Qt::EditRole).toString();
    const int found = combo->findText(text);
    if (combo->isEditable()) {
        combo->setCurrentIndex(found);
        combo->setEditText(text);
    } else if (found >= 0) {
        combo->setCurrentIndex(found);
    }
}

void FlexGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    model->setData(index, combo->currentText(), Qt::EditRole);
}

} // namespace quessel
