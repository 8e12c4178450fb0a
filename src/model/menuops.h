// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

class TCustomIniFile;
class TMemIniFile;

// The steps the structural commands share. Free places and runs are found with the store's
// existence probe, so no stored value ("*" included) is ever taken for a free place.
namespace menuops {

// The stored keys of one entry ({n}b, {n}d, {n}p, {n}v, {n}dc); nullopt where a key is missing.
struct EntryKeys
{
    std::optional<QString> caption;
    std::optional<QString> program;
    std::optional<QString> params;
    std::optional<QString> scrambled;
    std::optional<QString> keepOpen;

    bool exists() const { return caption || program || params || scrambled || keepOpen; }
    bool operator==(const EntryKeys &other) const;
    bool operator!=(const EntryKeys &other) const { return !(*this == other); }
};

// True when any of the five keys of entry index exists, whatever its value.
bool entryExists(TCustomIniFile &file, const QString &section, int index);

EntryKeys readEntryKeys(TCustomIniFile &file, const QString &section, int index);

// Writes the keys that are present and deletes those that are missing, so the entry at index
// ends up exactly as given.
void writeEntryKeys(TCustomIniFile &file, const QString &section, int index, const EntryKeys &keys);

// The first letter of menufile::nodeLetters() that the loader would not read as a node ("Root"
// missing or "*"); nullopt when every letter is taken.
std::optional<QString> freeNodeLetter(TCustomIniFile &file);

// The first index n from `from` on for which none of the five entry keys exists. Adding several
// entries, each search may start after the index the last one took.
int freeEntryIndex(TCustomIniFile &file, const QString &section, int from = 0);

// The last index of the run of existing entries that starts at index.
int lastEntryOfRun(TCustomIniFile &file, const QString &section, int index);

// The indices that the entry keys of the section name, ascending.
QList<int> namedEntryIndices(TCustomIniFile &file, const QString &section);

// Removes entry index of section and fills the hole with the last entry of its run.
void deleteEntryCompacting(TCustomIniFile &file, const QString &section, int index);

// Erases node section letter and renames the last section of the run of letters after it into
// the hole, its lines kept byte for byte.
void deleteNodeCompacting(TMemIniFile &file, const QString &letter);

// The sub-list file an export of a node with that caption writes: the menu file's name with
// its extension replaced by "." and the caption without blanks.
QString exportFileName(const QString &menuFile, const QString &caption);

// Why a caption cannot name an export file (path separators, "..", characters Windows forbids
// in file names, control characters), as a German message; nullopt when it can.
std::optional<QString> exportNameProblem(const QString &caption);

// Writes node "A" of target from caption, expand and every entry of section in source (also
// those behind a gap), each at its index with exactly the keys it has.
void copyNodeToFile(TCustomIniFile &source, const QString &section, TCustomIniFile &target,
                    const QString &caption, bool expand);

} // namespace menuops
