// SPDX-License-Identifier: MIT
#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace datafolder {

namespace {

const QString kDataFolder = QStringLiteral("daten");

// Installed: in the folder the package installs to, or anywhere below the system's folder for
// programs ("ProgramFiles", set on Windows only), where an administrator may have installed the
// MSI into a folder of their own choice.
bool installedIn(const QString &programFolder)
{
    if (QDir(programFolder) == QDir(QStringLiteral(TARVIK_INSTALLED_BINDIR)))
        return true;
    const QString folder = QDir::cleanPath(programFolder) + QLatin1Char('/');
    for (const char *name : {"ProgramFiles", "ProgramW6432"}) {
        const QString system = QDir::fromNativeSeparators(qEnvironmentVariable(name));
        if (!system.isEmpty() &&
            folder.startsWith(QDir::cleanPath(system) + QLatin1Char('/'), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

QString dataFolderFor(const QString &programFolder)
{
    if (QFileInfo(programFolder + kDataFolder).isDir()) // a file of that name does not count
        return programFolder + kDataFolder + QLatin1Char('/');
    if (!installedIn(programFolder))
        return programFolder;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/tarvik-konfig/") + kDataFolder + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

} // namespace datafolder
