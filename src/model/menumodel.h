// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

#include "model/menuops.h"
#include "model/transaction.h"

class TCustomIniFile;
class TMemIniFile;

// The menu as the launcher reads it, and every command that changes it as a transaction on the
// files as they stand. The window shows a Menu, keeps an ItemRef of the item in its panel, and
// hands both back to a command, which first checks that the file still holds the item as shown.
namespace menu {

inline constexpr int kNodeIndex = -1;
// The longest caption, program or parameter line a command writes anew: the launcher reads
// values into a buffer of 2048 bytes, so a longer one would come back cut.
inline constexpr int kMaxValueLength = 2047;

struct Entry
{
    int index = 0;
    QString caption;
    QString program;
    QString params; // plain, also when stored scrambled
    bool scrambled = false;
    bool keepOpen = false;
    menuops::EntryKeys stored; // the five keys as they stand in the file
};

struct Node
{
    QString letter;
    QString caption;
    bool expand = false;
    std::optional<QString> storedExpand;
    std::vector<Entry> entries; // as the launcher shows them: from index 0 to the first gap
    // The keys at the index where the launcher stops (usually none): what the node's run ends at.
    menuops::EntryKeys runEnd;
    QList<int> hiddenEntries; // indices that hold entry keys behind that gap
};

struct Menu
{
    QString path;
    bool exists = false;
    std::vector<Node> nodes; // as the launcher shows them: from "A" to the first gap
    QStringList hiddenNodes; // node letters behind that gap whose sections hold keys
    int treeWidth = 0;
};

// Reads the menu file at path. A missing file is an empty menu; one that exists but cannot be
// read raises EIniFileException "%s kann nicht gelesen werden".
Menu load(const QString &path);
// listHidden false: hiddenEntries and hiddenNodes stay empty, which saves going through every key.
Menu read(TCustomIniFile &file, bool exists, bool listHidden = true);

// Changes whenever the file at path is changed or replaced: compare two to notice another
// program's change without reading the file.
QByteArray version(const QString &path);

// A node or entry as the user saw it, for the commands that act on it.
struct ItemRef
{
    QString file;
    QString letter;
    int index = kNodeIndex;
    QString caption;
    std::vector<std::optional<QString>> seen;    // node: Root, expand; entry: b, d, p, v, dc
    std::vector<menuops::EntryKeys> seenEntries; // node: its shown entries and its run end

    bool isNode() const { return index == kNodeIndex; }
};

ItemRef refOf(const Menu &menu, const Node &node);
ItemRef refOf(const Menu &menu, const Node &node, const Entry &entry);

// What the panel holds: for a node caption and expand, for an entry the rest.
struct Fields
{
    QString caption;
    QString program;
    QString params; // plain
    bool scrambled = false;
    bool keepOpen = false;
    bool expand = false;
};

// Whether a find for text shows an entry with these texts: its caption, program or plain
// parameters contain text, letter case aside. An empty text shows every entry.
bool matchesFind(QStringView text, const QString &caption, const QString &program,
                 const QString &params);

// The item a command wrote (or the one now standing where it deleted), and the file changes.
struct Result
{
    transaction::Changes changes;
    QString file;
    QString letter;
    int index = kNodeIndex;
};

// The fields an item held as seen, or an entry's stored keys (plain parameters).
Fields fieldsOf(const ItemRef &item);
Fields fieldsOf(const menuops::EntryKeys &keys);

// Every command raises EChangedOutside, writing nothing, when the file no longer holds the item
// as seen (or is gone), ERefused for what the user must change first (a caption, program or
// parameter line longer than kMaxValueLength included), and the stores' errors.
//
// Each command is also a step that takes a transaction::Transaction as its first argument: it
// works on the files as the transaction holds them, with the changes of the steps before, and
// raises the same errors; nothing is written until the transaction commits. Several steps so
// make one all-or-nothing write per file and one undo step:
//
//     menu::Result result = menu::run([&](transaction::Transaction &t) {
//         menu::deleteItem(t, first);
//         return menu::saveItem(t, *menu::refIn(t, file, letter, index), fields);
//     });
//     history.record(name, result);
//
// A step's ItemRef must describe the item as the transaction holds it at that step: after a
// step that changed the file, take it again with refIn() (a delete moves the last entry or node
// into the hole). The one-argument-shorter functions are the step run alone.
Result saveItem(const ItemRef &shown, const Fields &fields);
Result saveItem(transaction::Transaction &t, const ItemRef &shown, const Fields &fields);
// A new entry of the node at the first free index as the file now stands.
Result saveNewEntry(const ItemRef &node, const Fields &fields);
Result saveNewEntry(transaction::Transaction &t, const ItemRef &node, const Fields &fields);
// mayCreateFile: the menu was opened as new, so its first node creates the file.
Result createNode(const QString &file, const QString &caption, bool mayCreateFile);
Result createNode(transaction::Transaction &t, const QString &file, const QString &caption,
                  bool mayCreateFile);
// The first index a new entry of the node would take now.
int freeEntryIndex(const QString &file, const QString &letter);
// Why createNode would refuse now, asked before the user types a caption; nullopt when it would
// not.
std::optional<QString> nodeRefusal(const QString &file, bool mayCreateFile);
Result deleteItem(const ItemRef &shown);
Result deleteItem(transaction::Transaction &t, const ItemRef &shown);
// Moves the source entry to the first free index of target with every stored key, then writes
// fields over it where they differ from what the source held (edits typed before the move),
// and deletes the source; across two files the copy is written first.
Result moveEntry(const ItemRef &source, const ItemRef &target, const Fields &fields);
Result moveEntry(transaction::Transaction &t, const ItemRef &source, const ItemRef &target,
                 const Fields &fields);
Result duplicateEntry(const ItemRef &shown, const Fields &fields);
Result duplicateEntry(transaction::Transaction &t, const ItemRef &shown, const Fields &fields);
// Copies the node with caption and expand into its own sub-list, then (deleteNode) removes it
// from the menu; the sub-list is written first. Result names the sub-list.
Result exportNode(const ItemRef &shown, const QString &caption, bool expand, bool deleteNode);
Result exportNode(transaction::Transaction &t, const ItemRef &shown, const QString &caption,
                  bool expand, bool deleteNode);

// For steps of one's own: the item's file as the transaction holds it, once it holds the item
// as seen (wholeNode: a node with every entry it showed), else EChangedOutside.
TMemIniFile &checkedFile(transaction::Transaction &t, const ItemRef &item, bool wholeNode = true);
// ERefused naming what ("Die Beschriftung") when value is longer than kMaxValueLength, unless it
// is what the file holds there already (stored).
void refuseLong(const QString &what, const QString &value,
                const std::optional<QString> &stored = std::nullopt);
// ERefused for a node caption the launcher reads as no node ("*").
void refuseHiddenNode(const QString &caption);
// Writes the five keys of entry index from fields, with the commands' refusals (too long,
// scrambled text outside Windows-1252) and the store's; the caption as given.
void writeEntry(TCustomIniFile &file, const QString &letter, int index, const Fields &fields);

// Runs steps in one transaction (again on the files as they then stand when another program
// changed one meanwhile) and commits: the Result the steps return, with what was written.
Result run(const std::function<Result(transaction::Transaction &)> &steps);

// The node (index kNodeIndex) or entry as the transaction's file now shows it, for the step
// after one that changed the file; nullopt when the launcher shows no such item there.
std::optional<ItemRef> refIn(transaction::Transaction &t, const QString &file,
                             const QString &letter, int index = kNodeIndex);
// The sub-list an export of a node with that caption would write, or ERefused with the reason.
QString exportTarget(const QString &menuFile, const QString &caption);
// Stores the tree width; a file that does not exist is not created for it.
transaction::Changes writeWidth(const QString &file, int width);

} // namespace menu
