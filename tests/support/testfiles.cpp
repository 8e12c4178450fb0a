// SPDX-License-Identifier: MIT
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "platform/registryfile.h"

namespace testfiles {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file %s", qPrintable(path));
    file.write(bytes);
}

QMap<QString, QByteArray> folderSnapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, readBytes(folder + QLatin1Char('/') + name));
    return files;
}

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

QString dataDir()
{
    return qEnvironmentVariable("TARVIK_TEST_DATA");
}

QString sampleMenu()
{
    return qEnvironmentVariable("TARVIK_SOURCE_DIR") +
           QStringLiteral("/resources/daten/tarvik.ini");
}

QByteArray storeWith(const QList<QByteArray> &valueLines)
{
    return crlf(QList<QByteArray>{"REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Orvane\\tarvik]"} +
                valueLines + QList<QByteArray>{""});
}

} // namespace testfiles
