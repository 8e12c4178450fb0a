// SPDX-License-Identifier: MIT
#include "tregistry.h"

#include "base/exception.h"
#include "platform/platform.h"

namespace {

// The value types the store tells apart, as the registry numbers them.
constexpr quint32 kRegSz = 1;
constexpr quint32 kRegExpandSz = 2;
constexpr quint32 kRegDword = 4;

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

    QString below = path;
    if (!absolute && m_open && !m_currentPath.isEmpty())
        below = path.isEmpty() ? m_currentPath : m_currentPath + QLatin1Char('\\') + path;

    if (!path.isEmpty() &&
        !(canCreate ? platform::registry::createKey(below) : platform::registry::keyExists(below)))
        return false;

    CloseKey();
    m_open = true;
    m_currentPath = below;
    return true;
}

void TRegistry::CloseKey()
{
    // Every write already reached the store, so closing has nothing to flush, lazy or not.
    m_open = false;
    m_currentPath.clear();
}

std::optional<platform::registry::Value> TRegistry::value(const QString &name) const
{
    if (!m_open)
        return std::nullopt;
    return platform::registry::value(m_currentPath, name);
}

QString TRegistry::ReadString(const QString &name)
{
    const std::optional<platform::registry::Value> stored = value(name);
    if (!stored || stored->data.isEmpty())
        return QString();
    if (stored->type != kRegSz && stored->type != kRegExpandSz)
        throwTypeError(name);
    return stored->text;
}

qint32 TRegistry::ReadInteger(const QString &name)
{
    const std::optional<platform::registry::Value> stored = value(name);
    // Data longer than four bytes does not fit the buffer, whatever its type.
    if (!stored || stored->size > 4)
        throwReadError(name);
    if (stored->type != kRegDword)
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
    if (!m_open || !platform::registry::setText(m_currentPath, name, value))
        throwWriteError(name);
}

void TRegistry::WriteInteger(const QString &name, qint32 value)
{
    if (!m_open || !platform::registry::setInteger(m_currentPath, name, value))
        throwWriteError(name);
}

void TRegistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::ValueExists(const QString &name)
{
    return value(name).has_value();
}
