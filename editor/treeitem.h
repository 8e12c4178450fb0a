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

private:
    Tdaten m_daten;
};

// Shows an item's caption as its tooltip where the tree cuts it off. Asked only when the tooltip
// is due, it costs the tree nothing per item.
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
