// SPDX-License-Identifier: MIT
#include "menutree.h"

#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "gui/dialogs/modalrunner.h"
#include "gui/editor/treeitem.h"

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
    setDragDropMode(DragDrop);
    setDropIndicatorShown(false); // the target node is framed instead: entries have no order
    // The panel follows the selection however it was made: mouse, keys, type-ahead.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &MenuTree::selectionChanged);
}

void MenuTree::setDragAndDrop(const WindowState *state, std::function<QMimeData *()> dragData)
{
    m_drop.setState(state);
    m_dragData = std::move(dragData);
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
    const QList<QTreeWidgetItem *> nodes = TreeItem::nodesOf(menu);
    setUpdatesEnabled(false);
    const QSignalBlocker blocker(this);
    clear();
    addTopLevelItems(nodes);
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
            const Tdaten &daten = TreeItem::of(entry)->daten();
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
    // The same items in any order: the current item stays where the keys have put it.
    QList<ItemPlace> now = selectedPlaces();
    if (now.size() == places.size() &&
        std::all_of(places.begin(), places.end(),
                    [&](const ItemPlace &place) { return now.contains(place); }))
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
    // Also what the find hides: it stays selected. Asked at every change of the window, so only
    // the selected items are looked at, not the whole tree.
    std::vector<std::pair<std::pair<int, int>, ItemPlace>> ordered;
    for (QTreeWidgetItem *item : selectedItems()) {
        QTreeWidgetItem *parent = item->parent();
        const std::pair<int, int> position =
            parent ? std::pair(indexOfTopLevelItem(parent), parent->indexOfChild(item))
                   : std::pair(indexOfTopLevelItem(item), -1);
        if (const TreeItem *chosen = TreeItem::of(item))
            ordered.emplace_back(position, chosen->place());
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<ItemPlace> places;
    for (const auto &[position, place] : ordered)
        places.append(place);
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
                emit chosen({TreeItem::of(*it)->place()});
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

void MenuTree::mouseReleaseEvent(QMouseEvent *event)
{
    // A click into several selected items selects the one item at the release.
    handleInput([&] { QTreeWidget::mouseReleaseEvent(event); });
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

void MenuTree::selectionChanged()
{
    if (m_input > 0) {
        m_pending = true;
        return;
    }
    // Nothing selected (the last item clicked off) chooses nothing: the state selects again.
    if (const QList<ItemPlace> places = selectedPlaces(); !places.isEmpty())
        emit chosen(places);
}

void MenuTree::handleInput(const std::function<void()> &handle)
{
    ++m_input;
    handle();
    if (--m_input > 0 || !m_pending)
        return;
    m_pending = false;
    selectionChanged();
}

bool MenuTree::reportsClick(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    QTreeWidgetItem *clicked = itemAt(at);
    const TreeItem *item = TreeItem::of(clicked);
    if (!m_guarded || !item)
        return false;
    // Opening or closing a node changes no item.
    const int left = visualItemRect(item).left();
    if (item->childCount() > 0 && at.x() < left && at.x() >= left - indentation())
        return false;
    const QList<ItemPlace> now = selectedPlaces();
    QList<ItemPlace> wanted{item->place()};
    if (event->modifiers() & Qt::ControlModifier) {
        wanted = now;
        if (!wanted.removeOne(item->place()))
            wanted.append(item->place());
    } else if (event->modifiers() & Qt::ShiftModifier) {
        wanted = rangeTo(clicked);
    }
    if (wanted == now)
        return false;
    if (!wanted.isEmpty())
        emit chosen(wanted);
    return true;
}

QList<ItemPlace> MenuTree::rangeTo(QTreeWidgetItem *item) const
{
    QTreeWidgetItem *from = currentItem() ? currentItem() : item;
    for (bool down : {true, false}) {
        QList<ItemPlace> range;
        for (QTreeWidgetItem *at = from; at; at = down ? itemBelow(at) : itemAbove(at)) {
            range.append(TreeItem::of(at)->place());
            if (at == item) {
                if (!down)
                    std::reverse(range.begin(), range.end());
                return range;
            }
        }
    }
    return {TreeItem::of(item)->place()};
}

void MenuTree::paintEvent(QPaintEvent *event)
{
    QTreeWidget::paintEvent(event);
    QTreeWidgetItem *target = m_framed ? find(*m_framed) : nullptr;
    if (!target)
        return;
    QRect row = visualItemRect(target).adjusted(1, 1, -1, -1);
    row.setRight(viewport()->width() - 2);
    QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    QPainter painter(viewport());
    painter.setPen(QPen(highlight, 2));
    painter.drawRect(row);
    highlight.setAlpha(60);
    painter.fillRect(row, highlight);
}

void MenuTree::startDrag(Qt::DropActions)
{
    QMimeData *data = m_dragData ? m_dragData() : nullptr;
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // The drop makes the move itself, in one step with its copy: nothing is removed here.
    m_dragging = true;
    {
        const ModalRunner::Scope dragging; // what arrives meanwhile waits for the drop
        drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    }
    m_dragging = false;
    // What the press selected is the drag's; after a drop the window shows what it wrote.
    m_pending = false;
    if (std::optional<TreeDrop::Drop> drop = std::exchange(m_droppedHere, std::nullopt))
        emit dropped(drop->clip, drop->under, drop->copy);
}

void MenuTree::dragEnterEvent(QDragEnterEvent *event)
{
    if (!m_drop.enter(event->mimeData())) {
        event->ignore();
        return;
    }
    setState(DraggingState);
    event->accept();
}

void MenuTree::dragMoveEvent(QDragMoveEvent *event)
{
    // The view's own handling scrolls the tree near its edges.
    QTreeWidget::dragMoveEvent(event);
    judgeDrop(event);
}

void MenuTree::dragLeaveEvent(QDragLeaveEvent *event)
{
    QTreeWidget::dragLeaveEvent(event);
    m_drop.leave();
    frame(std::nullopt);
}

void MenuTree::dropEvent(QDropEvent *event)
{
    const std::optional<TreeDrop::Drop> drop = judgeDrop(event);
    m_drop.leave();
    frame(std::nullopt);
    setState(NoState);
    stopAutoScroll();
    if (!drop)
        return;
    // Not while the drop is still being handled: the command builds the tree anew.
    if (m_dragging)
        m_droppedHere = drop;
    else
        QTimer::singleShot(
            0, this, [this, drop = *drop] { emit dropped(drop.clip, drop.under, drop.copy); });
}

std::optional<TreeDrop::Drop> MenuTree::judgeDrop(QDropEvent *event)
{
    const TreeItem *item = TreeItem::of(itemAt(event->position().toPoint()));
    std::optional<TreeDrop::Drop> drop =
        m_drop.judge(event, item ? std::optional(item->place()) : std::nullopt);
    frame(m_drop.target());
    return drop;
}

void MenuTree::frame(const std::optional<ItemPlace> &node)
{
    if (node == m_framed)
        return;
    m_framed = node;
    viewport()->update();
}

QTreeWidgetItem *MenuTree::find(const ItemPlace &place) const
{
    for (int n = 0; n < topLevelItemCount(); ++n) {
        QTreeWidgetItem *node = topLevelItem(n);
        if (TreeItem::of(node)->place().letter != place.letter)
            continue;
        if (place.isNode())
            return node;
        for (int e = 0; e < node->childCount(); ++e) {
            if (TreeItem::of(node->child(e))->place() == place)
                return node->child(e);
        }
        return nullptr;
    }
    return nullptr;
}
