// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The file behind the per-user store: the registry's own export text format ("REGEDIT4" header,
// key lines in square brackets, "name"="text", dword:, hex:, hex(N):), Windows-1252 with CRLF,
// so an administrator can import it into a Windows registry as it is. It lives at
// $XDG_CONFIG_HOME/tarvik-konfig/registry.reg (XDG_CONFIG_HOME defaults to ~/.config).
namespace registryfile {

enum ValueType : quint32 {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
};

struct Value
{
    QString name; // empty: the key's default value, "@" in the file
    quint32 type = RegNone;
    QByteArray data; // as the registry holds it: text with its zero byte, a DWORD little-endian
};

struct Key
{
    QString path; // full path, starting with the root: "HKEY_CURRENT_USER\Software\..."
    QList<Value> values;

    // Names match without case.
    Value *findValue(const QString &name);
};

struct Contents
{
    QList<Key> keys;

    // Paths match without case.
    Key *findKey(const QString &path);
    Key &findOrAddKey(const QString &path);
    // A key exists also when only keys below it are listed, as an import creates the parents.
    bool keyExists(const QString &path) const;
};

inline const QString kCurrentUser = QStringLiteral("HKEY_CURRENT_USER");

// nullopt when the bytes are not a registry export; an empty file holds no keys. Lines that
// cannot be understood are skipped, as an import skips them.
std::optional<Contents> parse(const QByteArray &bytes);
QByteArray serialize(const Contents &contents);

QString storePath();

// nullopt when the file exists but cannot be read or is not a registry export; a missing file
// holds no keys.
std::optional<Contents> load(const QString &path);

// Replaces the file atomically and durably (temporary file beside it, fsync, rename, fsync of
// the folder); creates the folder when needed. False when it cannot be written; the file then
// keeps its old content. Callers hold the store's lock: temporary files of killed writers are
// removed here.
bool save(const QString &path, const Contents &contents);

} // namespace registryfile
