// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include "cli/commandedit.h"

// The program's command line: the window, or the menu check, the listing, the repair and the
// changing commands for scripts, which need no display and load no window code.
namespace commandline {

enum class Mode { Window, Check, Show, Repair, Edit, Help, Version, Error };

struct Request
{
    Mode mode = Mode::Window;
    bool json = false;
    QStringList files;         // positional arguments; for the window its menu file names
    QString error;             // Mode::Error: what was wrong, in German
    commandedit::Request edit; // Mode::Edit: the changing command
};

// The arguments as the program got them (argv[0] first).
QStringList arguments(int argc, char **argv);

// Reads the arguments. The options of Qt's own window system (-platform, -style, ...) are
// accepted for the window, which takes them from argv itself.
Request parse(const QStringList &arguments);

// Runs every mode but the window and returns the exit code: 0 all clean (or changed, or nothing
// to change), 1 findings, 2 a file could not be read or written, a change was refused, or a wrong
// call.
int run(const Request &request);

// The window program's name; it stands beside this program.
inline constexpr char kWindowProgram[] = "tarvik-konfig-fenster";

// Replaces this process by the window program, with the same arguments. Returns only when that
// fails: after a message on standard error, with exit code 2.
int execWindow(char **argv);

} // namespace commandline
