// SPDX-License-Identifier: MIT
#include "undohistory.h"

#include <QAction>
#include <QIcon>
#include <QUndoStack>
#include <QWidget>

#include "gui/dialogs/messages.h"
#include "gui/state/windowstate.h"
#include "model/undo.h"

namespace {

constexpr int kSteps = 100;

// The files are written by the history before the stack moves, so the command itself only
// carries the step.
class HistoryStep : public QUndoCommand
{
public:
    explicit HistoryStep(const ::Step &step) : QUndoCommand(escaped(step.name)), step(step) {}
    void undo() override {}
    void redo() override {}

    // A menu shows "&" as the access key's mark.
    static QString escaped(QString name)
    {
        return name.replace(QLatin1Char('&'), QLatin1String("&&"));
    }

    ::Step step;
};

} // namespace

UndoHistory::UndoHistory(QWidget *window, WindowState &state, std::function<bool()> mayLeave)
    : QObject(window), m_window(window), m_state(state), m_mayLeave(std::move(mayLeave)),
      m_stack(new QUndoStack(this)),
      m_undo(new QAction(QIcon(QStringLiteral(":/icons/undo.svg")), QString(), window)),
      m_redo(new QAction(QIcon(QStringLiteral(":/icons/redo.svg")), QString(), window))
{
    m_stack->setUndoLimit(kSteps);
    m_undo->setObjectName(QStringLiteral("Rueckgaengig1"));
    m_redo->setObjectName(QStringLiteral("Wiederholen1"));
    // The tool buttons keep a short caption; the menu and the tooltip name the step.
    m_undo->setIconText(QStringLiteral("Rückgängig"));
    m_redo->setIconText(QStringLiteral("Wiederholen"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(m_undo, &QAction::triggered, this, &UndoHistory::undo);
    connect(m_redo, &QAction::triggered, this, &UndoHistory::redo);
    connect(m_stack, &QUndoStack::indexChanged, this, &UndoHistory::updateActions);
    updateActions();
}

UndoHistory::~UndoHistory() = default;

void UndoHistory::record(const Step &step)
{
    if (!step.changes.empty())
        m_stack->push(new HistoryStep(step));
}

void UndoHistory::undo()
{
    step(true);
}

void UndoHistory::redo()
{
    step(false);
}

void UndoHistory::step(bool back)
{
    // Edits saved on being asked are the newest step now: the user sees them stored, and the
    // next undo takes them back; no older step is undone past them.
    const int steps = m_stack->count();
    bool leave = false;
    messages::guarded(m_window, [&] { leave = m_mayLeave(); });
    if (!leave || m_stack->count() != steps)
        return;
    const int index = back ? m_stack->index() - 1 : m_stack->index();
    const auto *command = dynamic_cast<const HistoryStep *>(m_stack->command(index));
    if (!command)
        return;
    const Step step = command->step;
    bool done = false;
    messages::guarded(m_window, [&] {
        if (back)
            undo::revert(step.changes);
        else
            undo::reapply(step.changes);
        done = true;
    });
    if (done)
        back ? m_stack->undo() : m_stack->redo();
    // Refused, the step wrote nothing: the window stays where it is, on the file as it stands.
    messages::guarded(m_window, [&] { done ? m_state.showStep(step, back) : m_state.refresh(); });
}

void UndoHistory::updateActions()
{
    m_undo->setEnabled(m_stack->canUndo());
    m_redo->setEnabled(m_stack->canRedo());
    m_undo->setText(m_stack->canUndo() ? QStringLiteral("&Rückgängig: %1").arg(m_stack->undoText())
                                       : QStringLiteral("&Rückgängig"));
    m_redo->setText(m_stack->canRedo() ? QStringLiteral("&Wiederholen: %1").arg(m_stack->redoText())
                                       : QStringLiteral("&Wiederholen"));
    m_undo->setToolTip(QString(m_undo->text()).remove(QLatin1Char('&')));
    m_redo->setToolTip(QString(m_redo->text()).remove(QLatin1Char('&')));
}
