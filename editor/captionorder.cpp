// SPDX-License-Identifier: MIT
#include "captionorder.h"

QLocale CaptionOrder::sortLocale()
{
    const QLocale system;
    if (system.language() == QLocale::C)
        return QLocale(QLocale::German, QLocale::Germany);
    return system;
}

CaptionOrder::CaptionOrder() : m_collator(sortLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

bool CaptionOrder::lessThan(const QString &a, const QString &b) const
{
    return m_collator.compare(a, b) < 0;
}
