// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "operations/menubatch.h"

// Copy, cut and paste of entries and whole nodes, within a file and between files and running
// editors. The window puts both forms of a Clip on the clipboard:
// - kMimeType with toMime(): everything, the items' places included, so that another editor can
//   paste a cut as a move;
// - plain text with toText(): the lines as they would stand in a menu file, parameters in plain
//   form, for a mail or a text editor; fromText() reads such text (or lines copied out of a menu
//   file) back.
// Pasting prefers fromMime() and falls back to fromText().
namespace menuclip {

inline const QString kMimeType = QStringLiteral("application/x-tarvik-konfig");

struct Entry
{
    menu::Fields fields; // parameters plain
    int index = 0;       // in a node: its index there; loose: its place in the clip
};

struct Node
{
    QString caption;
    bool expand = false;
    std::vector<Entry> entries; // every entry the section holds, at its index
};

struct Clip
{
    std::vector<Entry> entries; // pasted onto a node
    std::vector<Node> nodes;    // pasted as new nodes
    // The copied items as they were seen, and whether they were cut: pasting a cut moves them.
    std::vector<menu::ItemRef> sources;
    bool cut = false;

    bool empty() const { return entries.empty() && nodes.empty(); }
};

// The items as their files hold them now, each checked as seen (EChangedOutside otherwise);
// entries of a node that is copied too go with their node. Reads only.
Clip collect(const std::vector<menu::ItemRef> &items, bool cut);

QByteArray toMime(const Clip &clip);
// nullopt for data that is not of this format or version.
std::optional<Clip> fromMime(const QByteArray &data);

// Loose entries first, numbered from 0, then each node as a section "[A]", "[B]", ... with its
// entries at their indices. A first comment line says that the parameters stand plain.
QString toText(const Clip &clip);
// Entries are the keys {n}b, {n}d, {n}p, {n}v, {n}dc with a caption or a program; a section with
// "Root" is a node. Parameters marked scrambled ({n}v=1) are taken as plain in a text of
// toText() and as stored (scrambled) in lines copied out of a menu file. Text without entries
// or nodes raises transaction::ERefused with a German message. Never a cut.
Clip fromText(const QString &text);

// Pastes loose entries onto the target node at its first free indices (an empty caption becomes
// "(Unbenannt)", as in a save) and nodes as new nodes of the target file, each with its entries
// at their indices. A cut clip is moved instead (menu::moveItems): its sources are checked as
// seen, copied as their files then hold them and deleted after, in one step. Everything the
// target file refuses (a caption outside Windows-1252, a value too long, ...) is refused before
// any write: nothing is half pasted. Result: the target node and the first pasted entry's index,
// or the first new node. A cut pasted once has no sources left: pasted again it is refused
// (EChangedOutside), so the window puts the clip back on the clipboard with cut cleared, as a
// copy, or drops it.
menu::Result paste(transaction::Transaction &t, const Clip &clip, const menu::Target &target);
menu::Result paste(const Clip &clip, const menu::Target &target);

} // namespace menuclip
