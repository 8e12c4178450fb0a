// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// What the editor panel shows of one tree item. An id of "-" marks a node; any other id is the
// index of an entry within the node's section.
struct Tdaten
{
    QString path;
    QString parameters; // always plain, unscrambled on loading
    QString caption;
    QString section;
    QString id;
    bool expand = false;
    bool scrambled = false;
    bool keepOpen = false;
};
