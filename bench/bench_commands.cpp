// SPDX-License-Identifier: MIT
// The structural commands on a large menu, each through its handler with its file writes and
// the reload that follows. The menu file is put back between rounds, outside the timing.
#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "gui/dialogs/modalrunner.h"
#include "gui/editor/tfmain.h"
#include "menugenerator.h"
#include "model/menumodel.h"
#include "model/undo.h"

namespace {

// Answers every question with "&Ja", as the user who deletes does.
class AnswerYes final : public ModalRunner
{
public:
    AnswerYes() { ModalRunner::install(this); }
    ~AnswerYes() override { ModalRunner::install(nullptr); }

protected:
    int run(QDialog &dialog) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == QLatin1String("&Ja")) {
                    button->click();
                    return box->result();
                }
            }
        }
        dialog.reject();
        return QDialog::Rejected;
    }
};

class CommandBench
{
public:
    CommandBench()
    {
        m_path = bench::writeMenu(m_dir.path(), 26, 400);
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            m_bytes = file.readAll();
        window = std::make_unique<Tfmain>(QStringList{m_path}, m_dir.path());
        window->resize(958, 467);
        window->show();
        tree = window->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    }

    // The generated menu as it was, loaded afresh.
    void restore()
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(m_bytes) != m_bytes.size())
            qFatal("cannot restore %s", qPrintable(m_path));
        file.close();
        window->LoadMenuFile(m_path);
    }

    // Shows an item in the panel as a click on it would.
    void show(QTreeWidgetItem *item)
    {
        tree->setCurrentItem(item);
        window->TreeClick();
    }

    const QString &path() const { return m_path; }
    const QByteArray &bytes() const { return m_bytes; }

    int entryCount() const
    {
        int count = 0;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            count += tree->topLevelItem(i)->childCount();
        return count;
    }

    std::unique_ptr<Tfmain> window;
    QTreeWidget *tree = nullptr;

private:
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_bytes;
};

// An entry in the middle of a node: the node's last entry moves into the hole.
void BM_DeleteEntry(benchmark::State &state)
{
    CommandBench bench;
    AnswerYes yes;
    for (auto _ : state) {
        state.PauseTiming();
        bench.restore();
        bench.show(bench.tree->topLevelItem(3)->child(150));
        state.ResumeTiming();
        bench.window->btdeleteClick();
        if (bench.entryCount() != 26 * 400 - 1)
            state.SkipWithError("the entry was not deleted");
    }
}
BENCHMARK(BM_DeleteEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

// A node of 400 entries: erased, and the last node of the run moved into its letter.
void BM_DeleteNode(benchmark::State &state)
{
    CommandBench bench;
    AnswerYes yes;
    for (auto _ : state) {
        state.PauseTiming();
        bench.restore();
        bench.show(bench.tree->topLevelItem(3));
        state.ResumeTiming();
        bench.window->btdeleteClick();
        if (bench.tree->topLevelItemCount() != 25)
            state.SkipWithError("the node was not deleted");
    }
}
BENCHMARK(BM_DeleteNode)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both clicks of a move into another node; the click on the target node in between is the
// user's and not timed.
void BM_MoveEntry(benchmark::State &state)
{
    CommandBench bench;
    AnswerYes yes;
    for (auto _ : state) {
        state.PauseTiming();
        bench.restore();
        bench.show(bench.tree->topLevelItem(3)->child(150));
        state.ResumeTiming();
        bench.window->btmoveClick();
        state.PauseTiming();
        bench.show(bench.tree->topLevelItem(7));
        state.ResumeTiming();
        bench.window->btmoveClick();
        if (bench.window->verschiebenAktiv())
            state.SkipWithError("the move did not complete");
    }
}
BENCHMARK(BM_MoveEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo of the delete of a node of 400 entries, with the reload that shows the node again.
void BM_UndoDeleteNode(benchmark::State &state)
{
    CommandBench bench;
    for (auto _ : state) {
        state.PauseTiming();
        bench.restore();
        const menu::Menu shown = menu::load(bench.path());
        const transaction::Changes step =
            menu::deleteItem(menu::refOf(shown, shown.nodes[3])).changes;
        bench.window->LoadMenuFile(bench.path());
        state.ResumeTiming();
        undo::revert(step);
        bench.window->LoadMenuFile(bench.path());
        state.PauseTiming();
        QFile file(bench.path());
        if (bench.tree->topLevelItemCount() != 26 || !file.open(QIODevice::ReadOnly) ||
            file.readAll() != bench.bytes())
            state.SkipWithError("the delete was not undone");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoDeleteNode)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
