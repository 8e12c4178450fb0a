// SPDX-License-Identifier: MIT
// The per-user store in the registry itself, through the wide functions, so that every text
// keeps its characters.
#include "platform/platform.h"

#include <windows.h>

#include <string>

namespace platform::registry {

namespace {

// The access the store asks for when it opens or creates a key.
constexpr REGSAM kAccess = KEY_ALL_ACCESS;

class Key
{
public:
    Key() = default;
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;

    HKEY *out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

// The registry functions return their error instead of setting it; it is set here too, so that
// callers can ask GetLastError() as for every other call.
bool open(const QString &path, REGSAM access, Key &key)
{
    const LSTATUS status =
        RegOpenKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, access, key.out());
    SetLastError(DWORD(status));
    return status == ERROR_SUCCESS;
}

bool set(const QString &path, const QString &name, DWORD type, const void *data, DWORD size)
{
    Key key;
    return open(path, KEY_SET_VALUE, key) &&
           RegSetValueExW(key.get(), wide(name).c_str(), 0, type, static_cast<const BYTE *>(data),
                          size) == ERROR_SUCCESS;
}

} // namespace

// A key that policy or permissions keep read-only still counts as there: its values are read,
// and a write to it fails with the store's message instead of being skipped unseen.
bool readOnlyKey(const QString &path)
{
    Key key;
    return GetLastError() == ERROR_ACCESS_DENIED && open(path, KEY_READ, key);
}

bool keyExists(const QString &path)
{
    Key key;
    return open(path, kAccess, key) || readOnlyKey(path);
}

bool createKey(const QString &path)
{
    Key key;
    const LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kAccess, nullptr, key.out(), nullptr);
    SetLastError(DWORD(status));
    return status == ERROR_SUCCESS || readOnlyKey(path);
}

std::optional<Value> value(const QString &path, const QString &name)
{
    Key key;
    if (!open(path, KEY_QUERY_VALUE, key))
        return std::nullopt;
    const std::wstring valueName = wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    Value stored;
    // Another program may change the value between the two questions: asked again then.
    LSTATUS status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        stored.data.resize(size);
        status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE *>(stored.data.data()), &size);
    }
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    stored.data.resize(size);
    stored.type = type;
    stored.size = stored.data.size();
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        stored.size = (stored.data.size() + 1) / 2;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const auto *units = reinterpret_cast<const char16_t *>(stored.data.constData());
        qsizetype length = 0;
        while (length < stored.data.size() / 2 && units[length] != 0)
            ++length;
        stored.text = QString::fromUtf16(units, length);
    }
    return stored;
}

bool setText(const QString &path, const QString &name, const QString &text)
{
    // The characters and one zero character, as the registry keeps a text.
    return set(path, name, REG_SZ, text.utf16(), DWORD((text.size() + 1) * sizeof(char16_t)));
}

bool setInteger(const QString &path, const QString &name, qint32 number)
{
    const DWORD data = DWORD(quint32(number));
    return set(path, name, REG_DWORD, &data, sizeof data);
}

} // namespace platform::registry
