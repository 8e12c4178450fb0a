// SPDX-License-Identifier: MIT
// The profile reader's number syntax against a plain model of it.
#include "fuzzcheck.h"

#include "base/conversion.h"
#include "base/cp1252.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Blanks, then "$", "x", "X", "0x" or "0X" and at most eight significant hexadecimal digits as a
// 32-bit pattern, or a decimal number with an optional sign within the 32-bit range; nothing else.
std::optional<qint32> model(const QString &text)
{
    QString s = text;
    while (s.startsWith(QLatin1Char(' ')))
        s.remove(0, 1);
    QString digits;
    bool hex = true;
    if (s.startsWith(QLatin1String("0x")) || s.startsWith(QLatin1String("0X")))
        digits = s.mid(2);
    else if (s.startsWith(QLatin1Char('$')) || s.startsWith(QLatin1Char('x')) ||
             s.startsWith(QLatin1Char('X')))
        digits = s.mid(1);
    else
        hex = false;

    if (hex) {
        if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), isHexDigit))
            return std::nullopt;
        while (digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        if (digits.size() > 8)
            return std::nullopt;
        return qint32(digits.isEmpty() ? 0u : digits.toUInt(nullptr, 16));
    }

    bool negative = false;
    if (s.startsWith(QLatin1Char('+')) || s.startsWith(QLatin1Char('-'))) {
        negative = s.startsWith(QLatin1Char('-'));
        s.remove(0, 1);
    }
    if (s.isEmpty() || !std::all_of(s.begin(), s.end(), isAsciiDigit))
        return std::nullopt;
    while (s.size() > 1 && s.startsWith(QLatin1Char('0')))
        s.remove(0, 1);
    if (s.size() > 10)
        return std::nullopt;
    qint64 value = s.toLongLong();
    if (negative)
        value = -value;
    if (value < -2147483648LL || value > 2147483647LL)
        return std::nullopt;
    return qint32(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputReader in(data, size);
    const bool wide = in.byte() & 1;
    std::size_t length = 0;
    const char *rest = in.rest(length);
    // Files give Windows-1252 text; the dialogs' fields any UTF-16.
    QString text;
    if (wide) {
        std::vector<char16_t> units(length / 2);
        if (!units.empty())
            std::memcpy(units.data(), rest, units.size() * sizeof(char16_t));
        text = QString::fromUtf16(units.data(), qsizetype(units.size()));
    } else {
        text = cp1252::toUnicode(QByteArrayView(rest, qsizetype(length)));
    }
    const std::optional<qint32> expected = model(text);
    FUZZ_CHECK(parseProfileInteger(text) == expected);
    FUZZ_CHECK(StrToIntDef(text, 77) == expected.value_or(77));
    return 0;
}
