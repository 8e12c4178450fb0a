// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

class QWidget;

// The program's version data: an INI-like text built into the program, holding the string
// block "StringFileInfo\040704E4" (German, code page 1252) as on the launcher's platform.
namespace versioninfo {

inline const QString kDataPath = QStringLiteral(":/version/versioninfo.txt");

// The value under a path such as "StringFileInfo\040704E4\FileVersion"; nullopt when the data,
// the block or the value is missing.
std::optional<QString> queryValue(const QString &data, const QString &path);

// The version box's text; nullopt when there is no version block to show.
std::optional<QString> versionText(const QString &dataPath = kDataPath);

// Shows the version box; without version data nothing is shown.
void ShowVersionInfo(QWidget *parent, const QString &dataPath = kDataPath);

} // namespace versioninfo
