// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "menugenerator.h"
#include "tfmain.h"

namespace {

QTemporaryDir &editorBenchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A shown window over a generated menu of 26 nodes with the given number of entries each.
std::unique_ptr<Tfmain> openWindow(int entries, QString &path)
{
    const QString fileName = QStringLiteral("menu%1.ini").arg(entries);
    path = bench::writeMenu(editorBenchDir().path(), 26, entries, fileName);
    auto window = std::make_unique<Tfmain>(QStringList{path}, editorBenchDir().path());
    window->resize(958, 467);
    window->show();
    return window;
}

// Everything a command's reload does: sub-lists, width, caption, every node and entry read,
// the tree built, sorted and opened out, the first node shown.
void BM_LoadMenuFile(benchmark::State &state)
{
    QString path;
    const auto window = openWindow(int(state.range(0)), path);
    for (auto _ : state)
        window->LoadMenuFile(path);
    state.SetItemsProcessed(state.iterations() * 26 * state.range(0));
}
BENCHMARK(BM_LoadMenuFile)->Arg(400)->Arg(40)->Unit(benchmark::kMillisecond)->UseRealTime();

// Saving an entry through the save command, its file write and reload included.
void BM_SaveEntry(benchmark::State &state)
{
    QString path;
    const auto window = openWindow(400, path);
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    auto *name = window->findChild<QLineEdit *>(QStringLiteral("Name"));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The reload shows the first node again, so the entry is clicked anew each time.
        QTreeWidgetItem *entry = tree->topLevelItem(3)->child(7);
        tree->setCurrentItem(entry);
        window->TreeClick();
        name->setText(QStringLiteral("Eintrag %1").arg(++round % 2));
        state.ResumeTiming();
        window->EsaveClick();
    }
}
BENCHMARK(BM_SaveEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

// The find above the tree over 10,400 entries: typing a text that finds some entries (0) or none
// (1), then clearing it, each with the tree laid out and painted again. One frame is 16.7 ms.
void BM_FilterTree(benchmark::State &state)
{
    QString path;
    const auto window = openWindow(400, path);
    auto *find = window->findChild<QLineEdit *>(QStringLiteral("Suche"));
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    find->show();
    const QString text = state.range(0) == 0 ? QStringLiteral("münchen") : QStringLiteral("xyz");
    int round = 0;
    for (auto _ : state) {
        find->setText(++round % 2 ? text : QString());
        tree->viewport()->repaint();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_FilterTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
