// SPDX-License-Identifier: MIT
// The model's commands on several items and across files: find and replace over the menu and
// five sub-lists, its write and its undo, a paste of a whole node's entries, a move onto another
// node. Each command that writes is timed with the read of the menu the window then shows; the
// files are put back between rounds, outside the timing.
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "menugenerator.h"
#include "model/undo.h"
#include "operations/menuclip.h"
#include "operations/menureplace.h"
#include "store/tinifile.h"

namespace {

constexpr int kHits = 2000;

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot restore %s", qPrintable(path));
}

// The generated menu of 26 × 400 and five sub-lists of the same size. In exactly 2,000
// remote-desktop entries of the six (scrambled ones among them) the server is "altserver".
class Lists
{
public:
    Lists()
    {
        menuFile = bench::writeMenu(m_dir.path(), 26, 400);
        for (int i = 1; i <= 5; ++i)
            bench::writeMenu(m_dir.path(), 26, 400, QStringLiteral("tarvik.Liste%1").arg(i));
        files = menureplace::withSubLists(menuFile);
        int left = kHits;
        for (qsizetype f = 0; f < files.size(); ++f) {
            int quota = left / int(files.size() - f);
            left -= quota;
            TMemIniFile ini(files[f], bytesOf(files[f]));
            for (const menu::Node &node : menu::read(ini, true).nodes) {
                for (const menu::Entry &e : node.entries) {
                    if (quota == 0 || !e.params.contains(QLatin1String("firma.local")))
                        continue;
                    menu::Fields fields{e.caption,   e.program,  e.params,
                                        e.scrambled, e.keepOpen, false};
                    fields.params.replace(QLatin1String("firma.local"),
                                          QLatin1String("altserver.local"));
                    menu::writeEntry(ini, node.letter, e.index, fields);
                    --quota;
                }
            }
            put(files[f], ini.bytes());
            m_originals.push_back(ini.bytes());
        }
    }

    void restore()
    {
        for (qsizetype f = 0; f < files.size(); ++f)
            put(files[f], m_originals[size_t(f)]);
    }

    bool unchanged()
    {
        for (qsizetype f = 0; f < files.size(); ++f) {
            if (bytesOf(files[f]) != m_originals[size_t(f)])
                return false;
        }
        return true;
    }

    menureplace::Plan plan() const
    {
        return menureplace::plan(files, {QStringLiteral("altserver"), QStringLiteral("neuserver"),
                                         menureplace::AllFields, Qt::CaseSensitive, false});
    }

    QString menuFile;
    QStringList files;

private:
    QTemporaryDir m_dir;
    std::vector<QByteArray> m_originals;
};

// The list of every change, before anything is written: six files read, 62,400 entries looked
// at in plain form, each change tried on the file in memory.
void BM_ReplacePlan(benchmark::State &state)
{
    Lists lists;
    for (auto _ : state) {
        const menureplace::Plan plan = lists.plan();
        if (plan.changes.size() != size_t(kHits))
            state.SkipWithError("the plan does not list 2,000 changes");
    }
}
BENCHMARK(BM_ReplacePlan)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 2,000 changes written, one transaction per file, and the menu read again.
void BM_ReplaceWrite(benchmark::State &state)
{
    Lists lists;
    for (auto _ : state) {
        state.PauseTiming();
        lists.restore();
        const menureplace::Plan plan = lists.plan();
        state.ResumeTiming();
        const menureplace::Outcome done = menureplace::apply(plan);
        benchmark::DoNotOptimize(menu::load(lists.menuFile));
        if (done.result.changes.size() != 6)
            state.SkipWithError("not every file was written");
    }
}
BENCHMARK(BM_ReplaceWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// The undo of those 2,000 changes in six files, and the menu read again.
void BM_ReplaceUndo(benchmark::State &state)
{
    Lists lists;
    for (auto _ : state) {
        state.PauseTiming();
        lists.restore();
        const transaction::Changes step = menureplace::apply(lists.plan()).result.changes;
        state.ResumeTiming();
        undo::revert(step);
        benchmark::DoNotOptimize(menu::load(lists.menuFile));
        state.PauseTiming();
        if (!lists.unchanged())
            state.SkipWithError("the undo did not bring the files back");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceUndo)->Unit(benchmark::kMillisecond)->UseRealTime();

class OneMenu
{
    QTemporaryDir m_dir; // first: the path is made in it

public:
    OneMenu() : path(bench::writeMenu(m_dir.path(), 26, 400)), m_original(bytesOf(path)) {}
    void restore() { put(path, m_original); }

    menu::ItemRef node(int n) const
    {
        const menu::Menu m = menu::load(path);
        return menu::refOf(m, m.nodes[size_t(n)]);
    }
    menu::ItemRef entry(int n, int index) const
    {
        const menu::Menu m = menu::load(path);
        return menu::refOf(m, m.nodes[size_t(n)], m.nodes[size_t(n)].entries[size_t(index)]);
    }

    QString path;

private:
    QByteArray m_original;
};

// The 400 entries of one node, copied, pasted onto another, and the menu read again.
void BM_PasteEntries(benchmark::State &state)
{
    OneMenu fixture;
    std::vector<menu::ItemRef> items;
    for (int i = 0; i < 400; ++i)
        items.push_back(fixture.entry(3, i));
    const menuclip::Clip clip =
        *menuclip::fromMime(menuclip::toMime(menuclip::collect(items, false)));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.restore();
        const menu::ItemRef target = fixture.node(7);
        state.ResumeTiming();
        menuclip::paste(clip, {fixture.path, target});
        if (menu::load(fixture.path).nodes[7].entries.size() != 800)
            state.SkipWithError("the entries were not pasted");
    }
}
BENCHMARK(BM_PasteEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

// One entry moved onto another node (a drop), and the menu read again.
void BM_MoveEntryOntoNode(benchmark::State &state)
{
    OneMenu fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.restore();
        const menu::ItemRef entry = fixture.entry(3, 150);
        const menu::ItemRef target = fixture.node(7);
        state.ResumeTiming();
        menu::moveItems({entry}, {fixture.path, target});
        if (menu::load(fixture.path).nodes[7].entries.size() != 401)
            state.SkipWithError("the entry was not moved");
    }
}
BENCHMARK(BM_MoveEntryOntoNode)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
