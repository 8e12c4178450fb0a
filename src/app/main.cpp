// SPDX-License-Identifier: MIT
// The program users start. The command-line modes run here on Qt Core alone, so that scripts
// on machines without a display pay neither for loading nor for starting any window code; the
// window is a program of its own beside this one, which takes over this process by exec.
#include <QCoreApplication>

#include "cli/commandline.h"

int main(int argc, char **argv)
{
    const commandline::Request request = commandline::parse(commandline::arguments(argc, argv));
    if (request.mode == commandline::Mode::Window)
        return commandline::execWindow(argv); // returns only when the window cannot be started
    QCoreApplication app(argc, argv);
    return commandline::run(request);
}
