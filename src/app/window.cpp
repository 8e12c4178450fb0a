// SPDX-License-Identifier: MIT
// The editor's window. Users start it through tarvik-konfig, which hands over to this program by
// exec only when no command-line mode was asked for.
#include <QIcon>

#include "cli/commandline.h"
#include "firstframe.h"
#include "gui/editor/tfmain.h"
#include "tarvikapplication.h"

int main(int argc, char **argv)
{
    // Read before the application takes Qt's own options out of argv.
    const commandline::Request request = commandline::parse(commandline::arguments(argc, argv));
    if (request.mode != commandline::Mode::Window) {
        QCoreApplication app(argc, argv);
        return commandline::run(request);
    }

    TarvikApplication app(argc, argv);
    app.installGermanTranslations();
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tarvik-konfig.svg")));

    Tfmain fmain(request.files, QCoreApplication::applicationDirPath());
    fmain.showMaximized();
    FirstFrame::onRequest(fmain); // bench/startup times the first frame
    return app.exec();
}
