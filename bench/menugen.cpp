// SPDX-License-Identifier: MIT
// Writes the benchmarks' generated menu into a folder, so that tools outside the benchmark
// program read the very same bytes. Prints the file's path.
#include <cstdio>
#include <cstdlib>

#include "menugenerator.h"

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarvik-menugen FOLDER [NODES ENTRIES [FILE NAME]]\n");
        return 2;
    }
    const int nodes = argc > 3 ? std::atoi(argv[2]) : 26;
    const int entries = argc > 3 ? std::atoi(argv[3]) : 400;
    const QString name = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("tarvik.ini");
    const QString path = bench::writeMenu(QString::fromLocal8Bit(argv[1]), nodes, entries, name);
    std::printf("%s\n", path.toLocal8Bit().constData());
    return 0;
}
