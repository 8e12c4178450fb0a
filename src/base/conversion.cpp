// SPDX-License-Identifier: MIT
#include "conversion.h"

#include "base/exception.h"

#include <limits>

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

} // namespace

std::optional<qint32> parseProfileInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i == n)
        return std::nullopt;

    qsizetype prefix = 0;
    if (text[i] == QLatin1Char('$') || text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'))
        prefix = 1;
    else if (text[i] == QLatin1Char('0') && i + 1 < n &&
             (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X')))
        prefix = 2;

    if (prefix > 0) {
        i += prefix;
        if (i == n)
            return std::nullopt;
        quint32 value = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return std::nullopt;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = (value << 4) | quint32(d);
        }
        return qint32(value);
    }

    bool negative = false;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - '0');
        if (value > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

qint32 StrToIntDef(const QString &text, qint32 def)
{
    return parseProfileInteger(text).value_or(def);
}

qint32 StrToInt(const QString &text)
{
    if (const auto value = parseProfileInteger(text))
        return *value;
    throw EConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
}
