// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace datafolder {

// The folder the program looks for its menu file in: "daten" beside the program when it exists,
// else the program's own folder; for an installed program, whose folder is a system folder the
// user cannot write, a folder of the user's own, created on first start.
QString dataFolderFor(const QString &programFolder);

} // namespace datafolder
