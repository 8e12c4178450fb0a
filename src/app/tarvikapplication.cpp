// SPDX-License-Identifier: MIT
#include "tarvikapplication.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "gui/dialogs/messages.h"

TarvikApplication::TarvikApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tarvik-konfig"));
    setOrganizationName(QStringLiteral("Orvane"));
    setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    // Lets desktops match the window to its desktop entry and icon.
    setDesktopFileName(QStringLiteral("de.orvane.tarvik_konfig"));
    // No application display name: the platform would append it to every window caption.
}

bool TarvikApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        messages::showException(activeWindow(), error);
    }
    return false;
}

void TarvikApplication::installGermanTranslations()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_de", "qt_de"}) {
        auto *translator = new QTranslator(this);
        if (translator->load(QString::fromLatin1(name), folder))
            installTranslator(translator);
        else
            delete translator;
    }
}
