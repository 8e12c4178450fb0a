// SPDX-License-Identifier: MIT
#include "menuclip.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/conversion.h"
#include "model/menufile.h"
#include "model/menuops.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"

namespace menuclip {

using menufile::EntryKey;
using transaction::ERefused;
using transaction::Transaction;

namespace {

constexpr int kVersion = 1;

// The first line of toText(). Lines copied out of a menu file lack it: their parameters marked
// scrambled stand scrambled.
const QString kPlainMarker = QStringLiteral("; Parameter im Klartext");
const QString kMarkerLine =
    kPlainMarker + QStringLiteral(": wo v=1 steht, verschlüsselt der Editor sie beim Einfügen "
                                  "wieder.");

bool asBool(const std::optional<QString> &value)
{
    return StrToIntDef(value.value_or(QString()), 0) != 0;
}

// paramsPlain: the text holds the parameters plain also where they are marked scrambled.
menu::Fields fieldsFrom(const menuops::EntryKeys &keys, bool paramsPlain)
{
    menu::Fields fields = menu::fieldsOf(keys);
    if (fields.scrambled && paramsPlain)
        fields.params = keys.params.value_or(QString());
    return fields;
}

bool sameItem(const menu::ItemRef &a, const menu::ItemRef &b)
{
    return a.file == b.file && a.letter == b.letter && a.index == b.index;
}

// JSON forms. A stored key that is missing is null.
QJsonValue jsonOf(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

std::optional<QString> optionalOf(const QJsonValue &value)
{
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

QJsonArray jsonOf(const menuops::EntryKeys &keys)
{
    return {jsonOf(keys.caption), jsonOf(keys.program), jsonOf(keys.params), jsonOf(keys.scrambled),
            jsonOf(keys.keepOpen)};
}

menuops::EntryKeys keysOf(const QJsonArray &array)
{
    menuops::EntryKeys keys;
    keys.caption = optionalOf(array.at(0));
    keys.program = optionalOf(array.at(1));
    keys.params = optionalOf(array.at(2));
    keys.scrambled = optionalOf(array.at(3));
    keys.keepOpen = optionalOf(array.at(4));
    return keys;
}

QJsonObject jsonOf(const Entry &entry)
{
    const menu::Fields &f = entry.fields;
    return {{QStringLiteral("index"), entry.index},     {QStringLiteral("caption"), f.caption},
            {QStringLiteral("program"), f.program},     {QStringLiteral("params"), f.params},
            {QStringLiteral("scrambled"), f.scrambled}, {QStringLiteral("keepOpen"), f.keepOpen}};
}

Entry entryOf(const QJsonObject &object)
{
    Entry entry;
    entry.index = object.value(QStringLiteral("index")).toInt();
    entry.fields.caption = object.value(QStringLiteral("caption")).toString();
    entry.fields.program = object.value(QStringLiteral("program")).toString();
    entry.fields.params = object.value(QStringLiteral("params")).toString();
    entry.fields.scrambled = object.value(QStringLiteral("scrambled")).toBool();
    entry.fields.keepOpen = object.value(QStringLiteral("keepOpen")).toBool();
    return entry;
}

QJsonObject jsonOf(const menu::ItemRef &item)
{
    QJsonArray seen;
    for (const std::optional<QString> &value : item.seen)
        seen.append(jsonOf(value));
    QJsonArray seenEntries;
    for (const menuops::EntryKeys &keys : item.seenEntries)
        seenEntries.append(jsonOf(keys));
    return {{QStringLiteral("file"), item.file},   {QStringLiteral("letter"), item.letter},
            {QStringLiteral("index"), item.index}, {QStringLiteral("caption"), item.caption},
            {QStringLiteral("seen"), seen},        {QStringLiteral("seenEntries"), seenEntries}};
}

menu::ItemRef refOf(const QJsonObject &object)
{
    menu::ItemRef item;
    item.file = object.value(QStringLiteral("file")).toString();
    item.letter = object.value(QStringLiteral("letter")).toString();
    item.index = object.value(QStringLiteral("index")).toInt(menu::kNodeIndex);
    item.caption = object.value(QStringLiteral("caption")).toString();
    for (const QJsonValue &value : object.value(QStringLiteral("seen")).toArray())
        item.seen.push_back(optionalOf(value));
    for (const QJsonValue &keys : object.value(QStringLiteral("seenEntries")).toArray())
        item.seenEntries.push_back(keysOf(keys.toArray()));
    return item;
}

// A value as the store writes it, so that reading the text as a menu file gives it back.
QString written(const QString &value)
{
    return QString::fromUtf8(profilefile::writtenValue(value.toUtf8()));
}

void appendEntry(QString &text, int index, const menu::Fields &f)
{
    const auto line = [&](EntryKey key, const QString &value) {
        text +=
            menufile::entryKey(index, key) + QLatin1Char('=') + written(value) + QLatin1Char('\n');
    };
    line(EntryKey::Caption, f.caption);
    line(EntryKey::Program, f.program);
    line(EntryKey::Params, f.params);
    line(EntryKey::Scrambled, f.scrambled ? QStringLiteral("1") : QStringLiteral("0"));
    line(EntryKey::KeepOpen, f.keepOpen ? QStringLiteral("1") : QStringLiteral("0"));
}

// The entries a section of pasted text holds, by index: those with a caption or a program.
std::vector<Entry> entriesIn(const profilefile::Document &doc, const QString &section,
                             bool paramsPlain)
{
    std::vector<Entry> entries;
    QList<int> indices;
    for (const QString &name : profiletext::keys(doc, section)) {
        const auto entry = menufile::entryName(QStringView(name));
        if (entry && !entry->leadingZero && !indices.contains(entry->index))
            indices.append(entry->index);
    }
    std::sort(indices.begin(), indices.end());
    for (const int index : std::as_const(indices)) {
        menuops::EntryKeys keys;
        keys.caption =
            profiletext::value(doc, section, menufile::entryKey(index, EntryKey::Caption));
        keys.program =
            profiletext::value(doc, section, menufile::entryKey(index, EntryKey::Program));
        keys.params = profiletext::value(doc, section, menufile::entryKey(index, EntryKey::Params));
        keys.scrambled =
            profiletext::value(doc, section, menufile::entryKey(index, EntryKey::Scrambled));
        keys.keepOpen =
            profiletext::value(doc, section, menufile::entryKey(index, EntryKey::KeepOpen));
        if (keys.caption.value_or(QString()).isEmpty() && !keys.program)
            continue;
        entries.push_back({fieldsFrom(keys, paramsPlain), index});
    }
    return entries;
}

} // namespace

Clip collect(const std::vector<menu::ItemRef> &items, bool cut)
{
    Transaction t;
    Clip clip;
    clip.cut = cut;
    for (const menu::ItemRef &item : items) {
        menu::checkedFile(t, item);
        const bool twice = std::any_of(clip.sources.begin(), clip.sources.end(),
                                       [&](const menu::ItemRef &s) { return sameItem(s, item); });
        if (!twice)
            clip.sources.push_back(item);
    }
    const auto nodeCopied = [&](const menu::ItemRef &entry) {
        return std::any_of(clip.sources.begin(), clip.sources.end(), [&](const menu::ItemRef &s) {
            return s.isNode() && s.file == entry.file && s.letter == entry.letter;
        });
    };
    for (const menu::ItemRef &item : clip.sources) {
        TMemIniFile &file = t.file(item.file);
        if (!item.isNode()) {
            if (!nodeCopied(item))
                clip.entries.push_back(
                    {fieldsFrom(menuops::readEntryKeys(file, item.letter, item.index), false),
                     int(clip.entries.size())});
            continue;
        }
        Node node;
        node.caption = file.ReadString(item.letter, menufile::kRootKey, QString());
        node.expand = file.ReadBool(item.letter, menufile::kExpandKey, false);
        for (const int index : menuops::namedEntryIndices(file, item.letter))
            node.entries.push_back(
                {fieldsFrom(menuops::readEntryKeys(file, item.letter, index), false), index});
        clip.nodes.push_back(std::move(node));
    }
    return clip;
}

QByteArray toMime(const Clip &clip)
{
    QJsonArray entries;
    for (const Entry &entry : clip.entries)
        entries.append(jsonOf(entry));
    QJsonArray nodes;
    for (const Node &node : clip.nodes) {
        QJsonArray nodeEntries;
        for (const Entry &entry : node.entries)
            nodeEntries.append(jsonOf(entry));
        nodes.append(QJsonObject{{QStringLiteral("caption"), node.caption},
                                 {QStringLiteral("expand"), node.expand},
                                 {QStringLiteral("entries"), nodeEntries}});
    }
    QJsonArray sources;
    for (const menu::ItemRef &item : clip.sources)
        sources.append(jsonOf(item));
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), kVersion},
                                     {QStringLiteral("cut"), clip.cut},
                                     {QStringLiteral("entries"), entries},
                                     {QStringLiteral("nodes"), nodes},
                                     {QStringLiteral("sources"), sources}})
        .toJson(QJsonDocument::Compact);
}

std::optional<Clip> fromMime(const QByteArray &data)
{
    const QJsonDocument doc = QJsonDocument::fromJson(data);
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value(QStringLiteral("version")).toInt() != kVersion)
        return std::nullopt;
    Clip clip;
    clip.cut = root.value(QStringLiteral("cut")).toBool();
    for (const QJsonValue &entry : root.value(QStringLiteral("entries")).toArray())
        clip.entries.push_back(entryOf(entry.toObject()));
    for (const QJsonValue &value : root.value(QStringLiteral("nodes")).toArray()) {
        const QJsonObject object = value.toObject();
        Node node;
        node.caption = object.value(QStringLiteral("caption")).toString();
        node.expand = object.value(QStringLiteral("expand")).toBool();
        for (const QJsonValue &entry : object.value(QStringLiteral("entries")).toArray())
            node.entries.push_back(entryOf(entry.toObject()));
        clip.nodes.push_back(std::move(node));
    }
    for (const QJsonValue &source : root.value(QStringLiteral("sources")).toArray())
        clip.sources.push_back(refOf(source.toObject()));
    return clip;
}

QString toText(const Clip &clip)
{
    QString text = kMarkerLine + QLatin1Char('\n');
    for (size_t i = 0; i < clip.entries.size(); ++i)
        appendEntry(text, int(i), clip.entries[i].fields);
    const QStringList &letters = menufile::nodeLetters();
    for (size_t i = 0; i < clip.nodes.size(); ++i) {
        const Node &node = clip.nodes[i];
        text += QLatin1Char('[') + letters.value(qsizetype(i), letters.last()) +
                QStringLiteral("]\n") + menufile::kRootKey + QLatin1Char('=') +
                written(node.caption) + QLatin1Char('\n') + menufile::kExpandKey +
                (node.expand ? QStringLiteral("=1\n") : QStringLiteral("=0\n"));
        for (const Entry &entry : node.entries)
            appendEntry(text, entry.index, entry.fields);
    }
    return text;
}

Clip fromText(const QString &text)
{
    // Read as a file in UTF-8 would be: quotes, blanks and comments as the launcher takes them.
    const profilefile::Document doc(QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8());
    bool plain = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        if (line.trimmed().startsWith(kPlainMarker)) {
            plain = true;
            break;
        }
    }
    Clip clip;
    const auto addLoose = [&](const QString &section) {
        for (Entry &entry : entriesIn(doc, section, plain)) {
            entry.index = int(clip.entries.size());
            clip.entries.push_back(std::move(entry));
        }
    };
    addLoose(QString());
    for (const profiletext::OutlineSection &section : profiletext::outline(doc)) {
        if (!section.first || section.name.isEmpty())
            continue;
        const std::optional<QString> root =
            profiletext::value(doc, section.name, menufile::kRootKey);
        // "Root=*" shows no node to the launcher.
        if (!root || *root == QLatin1String("*")) {
            addLoose(section.name);
            continue;
        }
        Node node;
        node.caption = *root;
        node.expand = asBool(profiletext::value(doc, section.name, menufile::kExpandKey));
        node.entries = entriesIn(doc, section.name, plain);
        clip.nodes.push_back(std::move(node));
    }
    if (clip.empty())
        throw ERefused(QStringLiteral("Der Text enthält keine Menüeinträge. Eingefügt werden "
                                      "Zeilen, wie sie in einer Menüdatei stehen, etwa "
                                      "„0b=Beschriftung“ und „0d=Programm“."));
    return clip;
}

menu::Result paste(Transaction &t, const Clip &clip, const menu::Target &target)
{
    if (clip.cut && !clip.sources.empty())
        return menu::moveItems(t, clip.sources, target);
    TMemIniFile &to = menu::targetFile(t, target);
    if (!clip.entries.empty() && !target.node)
        throw ERefused(QStringLiteral("Wählen Sie erst einen Zweig aus!"));
    menu::Result result{
        {}, target.file, target.node ? target.node->letter : QString(), menu::kNodeIndex};
    int next = 0;
    for (const Entry &entry : clip.entries) {
        menu::Fields fields = entry.fields;
        // An empty caption would hide the entry and every one after it.
        if (fields.caption.isEmpty())
            fields.caption = QStringLiteral("(Unbenannt)");
        next = menuops::freeEntryIndex(to, target.node->letter, next);
        menu::writeEntry(to, target.node->letter, next, fields);
        if (result.index == menu::kNodeIndex)
            result.index = next;
    }
    for (const Node &node : clip.nodes) {
        const QString letter = menu::letterForNewNode(to);
        menu::refuseLong(QStringLiteral("Die Beschriftung"), node.caption);
        to.WriteString(letter, menufile::kRootKey, node.caption);
        to.WriteBool(letter, menufile::kExpandKey, node.expand);
        for (const Entry &entry : node.entries)
            menu::writeEntry(to, letter, entry.index, entry.fields);
        if (result.letter.isEmpty())
            result.letter = letter;
    }
    return result;
}

menu::Result paste(const Clip &clip, const menu::Target &target)
{
    return menu::run([&](Transaction &t) { return paste(t, clip, target); });
}

} // namespace menuclip
