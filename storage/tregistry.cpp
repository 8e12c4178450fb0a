// SPDX-License-Identifier: MIT
#include "tregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cp1252.h"
#include "exception.h"
#include "registryfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString fullPath(const QString &below)
{
    return below.isEmpty() ? regfile::kCurrentUser
                           : regfile::kCurrentUser + QLatin1Char('\\') + below;
}

[[noreturn]] void throwReadError(const QString &name)
{
    throw ERegistryException(QStringLiteral("Fehler beim Holen der Daten für '%1'").arg(name));
}

[[noreturn]] void throwTypeError(const QString &name)
{
    throw ERegistryException(QStringLiteral("Ungültiger Datentyp für '%1'").arg(name));
}

[[noreturn]] void throwWriteError(const QString &name)
{
    throw ERegistryException(QStringLiteral("Fehler beim Setzen der Daten für '%1'").arg(name));
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
    const QString path = regfile::storePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const StoreLock lock(path + QStringLiteral(".lock"));
    if (!lock.locked())
        return false;
    std::optional<regfile::Contents> contents = regfile::load(path);
    if (!contents)
        return false;
    if (!change(*contents))
        return true;
    return regfile::save(path, *contents);
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(RootKey root)
{
    if (root == m_root)
        return;
    CloseKey();
    m_root = root;
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    const bool absolute = key.startsWith(QLatin1Char('\\'));
    QString path = absolute ? key.mid(1) : key;
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    if (!path.isEmpty() && path.split(QLatin1Char('\\')).contains(QString()))
        return false;
    if (!cp1252::fromUnicode(path))
        return false;

    QString below = path;
    if (!absolute && m_open && !m_currentPath.isEmpty())
        below = path.isEmpty() ? m_currentPath : m_currentPath + QLatin1Char('\\') + path;
    const QString full = fullPath(below);

    if (canCreate && !path.isEmpty()) {
        const bool created = modifyStore([&full](regfile::Contents &contents) {
            if (contents.keyExists(full))
                return false;
            contents.findOrAddKey(full);
            return true;
        });
        if (!created)
            return false;
    } else if (!path.isEmpty()) {
        const std::optional<regfile::Contents> contents = regfile::load(regfile::storePath());
        if (!contents || !contents->keyExists(full))
            return false;
    }

    CloseKey();
    m_open = true;
    m_currentPath = below;
    return true;
}

void TRegistry::CloseKey()
{
    // Every write already reached the disk, so closing has nothing to flush, lazy or not.
    m_open = false;
    m_currentPath.clear();
}

std::optional<TRegistry::StoredValue> TRegistry::value(const QString &name) const
{
    if (!m_open)
        return std::nullopt;
    std::optional<regfile::Contents> contents = regfile::load(regfile::storePath());
    if (!contents)
        return std::nullopt;
    regfile::Key *key = contents->findKey(fullPath(m_currentPath));
    if (!key)
        return std::nullopt;
    const regfile::Value *found = key->findValue(name);
    if (!found)
        return std::nullopt;
    return StoredValue{found->type, found->data};
}

QString TRegistry::ReadString(const QString &name)
{
    const std::optional<StoredValue> stored = value(name);
    if (!stored || stored->data.isEmpty())
        return QString();
    if (stored->type != regfile::RegSz && stored->type != regfile::RegExpandSz)
        throwTypeError(name);
    const qsizetype end = stored->data.indexOf('\0');
    return cp1252::toUnicode(end < 0 ? stored->data : stored->data.left(end));
}

qint32 TRegistry::ReadInteger(const QString &name)
{
    const std::optional<StoredValue> stored = value(name);
    // Data longer than four bytes does not fit the buffer, whatever its type.
    if (!stored || stored->data.size() > 4)
        throwReadError(name);
    if (stored->type != regfile::RegDword)
        throwTypeError(name);
    quint32 number = 0;
    for (qsizetype i = stored->data.size() - 1; i >= 0; --i)
        number = (number << 8) | uchar(stored->data[i]);
    return qint32(number);
}

bool TRegistry::ReadBool(const QString &name)
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    const std::optional<QByteArray> bytes = cp1252::fromUnicode(value);
    if (!bytes)
        throwWriteError(name);
    write(name, regfile::RegSz, *bytes + '\0');
}

void TRegistry::WriteInteger(const QString &name, qint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((quint32(value) >> (8 * i)) & 0xFF);
    write(name, regfile::RegDword, bytes);
}

void TRegistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::ValueExists(const QString &name)
{
    return value(name).has_value();
}

void TRegistry::write(const QString &name, quint32 type, const QByteArray &data)
{
    if (!m_open || !cp1252::fromUnicode(name))
        throwWriteError(name);
    const QString path = fullPath(m_currentPath);
    const bool written = modifyStore([&](regfile::Contents &contents) {
        regfile::Key &key = contents.findOrAddKey(path);
        if (regfile::Value *existing = key.findValue(name)) {
            if (existing->type == type && existing->data == data)
                return false;
            existing->type = type;
            existing->data = data;
        } else {
            key.values.append(regfile::Value{name, type, data});
        }
        return true;
    });
    if (!written)
        throwWriteError(name);
}
