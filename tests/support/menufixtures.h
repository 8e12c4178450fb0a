// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "model/menumodel.h"

// Menu files for the tests of the menu commands, in every encoding the store writes.
namespace menufixtures {

// The five lines of entry n as the editor writes them: program caption.exe, parameters
// "-caption" (scrambled when asked).
QList<QByteArray> entry(int n, const QByteArray &caption, bool scrambled = false,
                        bool keepOpen = false);

enum class Encoding { Windows1252, Utf8, Utf16 };
inline constexpr Encoding kEncodings[] = {Encoding::Windows1252, Encoding::Utf8, Encoding::Utf16};
QString nameOf(Encoding encoding);
// A test's data: the column "encoding" with a row for each encoding.
void addEncodingRows();
// Lines given in Windows-1252, joined with CRLF, in the encoding with its byte-order mark.
QByteArray file(const QList<QByteArray> &lines, Encoding encoding = Encoding::Windows1252);

// The node of that caption, or its entry at index, as the file now shows it.
menu::ItemRef itemOf(const QString &path, const QString &node, int index = menu::kNodeIndex);

// What the launcher shows: "A:caption" per node, "  0:caption" per entry.
QStringList shown(const QString &path);

} // namespace menufixtures
