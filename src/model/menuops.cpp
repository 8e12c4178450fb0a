// SPDX-License-Identifier: MIT
#include "menuops.h"

#include <QRegularExpression>

#include <algorithm>

#include "base/mtools.h"
#include "model/menufile.h"
#include "store/tinifile.h"

namespace menuops {

using menufile::EntryKey;
using menufile::entryKey;

namespace {

// The order in which the delete's compaction writes an entry, and the export's.
constexpr EntryKey kMoveOrder[] = {EntryKey::Caption, EntryKey::Program, EntryKey::Params,
                                   EntryKey::Scrambled, EntryKey::KeepOpen};
constexpr EntryKey kExportOrder[] = {EntryKey::Program, EntryKey::Params, EntryKey::Caption,
                                     EntryKey::Scrambled, EntryKey::KeepOpen};

std::optional<QString> &field(EntryKeys &keys, EntryKey key)
{
    switch (key) {
    case EntryKey::Caption:
        return keys.caption;
    case EntryKey::Program:
        return keys.program;
    case EntryKey::Params:
        return keys.params;
    case EntryKey::Scrambled:
        return keys.scrambled;
    case EntryKey::KeepOpen:
        break;
    }
    return keys.keepOpen;
}

const std::optional<QString> &field(const EntryKeys &keys, EntryKey key)
{
    return field(const_cast<EntryKeys &>(keys), key);
}

template <size_t N>
void putEntry(TCustomIniFile &file, const QString &section, int index, const EntryKeys &keys,
              const EntryKey (&order)[N])
{
    for (EntryKey key : order) {
        const std::optional<QString> &value = field(keys, key);
        if (value)
            file.WriteString(section, entryKey(index, key), *value);
        else
            file.DeleteKey(section, entryKey(index, key));
    }
}

} // namespace

QList<int> namedEntryIndices(TCustomIniFile &file, const QString &section)
{
    QStringList names;
    file.ReadSection(section, names);
    QList<int> indices;
    for (const QString &name : std::as_const(names)) {
        // "01b" is a key of its own, not one of entry 1.
        if (const auto entry = menufile::entryName(QStringView(name)); entry && !entry->leadingZero)
            indices.append(entry->index);
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

namespace {

void deleteEntry(TCustomIniFile &file, const QString &section, int index)
{
    for (EntryKey key : kMoveOrder)
        file.DeleteKey(section, entryKey(index, key));
}

} // namespace

bool EntryKeys::operator==(const EntryKeys &other) const
{
    return caption == other.caption && program == other.program && params == other.params &&
           scrambled == other.scrambled && keepOpen == other.keepOpen;
}

bool entryExists(TCustomIniFile &file, const QString &section, int index)
{
    for (EntryKey key : menufile::kAllEntryKeys) {
        if (file.ValueExists(section, entryKey(index, key)))
            return true;
    }
    return false;
}

EntryKeys readEntryKeys(TCustomIniFile &file, const QString &section, int index)
{
    // No value holds a line break, so this default tells a missing key in one lookup.
    static const QString missing = QStringLiteral("\n");
    EntryKeys keys;
    for (EntryKey key : menufile::kAllEntryKeys) {
        QString value = file.ReadString(section, entryKey(index, key), missing);
        if (value.size() != 1 || value.front() != u'\n')
            field(keys, key) = std::move(value);
    }
    return keys;
}

void writeEntryKeys(TCustomIniFile &file, const QString &section, int index, const EntryKeys &keys)
{
    putEntry(file, section, index, keys, kMoveOrder);
}

std::optional<QString> freeNodeLetter(TCustomIniFile &file)
{
    // The loader's rule: a letter whose "Root" is missing or "*" shows no node, so it is free.
    static const QString probe = QStringLiteral("*");
    for (const QString &letter : menufile::nodeLetters()) {
        if (file.ReadString(letter, menufile::kRootKey, probe) == probe)
            return letter;
    }
    return std::nullopt;
}

int freeEntryIndex(TCustomIniFile &file, const QString &section, int from)
{
    int index = from;
    while (entryExists(file, section, index))
        ++index;
    return index;
}

int lastEntryOfRun(TCustomIniFile &file, const QString &section, int index)
{
    int last = index;
    while (entryExists(file, section, last + 1))
        ++last;
    return last;
}

void deleteEntryCompacting(TCustomIniFile &file, const QString &section, int index)
{
    const int last = lastEntryOfRun(file, section, index);
    if (last != index)
        putEntry(file, section, index, readEntryKeys(file, section, last), kMoveOrder);
    deleteEntry(file, section, last);
}

void deleteNodeCompacting(TMemIniFile &file, const QString &letter)
{
    QString last = letter;
    const QStringList &letters = menufile::nodeLetters();
    const int start = menufile::nodeLetterIndex(letter);
    if (start >= 0) {
        for (int i = start + 1; i < letters.size() && file.SectionExists(letters.at(i)); ++i)
            last = letters.at(i);
    }
    file.EraseSection(letter);
    if (last != letter)
        file.RenameSection(last, letter);
}

QString exportFileName(const QString &menuFile, const QString &caption)
{
    qsizetype nameStart = 0;
    for (qsizetype i = menuFile.size() - 1; i >= 0; --i) {
        const QChar c = menuFile.at(i);
        if (c == u'/' || c == u'\\' || c == u':') {
            nameStart = i + 1;
            break;
        }
    }
    qsizetype dot = menuFile.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        dot = menuFile.size();
    return menuFile.left(dot) + QLatin1Char('.') + RemoveSpaces(caption);
}

std::optional<QString> exportNameProblem(const QString &caption)
{
    const QString name = RemoveSpaces(caption);
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Die Beschriftung enthält ein Steuerzeichen und kann deshalb "
                                  "nicht als Dateiname für den Export dienen.");
        if (forbidden.contains(c))
            return QStringLiteral("Die Beschriftung enthält das Zeichen \"%1\", das in "
                                  "Dateinamen nicht erlaubt ist. Ändern Sie die Beschriftung "
                                  "vor dem Export.")
                .arg(c);
    }
    if (name.endsWith(QLatin1Char('.')))
        return QStringLiteral("Die Beschriftung endet mit einem Punkt, den Windows in Dateinamen "
                              "weglässt. Ändern Sie die Beschriftung vor dem Export.");
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (device.match(name.section(QLatin1Char('.'), 0, 0)).hasMatch())
        return QStringLiteral("„%1“ ist unter Windows ein Gerätename und kann deshalb nicht als "
                              "Dateiname für den Export dienen.")
            .arg(name.section(QLatin1Char('.'), 0, 0));
    if (name.contains(QLatin1StringView("..")))
        return QStringLiteral("Die Beschriftung enthält \"..\" und kann deshalb nicht als "
                              "Dateiname für den Export dienen.");
    return std::nullopt;
}

void copyNodeToFile(TCustomIniFile &source, const QString &section, TCustomIniFile &target,
                    const QString &caption, bool expand)
{
    // The node is deleted after the copy, so entries behind a gap (hidden by the loader, but
    // still in the file) go along instead of being lost. Everything is read before the first
    // write, so the copy stays whole even if target and source were ever the same file.
    QList<std::pair<int, EntryKeys>> entries;
    for (int index : namedEntryIndices(source, section))
        entries.append({index, readEntryKeys(source, section, index)});

    static const QString node = menufile::nodeLetters().first();
    target.WriteString(node, menufile::kRootKey, caption);
    target.WriteBool(node, menufile::kExpandKey, expand);
    for (const auto &[index, keys] : std::as_const(entries))
        putEntry(target, node, index, keys, kExportOrder);
}

} // namespace menuops
