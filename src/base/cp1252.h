// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Menu files are Windows-1252 bytes. The mapping covers all 256 byte values (the five bytes
// Windows-1252 leaves undefined map to the C1 control code points, as Windows does), so any
// file decodes and encodes back byte for byte.
namespace cp1252 {

QString toUnicode(QByteArrayView bytes);

// nullopt when the text holds a character that has no Windows-1252 byte.
std::optional<QByteArray> fromUnicode(QStringView text);

// Writes the text.size() bytes of text to out; false when a character has no byte.
bool encodeInto(QStringView text, char *out);

// The first character of text that has no Windows-1252 byte, or nullopt when all have one.
std::optional<QChar> firstUnencodable(QStringView text);

} // namespace cp1252
