// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QUndoStack;
class QWidget;
class WindowState;
struct Step;

// The window's history of written steps: "Rückgängig" and "Wiederholen" with the step's name.
// A step is taken back or done again only when every key it changed still holds what it left
// there; otherwise nothing is written and a plain message names what changed. Each file is
// written atomically, in the order that never loses data.
class UndoHistory : public QObject
{
    Q_OBJECT

public:
    // state: what the window shows, moved to what a step was started from (undo) or showed
    // (redo). mayLeave: whether the window may give up what its panel shows (it asks about
    // unsaved edits).
    UndoHistory(QWidget *window, WindowState &state, std::function<bool()> mayLeave);
    ~UndoHistory() override;

    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

    // Records a command that wrote (nothing when it changed no file).
    void record(const Step &step);

    void undo();
    void redo();

private:
    void updateActions();
    void step(bool back);

    QWidget *m_window;
    WindowState &m_state;
    std::function<bool()> m_mayLeave;
    QUndoStack *m_stack;
    QAction *m_undo;
    QAction *m_redo;
};
