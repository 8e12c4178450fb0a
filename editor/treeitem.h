// SPDX-License-Identifier: MIT
#pragma once

#include <QTreeWidgetItem>

#include "tdaten.h"

// A tree item with its record; the record lives exactly as long as the item.
class TreeItem : public QTreeWidgetItem
{
public:
    explicit TreeItem(Tdaten daten) : QTreeWidgetItem(UserType), m_daten(std::move(daten))
    {
        setText(0, m_daten.caption);
    }

    const Tdaten &daten() const { return m_daten; }

private:
    Tdaten m_daten;
};
