// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

#include "model/menumodel.h"
#include "model/transaction.h"

// The place of a node (index kNodeIndex) or of one of its entries in the file shown.
struct ItemPlace
{
    QString letter;
    int index = menu::kNodeIndex;

    bool isNode() const { return index == menu::kNodeIndex; }
    bool operator==(const ItemPlace &other) const
    {
        return index == other.index && letter == other.letter;
    }
    bool operator!=(const ItemPlace &other) const { return !(*this == other); }
};

// Where the window stands: a file, and the item selected in it (nullopt: the first node).
struct View
{
    QString file;
    std::optional<ItemPlace> place;
};

// A written step as the history keeps it.
struct Step
{
    QString name; // e.g. "Löschen von »Mail«"
    transaction::Changes changes;
    View before; // what the step was started from, shown again by its undo
    View after;  // what the step showed, shown again by its redo
};

// What the editor panel holds.
struct PanelState
{
    enum class Kind {
        Empty,    // nothing: a menu without nodes
        Item,     // one node or entry of the file
        NewEntry, // a new entry of the node in place, not stored yet
        Several,  // more than one item selected: how many, no fields
    };
    Kind kind = Kind::Empty;
    ItemPlace place;     // Item: the item; NewEntry: its node
    int newIndex = 0;    // NewEntry: the index it is shown with; the save takes the first free one
    int count = 0;       // how many items are selected
    int nodes = 0;       // Several: how many of them are nodes
    menu::Fields shown;  // as the file held them when shown
    menu::Fields fields; // as the user has them now
    // Item, NewEntry: the item (the node) as the file held it, which every command checks.
    std::optional<menu::ItemRef> ref;
};

// Everything the main window shows: the file, the menu read from it, the selection, the panel,
// a pending move, the find and the status note. Each transition leaves it whole:
// - the selection is the item in the panel (a new entry's node; several items: their count);
// - the file shown exists, or the user opened it as a new menu, or another program removed
//   it (the note says which);
// - the note belongs to the state as it now stands.
// The window renders it after every change (the listener) and hands it the user's actions.
class WindowState
{
public:
    // What a command needs the panel to show.
    enum class Need {
        Item,             // anything (save, remote-desktop parameters)
        Stored,           // an item the file holds (delete)
        StoredItems,      // one or several items the file holds (copy, cut, drag, delete)
        Node,             // a node (new entry, export, the second click of a move)
        EntryToDuplicate, // a stored entry
        EntryToMove,      // a stored entry
    };
    struct PendingMove
    {
        menu::ItemRef source;
        menu::Fields fields; // the panel's fields at the first click: typed edits travel along
    };

    explicit WindowState(std::function<void()> changed = {});

    const QString &file() const { return m_menu.path; }
    // The file's folder, with a trailing separator.
    QString folder() const;
    const menu::Menu &menu() const { return m_menu; }
    // Counts the loads: the tree is built anew when it moves on.
    quint64 loads() const { return m_loads; }
    bool openedAsNew() const { return m_openedAsNew; }
    const QList<ItemPlace> &selection() const { return m_selection; }
    const PanelState &panel() const { return m_panel; }
    bool edited() const;
    // Leaving what the panel shows asks first: it holds edits, and no move carries them.
    bool asksBeforeLeaving() const { return edited() && !m_move; }
    const std::optional<PendingMove> &move() const { return m_move; }
    QString note() const;
    const QString &findText() const { return m_find; }
    // Shown even where the find hides it: the item a command just wrote.
    const std::optional<ItemPlace> &revealed() const { return m_revealed; }
    View view() const;
    // The message a command shows instead of running; nullopt when the panel has what it needs.
    std::optional<QString> refusal(Need need) const;
    // The item in the panel as the file held it; EChangedOutside when there is none.
    menu::ItemRef shownOrGone() const { return refOrGone(m_panel); }
    // The item panel showed as the file held it, also of a panel taken before a question.
    static menu::ItemRef refOrGone(const PanelState &panel);

    // Opening a file by the user's choice (at start, Öffnen, the sub-list box): a file that
    // does not exist is a new menu, also where another program removed it. First node shown.
    void open(const QString &path);
    // Loading view.file and selecting view.place, or the first node where it is not there.
    // reveal: the item stays in view while the find hides it.
    void show(const View &view, bool reveal);
    // After undo (back) or redo: the view the step was started from or showed. A file the step
    // just removed is shown only when the step had created it: a menu opened as new.
    void showStep(const Step &step, bool back);
    // The file again after a command found it changed: the same item if it is still there.
    void refresh();
    // Another program changed the file: it is shown at once, the item and the panel's edits
    // stay. False when the file is as loaded.
    bool changedOutside();
    // The user chose items; the question about edits has been answered.
    void choose(const QList<ItemPlace> &places);
    void discardEdits();
    void edit(const menu::Fields &fields);
    // The panel, showing a node, becomes a new entry of it with that index.
    void prepareEntry(int index);
    void startMove();
    void endMove();
    void setFind(const QString &text);
    // The window wrote the file itself without changing what it shows.
    void storedWidth(int width);
    void storedSettings();

private:
    void load(const QString &path);
    void select(const std::optional<ItemPlace> &place);
    void setSelection(const QList<ItemPlace> &places);
    ItemPlace firstNode() const;
    void showItem(const ItemPlace &place);
    void clearPanel();
    bool exists(const ItemPlace &place) const;
    void changed();

    std::function<void()> m_changed;
    menu::Menu m_menu;
    quint64 m_loads = 0;
    QByteArray m_version; // the file as loaded, to notice another program's change
    bool m_openedAsNew = false;
    QList<ItemPlace> m_selection;
    PanelState m_panel;
    std::optional<PendingMove> m_move;
    std::optional<int> m_widthNote;
    QString m_find;
    std::optional<ItemPlace> m_revealed;
};
