// SPDX-License-Identifier: MIT
#include "treeitem.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

#include "gui/state/captionorder.h"
#include "model/menufile.h"

namespace {

using menufile::kNodeId;
using Items = std::vector<std::unique_ptr<QTreeWidgetItem>>;

QString captionOf(const std::unique_ptr<QTreeWidgetItem> &item)
{
    return item->text(0);
}

QList<QTreeWidgetItem *> release(Items &items)
{
    QList<QTreeWidgetItem *> released;
    released.reserve(qsizetype(items.size()));
    for (auto &item : items)
        released.append(item.release());
    items.clear();
    return released;
}

Tdaten dateOf(const menu::Node &node)
{
    return {{}, {}, node.caption, node.letter, kNodeId, node.expand, false, false};
}

Tdaten dateOf(const menu::Node &node, const menu::Entry &entry)
{
    return {
        entry.program, entry.params,    entry.caption, node.letter, QString::number(entry.index),
        false,         entry.scrambled, entry.keepOpen};
}

} // namespace

QList<QTreeWidgetItem *> TreeItem::nodesOf(const menu::Menu &menu)
{
    const CaptionOrder order;
    Items nodes;
    for (const menu::Node &node : menu.nodes) {
        auto nodeItem = std::make_unique<TreeItem>(dateOf(node), menu::kNodeIndex);
        Items entries;
        for (const menu::Entry &entry : node.entries)
            entries.push_back(std::make_unique<TreeItem>(dateOf(node, entry), entry.index));
        // Sorted while still outside the tree: no model signals, no repaints.
        order.sort(entries, captionOf);
        nodeItem->addChildren(release(entries));
        nodes.push_back(std::move(nodeItem));
    }
    order.sort(nodes, captionOf);
    return release(nodes);
}

bool CaptionTips::fits(const QAbstractItemView *view, const QStyleOptionViewItem &option,
                       const QModelIndex &index)
{
    const auto *delegate = qobject_cast<const QStyledItemDelegate *>(view->itemDelegate());
    const int needed = delegate ? delegate->sizeHint(option, index).width() : 0;
    const QRect rect = option.rect.intersected(view->viewport()->rect());
    return needed <= rect.width();
}

bool CaptionTips::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                            const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (fits(view, option, index))
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(),
                           view->viewport(), option.rect);
    return true;
}
