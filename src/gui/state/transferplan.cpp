// SPDX-License-Identifier: MIT
#include "transferplan.h"

#include <algorithm>

namespace transferplan {

namespace {

using Kind = PanelState::Kind;

std::optional<menu::ItemRef> refAt(const menu::Menu &shown, const ItemPlace &place)
{
    for (const menu::Node &node : shown.nodes) {
        if (node.letter != place.letter)
            continue;
        if (place.isNode())
            return menu::refOf(shown, node);
        // The launcher's entries run from 0 without a gap, so an index is a position.
        if (place.index < 0 || place.index >= int(node.entries.size()))
            return std::nullopt;
        return menu::refOf(shown, node, node.entries[size_t(place.index)]);
    }
    return std::nullopt;
}

QString countText(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

} // namespace

std::vector<menu::ItemRef> selectedItems(const WindowState &state)
{
    const PanelState &panel = state.panel();
    if (panel.kind == Kind::Item && panel.ref)
        return {*panel.ref};
    if (panel.kind != Kind::Several)
        return {};
    std::vector<menu::ItemRef> items;
    for (const ItemPlace &place : state.selection()) {
        if (const std::optional<menu::ItemRef> item = refAt(state.menu(), place))
            items.push_back(*item);
    }
    return items;
}

menu::Target pasteTarget(const WindowState &state)
{
    menu::Target target{state.file(), std::nullopt, state.openedAsNew()};
    const PanelState &panel = state.panel();
    if (panel.kind == Kind::Item || panel.kind == Kind::NewEntry)
        target.node = refAt(state.menu(), {panel.place.letter, menu::kNodeIndex});
    else if (!state.selection().isEmpty())
        target.node = refAt(state.menu(), {state.selection().first().letter, menu::kNodeIndex});
    return target;
}

Drop planDrop(const WindowState &state, const menuclip::Clip &clip,
              const std::optional<ItemPlace> &under, bool copy)
{
    Drop drop;
    drop.target = {state.file(), std::nullopt, state.openedAsNew()};
    const std::optional<menu::ItemRef> node =
        under ? refAt(state.menu(), {under->letter, menu::kNodeIndex}) : std::nullopt;
    if (clip.sources.empty()) {
        // Text from another program: what it holds is pasted as a copy.
        if (!clip.entries.empty() && !node)
            return {};
        if (!clip.entries.empty())
            drop.target.node = node;
        drop.action = Action::Copy;
        return drop;
    }
    for (const menu::ItemRef &item : clip.sources) {
        const bool here = item.file == state.file();
        if (item.isNode()) {
            if (here)
                return {};
        } else if (!node) {
            return {};
        } else if (here && item.letter == node->letter) {
            continue;
        }
        drop.items.push_back(item);
    }
    if (drop.items.empty())
        return {};
    // Nodes alone go into the file; the new node is then what the window shows.
    if (std::any_of(drop.items.begin(), drop.items.end(),
                    [](const menu::ItemRef &item) { return !item.isNode(); }))
        drop.target.node = node;
    drop.action = copy ? Action::Copy : Action::Move;
    return drop;
}

QString itemsText(int nodes, int entries, const QString &caption, bool dative)
{
    if (nodes + entries == 1)
        return QStringLiteral("»%1«").arg(caption);
    const QString entryText = countText(entries, "Eintrag", dative ? "Einträgen" : "Einträge");
    if (nodes == 0)
        return entryText;
    const QString nodeText = countText(nodes, "Knoten", "Knoten");
    return entries == 0 ? nodeText : nodeText + QStringLiteral(" und ") + entryText;
}

QString itemsText(const std::vector<menu::ItemRef> &items, bool dative)
{
    const int nodes = int(std::count_if(items.begin(), items.end(),
                                        [](const menu::ItemRef &item) { return item.isNode(); }));
    return itemsText(nodes, int(items.size()) - nodes,
                     items.empty() ? QString() : items.front().caption, dative);
}

} // namespace transferplan
