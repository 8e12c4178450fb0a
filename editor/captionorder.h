// SPDX-License-Identifier: MIT
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

// The order of tree captions: letter case counts only when the texts are otherwise equal (lower
// case first), and digits compare as characters, so "10" comes before "9".
class CaptionOrder
{
public:
    // The user's locale, or German when that is C/POSIX: Qt's collator for the C locale compares
    // code points, which would put every capital before every small letter.
    static QLocale sortLocale();

    CaptionOrder();

    bool lessThan(const QString &a, const QString &b) const;

    // Sorts items by their caption, text(item); items with equal captions keep their order.
    template <typename T, typename Text> void sort(std::vector<T> &items, Text text) const;

private:
    QCollator m_collator;
};

template <typename T, typename Text> void CaptionOrder::sort(std::vector<T> &items, Text text) const
{
    // The texts are taken out of the items once; the collator then compares them directly,
    // which stops at the first difference and so beats building a full sort key per item.
    std::vector<std::pair<QString, size_t>> keyed;
    keyed.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        keyed.emplace_back(text(items[i]), i);
    std::stable_sort(keyed.begin(), keyed.end(), [this](const auto &a, const auto &b) {
        return m_collator.compare(a.first, b.first) < 0;
    });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto &k : keyed)
        sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}
