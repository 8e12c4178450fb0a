// SPDX-License-Identifier: MIT
// The per-user store where there is no registry: one file per user in the registry's export
// format (registryfile.h), Windows-1252 like an export, so names and texts outside it are refused.
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/cp1252.h"
#include "platform/registryfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::registry {

namespace {

QString fullPath(const QString &below)
{
    return below.isEmpty() ? registryfile::kCurrentUser
                           : registryfile::kCurrentUser + QLatin1Char('\\') + below;
}

// An exclusive lock on a file beside the store. The system drops it when the process ends, also
// when it is killed, so a crash never leaves the store locked; the file itself stays.
class StoreLock
{
public:
    explicit StoreLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd < 0)
            return;
        for (int waited = 0; waited <= 5000; waited += 10) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_locked = true;
                return;
            }
            // A file system without locks cannot protect the store, but must not block it.
            if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) {
                m_locked = true;
                return;
            }
            ::usleep(10'000);
        }
    }
    ~StoreLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;

    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
};

// Read, change and write back the store under a lock, so that two programs writing at the same
// moment do not lose each other's values. change returns false when there is nothing to write.
template <typename Change> bool modifyStore(Change &&change)
{
    const QString path = registryfile::storePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const StoreLock lock(path + QStringLiteral(".lock"));
    if (!lock.locked())
        return false;
    std::optional<registryfile::Contents> contents = registryfile::load(path);
    if (!contents)
        return false;
    if (!change(*contents))
        return true;
    return registryfile::save(path, *contents);
}

bool setValue(const QString &path, const QString &name, quint32 type, const QByteArray &data)
{
    if (!cp1252::fromUnicode(name))
        return false;
    const QString key = fullPath(path);
    return modifyStore([&](registryfile::Contents &contents) {
        registryfile::Key &found = contents.findOrAddKey(key);
        if (registryfile::Value *existing = found.findValue(name)) {
            if (existing->type == type && existing->data == data)
                return false;
            existing->type = type;
            existing->data = data;
        } else {
            found.values.append(registryfile::Value{name, type, data});
        }
        return true;
    });
}

} // namespace

bool keyExists(const QString &path)
{
    if (!cp1252::fromUnicode(path))
        return false;
    const std::optional<registryfile::Contents> contents =
        registryfile::load(registryfile::storePath());
    return contents && contents->keyExists(fullPath(path));
}

bool createKey(const QString &path)
{
    if (!cp1252::fromUnicode(path))
        return false;
    const QString full = fullPath(path);
    return modifyStore([&full](registryfile::Contents &contents) {
        if (contents.keyExists(full))
            return false;
        contents.findOrAddKey(full);
        return true;
    });
}

std::optional<Value> value(const QString &path, const QString &name)
{
    std::optional<registryfile::Contents> contents = registryfile::load(registryfile::storePath());
    if (!contents)
        return std::nullopt;
    registryfile::Key *key = contents->findKey(fullPath(path));
    if (!key)
        return std::nullopt;
    const registryfile::Value *found = key->findValue(name);
    if (!found)
        return std::nullopt;
    Value stored{found->type, found->data, {}, found->data.size()};
    if (found->type == registryfile::RegSz || found->type == registryfile::RegExpandSz) {
        const qsizetype end = found->data.indexOf('\0');
        stored.text = cp1252::toUnicode(end < 0 ? found->data : found->data.left(end));
    }
    return stored;
}

bool setText(const QString &path, const QString &name, const QString &text)
{
    const std::optional<QByteArray> bytes = cp1252::fromUnicode(text);
    return bytes && setValue(path, name, registryfile::RegSz, *bytes + '\0');
}

bool setInteger(const QString &path, const QString &name, qint32 number)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((quint32(number) >> (8 * i)) & 0xFF);
    return setValue(path, name, registryfile::RegDword, bytes);
}

} // namespace platform::registry
