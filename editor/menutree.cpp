// SPDX-License-Identifier: MIT
#include "menutree.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>

#include "captionorder.h"
#include "menulayout.h"
#include "treeitem.h"

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

const TreeItem *treeItem(const QTreeWidgetItem *item)
{
    return item && item->type() == QTreeWidgetItem::UserType ? static_cast<const TreeItem *>(item)
                                                             : nullptr;
}

} // namespace

MenuTree::MenuTree(QWidget *parent) : QTreeWidget(parent)
{
    // The selection stays visible while the tree has no focus.
    QPalette shown = palette();
    shown.setColor(QPalette::Inactive, QPalette::Highlight,
                   shown.color(QPalette::Active, QPalette::Highlight));
    shown.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   shown.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(shown);
    setItemDelegate(new CaptionTips(this));
    // The panel follows the current item however it was chosen: mouse, keys, type-ahead.
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { currentItemChanged(current); });
}

void MenuTree::setFindField(QLineEdit *find)
{
    m_find = find;
    connect(find, &QLineEdit::textChanged, this, &MenuTree::findChanged);
    connect(find, &QLineEdit::returnPressed, this, &MenuTree::leaveFind);
    // Down goes on into the tree as from a list's own find field.
    connect(new QShortcut(Qt::Key_Down, find, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &MenuTree::leaveFind);
}

void MenuTree::build(const menu::Menu &menu)
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
    setUpdatesEnabled(false);
    const QSignalBlocker blocker(this);
    clear();
    addTopLevelItems(release(nodes));
    expandAll();
    setUpdatesEnabled(true);
    m_filtered.clear();
}

void MenuTree::filter(const QString &text)
{
    if (text == m_filtered)
        return;
    m_filtered = text;
    // Only what changes is touched: each hide or show makes the tree lay itself out anew.
    setUpdatesEnabled(false);
    for (int n = 0; n < topLevelItemCount(); ++n) {
        QTreeWidgetItem *node = topLevelItem(n);
        bool found = false;
        for (int e = 0; e < node->childCount(); ++e) {
            QTreeWidgetItem *entry = node->child(e);
            const Tdaten &daten = treeItem(entry)->daten();
            const bool hit = menu::matchesFind(text, daten.caption, daten.path, daten.parameters);
            if (entry->isHidden() == hit)
                entry->setHidden(!hit);
            found = found || hit;
        }
        const bool show =
            found || text.isEmpty() || node->text(0).contains(text, Qt::CaseInsensitive);
        if (node->isHidden() == show)
            node->setHidden(!show);
        if (found && !text.isEmpty() && !node->isExpanded())
            node->setExpanded(true);
    }
    setUpdatesEnabled(true);
    if (QTreeWidgetItem *current = currentItem(); current && !current->isHidden())
        scrollToItem(current);
}

void MenuTree::select(const QList<ItemPlace> &places, const std::optional<ItemPlace> &revealed)
{
    if (QTreeWidgetItem *shown = revealed ? find(*revealed) : nullptr) {
        for (QTreeWidgetItem *item = shown; item; item = item->parent()) {
            if (item->isHidden())
                item->setHidden(false);
            if (item != shown && !item->isExpanded())
                item->setExpanded(true);
        }
    }
    const QList<ItemPlace> now = selectedPlaces();
    const TreeItem *current = treeItem(currentItem());
    if (now == places && (places.isEmpty() || (current && current->place() == places.first())))
        return;
    QList<QTreeWidgetItem *> items;
    for (const ItemPlace &place : places) {
        if (QTreeWidgetItem *item = find(place))
            items.append(item);
    }
    const QSignalBlocker blocker(this);
    if (items.isEmpty()) {
        setCurrentItem(nullptr);
        clearSelection();
        return;
    }
    setCurrentItem(items.first());
    for (QTreeWidgetItem *item : items.mid(1))
        item->setSelected(true);
    scrollToItem(items.first());
}

QList<ItemPlace> MenuTree::selectedPlaces() const
{
    // Also what the find hides: it stays selected.
    QList<ItemPlace> places;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (const TreeItem *chosen = treeItem(itemFromIndex(index)))
            places.append(chosen->place());
    }
    return places;
}

void MenuTree::openFind()
{
    m_find->show();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

void MenuTree::leaveFind()
{
    QTreeWidgetItem *current = currentItem();
    if (!current || current->isHidden()) {
        for (QTreeWidgetItemIterator it(this, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            if ((*it)->parent() || m_find->text().isEmpty()) {
                emit chosen({treeItem(*it)->place()});
                break;
            }
        }
    }
    setFocus(Qt::OtherFocusReason);
}

void MenuTree::closeFind()
{
    m_find->clear();
    m_find->hide();
    setFocus(Qt::OtherFocusReason);
    if (QTreeWidgetItem *current = currentItem())
        scrollToItem(current);
}

bool MenuTree::findOpen() const
{
    return m_find->isVisible();
}

bool MenuTree::findHasFocus() const
{
    return m_find->hasFocus();
}

void MenuTree::mousePressEvent(QMouseEvent *event)
{
    if (!reportsClick(event))
        handleInput([&] { QTreeWidget::mousePressEvent(event); });
}

void MenuTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!reportsClick(event))
        handleInput([&] { QTreeWidget::mouseDoubleClickEvent(event); });
}

void MenuTree::mouseMoveEvent(QMouseEvent *event)
{
    handleInput([&] { QTreeWidget::mouseMoveEvent(event); });
}

void MenuTree::keyPressEvent(QKeyEvent *event)
{
    handleInput([&] { QTreeWidget::keyPressEvent(event); });
}

void MenuTree::currentItemChanged(QTreeWidgetItem *current)
{
    const TreeItem *item = treeItem(current);
    if (!item)
        return;
    if (m_input > 0)
        m_pending = item->place();
    else
        emit chosen({item->place()});
}

void MenuTree::handleInput(const std::function<void()> &handle)
{
    ++m_input;
    handle();
    if (--m_input > 0 || !m_pending)
        return;
    const ItemPlace place = *m_pending;
    m_pending.reset();
    emit chosen({place});
}

bool MenuTree::reportsClick(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const TreeItem *item = treeItem(itemAt(at));
    if (!m_guarded || !item || selectedPlaces() == QList<ItemPlace>{item->place()})
        return false;
    // Opening or closing a node changes no item.
    const int left = visualItemRect(item).left();
    if (item->childCount() > 0 && at.x() < left && at.x() >= left - indentation())
        return false;
    emit chosen({item->place()});
    return true;
}

QTreeWidgetItem *MenuTree::find(const ItemPlace &place) const
{
    for (int n = 0; n < topLevelItemCount(); ++n) {
        QTreeWidgetItem *node = topLevelItem(n);
        if (treeItem(node)->place().letter != place.letter)
            continue;
        if (place.isNode())
            return node;
        for (int e = 0; e < node->childCount(); ++e) {
            if (treeItem(node->child(e))->place() == place)
                return node->child(e);
        }
        return nullptr;
    }
    return nullptr;
}
