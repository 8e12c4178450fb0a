// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "operations/menureplace.h"

// Changes to menus given by a script: from the command line's arguments or a JSON list. Each is
// one of the window's commands on an item named by menuaddress, applied in order inside one
// transaction, so that a file gets all of them or, at the first refusal, none.
//
// The JSON list is an array of objects, each with "op" and the fields of its kind:
//   {"op": "add-node",  "caption": "Lager", "expand": true}
//   {"op": "add-entry", "node": "Lager", "caption": "Scan", "program": "C:\\scan.exe",
//                       "params": "-a", "scrambled": false, "keepOpen": false}
//   {"op": "set",       "item": "Lager/Scan", "program": "D:\\scan.exe"}   (any of caption,
//                       program, params, scrambled, keepOpen for an entry; caption, expand for
//                       a node)
//   {"op": "delete",    "item": "Lager/Scan"}
//   {"op": "move",      "item": "Lager/Scan", "target": "Technik", "targetFile": "tarvik.Kasse"}
//   {"op": "replace",   "find": "srv1", "replace": "srv2", "in": ["captions", "programs",
//                       "params"], "ignoreCase": true, "wholeWord": false}
namespace menuscript {

enum class Op { AddNode, AddEntry, Set, Delete, Move, Replace };

struct Change
{
    Op op = Op::Set;
    QString place;      // where it was given, for messages: "$[3]", "--set"
    QString item;       // AddEntry: the node; Set, Delete, Move: the item
    QString target;     // Move: the node it goes to
    QString targetFile; // Move: another file; empty: the same
    std::optional<QString> caption;
    std::optional<QString> program;
    std::optional<QString> params;
    std::optional<bool> scrambled;
    std::optional<bool> keepOpen;
    std::optional<bool> expand;
    menureplace::Options replace;
};

// The op's name in JSON ("add-node", ...).
QString nameOf(Op op);

// Reads a JSON list. ERefused naming the place for malformed JSON (line and column), and with
// its JSON path ("$[2].caption") for an unknown op or field, a value of the wrong type, a missing
// field and a text no menu file can hold (line break, NUL, longer than menu::kMaxValueLength).
std::vector<Change> fromJson(const QByteArray &json, const QString &fileName);

// One "FIELD=VALUE" of the command line's --set, into change, with the same checks.
void setField(Change &change, const QString &assignment);
// The same checks for a text given otherwise; place names it in the message.
void checkText(const QString &place, const QString &text);

// What one change did.
struct Done
{
    QString text; // one German line
    QString op;
    QString file;
    QString letter;
    QString node;  // the node's caption
    QString entry; // the entry's caption, for an entry
    int index = menu::kNodeIndex;
    QString field; // where a field changed: its name, and the values (plain parameters)
    QJsonValue before;
    QJsonValue after;
    QString targetFile; // a move: where the entry went
    QString targetLetter;
    int targetIndex = menu::kNodeIndex;
    bool found = true; // a replace that found nothing: false, and only op and file are set

    // op, file, letter, node, and as they apply index, entry, field, before, after,
    // targetFile, targetLetter, targetIndex; or op, file and "found": 0.
    QJsonObject json() const;
};

// Applies the changes in order to file, each on the file as the changes before it left it (the
// other files that moves go to included, which are used first so that they are written first).
// Raises at the first refusal: ERefused and the stores' errors, the message led by the change's
// place; the caller drops the transaction, so nothing is written.
std::vector<Done> apply(transaction::Transaction &t, const QString &file,
                        const std::vector<Change> &changes);

// A file a script may change: it exists, can be read, and reads as a menu file (before its first
// section only blank and comment lines). EIniFileException otherwise.
void refuseNonMenu(const QString &path);

} // namespace menuscript
