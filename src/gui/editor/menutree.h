// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QTreeWidget>

#include <functional>
#include <optional>

#include "gui/editor/treedrop.h"
#include "gui/state/windowstate.h"
#include "model/menumodel.h"
#include "operations/menuclip.h"

class QLineEdit;
class QMimeData;

// The tree of the menu shown, with the find above it. It shows the menu, the selection and the
// find of the window state and reports the items the user chooses; it does not keep a choice of
// its own, so that a question about unsaved edits answered "Abbrechen" leaves it where it was.
// Items are dragged as the data a source gives; a drop is offered where the window state's
// rules (transferplan.h) take it, with the target node framed, and reported.
class MenuTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit MenuTree(QWidget *parent = nullptr);

    void setFindField(QLineEdit *find);
    // state: what decides where a drop goes; dragData: the selection as dragged data, nullptr
    // when there is nothing to drag.
    void setDragAndDrop(const WindowState *state, std::function<QMimeData *()> dragData);
    // Every node with its entries, sorted by caption and opened out.
    void build(const menu::Menu &menu);
    // Shows only the entries whose caption, program or parameters hold text, with their nodes,
    // and the nodes whose caption holds it.
    void filter(const QString &text);
    // Selects exactly these items; revealed stays in view where the find hides it.
    void select(const QList<ItemPlace> &places, const std::optional<ItemPlace> &revealed);
    // Set while choosing another item asks first: a click on one is reported, not carried out.
    void setGuarded(bool guarded) { m_guarded = guarded; }
    // In the tree's order.
    QList<ItemPlace> selectedPlaces() const;
    // The node a drop would go onto, framed while dragging.
    const std::optional<ItemPlace> &dropTarget() const { return m_framed; }

    void openFind();
    // Return or Down in the find: on into the tree, at the first entry found unless the
    // current item is in view.
    void leaveFind();
    void closeFind();
    bool findOpen() const;
    bool findHasFocus() const;

signals:
    void chosen(const QList<ItemPlace> &places);
    void findChanged(const QString &text);
    // Items dropped onto the item under (nullopt: onto no item); copy: Ctrl was held.
    void dropped(const menuclip::Clip &clip, const std::optional<ItemPlace> &under, bool copy);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void selectionChanged();
    // Where the drag now over the tree would go: accepted (with the node framed) or not.
    std::optional<TreeDrop::Drop> judgeDrop(QDropEvent *event);
    void frame(const std::optional<ItemPlace> &node);
    // The items from the current one to item, as the tree shows them.
    QList<ItemPlace> rangeTo(QTreeWidgetItem *item) const;
    // The view's own handling of a click or key, with what it made current reported after it:
    // the view selects the item again at its end, which would undo a return to the old one.
    void handleInput(const std::function<void()> &handle);
    // A click that needs asking first is reported instead of handled.
    bool reportsClick(QMouseEvent *event);
    QTreeWidgetItem *find(const ItemPlace &place) const;

    QLineEdit *m_find = nullptr;
    bool m_guarded = false;
    int m_input = 0;
    bool m_pending = false; // the selection changed during input
    QString m_filtered;     // the find text the tree shows
    std::function<QMimeData *()> m_dragData;
    TreeDrop m_drop;
    std::optional<ItemPlace> m_framed;
    bool m_dragging = false;                     // a drag started here runs
    std::optional<TreeDrop::Drop> m_droppedHere; // reported when that drag has ended
};
