// SPDX-License-Identifier: MIT
#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidgetItem>

#include "gui/editor/tdaten.h"
#include "gui/state/windowstate.h"

// A tree item with its record; the record lives exactly as long as the item.
class TreeItem : public QTreeWidgetItem
{
public:
    TreeItem(Tdaten daten, int index)
        : QTreeWidgetItem(UserType), m_daten(std::move(daten)), m_index(index)
    {
        setText(0, m_daten.caption);
    }

    const Tdaten &daten() const { return m_daten; }
    ItemPlace place() const { return {m_daten.section, m_index}; }

    // Every node of the menu with its entries, each sorted by caption.
    static QList<QTreeWidgetItem *> nodesOf(const menu::Menu &menu);
    // The item as a TreeItem; nullptr for none or another kind of item.
    static const TreeItem *of(const QTreeWidgetItem *item)
    {
        return item && item->type() == UserType ? static_cast<const TreeItem *>(item) : nullptr;
    }

private:
    Tdaten m_daten;
    int m_index; // the id as a number, kNodeIndex for a node
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
