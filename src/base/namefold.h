// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>

// Section and key names compare as the launcher's store compares them: ASCII letters without
// case, every other character as it is. For names as file bytes and as Unicode text alike.
namespace namefold {

inline char16_t code(char c)
{
    return char16_t(uchar(c));
}

inline char16_t code(QChar c)
{
    return c.unicode();
}

template <typename Char> char16_t fold(Char c)
{
    const char16_t u = code(c);
    return u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u;
}

template <typename View> bool equal(View a, View b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// The name's bytes with ASCII letters folded: a key for hashes of names.
inline QByteArray folded(QByteArrayView name)
{
    QByteArray out(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        out[i] = char(fold(name[i]));
    return out;
}

} // namespace namefold
