// SPDX-License-Identifier: MIT
#include "captionorder.h"

#include <QTreeWidgetItem>

#include <algorithm>

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

void CaptionOrder::sort(Items &items) const
{
    // The texts are taken out of the items once; the collator then compares them directly,
    // which stops at the first difference and so beats building a full sort key per item.
    struct Keyed
    {
        QString text;
        QTreeWidgetItem *item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (auto &item : items)
        keyed.push_back({item->text(0), item.get()});
    std::stable_sort(keyed.begin(), keyed.end(), [this](const Keyed &a, const Keyed &b) {
        return m_collator.compare(a.text, b.text) < 0;
    });
    // Ownership moves over only once nothing can fail any more.
    Items sorted;
    sorted.reserve(items.size());
    for (auto &item : items)
        item.release();
    for (const Keyed &k : keyed)
        sorted.emplace_back(k.item);
    items = std::move(sorted);
}
