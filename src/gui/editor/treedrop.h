// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "gui/state/windowstate.h"
#include "operations/menuclip.h"

class QDropEvent;
class QMimeData;

// What a drag over the menu tree carries and where it would go: the window state's rules
// (transferplan.h) decide, and the tree frames the target node while the drag is over it.
class TreeDrop
{
public:
    struct Drop
    {
        menuclip::Clip clip;
        std::optional<ItemPlace> under; // the item under the mouse
        bool copy = false;              // Ctrl held
    };

    void setState(const WindowState *state) { m_state = state; }
    // A drag comes in: whether it carries items of an editor or entries in a text.
    bool enter(const QMimeData *data);
    // The drag over the item under: accepted, with the event's action set, or ignored.
    std::optional<Drop> judge(QDropEvent *event, const std::optional<ItemPlace> &under);
    void leave();
    // The node to frame; nullopt where the drop is refused or takes no node.
    const std::optional<ItemPlace> &target() const { return m_target; }

private:
    const WindowState *m_state = nullptr;
    std::optional<menuclip::Clip> m_clip;
    std::optional<ItemPlace> m_target;
};
