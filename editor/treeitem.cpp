// SPDX-License-Identifier: MIT
#include "treeitem.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

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
