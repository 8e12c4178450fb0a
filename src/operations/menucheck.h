// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "model/transaction.h"

// What a menu file stores that the launcher does not show, or shows differently from what it
// stores, and the repair that makes every stored node and entry visible again. The launcher
// silently stops at the first gap, so without this nobody learns that half a menu is gone.
namespace menucheck {

enum class Kind {
    HiddenNode,          // a node behind the letter gap
    NodeWithoutRoot,     // a node section with keys but no "Root": no node, and a gap
    StarRoot,            // "Root=*" in a section with keys: read as missing, taken for free
    HiddenEntry,         // an entry behind the index gap
    EntryWithoutCaption, // an entry with keys but a missing or empty caption
    DuplicateSection,    // a second copy of a section: never read
    DuplicateKey,        // a second key of one name in a section: never read
    MissingProgram,      // an entry without {n}d
    MissingKeys,         // an entry without keys the editor always writes
    ScrambledControl,    // scrambled parameters that decode to control characters
    QuotedValue,     // quotes the launcher strips although the editor would not have written them
    UnreadEntryKey,  // "01b" and the like: looks like an entry key, never read
    KeyWithoutValue, // a key line without "=": no value, and later keys of its name unread
    NulInValue,      // a NUL byte in a value: the launcher reads only what stands before it
};

// The kind's stable name for scripts ("hidden-node", ...).
QString kindName(Kind kind);

struct Finding
{
    QString file;
    int line = 0;  // 1-based line of the stored item
    QString node;  // caption of the node (its "Root" as stored), or empty
    QString entry; // caption of the entry, or empty
    QString message;
    Kind kind = Kind::HiddenNode;
    QString section;     // the section ("A", "Config", ...)
    int index = -1;      // entry index, or -1 for a node or section
    bool inMenu = false; // the launcher shows the node or entry (so the editor's tree does)
};

// The bytes of the menu file at path; EIniFileException when it is missing or cannot be read.
QByteArray readMenuFile(const QString &path);

// The findings for the file at path, ordered by line; none for a clean file. Raises
// EIniFileException when the file is missing or cannot be read.
std::vector<Finding> check(const QString &path);
// The same on the file's bytes; file only names it in the findings.
std::vector<Finding> check(const QString &file, const QByteArray &bytes);

// One stored line of an item, as it stands in the file.
struct StoredLine
{
    int line = 0;
    QString text; // "key=value" as stored
};

// The lines a node (index -1: the whole first copy of the section) or an entry (its keys) has
// in the first copy of its section, for showing a hidden item read-only.
std::vector<StoredLine> storedLines(const QByteArray &bytes, const QString &section, int index);

struct RepairResult
{
    transaction::Changes changes;
    QStringList moved;   // "Knoten [D] → [C]: Zwei", "Eintrag [A] 5 → 3: Drei"
    QStringList skipped; // what the repair left alone, and why
};

// Closes letter and index gaps in one transaction: node sections are renamed to consecutive
// letters in their stored order (lines kept byte for byte), entries renumbered with their stored
// values. Nothing is removed; sections and entries the launcher cannot show (no "Root", no
// caption) move behind the shown ones. A node whose entry keys occur twice is left as it is,
// since moving a key would bring its second copy to light. Raises like check() and the stores.
// asChecked: the bytes the findings shown were found in; a file that no longer holds them raises
// EChangedOutside and nothing is written, since the repair would close other gaps than shown.
RepairResult repair(const QString &path, const std::optional<QByteArray> &asChecked = std::nullopt);

} // namespace menucheck
