// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// Layout of a menu file: node sections "A", "B", ...; entry keys {n}b, {n}d, {n}p, {n}v, {n}dc;
// the section "Config".
namespace menufile {

inline const QString kDefaultMenuFile = QStringLiteral("tarvik.ini");
inline const QString kConfigSection = QStringLiteral("Config");
inline const QString kRootKey = QStringLiteral("Root");
inline const QString kExpandKey = QStringLiteral("expand");
inline const QString kNodeId = QStringLiteral("-");
inline const QString kTscMarker = QStringLiteral("?tsc");
// The tree width of the editor: read as "Width", written as "width" (names match without case).
inline const QString kWidthKeyRead = QStringLiteral("Width");
inline const QString kWidthKeyWritten = QStringLiteral("width");
inline constexpr int kDefaultTreeWidth = 150;

enum class EntryKey { Caption, Program, Params, Scrambled, KeepOpen };

// The five suffixes in the order b, d, p, v, dc.
inline constexpr EntryKey kAllEntryKeys[] = {EntryKey::Caption, EntryKey::Program, EntryKey::Params,
                                             EntryKey::Scrambled, EntryKey::KeepOpen};

// "{id}b" etc.; id is the entry index in decimal (or the text of the editor's id field).
QString entryKey(const QString &id, EntryKey key);
QString entryKey(int index, EntryKey key);

// "?tsc" in any mix of ASCII letter case (no trimming).
bool isTscPath(const QString &path);

// XOR 0x1B over the first (length mod 256) Windows-1252 bytes; its own inverse. A text that has
// no Windows-1252 form comes back unchanged.
QString ScrambleParams(const QString &text);

// The node letters in the order every command uses them. See the definition for why it ends.
const QStringList &nodeLetters();

// Position of letter in nodeLetters(), or -1.
int nodeLetterIndex(const QString &letter);

} // namespace menufile
