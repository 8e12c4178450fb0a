// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <climits>
#include <optional>

#include "base/namefold.h"

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

// What a key name stands for as an entry key: "12b" is entry 12's caption, in any letter case.
struct EntryName
{
    int index = -1;
    EntryKey key = EntryKey::Caption;
    bool leadingZero = false; // "01b": looks like one, but the launcher asks for "1b"
};

// For names as file bytes and as Unicode text alike; nullopt for any other name, and for an
// index beyond int.
template <typename View> std::optional<EntryName> entryName(View name)
{
    static constexpr std::pair<const char *, EntryKey> kSuffixes[] = {
        {"dc", EntryKey::KeepOpen}, {"b", EntryKey::Caption},   {"d", EntryKey::Program},
        {"p", EntryKey::Params},    {"v", EntryKey::Scrambled},
    };
    for (const auto &[suffix, key] : kSuffixes) {
        const qsizetype length = qsizetype(std::char_traits<char>::length(suffix));
        if (name.size() <= length)
            continue;
        bool matches = true;
        for (qsizetype i = 0; i < length; ++i)
            matches =
                matches && namefold::fold(name[name.size() - length + i]) == char16_t(suffix[i]);
        if (!matches)
            continue;
        const qsizetype digits = name.size() - length;
        qint64 index = 0;
        for (qsizetype i = 0; i < digits; ++i) {
            const char16_t c = namefold::code(name[i]);
            if (c < u'0' || c > u'9')
                return std::nullopt;
            index = index * 10 + (c - u'0');
            if (index > INT_MAX)
                return std::nullopt;
        }
        return EntryName{int(index), key, digits > 1 && namefold::code(name[0]) == u'0'};
    }
    return std::nullopt;
}

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
