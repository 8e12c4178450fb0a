// SPDX-License-Identifier: MIT
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

#include <memory>
#include <vector>

class QTreeWidgetItem;

using Items = std::vector<std::unique_ptr<QTreeWidgetItem>>;

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

    // Sorts items by their text; items with equal texts keep their order.
    void sort(Items &items) const;

private:
    QCollator m_collator;
};
