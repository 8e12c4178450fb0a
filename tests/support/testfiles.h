// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>

#include "base/exception.h"

namespace testfiles {

// The message of the error of type E that op raises, or an empty text when it raises none.
template <typename E, typename Op> QString errorOf(Op &&op)
{
    try {
        op();
    } catch (const E &error) {
        return error.message();
    }
    return QString();
}

QByteArray readBytes(const QString &path);
// Rewrites the file in place (same inode), as an editor or another program would.
void writeBytes(const QString &path, const QByteArray &bytes);

// Every file of a folder with its bytes, to show that a command wrote nothing anywhere.
QMap<QString, QByteArray> folderSnapshot(const QString &folder);

// Lines joined with CRLF and ended with one, as the launcher's files are.
QByteArray crlf(const QList<QByteArray> &lines);

// Folder of the test fixtures, and the sample menu shipped with the program.
QString dataDir();
QString sampleMenu();

// The launcher's key in the per-user store, as the store's API names it.
inline const QString kTarvikKey = QStringLiteral("\\Software\\Orvane\\tarvik");

// The per-user store as the text of its file, a registry export: its bytes (empty when there is
// none), a rewrite, and a file holding the launcher's key with the given value lines. On Windows
// the store is the registry, below HKEY_CURRENT_USER\Software\Orvane and the keys a rewrite
// names: read as an export of those keys would read, and rewritten as an import of the text.
QByteArray readStore();
void writeStore(const QByteArray &bytes);
void clearStore();
QByteArray storeWith(const QList<QByteArray> &valueLines);

// True where the store is a file (POSIX): texts outside Windows-1252 are refused there, and the
// file's permissions and links play a part.
bool storeIsAFile();

// True where files have POSIX permissions, owners and symbolic links.
bool hasPosixFiles();

// Holds an open file as a writer holds its temporary file, so that no other writer takes it for
// a leftover: a lock on POSIX, the open file itself on Windows.
bool holdAsWriter(int handle);

// Which file the path names and when its content last changed, as the system tells it.
struct FileId
{
    quint64 inode = 0;
    qint64 mtimeNs = 0; // since 1970
    bool operator==(const FileId &o) const { return inode == o.inode && mtimeNs == o.mtimeNs; }
};
FileId fileId(const QString &path);
// Sets the time the content last changed, to the system's precision.
bool setModificationTime(const QString &path, qint64 mtimeNs);

// True for the superuser, whom permissions do not stop.
bool isSuperuser();

// Makes this process the unprivileged user "nobody", for whom permissions count; false where that
// cannot be done.
bool dropPrivileges();

// Runs command with writes beyond maxBytes failing, as on a full disk; false (and nothing run)
// where the system has no such limit.
bool withFileSizeLimit(qint64 maxBytes, const std::function<void()> &command);

} // namespace testfiles
