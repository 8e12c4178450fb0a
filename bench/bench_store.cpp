// SPDX-License-Identifier: MIT
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "menugenerator.h"
#include "model/menufile.h"
#include "store/profilefile.h"
#include "store/tinifile.h"

namespace {

using menufile::EntryKey;

QTemporaryDir &benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// 26 nodes × 400 entries, left unchanged on disk by every benchmark.
const QString &largeMenu()
{
    static const QString path = bench::writeMenu(benchDir().path(), 26, 400);
    return path;
}

void BM_StorePlainParse(benchmark::State &state)
{
    const QString &path = largeMenu();
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto content = profilefile::readFile(path);
        profilefile::Document document(content.value_or(QByteArray()));
        benchmark::DoNotOptimize(document);
        bytes += content ? content->size() : 0;
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_StorePlainParse)->Unit(benchmark::kMillisecond)->UseRealTime();

// The loader's reads: each node's caption and flag, then five keys per entry until a caption
// is missing or empty.
void BM_StoreReadAllKeys(benchmark::State &state)
{
    const QString &path = largeMenu();
    qint64 reads = 0;
    for (auto _ : state) {
        TIniFile ini(path);
        reads += 1;
        benchmark::DoNotOptimize(
            ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("Width"), 150));
        for (const QString &letter : menufile::nodeLetters()) {
            const QString root = ini.ReadString(letter, menufile::kRootKey, QStringLiteral("*"));
            reads += 1;
            if (root == QLatin1String("*"))
                break;
            benchmark::DoNotOptimize(ini.ReadBool(letter, menufile::kExpandKey, false));
            reads += 1;
            for (int n = 0;; ++n) {
                const QString caption =
                    ini.ReadString(letter, menufile::entryKey(n, EntryKey::Caption), QString());
                reads += 1;
                if (caption.isEmpty())
                    break;
                const QString program =
                    ini.ReadString(letter, menufile::entryKey(n, EntryKey::Program), QString());
                QString params =
                    ini.ReadString(letter, menufile::entryKey(n, EntryKey::Params), QString());
                if (ini.ReadBool(letter, menufile::entryKey(n, EntryKey::Scrambled), false))
                    params = menufile::ScrambleParams(params);
                const bool keepOpen =
                    ini.ReadBool(letter, menufile::entryKey(n, EntryKey::KeepOpen), false);
                reads += 4;
                benchmark::DoNotOptimize(program);
                benchmark::DoNotOptimize(params);
                benchmark::DoNotOptimize(keepOpen);
            }
        }
    }
    state.counters["reads"] = benchmark::Counter(double(reads), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StoreReadAllKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

// One changed value through a fresh object, as a command writes it: atomic replacement of the
// whole file, synced, and the release that makes it durable.
void BM_StoreWriteOne(benchmark::State &state)
{
    const QString path = benchDir().filePath(QStringLiteral("schreiben.ini"));
    QFile::remove(path);
    QFile::copy(largeMenu(), path);
    int i = 0;
    for (auto _ : state) {
        TIniFile ini(path);
        ini.WriteString(QStringLiteral("M"), QStringLiteral("200b"),
                        (i++ % 2) ? QStringLiteral("Übergabe") : QStringLiteral("Übernahme"));
    }
}
BENCHMARK(BM_StoreWriteOne)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
