// SPDX-License-Identifier: MIT
#include "menumodel.h"

#include <QDir>
#include <QFileInfo>

#include "base/conversion.h"
#include "base/cp1252.h"
#include "base/exception.h"
#include "model/menufile.h"
#include "platform/platform.h"
#include "store/profilefile.h"
#include "store/tinifile.h"

namespace menu {

using menufile::EntryKey;
using menufile::entryKey;
using transaction::EChangedOutside;
using transaction::ERefused;
using transaction::Transaction;

namespace {

const QString kUnnamed = QStringLiteral("(Unbenannt)");

// A value can never hold a line break, so this default tells a missing key from every value.
std::optional<QString> stored(TCustomIniFile &file, const QString &section, const QString &key)
{
    static const QString missing = QStringLiteral("\n");
    QString value = file.ReadString(section, key, missing);
    if (value.size() == 1 && value.front() == u'\n')
        return std::nullopt;
    return value;
}

bool asBool(const std::optional<QString> &value)
{
    return StrToIntDef(value.value_or(QString()), 0) != 0;
}

// The key names of an entry, by EntryKey.
std::array<QString, 5> entryKeyNames(int index)
{
    std::array<QString, 5> keys;
    for (EntryKey key : menufile::kAllEntryKeys)
        keys[size_t(key)] = entryKey(index, key);
    return keys;
}

menuops::EntryKeys storedEntry(TCustomIniFile &file, const QString &letter, int index)
{
    const auto names = entryKeyNames(index);
    menuops::EntryKeys keys;
    keys.caption = stored(file, letter, names[size_t(EntryKey::Caption)]);
    keys.program = stored(file, letter, names[size_t(EntryKey::Program)]);
    keys.params = stored(file, letter, names[size_t(EntryKey::Params)]);
    keys.scrambled = stored(file, letter, names[size_t(EntryKey::Scrambled)]);
    keys.keepOpen = stored(file, letter, names[size_t(EntryKey::KeepOpen)]);
    return keys;
}

std::vector<std::optional<QString>> seenOf(const menuops::EntryKeys &keys)
{
    return {keys.caption, keys.program, keys.params, keys.scrambled, keys.keepOpen};
}

std::vector<std::optional<QString>> storedKeys(TCustomIniFile &file, const QString &letter,
                                               int index)
{
    if (index == kNodeIndex)
        return {stored(file, letter, menufile::kRootKey),
                stored(file, letter, menufile::kExpandKey)};
    return seenOf(storedEntry(file, letter, index));
}

[[noreturn]] void throwChanged(const ItemRef &item)
{
    throw EChangedOutside(QStringLiteral("»%1« wurde außerhalb des Editors geändert oder "
                                         "entfernt. Es wurde nichts gespeichert; die Datei wird "
                                         "neu geladen.")
                              .arg(item.caption));
}

// The item as shown, or EChangedOutside. wholeNode: also every entry the node showed, and
// nothing added at its end, since the command takes them along.
TMemIniFile &expectItem(Transaction &t, const ItemRef &item, bool wholeNode = false)
{
    if (!t.exists(item.file))
        throwChanged(item);
    TMemIniFile &file = t.file(item.file);
    if (storedKeys(file, item.letter, item.index) != item.seen)
        throwChanged(item);
    if (wholeNode && item.isNode()) {
        for (int i = 0; i < int(item.seenEntries.size()); ++i) {
            if (storedEntry(file, item.letter, i) != item.seenEntries[size_t(i)])
                throwChanged(item);
        }
    }
    return file;
}

} // namespace

void refuseLong(const QString &what, const QString &value, const std::optional<QString> &stored)
{
    // A long value the file already holds there stays: refusing it would only keep the user from
    // changing the item's other fields.
    if (value.size() > kMaxValueLength && value != stored)
        throw ERefused(QStringLiteral("%1 ist zu lang: Der Starter liest höchstens %2 Zeichen, "
                                      "es sind %3.")
                           .arg(what)
                           .arg(kMaxValueLength)
                           .arg(value.size()));
}

void refuseHiddenNode(const QString &caption)
{
    // The launcher reads "Root=*" as no node: the node, and every one after it, would not show.
    if (caption == QLatin1String("*"))
        throw ERefused(
            QStringLiteral("Einen Knoten mit der Beschriftung „*“ zeigt der Starter nicht."));
}

void writeEntry(TCustomIniFile &file, const QString &letter, int index, const Fields &fields)
{
    const auto names = entryKeyNames(index);
    const QString params =
        fields.scrambled ? menufile::ScrambleParams(fields.params) : fields.params;
    const auto refuse = [&](const QString &what, EntryKey key, const QString &value) {
        if (value.size() > kMaxValueLength)
            refuseLong(what, value, stored(file, letter, names[size_t(key)]));
    };
    refuse(QStringLiteral("Die Beschriftung"), EntryKey::Caption, fields.caption);
    refuse(QStringLiteral("Das Programm"), EntryKey::Program, fields.program);
    refuse(QStringLiteral("Die Parameterzeile"), EntryKey::Params, params);
    // The launcher unscrambles Windows-1252 bytes; a Unicode file could hold the text itself, but
    // not scrambled.
    if (fields.scrambled && !cp1252::fromUnicode(fields.params))
        throw ERefused(
            QStringLiteral("Die Parameter enthalten Zeichen, die es in Windows-1252 "
                           "nicht gibt, und können deshalb nicht verschlüsselt werden."));
    file.WriteString(letter, names[size_t(EntryKey::Caption)], fields.caption);
    file.WriteString(letter, names[size_t(EntryKey::Program)], fields.program);
    file.WriteBool(letter, names[size_t(EntryKey::Scrambled)], fields.scrambled);
    file.WriteString(letter, names[size_t(EntryKey::Params)], params);
    file.WriteBool(letter, names[size_t(EntryKey::KeepOpen)], fields.keepOpen);
}

TMemIniFile &checkedFile(Transaction &t, const ItemRef &item, bool wholeNode)
{
    return expectItem(t, item, wholeNode);
}

namespace {

Fields named(Fields fields)
{
    if (fields.caption.isEmpty())
        fields.caption = kUnnamed;
    return fields;
}

// A file in the folder of path whose name equals path's name but for letter case: on the
// launcher's platform that is the same file.
std::optional<QString> existingFileLike(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.dir();
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return std::nullopt;
}

} // namespace

Menu read(TCustomIniFile &file, bool exists, bool listHidden)
{
    Menu menu;
    menu.path = file.FileName();
    menu.exists = exists;
    menu.treeWidth = file.ReadInteger(menufile::kConfigSection, menufile::kWidthKeyRead,
                                      menufile::kDefaultTreeWidth);
    const QStringList &letters = menufile::nodeLetters();
    int gap = 0;
    for (; gap < letters.size(); ++gap) {
        const QString &letter = letters.at(gap);
        // The launcher reads "Root" with the default "*": a stored "*" ends the run as well.
        const std::optional<QString> root = stored(file, letter, menufile::kRootKey);
        if (!root || *root == QLatin1String("*"))
            break;
        Node node;
        node.letter = letter;
        node.caption = *root;
        node.storedExpand = stored(file, letter, menufile::kExpandKey);
        node.expand = asBool(node.storedExpand);
        for (int n = 0;; ++n) {
            menuops::EntryKeys keys = storedEntry(file, letter, n);
            if (!keys.caption || keys.caption->isEmpty()) {
                node.runEnd = std::move(keys);
                break;
            }
            Entry entry;
            entry.index = n;
            entry.caption = *keys.caption;
            entry.program = keys.program.value_or(QString());
            entry.scrambled = asBool(keys.scrambled);
            entry.keepOpen = asBool(keys.keepOpen);
            entry.params = keys.params.value_or(QString());
            if (entry.scrambled)
                entry.params = menufile::ScrambleParams(entry.params);
            entry.stored = std::move(keys);
            node.entries.push_back(std::move(entry));
        }
        // The section holds "Root", so it always has keys to look through.
        const int shown = int(node.entries.size());
        for (int index : listHidden ? menuops::namedEntryIndices(file, letter) : QList<int>()) {
            if (index > shown || (index == shown && node.runEnd.caption))
                node.hiddenEntries.append(index);
        }
        menu.nodes.push_back(std::move(node));
    }
    for (int i = gap; listHidden && i < letters.size(); ++i) {
        if (file.SectionExists(letters.at(i)))
            menu.hiddenNodes.append(letters.at(i));
    }
    return menu;
}

Menu load(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        throw EIniFileException(QStringLiteral("%1 kann nicht gelesen werden").arg(path));
    TIniFile file(path);
    return read(file, info.exists());
}

bool matchesFind(QStringView text, const QString &caption, const QString &program,
                 const QString &params)
{
    return caption.contains(text, Qt::CaseInsensitive) ||
           program.contains(text, Qt::CaseInsensitive) ||
           params.contains(text, Qt::CaseInsensitive);
}

QByteArray version(const QString &path)
{
    const platform::FileStamp st = platform::fileStamp(path);
    if (!st.exists)
        return {};
    return QByteArray::number(st.device) + ':' + QByteArray::number(st.inode) + ':' +
           QByteArray::number(st.size) + ':' + QByteArray::number(st.mtimeNs) + ':' +
           QByteArray::number(st.ctimeNs);
}

ItemRef refOf(const Menu &menu, const Node &node)
{
    ItemRef item;
    item.file = menu.path;
    item.letter = node.letter;
    item.caption = node.caption;
    item.seen = {node.caption, node.storedExpand};
    for (const Entry &entry : node.entries)
        item.seenEntries.push_back(entry.stored);
    item.seenEntries.push_back(node.runEnd);
    return item;
}

ItemRef refOf(const Menu &menu, const Node &node, const Entry &entry)
{
    ItemRef item;
    item.file = menu.path;
    item.letter = node.letter;
    item.index = entry.index;
    item.caption = entry.caption;
    item.seen = seenOf(entry.stored);
    return item;
}

Fields fieldsOf(const menuops::EntryKeys &keys)
{
    ItemRef entry;
    entry.index = 0;
    entry.caption = keys.caption.value_or(QString());
    entry.seen = seenOf(keys);
    return fieldsOf(entry);
}

Fields fieldsOf(const ItemRef &item)
{
    Fields fields;
    fields.caption = item.caption;
    if (item.isNode()) {
        fields.expand = asBool(item.seen.size() > 1 ? item.seen[1] : std::nullopt);
        return fields;
    }
    const auto seen = [&](EntryKey key) {
        return item.seen.size() > size_t(key) ? item.seen[size_t(key)] : std::nullopt;
    };
    fields.program = seen(EntryKey::Program).value_or(QString());
    fields.scrambled = asBool(seen(EntryKey::Scrambled));
    fields.keepOpen = asBool(seen(EntryKey::KeepOpen));
    fields.params = seen(EntryKey::Params).value_or(QString());
    if (fields.scrambled)
        fields.params = menufile::ScrambleParams(fields.params);
    return fields;
}

std::optional<ItemRef> refIn(Transaction &t, const QString &file, const QString &letter, int index)
{
    if (!t.exists(file))
        return std::nullopt;
    TMemIniFile &ini = t.file(file);
    const int position = menufile::nodeLetterIndex(letter);
    if (position < 0)
        return std::nullopt;
    // Shown only where every letter before it shows a node, and every index before it an entry.
    for (int i = 0; i <= position; ++i) {
        const std::optional<QString> root =
            stored(ini, menufile::nodeLetters().at(i), menufile::kRootKey);
        if (!root || *root == QLatin1String("*"))
            return std::nullopt;
    }
    ItemRef item;
    item.file = file;
    item.letter = letter;
    item.index = index;
    for (int n = 0;; ++n) {
        menuops::EntryKeys keys = storedEntry(ini, letter, n);
        const bool shown = keys.caption && !keys.caption->isEmpty();
        if (n == index) {
            if (!shown)
                return std::nullopt;
            item.caption = *keys.caption;
            item.seen = seenOf(keys);
            return item;
        }
        if (index == kNodeIndex)
            item.seenEntries.push_back(keys);
        if (!shown)
            break;
    }
    if (index != kNodeIndex)
        return std::nullopt;
    item.seen = storedKeys(ini, letter, kNodeIndex);
    item.caption = item.seen.front().value_or(QString());
    return item;
}

Result run(const std::function<Result(Transaction &)> &steps)
{
    Result result;
    transaction::Changes changes = transaction::run([&](Transaction &t) { result = steps(t); });
    result.changes = std::move(changes);
    return result;
}

Result saveItem(Transaction &t, const ItemRef &shown, const Fields &panel)
{
    const Fields fields = named(panel);
    TMemIniFile &file = expectItem(t, shown);
    if (shown.isNode()) {
        refuseLong(QStringLiteral("Die Beschriftung"), fields.caption,
                   stored(file, shown.letter, menufile::kRootKey));
        refuseHiddenNode(fields.caption);
        file.WriteString(shown.letter, menufile::kRootKey, fields.caption);
        file.WriteBool(shown.letter, menufile::kExpandKey, fields.expand);
    } else {
        writeEntry(file, shown.letter, shown.index, fields);
    }
    return {{}, shown.file, shown.letter, shown.index};
}

Result saveItem(const ItemRef &shown, const Fields &fields)
{
    return run([&](Transaction &t) { return saveItem(t, shown, fields); });
}

namespace {

// A new entry at the first free index of the node as the file now stands, once item is as seen.
Result addEntry(Transaction &t, const ItemRef &item, const Fields &fields)
{
    TMemIniFile &file = expectItem(t, item);
    const int index = menuops::freeEntryIndex(file, item.letter);
    writeEntry(file, item.letter, index, fields);
    return {{}, item.file, item.letter, index};
}

} // namespace

Result saveNewEntry(Transaction &t, const ItemRef &node, const Fields &panel)
{
    return addEntry(t, node, named(panel));
}

Result saveNewEntry(const ItemRef &node, const Fields &fields)
{
    return run([&](Transaction &t) { return saveNewEntry(t, node, fields); });
}

int freeEntryIndex(const QString &file, const QString &letter)
{
    TIniFile ini(file);
    return menuops::freeEntryIndex(ini, letter);
}

namespace {

const QString kNoMoreNodes = QStringLiteral("Es kann kein weiterer Knoten angelegt werden!");

// A file the user opened as existing and another program removed is never created anew.
QString removedText(const QString &path)
{
    return QStringLiteral("Die Datei %1 wurde außerhalb des Editors entfernt. Es wurde nichts "
                          "gespeichert.")
        .arg(path);
}

} // namespace

std::optional<QString> nodeRefusal(const QString &file, bool mayCreateFile)
{
    if (!mayCreateFile && !QFileInfo::exists(file))
        return removedText(file);
    TIniFile ini(file);
    if (!menuops::freeNodeLetter(ini))
        return kNoMoreNodes;
    return std::nullopt;
}

Result createNode(Transaction &t, const QString &path, const QString &caption, bool mayCreateFile)
{
    if (!t.exists(path) && !mayCreateFile)
        throw EChangedOutside(removedText(path));
    refuseLong(QStringLiteral("Die Beschriftung"), caption);
    refuseHiddenNode(caption);
    TMemIniFile &file = t.file(path);
    const std::optional<QString> letter = menuops::freeNodeLetter(file);
    if (!letter)
        throw ERefused(kNoMoreNodes);
    file.WriteString(*letter, menufile::kRootKey, caption);
    return {{}, path, *letter, kNodeIndex};
}

Result createNode(const QString &path, const QString &caption, bool mayCreateFile)
{
    return run([&](Transaction &t) { return createNode(t, path, caption, mayCreateFile); });
}

Result deleteItem(Transaction &t, const ItemRef &shown)
{
    TMemIniFile &file = expectItem(t, shown, true);
    if (shown.isNode())
        menuops::deleteNodeCompacting(file, shown.letter);
    else
        menuops::deleteEntryCompacting(file, shown.letter, shown.index);
    return {{}, shown.file, shown.letter, shown.index};
}

Result deleteItem(const ItemRef &shown)
{
    return run([&](Transaction &t) { return deleteItem(t, shown); });
}

Result moveEntry(Transaction &t, const ItemRef &source, const ItemRef &target, const Fields &panel)
{
    // The target's file is used first, so it is written first: a failure in between leaves the
    // entry twice, never lost.
    TMemIniFile &targetFile = expectItem(t, target);
    TMemIniFile &sourceFile = expectItem(t, source);
    Result result{
        {}, target.file, target.letter, menuops::freeEntryIndex(targetFile, target.letter)};
    // The entry goes with every key as stored (scrambled parameters, "Programm nicht schliessen"),
    // so a move never turns a stored value into another; only edits typed before the move are
    // written as a save writes them.
    menuops::writeEntryKeys(targetFile, target.letter, result.index,
                            menuops::readEntryKeys(sourceFile, source.letter, source.index));
    const Fields fields = named(panel);
    const Fields seen = fieldsOf(source);
    if (fields.caption != seen.caption || fields.program != seen.program ||
        fields.params != seen.params || fields.scrambled != seen.scrambled ||
        fields.keepOpen != seen.keepOpen)
        writeEntry(targetFile, target.letter, result.index, fields);
    menuops::deleteEntryCompacting(sourceFile, source.letter, source.index);
    // Moved within its own node, the copy came back into the hole the source left.
    if (&targetFile == &sourceFile && target.letter == source.letter &&
        !menuops::entryExists(sourceFile, source.letter, result.index))
        result.index = source.index;
    return result;
}

Result moveEntry(const ItemRef &source, const ItemRef &target, const Fields &fields)
{
    return run([&](Transaction &t) { return moveEntry(t, source, target, fields); });
}

Result duplicateEntry(Transaction &t, const ItemRef &shown, const Fields &panel)
{
    Fields fields = panel;
    fields.caption.prepend(QLatin1Char('_'));
    return addEntry(t, shown, fields);
}

Result duplicateEntry(const ItemRef &shown, const Fields &fields)
{
    return run([&](Transaction &t) { return duplicateEntry(t, shown, fields); });
}

QString exportTarget(const QString &menuFile, const QString &caption)
{
    if (const std::optional<QString> problem = menuops::exportNameProblem(caption))
        throw ERefused(*problem);
    const QString target = menuops::exportFileName(menuFile, caption);
    if (const std::optional<QString> existing = existingFileLike(target))
        throw ERefused(QStringLiteral("Die Datei %1 gibt es bereits. Damit nichts "
                                      "überschrieben wird, wurde nicht exportiert.")
                           .arg(*existing));
    return target;
}

Result exportNode(Transaction &t, const ItemRef &shown, const QString &caption, bool expand,
                  bool deleteNode)
{
    const QString target = exportTarget(shown.file, caption);
    // The sub-list is used first, so it is written before the node leaves the menu.
    if (t.exists(target))
        throw ERefused(QStringLiteral("Die Datei %1 gibt es bereits. Damit nichts "
                                      "überschrieben wird, wurde nicht exportiert.")
                           .arg(target));
    TMemIniFile &sub = t.file(target);
    TMemIniFile &menuFile = expectItem(t, shown, true);
    menuops::copyNodeToFile(menuFile, shown.letter, sub, caption, expand);
    if (deleteNode)
        menuops::deleteNodeCompacting(menuFile, shown.letter);
    return {{}, target, menufile::nodeLetters().first(), kNodeIndex};
}

Result exportNode(const ItemRef &shown, const QString &caption, bool expand, bool deleteNode)
{
    return run([&](Transaction &t) { return exportNode(t, shown, caption, expand, deleteNode); });
}

transaction::Changes writeWidth(const QString &file, int width)
{
    return transaction::run([&](Transaction &t) {
        if (t.exists(file))
            t.file(file).WriteInteger(menufile::kConfigSection, menufile::kWidthKeyWritten, width);
    });
}

} // namespace menu
