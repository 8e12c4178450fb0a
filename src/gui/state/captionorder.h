// SPDX-License-Identifier: MIT
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>

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

    // The order of the texts: the places in texts, sorted. A list sorted before is not sorted
    // again (see the .cpp).
    std::vector<qsizetype> order(const QStringList &texts) const;

    // Drops the orders kept, so that the next sort of every list meets the collator (for
    // benchmarks of a first load).
    static void forgetOrders();

private:
    QCollator m_collator;
};

template <typename T, typename Text> void CaptionOrder::sort(std::vector<T> &items, Text text) const
{
    QStringList texts;
    texts.reserve(qsizetype(items.size()));
    for (const T &item : items)
        texts.append(text(item));
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const qsizetype i : order(texts))
        sorted.push_back(std::move(items[size_t(i)]));
    items = std::move(sorted);
}
