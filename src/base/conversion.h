// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The number syntax the launcher's profile reader accepts: leading blanks (code 32 only),
// then either hexadecimal ("$", "x", "X", "0x", "0X" and up to eight significant digits, taken
// as a signed 32-bit pattern) or decimal (optional sign, digits, within the 32-bit range), and
// nothing after it.
std::optional<qint32> parseProfileInteger(const QString &text);

// parseProfileInteger or def.
qint32 StrToIntDef(const QString &text, qint32 def);

// parseProfileInteger or EConvertError "'%s' ist kein gültiger Integerwert".
qint32 StrToInt(const QString &text);
