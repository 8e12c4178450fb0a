// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

// Everything the editor asks of the operating system. platform_posix.cpp and platform_win.cpp
// implement it, the per-user store's backing platform_registry_posix.cpp (a file) and
// platform_registry_win.cpp (the registry); no other file calls the system itself.
namespace platform {

// Replaces the file at path (the end of its chain of links, so links stay links) with bytes: a
// temporary file beside it, written and synced, renamed over it. A crash leaves the old or the
// new content, never a mix, and no temporary file for long: temporaries left by killed writers of
// the same file are removed by the next write. The file keeps its permissions (POSIX) or
// attributes (Windows). Where the folder takes no new file, an existing file is rewritten in
// place instead. A file without any write bit, or with the read-only attribute, is refused, also
// for the superuser. A file that another program holds open is waited for a short time. False on
// failure; the file then keeps its content.
bool replaceFile(const QString &path, const QByteArray &bytes);

// Removes the file, durably; true when it is gone.
bool removeFile(const QString &path);

// Why the last replaceFile() or removeFile() of this thread failed, as a German sentence, when
// there is more to tell than that it failed: another program holds the file open. Else empty.
QString lastWriteFailure();

// An exclusive lock for a read-modify-write of the file at path, held from construction until
// destruction, between the processes of every editor, and dropped by the system when its holder
// dies. It keeps no reader out. On POSIX it locks the file itself and makes sure the path still
// names the locked file, since each replacement brings a new one; on Windows, which cannot
// replace an open file, it is the file ".NAME.lock" beside it, which exists only while held. A
// missing file cannot be locked: then nothing is held. Waits at most a few seconds for another
// writer; a file system without locks cannot protect the file, but does not block it.
class FileLock
{
public:
    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool held() const { return m_handle != -1; }
    // Another writer held the file for the whole wait; nothing is held then.
    bool busy() const { return m_busy; }

private:
    qintptr m_handle = -1;
    bool m_busy = false;
};

// What tells whether a file changed: which file the path names and its size and times. Every
// replacement brings a new file, so a write shows even when size and times happen to match.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0; // the file's number on its device
    qint64 size = 0;
    qint64 mtimeNs = 0; // last change of the content, ns since 1970
    qint64 ctimeNs = 0; // last change of the content or the file's data, ns since 1970
    bool operator==(const FileStamp &other) const;
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

FileStamp fileStamp(const QString &path);

// Reads the whole file; nullopt when it cannot be read or is no plain file. The stamp, when
// asked for, describes the file read; without a read, the file the path names, if any.
std::optional<QByteArray> readFile(const QString &path, FileStamp *stamp = nullptr);

// The per-user store's backing: keys with named, typed values below HKEY_CURRENT_USER, paths
// given below it ("Software\Orvane\tarvik"), keys and names matched without regard to case.
namespace registry {

struct Value
{
    quint32 type = 0; // REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4, ...
    QByteArray data;  // as the store holds it
    QString text;     // REG_SZ and REG_EXPAND_SZ: the text before the first zero
    // The data's size as the ANSI functions count it, which the store's reads follow: a text
    // one byte a character, with its zeros.
    qsizetype size = 0;
};

// A key exists also when only keys below it were created.
bool keyExists(const QString &path);
// Creates the key and the missing ones above it; true when it exists afterwards.
bool createKey(const QString &path);
// nullopt when the key or the value is missing or cannot be read.
std::optional<Value> value(const QString &path, const QString &name);
// Store the value as REG_SZ or REG_DWORD, creating it or replacing its data and type. False when
// the store refuses; it then holds what it held.
bool setText(const QString &path, const QString &name, const QString &text);
bool setInteger(const QString &path, const QString &name, qint32 number);

} // namespace registry

// The program's arguments, argv[0] first, as the user gave them (on Windows in full Unicode,
// which argv does not carry).
QStringList arguments(int argc, char **argv);

// Writes text to standard output or standard error: UTF-8 into pipes and files, and on a
// Windows console as the console's own characters, whatever its code page.
void writeText(std::FILE *stream, const QString &text);

// Hands over to the program of that name beside this one, with this process's arguments. On
// POSIX it replaces this process (exec) and returns only on failure; on Windows it is started
// and true returned, and this process is to end. On failure the program's path and the system's
// reason are given back.
bool handOver(const char *program, char **argv, QString *path, QString *reason);

// The running program's own version block "StringFileInfo\040704E4" as "[block]" and
// "Name=value" lines, from its version resource on Windows (empty when it has none); nullopt where
// program files carry no version resource, so the data built into the program serves.
std::optional<QString> programVersionData();

} // namespace platform
