// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QIcon>

#include "commandline.h"
#include "tarvikapplication.h"
#include "tfmain.h"

int main(int argc, char **argv)
{
    const commandline::Request request = commandline::parse(commandline::arguments(argc, argv));
    if (request.mode != commandline::Mode::Window) {
        // Scripts run these on machines without a display: no window system is loaded.
        QCoreApplication app(argc, argv);
        return commandline::run(request);
    }

    TarvikApplication app(argc, argv);
    app.installGermanTranslations();
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tarvik-konfig.svg")));

    Tfmain fmain(request.files, QCoreApplication::applicationDirPath());
    fmain.showMaximized();
    return app.exec();
}
