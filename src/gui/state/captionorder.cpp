// SPDX-License-Identifier: MIT
#include "captionorder.h"

#include <QHash>
#include <QMutex>

#include <algorithm>
#include <numeric>

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

namespace {

// Each reload sorts the same caption lists again: every node a command left alone, and the
// nodes. The order found for a list is kept, so that only lists that changed meet the collator,
// which costs most of a reload where comparing is slow (Windows' CompareStringEx under Wine
// takes a microsecond a pair). Kept per locale; emptied when it grows past what a few open
// menus need, so memory stays bounded.
struct KeptOrders
{
    QMutex mutex;
    QString locale;
    QHash<QStringList, std::vector<qsizetype>> orders;
};

KeptOrders &keptOrders()
{
    static KeptOrders kept;
    return kept;
}

constexpr qsizetype kMaxKeptOrders = 512;

} // namespace

std::vector<qsizetype> CaptionOrder::order(const QStringList &texts) const
{
    KeptOrders &kept = keptOrders();
    const QString locale = m_collator.locale().bcp47Name();
    {
        const QMutexLocker lock(&kept.mutex);
        if (kept.locale != locale) {
            kept.orders.clear();
            kept.locale = locale;
        }
        const auto it = kept.orders.constFind(texts);
        if (it != kept.orders.cend())
            return *it;
    }
    // The collator is given the texts directly: it stops at the first difference, which beats
    // building a full sort key per text.
    std::vector<qsizetype> places(size_t(texts.size()));
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](qsizetype a, qsizetype b) {
        return m_collator.compare(texts[a], texts[b]) < 0;
    });
    const QMutexLocker lock(&kept.mutex);
    if (kept.locale == locale) {
        if (kept.orders.size() >= kMaxKeptOrders)
            kept.orders.clear();
        kept.orders.insert(texts, places);
    }
    return places;
}

void CaptionOrder::forgetOrders()
{
    KeptOrders &kept = keptOrders();
    const QMutexLocker lock(&kept.mutex);
    kept.orders.clear();
}
