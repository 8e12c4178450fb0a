// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace bench {

// Writes a realistic German menu file into dir: a "Config" section and nodes "A", "B", ...
// with entries captions, program paths, remote-desktop entries and parameters, a share of
// them scrambled. The same arguments give the same bytes. 26 × 400 is about 0.9 MB.
// Returns the file's path.
QString writeMenu(const QString &dir, int nodes, int entries,
                  const QString &fileName = QStringLiteral("tarvik.ini"));

} // namespace bench
