// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "menumodel.h"

class QAction;
class QUndoStack;
class QWidget;

// The window's history of written steps: "Rückgängig" and "Wiederholen" with the step's name.
// A step is taken back or done again only when every key it changed still holds what it left
// there; otherwise nothing is written and a plain message names what changed. Each file is
// written atomically, in the order that never loses data.
class UndoHistory : public QObject
{
    Q_OBJECT

public:
    // show: reloads the window and shows the item a step concerned. mayLeave: whether the
    // window may give up what its panel shows (it asks about unsaved edits).
    UndoHistory(QWidget *window, std::function<void(const menu::Result &)> show,
                std::function<bool()> mayLeave);
    ~UndoHistory() override;

    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

    // Records a command that wrote (nothing when it changed no file), named e.g.
    // "Löschen von »Mail«".
    void record(const QString &name, const menu::Result &result);

    void undo();
    void redo();

private:
    void updateActions();
    void step(bool back);

    QWidget *m_window;
    std::function<void(const menu::Result &)> m_show;
    std::function<bool()> m_mayLeave;
    QUndoStack *m_stack;
    QAction *m_undo;
    QAction *m_redo;
};
