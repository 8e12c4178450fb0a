// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace testfiles {

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

// Lines joined with CRLF and ended with one, as the launcher's files are.
QByteArray crlf(const QList<QByteArray> &lines);

// Folder of the test fixtures, and the sample menu shipped with the program.
QString dataDir();
QString sampleMenu();

} // namespace testfiles
