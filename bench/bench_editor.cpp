// SPDX-License-Identifier: MIT
#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include "gui/dialogs/replacedialog.h"
#include "gui/editor/tfmain.h"
#include "gui/state/captionorder.h"
#include "menugenerator.h"
#include "operations/menuclip.h"
#include "operations/menureplace.h"

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
    for (auto _ : state) {
        CaptionOrder::forgetOrders(); // a first open, not a reload of lists sorted before
        window->LoadMenuFile(path);
    }
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

// "Einfügen" of the 400 entries of one node onto another through the window: the model's paste,
// the reload, the tree built anew with 10,800 entries and the first pasted one shown. Undone
// between rounds, outside the timing.
void BM_PasteIntoWindow(benchmark::State &state)
{
    QString path;
    const auto window = openWindow(400, path);
    std::vector<menu::ItemRef> items;
    const menu::Menu shown = menu::load(path);
    for (const menu::Entry &entry : shown.nodes[3].entries)
        items.push_back(menu::refOf(shown, shown.nodes[3], entry));
    const menuclip::Clip clip = menuclip::collect(items, false);
    auto *data = new QMimeData;
    data->setData(menuclip::kMimeType, menuclip::toMime(clip));
    QGuiApplication::clipboard()->setMimeData(data);
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    auto *paste = window->findChild<QAction *>(QStringLiteral("Einfuegen1"));
    auto *undo = window->findChild<QAction *>(QStringLiteral("Rueckgaengig1"));
    for (auto _ : state) {
        state.PauseTiming();
        tree->setCurrentItem(tree->topLevelItem(7));
        state.ResumeTiming();
        paste->trigger();
        state.PauseTiming();
        if (tree->topLevelItem(7)->childCount() != 800)
            state.SkipWithError("the entries were not pasted");
        undo->trigger();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PasteIntoWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Suchen" of the replace dialog over the menu and two sub-lists, where 1,773 captions hold
// "Lübeck": the list of changes made alone (0), and made and filled into the dialog's view, laid
// out and painted (1); the difference is the window's part.
void BM_ReplaceList(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = bench::writeMenu(dir.path(), 26, 400);
    for (int i = 1; i <= 2; ++i)
        bench::writeMenu(dir.path(), 26, 400, QStringLiteral("tarvik.Liste%1").arg(i));
    ReplaceDialog dialog(path, {});
    dialog.resize(820, 480);
    dialog.show();
    dialog.findChild<QLineEdit *>(QStringLiteral("find"))->setText(QStringLiteral("Lübeck"));
    dialog.findChild<QLineEdit *>(QStringLiteral("replacement"))->setText(QStringLiteral("Kiel"));
    auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("changes"));
    const menureplace::Options options{QStringLiteral("Lübeck"), QStringLiteral("Kiel"),
                                       menureplace::AllFields, Qt::CaseInsensitive, false};
    size_t rows = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            rows = menureplace::plan(menureplace::withSubLists(path), options).changes.size();
            continue;
        }
        dialog.search();
        list->viewport()->repaint();
        QCoreApplication::processEvents();
        rows = size_t(list->topLevelItemCount());
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ReplaceList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
