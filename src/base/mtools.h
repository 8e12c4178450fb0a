// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The text without blanks (code 32); every other character stays.
QString RemoveSpaces(const QString &text);
