// SPDX-License-Identifier: MIT
#include "menufile.h"

#include "base/cp1252.h"

#include <array>
#include <vector>

namespace menufile {

namespace {

QLatin1StringView suffix(EntryKey key)
{
    switch (key) {
    case EntryKey::Caption:
        return QLatin1StringView("b");
    case EntryKey::Program:
        return QLatin1StringView("d");
    case EntryKey::Params:
        return QLatin1StringView("p");
    case EntryKey::Scrambled:
        return QLatin1StringView("v");
    case EntryKey::KeepOpen:
        return QLatin1StringView("dc");
    }
    return {};
}

constexpr char kScrambleKey = 0x1B;

} // namespace

QString entryKey(const QString &id, EntryKey key)
{
    return id + suffix(key);
}

QString entryKey(int index, EntryKey key)
{
    // A load asks for five names per entry, and building each (two heap allocations) costs where
    // the heap is slow (Windows programs under Wine): the names of the first entries are built
    // once and shared. A table, not a cache per thread, since threads searching files side by
    // side use it: MinGW's runtime runs a thread_local object's destructor after freeing the
    // thread's storage.
    constexpr int kBuilt = 1024;
    static const std::vector<std::array<QString, std::size(kAllEntryKeys)>> table = [] {
        std::vector<std::array<QString, std::size(kAllEntryKeys)>> names(kBuilt);
        for (int n = 0; n < kBuilt; ++n) {
            for (const EntryKey k : kAllEntryKeys)
                names[size_t(n)][size_t(k)] = QString::number(n) + suffix(k);
        }
        return names;
    }();
    if (index >= 0 && index < kBuilt)
        return table[size_t(index)][size_t(key)];
    return QString::number(index) + suffix(key);
}

bool isTscPath(const QString &path)
{
    // Only ASCII letters fold: a full Unicode upper-casing would let e.g. U+017F (long s) match.
    if (path.size() != kTscMarker.size())
        return false;
    static const QString upper = QStringLiteral("?TSC");
    for (qsizetype i = 0; i < path.size(); ++i) {
        QChar c = path.at(i);
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
        if (c != upper.at(i))
            return false;
    }
    return true;
}

QString ScrambleParams(const QString &text)
{
    // Text that has no Windows-1252 form cannot have come from a menu file, and the store refuses
    // to write it; it is handed back unchanged so the refusal names the real character.
    std::optional<QByteArray> bytes = cp1252::fromUnicode(text);
    if (!bytes)
        return text;
    const qsizetype count = bytes->size() % 256;
    for (qsizetype i = 0; i < count; ++i)
        (*bytes)[i] = char((*bytes)[i] ^ kScrambleKey);
    return cp1252::toUnicode(*bytes);
}

// The launcher reads nodes by consecutive character codes from "A" and stops at the first gap.
// The run ends after "\": "]" would close a header early for any reader that takes the first "]"
// (the launcher's profile functions take the last, but a hand edit or another tool may not), "^"
// and "_" follow, and from "`" on, "a" to "z" would address "A" to "Z" again, since section names
// match without case. Every command (loader, free-letter search, delete) uses this one list.
const QStringList &nodeLetters()
{
    static const QStringList letters = [] {
        QStringList list;
        for (char16_t c = u'A'; c <= u'\\'; ++c)
            list.append(QString(QChar(c)));
        return list;
    }();
    return letters;
}

int nodeLetterIndex(const QString &letter)
{
    return int(nodeLetters().indexOf(letter));
}

} // namespace menufile
