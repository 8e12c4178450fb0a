// SPDX-License-Identifier: MIT
#include "transaction.h"

#include <QDir>

#include <algorithm>

#include "platform/platform.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"

namespace transaction {

namespace {

constexpr int kAttempts = 5;

QString cannotRead(const QString &path)
{
    return QStringLiteral("%1 kann nicht gelesen werden").arg(path);
}

QString absolute(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// The file's bytes now; nullopt when it does not exist. Raises when it exists but cannot be read.
std::optional<QByteArray> current(const QString &path)
{
    profilefile::Stamp stamp;
    std::optional<QByteArray> bytes = profilefile::readFile(path, &stamp);
    if (!bytes && stamp.exists)
        throw EIniFileException(cannotRead(path));
    return bytes;
}

[[noreturn]] void throwLocked(const QString &path)
{
    throw EIniFileException(QStringLiteral("%1 ist von einem anderen Programm gesperrt. Es wurde "
                                           "nichts gespeichert; versuchen Sie es später erneut.")
                                .arg(path));
}

} // namespace

struct Transaction::Held
{
    QString key;
    platform::FileLock lock;
};

struct Transaction::Entry
{
    QString path; // as the caller named it, for messages
    QString key;  // absolute, to find it again
    std::optional<QByteArray> before;
    std::unique_ptr<TMemIniFile> ini;
    bool removed = false;

    std::optional<QByteArray> after() const
    {
        if (removed)
            return std::nullopt;
        if (!ini->changed())
            return before;
        return ini->bytes();
    }
};

Transaction::Transaction() = default;
Transaction::~Transaction() = default;

Transaction::Entry &Transaction::entry(const QString &path)
{
    // Steps ask for their files by the same name many times; the absolute path costs a call to
    // the system each time.
    for (const auto &e : m_files) {
        if (e->path == path)
            return *e;
    }
    const QString key = absolute(path);
    for (const auto &e : m_files) {
        if (e->key == key)
            return *e;
    }
    auto e = std::make_unique<Entry>();
    e->path = path;
    e->key = key;
    e->before = current(path);
    e->ini = std::make_unique<TMemIniFile>(path, e->before.value_or(QByteArray()));
    m_files.push_back(std::move(e));
    return *m_files.back();
}

void Transaction::lock(const QStringList &paths)
{
    QStringList keys;
    for (const QString &path : paths)
        keys.append(absolute(path));
    keys.sort();
    keys.removeDuplicates();
    for (const QString &key : std::as_const(keys)) {
        if (std::any_of(m_held.begin(), m_held.end(),
                        [&](const std::unique_ptr<Held> &h) { return h->key == key; }))
            continue;
        auto held = std::unique_ptr<Held>(new Held{key, platform::FileLock(key)});
        if (held->lock.busy())
            throwLocked(key);
        m_held.push_back(std::move(held));
    }
}

TMemIniFile &Transaction::file(const QString &path)
{
    return *entry(path).ini;
}

bool Transaction::exists(const QString &path)
{
    return entry(path).before.has_value();
}

std::optional<QByteArray> Transaction::original(const QString &path)
{
    return entry(path).before;
}

void Transaction::remove(const QString &path)
{
    entry(path).removed = true;
}

std::optional<Changes> Transaction::commit()
{
    Changes changes = pending();
    if (changes.empty())
        return changes;
    std::vector<const Entry *> changed;
    for (const FileChange &change : changes) {
        for (const auto &e : m_files) {
            if (e->path == change.path)
                changed.push_back(e.get());
        }
    }

    // Locked in one order by every writer, so two of them never wait for each other.
    std::vector<const Entry *> lockOrder = changed;
    std::sort(lockOrder.begin(), lockOrder.end(),
              [](const Entry *a, const Entry *b) { return a->key < b->key; });
    std::vector<std::unique_ptr<platform::FileLock>> locks;
    for (const Entry *e : lockOrder) {
        // Held since before the file was read: a second lock of this process would wait for it.
        if (std::any_of(m_held.begin(), m_held.end(),
                        [&](const std::unique_ptr<Held> &h) { return h->key == e->key; }))
            continue;
        locks.push_back(std::make_unique<platform::FileLock>(e->path));
        // Writing without the lock could undo the other writer's change unseen.
        if (locks.back()->busy())
            throwLocked(e->path);
    }
    for (const Entry *e : changed) {
        if (current(e->path) != e->before)
            return std::nullopt;
    }

    for (const FileChange &change : changes) {
        const bool ok = change.after ? platform::replaceFile(change.path, *change.after)
                                     : platform::removeFile(change.path);
        if (!ok)
            throw EIniFileException(profiletext::writeFailed(change.path));
    }
    return changes;
}

Changes Transaction::pending() const
{
    Changes changes;
    for (const auto &e : m_files) {
        std::optional<QByteArray> after = e->after();
        if (after != e->before)
            changes.push_back({e->path, e->before, std::move(after)});
    }
    return changes;
}

Changes run(const std::function<void(Transaction &)> &body)
{
    for (int attempt = 1;; ++attempt) {
        Transaction t;
        body(t);
        if (std::optional<Changes> changes = t.commit())
            return *changes;
        if (attempt == kAttempts)
            throw EChangedOutside(QStringLiteral("Die Datei wird gerade von einem anderen "
                                                 "Programm geändert. Versuchen Sie es erneut."));
    }
}

} // namespace transaction
