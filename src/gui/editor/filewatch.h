// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Tells when another program changes the menu file or its folder: a write, a replacement by
// rename, a removal, a new sub-list. Other programs write in several steps; it tells once after
// they are done.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    explicit FileWatch(QObject *parent);

    // Watches the file and its folder, as they now stand: a replaced file is a new file to the
    // watcher, so this is called again after every change.
    void watch(const QString &file, const QString &folder);

    // The sub-lists of a menu file: the names "name.*" in its folder, itself and folders of such
    // a name included, compared without letter case as on the launcher's platform.
    static QStringList subLists(const QString &file, const QString &folder);

signals:
    void changed();

private:
    QFileSystemWatcher *m_watcher;
    QTimer *m_delay;
};
