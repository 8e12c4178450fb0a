// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// The one way files are written: the menu files, their sub-lists and the per-user store.
namespace durable {

// Replaces the file at path (the end of its chain of symbolic links, so links stay links) with
// bytes: a temporary file beside it, written, synced, given the old file's permissions and
// owner, renamed over it, then the folder synced. A crash leaves the old or the new content,
// never a mix. Temporaries left behind by killed writers of the same file are removed. Where the
// folder takes no new file, an existing file is rewritten in place instead. A file without any
// write bit (the read-only attribute of the launcher's platform) is refused, also for the
// superuser. False on failure; the file then keeps its content.
bool replaceFile(const QString &path, const QByteArray &bytes);

// Removes the file and syncs its folder; true when it is gone.
bool removeFile(const QString &path);

// An exclusive lock for a read-modify-write of the file at path, held from construction until
// destruction. It locks the file itself (no lock file beside it) and makes sure the path still
// names the locked file, since each replacement brings a new one. A missing file cannot be
// locked: then nothing is held. Waits at most a few seconds for another writer.
class FileLock
{
public:
    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Another writer held the file for the whole wait; nothing is held then.
    bool busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};

} // namespace durable
