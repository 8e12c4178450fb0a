// SPDX-License-Identifier: MIT
#include "windowstate.h"

#include <QFileInfo>

#include <algorithm>

#include "gui/state/captionorder.h"
#include "model/menufile.h"

namespace {

using Kind = PanelState::Kind;

const QString kChooseBranch = QStringLiteral("Wählen Sie erst einen Zweig aus!");
const QString kNotStored = QStringLiteral("Speichern Sie den neuen Eintrag erst!");

bool same(const menu::Fields &a, const menu::Fields &b)
{
    return a.caption == b.caption && a.program == b.program && a.params == b.params &&
           a.scrambled == b.scrambled && a.keepOpen == b.keepOpen && a.expand == b.expand;
}

const menu::Node *findNode(const menu::Menu &menu, const QString &letter)
{
    for (const menu::Node &node : menu.nodes) {
        if (node.letter == letter)
            return &node;
    }
    return nullptr;
}

// The launcher's entries run from 0 without a gap, so an entry's index is its position.
const menu::Entry *findEntry(const menu::Node &node, int index)
{
    if (index < 0 || index >= int(node.entries.size()))
        return nullptr;
    const menu::Entry &entry = node.entries[size_t(index)];
    return entry.index == index ? &entry : nullptr;
}

} // namespace

WindowState::WindowState(std::function<void()> changed) : m_changed(std::move(changed)) {}

QString WindowState::folder() const
{
    return file().left(file().lastIndexOf(QLatin1Char('/')) + 1);
}

bool WindowState::edited() const
{
    return (m_panel.kind == Kind::Item || m_panel.kind == Kind::NewEntry) &&
           !same(m_panel.fields, m_panel.shown);
}

QString WindowState::note() const
{
    // The newest note first: the width just stored, then the move waiting for its node.
    if (m_widthNote)
        return QStringLiteral("Neue Breite: %1 Pixel").arg(*m_widthNote);
    if (m_move)
        return QStringLiteral(
            "Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben.");
    if (!m_menu.exists && !file().isEmpty())
        return m_openedAsNew ? QStringLiteral("Die Datei gibt es noch nicht; sie wird mit dem "
                                              "ersten Knoten angelegt.")
                             : QStringLiteral("Die Datei wurde außerhalb des Editors entfernt.");
    return {};
}

View WindowState::view() const
{
    if (m_selection.isEmpty())
        return {file(), std::nullopt};
    return {file(), m_selection.first()};
}

std::optional<QString> WindowState::refusal(Need need) const
{
    if (m_panel.kind == Kind::Empty)
        return kChooseBranch;
    if (m_panel.kind == Kind::Several && need != Need::StoredItems)
        return QStringLiteral("Wählen Sie dafür nur einen Knoten oder Eintrag aus!");
    const bool newEntry = m_panel.kind == Kind::NewEntry;
    const bool node = !newEntry && m_panel.place.isNode();
    switch (need) {
    case Need::Item:
        break;
    case Need::Node:
        if (!node)
            return kChooseBranch;
        break;
    case Need::Stored:
    case Need::StoredItems:
        if (newEntry)
            return kNotStored;
        break;
    case Need::EntryToDuplicate:
        if (newEntry)
            return kNotStored;
        if (node)
            return QStringLiteral("Wählen Sie erst einen Eintrag zum Duplizieren aus!");
        break;
    case Need::EntryToMove:
        if (newEntry)
            return kNotStored;
        if (node)
            return QStringLiteral("Knoten können nicht verschoben werden!");
        break;
    }
    return std::nullopt;
}

menu::ItemRef WindowState::refOrGone(const PanelState &panel)
{
    if (panel.ref)
        return *panel.ref;
    throw transaction::EChangedOutside(
        QStringLiteral("»%1« wurde außerhalb des Editors geändert oder entfernt.")
            .arg(panel.shown.caption));
}

void WindowState::open(const QString &path)
{
    // Chosen by the user, a file that is not there is a new menu, even where one was removed.
    m_openedAsNew = !QFileInfo::exists(path);
    load(path);
    select(std::nullopt);
    changed();
}

void WindowState::show(const View &view, bool reveal)
{
    // Not chosen by the user: a missing file is no new menu of theirs.
    if (view.file != file())
        m_openedAsNew = false;
    load(view.file);
    select(view.place);
    if (reveal && view.place && !m_selection.isEmpty())
        m_revealed = m_selection.first();
    changed();
}

void WindowState::showStep(const Step &step, bool back)
{
    const View &target = back ? step.before : step.after;
    if (!QFileInfo::exists(target.file)) {
        const bool created =
            back && std::any_of(step.changes.begin(), step.changes.end(),
                                [&](const transaction::FileChange &change) {
                                    return change.path == target.file && !change.before;
                                });
        if (!created) {
            refresh();
            return;
        }
        // The first node of a menu opened as new created the file; without it, it is that
        // new menu again.
        load(target.file);
        m_openedAsNew = true;
        select(target.place);
        changed();
        return;
    }
    show(target, true);
}

void WindowState::refresh()
{
    const std::optional<ItemPlace> place = view().place;
    const std::optional<ItemPlace> revealed = m_revealed;
    load(file());
    select(place);
    if (revealed && exists(*revealed))
        m_revealed = revealed;
    changed();
}

bool WindowState::changedOutside()
{
    if (menu::version(file()) == m_version)
        return false;
    const QList<ItemPlace> selection = m_selection;
    const PanelState panel = m_panel;
    const bool keep = edited() || panel.kind == Kind::NewEntry;
    const std::optional<ItemPlace> revealed = m_revealed;
    load(file());
    QList<ItemPlace> still;
    for (const ItemPlace &place : selection) {
        if (exists(place))
            still.append(place);
    }
    if (still.isEmpty())
        select(std::nullopt);
    else
        setSelection(still);
    // The edits stay with the item as it was shown, so a save checks the file still holds it.
    if (keep && still == selection)
        m_panel = panel;
    if (revealed && exists(*revealed))
        m_revealed = revealed;
    changed();
    return true;
}

void WindowState::choose(const QList<ItemPlace> &places)
{
    setSelection(places);
    changed();
}

void WindowState::setSelection(const QList<ItemPlace> &places)
{
    QList<ItemPlace> chosen;
    for (const ItemPlace &place : places) {
        if (exists(place) && !chosen.contains(place))
            chosen.append(place);
    }
    m_selection = chosen;
    m_widthNote.reset();
    if (chosen.size() == 1) {
        showItem(chosen.first());
    } else {
        clearPanel();
        if (chosen.size() > 1) {
            m_panel.kind = Kind::Several;
            m_panel.count = int(chosen.size());
            m_panel.nodes = int(std::count_if(chosen.begin(), chosen.end(),
                                              [](const ItemPlace &p) { return p.isNode(); }));
        }
    }
}

void WindowState::discardEdits()
{
    m_panel.fields = m_panel.shown;
    changed();
}

void WindowState::edit(const menu::Fields &fields)
{
    if ((m_panel.kind != Kind::Item && m_panel.kind != Kind::NewEntry) ||
        same(fields, m_panel.fields))
        return;
    m_panel.fields = fields;
    changed();
}

void WindowState::prepareEntry(int index)
{
    if (refusal(Need::Node))
        return;
    m_panel.kind = Kind::NewEntry;
    m_panel.newIndex = index;
    m_panel.shown = {QString(), QString(), QString(), false, false, m_panel.shown.expand};
    m_panel.fields = m_panel.shown;
    m_widthNote.reset();
    changed();
}

void WindowState::startMove()
{
    if (refusal(Need::EntryToMove) || !m_panel.ref)
        return;
    m_move = PendingMove{*m_panel.ref, m_panel.fields};
    m_widthNote.reset();
    changed();
}

void WindowState::endMove()
{
    m_move.reset();
    changed();
}

void WindowState::setFind(const QString &text)
{
    if (text == m_find)
        return;
    m_find = text;
    m_revealed.reset();
    changed();
}

void WindowState::storedWidth(int width)
{
    m_widthNote = width;
    m_version = menu::version(file()); // the window's own write is no outside change
    changed();
}

void WindowState::storedSettings()
{
    m_version = menu::version(file());
}

void WindowState::load(const QString &path)
{
    ++m_loads;
    m_widthNote.reset();
    m_revealed.reset();
    m_version = menu::version(path);
    try {
        m_menu = menu::load(path);
    } catch (...) {
        // Nothing of an unreadable file is shown, so no command can act on it.
        m_menu = menu::Menu{path, true, {}, {}, menufile::kDefaultTreeWidth};
        m_selection.clear();
        clearPanel();
        changed();
        throw;
    }
    if (m_menu.exists)
        m_openedAsNew = false;
}

void WindowState::select(const std::optional<ItemPlace> &place)
{
    if (place && exists(*place))
        setSelection({*place});
    else if (!m_menu.nodes.empty())
        setSelection({firstNode()});
    else
        setSelection({});
}

ItemPlace WindowState::firstNode() const
{
    // The tree's first node: the one whose caption sorts first, of equal ones the first stored.
    const CaptionOrder order;
    const auto first = std::min_element(m_menu.nodes.begin(), m_menu.nodes.end(),
                                        [&](const menu::Node &a, const menu::Node &b) {
                                            return order.lessThan(a.caption, b.caption);
                                        });
    return {first->letter, menu::kNodeIndex};
}

void WindowState::showItem(const ItemPlace &place)
{
    const menu::Node &node = *findNode(m_menu, place.letter);
    m_panel = PanelState{};
    m_panel.kind = Kind::Item;
    m_panel.place = place;
    m_panel.count = 1;
    if (place.isNode()) {
        m_panel.shown = {node.caption, QString(), QString(), false, false, node.expand};
        m_panel.ref = menu::refOf(m_menu, node);
    } else {
        const menu::Entry &entry = *findEntry(node, place.index);
        m_panel.shown = {entry.caption,   entry.program,  entry.params,
                         entry.scrambled, entry.keepOpen, false};
        m_panel.ref = menu::refOf(m_menu, node, entry);
    }
    m_panel.fields = m_panel.shown;
}

void WindowState::clearPanel()
{
    m_panel = PanelState{};
}

bool WindowState::exists(const ItemPlace &place) const
{
    const menu::Node *node = findNode(m_menu, place.letter);
    return node && (place.isNode() || findEntry(*node, place.index));
}

void WindowState::changed()
{
    if (m_changed)
        m_changed();
}
