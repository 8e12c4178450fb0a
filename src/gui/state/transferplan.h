// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "gui/state/windowstate.h"
#include "operations/menubatch.h"
#include "operations/menuclip.h"

// Which items copy, cut, paste and drag and drop take, and where they put them, decided on the
// window state alone, so that the rules hold without a screen.
namespace transferplan {

// The selected items as the file held them when shown: the item in the panel (as it was shown,
// also where another program changed the file since), or every item of a several-selection.
// Empty when the panel shows no stored item.
std::vector<menu::ItemRef> selectedItems(const WindowState &state);

// Where a paste goes: entries onto the node shown, or the node of the entry shown (of a
// several-selection: of the first item); nodes into the file shown. No node when none is shown.
menu::Target pasteTarget(const WindowState &state);

enum class Action { Refused, Copy, Move };

struct Drop
{
    Action action = Action::Refused;
    menu::Target target;
    // Dragged out of an editor: the items that go (none that is on the target node already).
    // Empty for plain text, which is pasted as a copy of the clip.
    std::vector<menu::ItemRef> items;
};

// A drop of clip onto the item under the mouse (nullopt: no item) of the file shown; copy:
// Ctrl held. Entries go onto the node under the mouse (an entry stands for its node); nodes of
// the file shown are refused, since nodes have no order to drop into; a drop that would leave
// every item where it stands (onto the item itself or its own node) is refused too.
Drop planDrop(const WindowState &state, const menuclip::Clip &clip,
              const std::optional<ItemPlace> &under, bool copy);

// "»Mail«" for one item, else the counts: "3 Einträge", "1 Knoten und 2 Einträge"; dative:
// "3 Einträgen", for a step's name ("Löschen von 3 Einträgen").
QString itemsText(int nodes, int entries, const QString &caption, bool dative = false);
QString itemsText(const std::vector<menu::ItemRef> &items, bool dative = false);

} // namespace transferplan
