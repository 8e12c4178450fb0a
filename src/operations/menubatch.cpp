// SPDX-License-Identifier: MIT
#include "menubatch.h"

#include <algorithm>

#include "model/menufile.h"
#include "model/menuops.h"
#include "store/tinifile.h"

namespace menu {

using transaction::EChangedOutside;
using transaction::ERefused;
using transaction::Transaction;

namespace {

struct Source
{
    ItemRef ref;
    TMemIniFile *file;
};

// Every item checked as seen before anything changes; an item given twice counts once, and
// entries of a node that is in the list too go with their node.
std::vector<Source> checked(Transaction &t, const std::vector<ItemRef> &items)
{
    std::vector<Source> sources;
    for (const ItemRef &item : items) {
        TMemIniFile *file = &checkedFile(t, item);
        const bool twice = std::any_of(sources.begin(), sources.end(), [&](const Source &s) {
            return s.file == file && s.ref.letter == item.letter && s.ref.index == item.index;
        });
        if (!twice)
            sources.push_back({item, file});
    }
    sources.erase(std::remove_if(sources.begin(), sources.end(),
                                 [&](const Source &entry) {
                                     return !entry.ref.isNode() &&
                                            std::any_of(sources.begin(), sources.end(),
                                                        [&](const Source &node) {
                                                            return node.ref.isNode() &&
                                                                   node.file == entry.file &&
                                                                   node.ref.letter ==
                                                                       entry.ref.letter;
                                                        });
                                 }),
                  sources.end());
    return sources;
}

// Deletes the sources: entries from the highest index down, then nodes from the last letter up,
// so that no compaction moves an item that is still to go.
void deleteSources(std::vector<Source> sources)
{
    std::stable_sort(sources.begin(), sources.end(), [](const Source &a, const Source &b) {
        if (a.ref.isNode() != b.ref.isNode())
            return !a.ref.isNode();
        if (!a.ref.isNode())
            return a.ref.index > b.ref.index;
        return menufile::nodeLetterIndex(a.ref.letter) > menufile::nodeLetterIndex(b.ref.letter);
    });
    for (const Source &s : sources) {
        if (s.ref.isNode())
            menuops::deleteNodeCompacting(*s.file, s.ref.letter);
        else
            menuops::deleteEntryCompacting(*s.file, s.ref.letter, s.ref.index);
    }
}

// Every key of the section, values as read; all read before anything is written.
std::vector<std::pair<QString, QString>> sectionKeys(TCustomIniFile &file, const QString &letter)
{
    QStringList names;
    file.ReadSection(letter, names);
    std::vector<std::pair<QString, QString>> keys;
    keys.reserve(size_t(names.size()));
    for (const QString &name : std::as_const(names))
        keys.emplace_back(name, file.ReadString(letter, name, QString()));
    return keys;
}

enum class Mode { Copy, Move };

} // namespace

// The first free letter, where the launcher will show the node.
QString letterForNewNode(TMemIniFile &file)
{
    const std::optional<QString> letter = menuops::freeNodeLetter(file);
    if (!letter)
        throw ERefused(QStringLiteral("Es kann kein weiterer Knoten angelegt werden!"));
    if (file.SectionExists(*letter))
        throw ERefused(QStringLiteral("Im Abschnitt [%1] von %2 stehen Schlüssel ohne Knoten. "
                                      "Damit sich nichts vermischt, wurde nichts eingefügt; "
                                      "„Menü prüfen“ zeigt sie.")
                           .arg(*letter, file.FileName()));
    return *letter;
}

TMemIniFile &targetFile(Transaction &t, const Target &target)
{
    if (target.node)
        return checkedFile(t, *target.node, false);
    if (!t.exists(target.file) && !target.mayCreateFile)
        throw EChangedOutside(QStringLiteral("Die Datei %1 gibt es nicht mehr. Es wurde nichts "
                                             "gespeichert.")
                                  .arg(target.file));
    return t.file(target.file);
}

namespace {

Result copyOrMove(Transaction &t, const std::vector<ItemRef> &items, const Target &target,
                  Mode mode)
{
    // The target's file is used first, so it is written first.
    TMemIniFile *to = &targetFile(t, target);
    std::vector<Source> sources = checked(t, items);
    const bool anyEntry = std::any_of(sources.begin(), sources.end(),
                                      [](const Source &s) { return !s.ref.isNode(); });
    if (anyEntry && !target.node)
        throw ERefused(QStringLiteral("Wählen Sie erst einen Zweig aus!"));
    if (mode == Mode::Move) {
        sources.erase(std::remove_if(sources.begin(), sources.end(),
                                     [&](const Source &s) {
                                         return s.file == to &&
                                                (s.ref.isNode() ||
                                                 s.ref.letter == target.node->letter);
                                     }),
                      sources.end());
    }

    Result result{{}, target.file, target.node ? target.node->letter : QString(), kNodeIndex};
    int next = 0;
    for (const Source &s : sources) {
        if (s.ref.isNode())
            continue;
        const menuops::EntryKeys keys = menuops::readEntryKeys(*s.file, s.ref.letter, s.ref.index);
        next = menuops::freeEntryIndex(*to, target.node->letter, next);
        menuops::writeEntryKeys(*to, target.node->letter, next, keys);
        if (result.index == kNodeIndex)
            result.index = next;
    }
    for (const Source &s : sources) {
        if (!s.ref.isNode())
            continue;
        const auto keys = sectionKeys(*s.file, s.ref.letter);
        const QString letter = letterForNewNode(*to);
        for (const auto &[name, value] : keys)
            to->WriteString(letter, name, value);
        if (result.letter.isEmpty())
            result.letter = letter;
    }
    // Nodes stay in their own file and entries on their own node, so these deletes never move
    // the target node or what was copied onto it.
    if (mode == Mode::Move)
        deleteSources(std::move(sources));
    return result;
}

} // namespace

Result deleteItems(Transaction &t, const std::vector<ItemRef> &items)
{
    if (items.empty())
        return {};
    deleteSources(checked(t, items));
    return {{}, items.front().file, items.front().letter, items.front().index};
}

Result deleteItems(const std::vector<ItemRef> &items)
{
    return run([&](Transaction &t) { return deleteItems(t, items); });
}

Result copyItems(Transaction &t, const std::vector<ItemRef> &items, const Target &target)
{
    return copyOrMove(t, items, target, Mode::Copy);
}

Result copyItems(const std::vector<ItemRef> &items, const Target &target)
{
    return run([&](Transaction &t) { return copyItems(t, items, target); });
}

Result moveItems(Transaction &t, const std::vector<ItemRef> &items, const Target &target)
{
    return copyOrMove(t, items, target, Mode::Move);
}

Result moveItems(const std::vector<ItemRef> &items, const Target &target)
{
    return run([&](Transaction &t) { return moveItems(t, items, target); });
}

} // namespace menu
