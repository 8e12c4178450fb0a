// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <optional>

#include "gui/state/windowstate.h"
#include "operations/menuclip.h"

class MenuCommands;
class MenuTree;
class QMimeData;
class QWidget;

namespace Ui {
class Tfmain;
}

// The commands on many items at once. Cut, copy and paste of the selected items through the
// clipboard, and the tree's drag and drop, carry the items in the program's own form and as
// plain text (menuclip.h), so that two running editors exchange them and a text editor takes
// them; nothing is written before the paste or the drop, which is one model transaction and one
// step of the history: a cut pasted, or a drag dropped without Ctrl, moves the items, a copy
// writes them anew. Find and replace lists its changes in a dialog and writes the chosen ones
// as one step.
class BatchCommands : public QObject
{
    Q_OBJECT

public:
    // Connects the commands "Ausschneiden", "Kopieren", "Einfügen" and "Ersetzen" and the
    // tree's drag and drop.
    BatchCommands(Ui::Tfmain &ui, QWidget *window, WindowState &state, MenuCommands &commands,
                  MenuTree *tree);

    void cut();
    void copy();
    void paste();
    // Items dropped onto the tree: onto the item under the mouse (nullopt: onto no item); copy:
    // Ctrl was held.
    void drop(const menuclip::Clip &clip, const std::optional<ItemPlace> &under, bool copy);
    // Find and replace across the file shown and its sub-lists, in the dialog.
    void replace();

private:
    // The selected items in both forms; nullptr, after saying why, when there is nothing to take.
    QMimeData *selectionData(bool cut);
    // Runs a command of this class as the window's commands run: errors shown, the program goes
    // on.
    void guarded(void (BatchCommands::*command)());

    QWidget *m_window;
    WindowState &m_state;
    MenuCommands &m_commands;
};
