// SPDX-License-Identifier: MIT
// The registry seen as the text of a registry export, so that the store's tests describe what
// is stored the same way on both systems.
#include "testfiles.h"

#include <QSet>
#include <QStringList>

#include "base/cp1252.h"
#include "platform/registryfile.h"

#include <windows.h>

#include <algorithm>

namespace testfiles {

namespace {

const QString kPrefix = QStringLiteral("HKEY_CURRENT_USER\\");

// The keys below HKEY_CURRENT_USER that the tests' store consists of.
QSet<QString> &roots()
{
    static QSet<QString> keys{QStringLiteral("Software\\Orvane")};
    return keys;
}

// An export of the texts of an ANSI program: Windows-1252 bytes with the zero byte.
QByteArray exportData(DWORD type, const QByteArray &data)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return data;
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData()), data.size() / 2);
    return cp1252::fromUnicode(text).value_or(QByteArray("?"));
}

QByteArray importData(quint32 type, const QByteArray &data)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return data;
    const QString text = cp1252::toUnicode(data);
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

int writingOrder(const QString &name)
{
    static const QStringList order = {QStringLiteral("Host"),        QStringLiteral("Farbtiefe"),
                                      QStringLiteral("Benutzer"),    QStringLiteral("Domaene"),
                                      QStringLiteral("Bild"),        QStringLiteral("Drucker"),
                                      QStringLiteral("Laufwerke"),   QStringLiteral("Console"),
                                      QStringLiteral("RDPstandard"), QStringLiteral("mstscpath")};
    const qsizetype at = order.indexOf(name);
    return at < 0 ? int(order.size()) : int(at);
}

// Keys with values, and keys without keys below them, as the store's file lists them.
void exportKey(const QString &path, registryfile::Contents &contents)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.toStdWString().c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    registryfile::Key exported{kPrefix + path, {}};
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = DWORD(std::size(name));
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        QByteArray data(size, '\0');
        nameLength = DWORD(std::size(name));
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                      reinterpret_cast<BYTE *>(data.data()), &size);
        exported.values.append({QString::fromWCharArray(name, int(nameLength)), quint32(type),
                                exportData(type, data)});
    }
    QStringList below;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = DWORD(std::size(name));
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        below.append(path + QLatin1Char('\\') + QString::fromWCharArray(name, int(nameLength)));
    }
    RegCloseKey(key);
    // The registry lists values by name; a file lists them as they were written, which for the
    // launcher's key is the order the editor writes them in.
    std::stable_sort(exported.values.begin(), exported.values.end(),
                     [](const registryfile::Value &a, const registryfile::Value &b) {
                         return writingOrder(a.name) < writingOrder(b.name);
                     });
    if (!exported.values.isEmpty() || below.isEmpty())
        contents.keys.append(exported);
    for (const QString &sub : std::as_const(below))
        exportKey(sub, contents);
}

} // namespace

QByteArray readStore()
{
    registryfile::Contents contents;
    QStringList keys = roots().values();
    keys.sort();
    for (const QString &key : std::as_const(keys))
        exportKey(key, contents);
    return contents.keys.isEmpty() ? QByteArray() : registryfile::serialize(contents);
}

void writeStore(const QByteArray &bytes)
{
    clearStore();
    const std::optional<registryfile::Contents> contents = registryfile::parse(bytes);
    if (!contents)
        qFatal("not a registry export");
    for (const registryfile::Key &key : contents->keys) {
        const QString path = key.path.mid(kPrefix.size());
        // Software\X: the test's own key below the user's software.
        roots().insert(path.section(QLatin1Char('\\'), 0, 1));
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.toStdWString().c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
            qFatal("cannot create key %s", qPrintable(path));
        for (const registryfile::Value &value : key.values) {
            const QByteArray data = importData(value.type, value.data);
            RegSetValueExW(handle, value.name.toStdWString().c_str(), 0, value.type,
                           reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
        }
        RegCloseKey(handle);
    }
}

void clearStore()
{
    for (const QString &key : std::as_const(roots()))
        RegDeleteTreeW(HKEY_CURRENT_USER, key.toStdWString().c_str());
    for (const QString &key : std::as_const(roots()))
        RegDeleteKeyW(HKEY_CURRENT_USER, key.toStdWString().c_str());
}

bool storeIsAFile()
{
    return false;
}

bool hasPosixFiles()
{
    return false;
}

bool holdAsWriter(int)
{
    // A file open without delete sharing is never taken for a leftover.
    return true;
}

namespace {

constexpr qint64 k1601To1970 = 116444736000000000; // in the 100 ns of file times

} // namespace

FileId fileId(const QString &path)
{
    const HANDLE file = CreateFileW(path.toStdWString().c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!ok)
        return {};
    const qint64 time =
        (qint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    return {(quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow, (time - k1601To1970) * 100};
}

bool setModificationTime(const QString &path, qint64 mtimeNs)
{
    const HANDLE file = CreateFileW(path.toStdWString().c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const qint64 time = mtimeNs / 100 + k1601To1970;
    FILETIME written;
    written.dwLowDateTime = DWORD(time);
    written.dwHighDateTime = DWORD(time >> 32);
    const bool ok = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return ok;
}

bool isSuperuser()
{
    return false;
}

bool dropPrivileges()
{
    return false;
}

bool withFileSizeLimit(qint64, const std::function<void()> &)
{
    return false;
}

} // namespace testfiles
