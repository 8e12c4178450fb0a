// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The text without blanks (code 32); every other character stays.
QString RemoveSpaces(const QString &text);

// Moves every key of section source into section target of the file and removes source.
// Writes the target first and erases the source afterwards, so a failure in between leaves a
// duplicate, never a loss. False when source has no key or any operation failed; never throws.
bool RenameSection(const QString &fileName, const QString &source, const QString &target);
