// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace testfiles {

QByteArray readBytes(const QString &path);
// Rewrites the file in place (same inode), as an editor or another program would.
void writeBytes(const QString &path, const QByteArray &bytes);

// Lines joined with CRLF and ended with one, as the launcher's files are.
QByteArray crlf(const QList<QByteArray> &lines);

// Folder of the test fixtures, and the sample menu shipped with the program.
QString dataDir();
QString sampleMenu();

// The launcher's key in the per-user store, as the store's API names it.
inline const QString kTarvikKey = QStringLiteral("\\Software\\Orvane\\tarvik");

// The per-user store's file: its bytes (empty when there is none), a rewrite that creates the
// folder first, and a file holding the launcher's key with the given value lines.
QByteArray readStore();
void writeStore(const QByteArray &bytes);
QByteArray storeWith(const QList<QByteArray> &valueLines);

} // namespace testfiles
