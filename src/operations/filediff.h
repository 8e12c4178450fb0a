// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include "model/transaction.h"

// What a transaction would change, as people read it: the file's text in its own encoding and a
// unified diff of it, for dry runs and previews.
namespace filediff {

// The text of a menu file's bytes: Windows-1252, or UTF-8 or UTF-16 after their byte-order mark
// (which is left out), line ends as they stand.
QString textOf(const QByteArray &bytes);

// A unified diff ("--- path", "+++ path", "@@ -l,n +l,n @@", lines with " ", "-", "+") of the
// change's text, with context lines around each change; "\n" ends each line, whatever ends it in
// the file. A file created or removed is diffed against /dev/null. Empty when the texts are
// equal.
QString unified(const transaction::FileChange &change, int context = 3);

} // namespace filediff
