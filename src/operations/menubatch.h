// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <vector>

#include "model/menumodel.h"

// Commands on several items at once (entries of different nodes, whole nodes, across two
// files), each one step: one transaction, one write per file, one undo step. Every item is
// checked as seen before anything changes, and the changes are made in an order in which the
// compaction of one delete never moves another item before its turn: entries from the highest
// index down, nodes from the last letter up. Errors as for the single commands (menumodel.h);
// nothing is written when one item refuses.
namespace menu {

// Deletes every node and entry; entries of a node that goes too go with it. Result: the file
// and place of the first item given.
Result deleteItems(transaction::Transaction &t, const std::vector<ItemRef> &items);
Result deleteItems(const std::vector<ItemRef> &items);

// Where copied or moved items go: entries onto node (first free indices, in the order given),
// nodes into file as new nodes (first free letters). node may be left out when no entry goes.
// mayCreateFile: the file is a menu opened as new, which its first nodes create.
struct Target
{
    QString file;
    std::optional<ItemRef> node;
    bool mayCreateFile = false;
};

// Copies the items, each keeping every stored key (flags, scrambled parameters and, for a node,
// every key of its section). Result: the target node and the first copied entry's index, or,
// for nodes only, the first new node.
Result copyItems(transaction::Transaction &t, const std::vector<ItemRef> &items,
                 const Target &target);
Result copyItems(const std::vector<ItemRef> &items, const Target &target);

// Copies as above, then deletes the sources as deleteItems does. Entries already on the target
// node and nodes already in the target file stay where they are (a drop onto its own node
// changes nothing). The target's file is written first, so a failure between two files leaves
// the items twice, never lost. Result as for copyItems, where the items now stand.
Result moveItems(transaction::Transaction &t, const std::vector<ItemRef> &items,
                 const Target &target);
Result moveItems(const std::vector<ItemRef> &items, const Target &target);

// For steps of one's own: the target's file once the target node is as seen (its caption and
// flag) or, without a node, once the file exists (or may be created); and the letter a new node
// of a copy takes there, refused when its section still holds keys that would mix into the node.
TMemIniFile &targetFile(transaction::Transaction &t, const Target &target);
QString letterForNewNode(TMemIniFile &file);

} // namespace menu
