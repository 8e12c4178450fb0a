// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include "model/menumodel.h"

// Find and replace across a menu file and its sub-lists. First a plan lists every change (file,
// node, entry, field, before → after) without writing; then the chosen changes are written, one
// transaction per file, and recorded as one undo step. Parameters stored scrambled are compared
// and replaced in their plain form and stored scrambled again. The items searched are those the
// launcher shows: node captions, and the captions, programs and parameters of the entries.
//
//     const menureplace::Plan plan = menureplace::plan(menureplace::withSubLists(file), options);
//     // ... the user unticks some of plan.changes ...
//     const menureplace::Outcome done = menureplace::apply(plan, chosen);
//     history.record(QStringLiteral("Ersetzen"), done.result);
//     // done.skipped names each file left alone because it changed since the plan
namespace menureplace {

enum Field : unsigned { Captions = 1, Programs = 2, Params = 4, AllFields = 7 };

struct Options
{
    QString find;
    QString replacement;
    unsigned fields = AllFields;
    Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
    bool wholeWords = false; // a match must not have a letter, digit or "_" on either side
};

struct Change
{
    QString file;
    QString letter;
    int index = menu::kNodeIndex; // kNodeIndex: the node's caption
    QString node;                 // the node's caption
    QString entry;                // the entry's caption, empty for a node
    Field field = Captions;
    QString before; // parameters plain
    QString after;
    // Why the change cannot be written, in German (a line break, a text too long, a character
    // the file cannot hold, an entry that would lose its caption); empty when it can.
    QString problem;
};

struct Plan
{
    Options options;
    std::vector<Change> changes;                       // by file, node, entry, field
    std::vector<std::pair<QString, QByteArray>> files; // each file searched, as it was read
};

// The menu file, then its sub-lists: the other files beside it whose name is the menu file's
// name with any extension, in name order.
QStringList withSubLists(const QString &menuFile);

// Reads the files as they stand and lists every change. ERefused for an empty search text;
// EIniFileException for a file that is missing or cannot be read.
Plan plan(const QStringList &files, const Options &options);

struct Outcome
{
    menu::Result result; // everything written, for one undo step; file: the first file written
    QStringList skipped; // a German message per file not written because it changed since the plan
};

// Writes the changes of plan chosen by index (all of them when chosen is empty), one transaction
// per file. A file that changed since the plan is left alone and named in skipped. A chosen
// change with a problem, or one the store refuses, raises ERefused naming the item before any
// file is written. dryRun: nothing is written; result.changes holds what would be.
Outcome apply(const Plan &plan, const std::vector<size_t> &chosen = {}, bool dryRun = false);

// For steps of one's own (a script's list of changes): every change in the transaction's file as
// it now stands, made at once; raises as apply() does. Returns the changes made.
std::vector<Change> replaceIn(transaction::Transaction &t, const QString &file,
                              const Options &options);

} // namespace menureplace
