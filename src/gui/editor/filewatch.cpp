// SPDX-License-Identifier: MIT
#include "filewatch.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include "gui/state/captionorder.h"

namespace {

constexpr int kDelayMs = 200;

} // namespace

FileWatch::FileWatch(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_delay(new QTimer(this))
{
    m_delay->setSingleShot(true);
    m_delay->setInterval(kDelayMs);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_delay, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_delay, qOverload<>(&QTimer::start));
    connect(m_delay, &QTimer::timeout, this, &FileWatch::changed);
}

void FileWatch::watch(const QString &file, const QString &folder)
{
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    for (const QString &path : {file, folder.isEmpty() ? QStringLiteral(".") : folder}) {
        if (QFileInfo::exists(path))
            m_watcher->addPath(path);
    }
}

QStringList FileWatch::subLists(const QString &file, const QString &folder)
{
    const QString fileName = QFileInfo(file).fileName();
    const QString base = fileName.left(fileName.lastIndexOf(QLatin1Char('.')));
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    QStringList names;
    for (const QString &name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (name.compare(base, Qt::CaseInsensitive) == 0 ||
            name.startsWith(base + QLatin1Char('.'), Qt::CaseInsensitive))
            names.append(name);
    }
    QCollator collator(CaptionOrder::sortLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    return names;
}
