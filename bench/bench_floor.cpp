// SPDX-License-Identifier: MIT
// The physical floor for everything that reads a menu: one plain read of the file's bytes, from
// the page cache, into one buffer.
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "menugenerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void BM_ReadMenuBytes(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(bench::writeMenu(dir.path(), 26, 400));
    std::vector<char> buffer;
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        struct stat st = {};
        ::fstat(fd, &st);
        buffer.resize(size_t(st.st_size));
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        if (got != st.st_size)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * qint64(buffer.size()));
}
BENCHMARK(BM_ReadMenuBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
