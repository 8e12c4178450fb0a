// SPDX-License-Identifier: MIT
#include "treedrop.h"

#include <QDropEvent>
#include <QMimeData>

#include "gui/state/transferplan.h"

namespace {

// Items of this or another editor, else the entries of a text; nullopt for anything else.
std::optional<menuclip::Clip> clipOf(const QMimeData *data)
{
    if (data->hasFormat(menuclip::kMimeType))
        return menuclip::fromMime(data->data(menuclip::kMimeType));
    if (!data->hasText())
        return std::nullopt;
    try {
        return menuclip::fromText(data->text());
    } catch (const transaction::ERefused &) {
        return std::nullopt; // no entries: nothing to drop
    }
}

} // namespace

bool TreeDrop::enter(const QMimeData *data)
{
    m_clip = data ? clipOf(data) : std::nullopt;
    m_target.reset();
    return m_clip.has_value();
}

std::optional<TreeDrop::Drop> TreeDrop::judge(QDropEvent *event,
                                              const std::optional<ItemPlace> &under)
{
    m_target.reset();
    if (!m_clip || !m_state) {
        event->ignore();
        return std::nullopt;
    }
    Drop drop{*m_clip, under, event->modifiers().testFlag(Qt::ControlModifier)};
    const transferplan::Drop plan = transferplan::planDrop(*m_state, drop.clip, under, drop.copy);
    const Qt::DropAction action =
        plan.action == transferplan::Action::Copy ? Qt::CopyAction : Qt::MoveAction;
    if (plan.action == transferplan::Action::Refused || !(event->possibleActions() & action)) {
        event->ignore();
        return std::nullopt;
    }
    if (plan.target.node)
        m_target = ItemPlace{plan.target.node->letter};
    event->setDropAction(action);
    event->accept();
    return drop;
}

void TreeDrop::leave()
{
    m_clip.reset();
    m_target.reset();
}
