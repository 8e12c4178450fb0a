// SPDX-License-Identifier: MIT
#include "mtools.h"

QString RemoveSpaces(const QString &text)
{
    QString result = text;
    result.remove(QLatin1Char(' '));
    return result;
}
