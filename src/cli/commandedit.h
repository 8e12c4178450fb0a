// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// The command line's changing commands (--add-node, --add-entry, --set, --delete, --move,
// --replace, --apply), run as the window's transactions: every file is checked, changed in
// memory and written once, all or nothing. Output is returned, not printed, so that the caller
// prints it as it prints everything else.
namespace commandedit {

struct Request
{
    QString command;       // "add-node", ...; empty: none was given
    QStringList arguments; // the positional arguments
    QString name;
    QString program;
    QString params;
    QString to;
    QString in;
    bool hasName = false;
    bool hasProgram = false;
    bool hasParams = false;
    bool scramble = false;
    bool keepOpen = false;
    bool ignoreCase = false;
    bool wholeWord = false;
    bool dryRun = false;
    bool json = false;
};

// The German help of these commands, for --help.
QString help();

// Adds the commands and their options to parser.
void addOptions(QCommandLineParser &parser);

// The request the parsed command line makes; command is empty when it names none. error: what is
// wrong with the call (an option of these commands without one of them, two commands), in German.
Request fromParser(const QCommandLineParser &parser, QString *error);

struct Outcome
{
    int code = 0; // 0 done or nothing to do, 2 refused or failed: nothing written
    QString out;
    QString err;
};

Outcome run(const Request &request);

} // namespace commandedit
