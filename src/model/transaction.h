// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/exception.h"

class TMemIniFile;

// Every command that writes is a transaction: it reads the files it touches as they stand,
// checks what it relies on, edits them in memory and writes each changed file once.
namespace transaction {

// What a transaction did to one file. nullopt before: the file did not exist; nullopt after: the
// transaction removed it.
struct FileChange
{
    QString path;
    std::optional<QByteArray> before;
    std::optional<QByteArray> after;
};
using Changes = std::vector<FileChange>;

// The file no longer holds what the user saw, or is gone: the command wrote nothing.
class EChangedOutside : public Exception
{
public:
    using Exception::Exception;
};

// The user must change something first (a caption that names no file, no free place, ...):
// the command wrote nothing. Shown as a plain message.
class ERefused : public Exception
{
public:
    using Exception::Exception;
};

class Transaction
{
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Takes the editors' lock on each file before it is read (in one order, waiting as a commit
    // does) and holds it until the transaction ends, so that writers that lock take turns instead
    // of refusing each other's change; a program that writes without the lock is still caught by
    // commit(). EIniFileException when another writer holds a lock for the whole wait.
    void lock(const QStringList &paths);

    // The file as it stands, read at the first use; a missing file is empty. A file that exists
    // but cannot be read raises EIniFileException "%s kann nicht gelesen werden", so nothing is
    // ever written over content that was not read.
    TMemIniFile &file(const QString &path);
    // Whether the file existed when it was read (reads it if not read yet).
    bool exists(const QString &path);
    // Removes the file at commit (it must have been read, as file() does).
    void remove(const QString &path);
    // The file's bytes as they were read (reads it if not read yet); nullopt when it did not
    // exist.
    std::optional<QByteArray> original(const QString &path);

    // Writes every changed file, in the order of their first use, each with one durable write,
    // after making sure under a lock that none changed since it was read. nullopt when one did:
    // nothing is written then. A file whose lock another writer keeps raises EIniFileException
    // before anything is written. A failed write raises EIniFileException; the files written
    // before it stay written, which the order of first use makes a copy, never a loss.
    std::optional<Changes> commit();

    // What commit() would write now, in the same order, without writing anything: for a dry run
    // or a preview.
    Changes pending() const;

private:
    struct Entry;
    Entry &entry(const QString &path);

    std::vector<std::unique_ptr<Entry>> m_files; // in the order of first use
    struct Held;
    std::vector<std::unique_ptr<Held>> m_held; // the locks lock() took
};

// Runs body on the files as they stand and commits. When another program changed a file between
// the reading and the writing, body runs again on the new content (a few times at most). An
// error raised by body leaves every file unchanged. Returns what changed.
Changes run(const std::function<void(Transaction &)> &body);

} // namespace transaction
