// SPDX-License-Identifier: MIT
#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidgetItem>

#include "tdaten.h"

// A tree item with its record; the record lives exactly as long as the item.
class TreeItem : public QTreeWidgetItem
{
public:
    explicit TreeItem(Tdaten daten) : QTreeWidgetItem(UserType), m_daten(std::move(daten))
    {
        setText(0, m_daten.caption);
    }

    const Tdaten &daten() const { return m_daten; }

    // The caption is its own tooltip; kept here, it costs the tree nothing per item.
    QVariant data(int column, int role) const override
    {
        if (role == Qt::ToolTipRole && column == 0)
            return m_daten.caption;
        return QTreeWidgetItem::data(column, role);
    }

private:
    Tdaten m_daten;
};

// Shows an item's tooltip only where the tree cuts its caption off.
class CaptionTips : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    // Whether the item's caption shows in full in the view.
    static bool fits(const QAbstractItemView *view, const QStyleOptionViewItem &option,
                     const QModelIndex &index);
};
