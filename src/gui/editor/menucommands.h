// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "gui/state/windowstate.h"
#include "model/menumodel.h"

class QWidget;
class UndoHistory;

// The commands that change the menu. Each checks that the panel shows what it needs, asks what
// it must, hands the item as shown and the panel's fields to a model transaction, and then
// moves the window state to what it wrote; the history keeps the step with the view it was
// started from. When the file no longer holds the item as shown, the command says so, writes
// nothing, and the state shows the file as it now stands.
class MenuCommands
{
public:
    MenuCommands(QWidget *window, WindowState &state);

    void setHistory(UndoHistory *history) { m_history = history; }
    UndoHistory *history() const { return m_history; }

    // Before the panel shows something else: edits not yet saved are saved or dropped as the
    // user answers. False when the user cancels, or the save failed: the panel stays.
    bool mayLeave();

    bool save();
    void createNode();
    // False when it refused: the panel does not show a node, or the user kept the edits.
    bool prepareEntry();
    // The item shown, or every item of a several-selection with one question.
    void deleteItem();
    // First click: the entry shown waits for its target; second click, with a node shown: the
    // entry moves there.
    void move();
    void duplicate();
    void exportNode();
    void remoteDesktop();
    void generalSettings();
    void menuCheck();

    using PlaceAfter = std::function<std::optional<ItemPlace>(const menu::Result &)>;
    // The place the command wrote: result's letter and index.
    static std::optional<ItemPlace> written(const menu::Result &result);

    // True when the panel has what the command needs; else says why.
    bool refuse(WindowState::Need need);
    // Runs a model command and shows the state after it: the item placeAfter names in the file
    // shown (nullopt: its first node). name: the step in the history, e.g. "Löschen von »Mail«".
    bool apply(const QString &name, const View &before,
               const std::function<menu::Result()> &command, const PlaceAfter &placeAfter);

private:
    void deleteItems();
    // Saves the panel as it was when the command asked, seen from before.
    bool save(PanelState panel, const View &before);

    QWidget *m_window;
    WindowState &m_state;
    UndoHistory *m_history = nullptr;
};
