// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "platform/platform.h"

// The per-user store: keys with named, typed values below HKEY_CURRENT_USER, in the registry on
// Windows and elsewhere in one file per user in the registry's export text format (see
// registryfile.h for where it lives). At most one key is open at a time; reads and writes act on
// the open key.
class TRegistry
{
public:
    enum class RootKey { CurrentUser };

    TRegistry();
    ~TRegistry(); // release: CloseKey
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    void SetRootKey(RootKey root);
    RootKey RootKeyValue() const { return m_root; }

    // A path starting with "\" is absolute; otherwise relative to the open key. False on failure;
    // the key open before then stays open.
    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();
    QString CurrentPath() const { return m_currentPath; }
    bool HasCurrentKey() const { return m_open; }

    QString ReadString(const QString &name);
    qint32 ReadInteger(const QString &name);
    bool ReadBool(const QString &name);
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, qint32 value);
    void WriteBool(const QString &name, bool value);

    // True when the open key holds a value of that name, of any type.
    bool ValueExists(const QString &name);

private:
    // The value as stored now (asked anew, so other programs' writes are seen).
    std::optional<platform::registry::Value> value(const QString &name) const;

    RootKey m_root = RootKey::CurrentUser;
    bool m_open = false;
    QString m_currentPath;
};
