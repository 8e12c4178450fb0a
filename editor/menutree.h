// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QTreeWidget>

#include <functional>
#include <optional>

#include "menumodel.h"
#include "windowstate.h"

class QLineEdit;

// The tree of the menu shown, with the find above it. It shows the menu, the selection and the
// find of the window state and reports the items the user chooses; it does not keep a choice of
// its own, so that a question about unsaved edits answered "Abbrechen" leaves it where it was.
class MenuTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit MenuTree(QWidget *parent = nullptr);

    void setFindField(QLineEdit *find);
    // Every node with its entries, sorted by caption and opened out.
    void build(const menu::Menu &menu);
    // Shows only the entries whose caption, program or parameters hold text, with their nodes,
    // and the nodes whose caption holds it.
    void filter(const QString &text);
    // Selects exactly these items; revealed stays in view where the find hides it.
    void select(const QList<ItemPlace> &places, const std::optional<ItemPlace> &revealed);
    // Set while choosing another item asks first: a click on one is reported, not carried out.
    void setGuarded(bool guarded) { m_guarded = guarded; }
    QList<ItemPlace> selectedPlaces() const;

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

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void currentItemChanged(QTreeWidgetItem *current);
    // The view's own handling of a click or key, with what it made current reported after it:
    // the view selects the item again at its end, which would undo a return to the old one.
    void handleInput(const std::function<void()> &handle);
    // A click that needs asking first is reported instead of handled.
    bool reportsClick(QMouseEvent *event);
    QTreeWidgetItem *find(const ItemPlace &place) const;

    QLineEdit *m_find = nullptr;
    bool m_guarded = false;
    int m_input = 0;
    std::optional<ItemPlace> m_pending;
    QString m_filtered; // the find text the tree shows
};
