// SPDX-License-Identifier: MIT
#include "probeclient.h"

#include <unistd.h>

ProbeEditor::ProbeEditor(const QString &menuFile, bool asNobody)
{
    QStringList arguments;
    if (asNobody)
        arguments << QStringLiteral("--as-nobody");
    arguments << QStringLiteral("editor") << menuFile;
    m_process.start(QStringLiteral(TARVIK_PROBE), arguments);
    m_process.waitForStarted(10000);
}

ProbeEditor::~ProbeEditor()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

QString ProbeEditor::readLine()
{
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(30000))
            return QStringLiteral("fehler keine Antwort: ") + errors();
    }
    return QString::fromUtf8(m_process.readLine()).chopped(1);
}

QString ProbeEditor::command(const QString &line)
{
    send(line);
    return readLine();
}

void ProbeEditor::send(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(10000);
}

QStringList ProbeEditor::list(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    QStringList lines;
    for (QString item = readLine(); item != QLatin1String("."); item = readLine()) {
        if (item.startsWith(QLatin1String("fehler keine Antwort")))
            return lines << item;
        lines << item;
    }
    return lines;
}

QString ProbeEditor::errors()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}
