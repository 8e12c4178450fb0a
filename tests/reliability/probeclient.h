// SPDX-License-Identifier: MIT
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// An editor window in a process of its own (the probe's editor mode), driven line by line.
class ProbeEditor
{
public:
    // asNobody: the probe drops the superuser's rights first, so that file permissions apply.
    explicit ProbeEditor(const QString &menuFile, bool asNobody = false);
    ~ProbeEditor();
    ProbeEditor(const ProbeEditor &) = delete;
    ProbeEditor &operator=(const ProbeEditor &) = delete;

    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // "ok", or "fehler" and why.
    QString command(const QString &line);
    // A command whose answer is read later, by reply(): one that waits in a question.
    void send(const QString &line);
    QString reply() { return readLine(); }
    // The lines of a listing command ("shown", "tree").
    QStringList list(const QString &line);

    QString errors();

private:
    QString readLine();

    QProcess m_process;
};

// Whether file permissions bind this process; the superuser needs the probe as "nobody".
bool runningAsRoot();
