// SPDX-License-Identifier: MIT
#include <QIcon>

#include "tarvikapplication.h"
#include "tfmain.h"

int main(int argc, char **argv)
{
    TarvikApplication app(argc, argv);
    app.installGermanTranslations();
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tarvik-konfig.svg")));

    Tfmain fmain(app.arguments().mid(1), QCoreApplication::applicationDirPath());
    fmain.showMaximized();
    return app.exec();
}
