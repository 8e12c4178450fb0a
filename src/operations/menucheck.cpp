// SPDX-License-Identifier: MIT
#include "menucheck.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <map>

#include "base/conversion.h"
#include "base/cp1252.h"
#include "base/exception.h"
#include "base/namefold.h"
#include "model/menufile.h"
#include "model/menumodel.h"
#include "model/menuops.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"

namespace menucheck {

using menufile::EntryKey;
using menufile::EntryName;
using menufile::entryName;
using profilefile::OutlineKey;
using profilefile::OutlineSection;

namespace {

constexpr int kKeyCount = 5;

using namefold::code;
using namefold::fold;

struct StoredEntry
{
    std::array<const OutlineKey *, kKeyCount> keys{};

    const OutlineKey *key(EntryKey k) const { return keys[size_t(k)]; }
    bool hasCaption() const
    {
        return key(EntryKey::Caption) && !key(EntryKey::Caption)->value.isEmpty();
    }
    int line() const
    {
        if (const OutlineKey *caption = key(EntryKey::Caption))
            return caption->line;
        int first = 0;
        for (const OutlineKey *k : keys) {
            if (k && (first == 0 || k->line < first))
                first = k->line;
        }
        return first;
    }
};

// The first copy of a node section as the launcher reads it: the first key of each name.
struct StoredNode
{
    QString letter;
    const OutlineSection *section = nullptr;
    const OutlineKey *root = nullptr;
    std::map<int, StoredEntry> entries;

    // The launcher reads "Root" with the default "*": a stored "*" is no node either.
    bool isNode() const { return root && root->value != QByteArrayView("*"); }
    // The index where the launcher stops reading entries: the first missing or empty caption.
    int runEnd() const
    {
        int n = 0;
        for (auto it = entries.begin();
             it != entries.end() && it->first == n && it->second.hasCaption(); ++it)
            ++n;
        return n;
    }
};

// Position of a section name among the node letters, matched as the launcher matches names.
template <typename View> int nodeIndexOf(View name)
{
    if (name.size() != 1)
        return -1;
    const int at = int(fold(name[0])) - int(u'a');
    // "[" and "\" follow "Z" and have no other case.
    const int raw = int(code(name[0])) - int(u'A');
    const int index = (at >= 0 && at < 26) ? at : raw;
    return index >= 0 && index < menufile::nodeLetters().size() ? index : -1;
}

std::vector<StoredNode> storedNodes(const std::vector<OutlineSection> &outline)
{
    const QStringList &letters = menufile::nodeLetters();
    std::vector<StoredNode> nodes(size_t(letters.size()));
    for (qsizetype i = 0; i < letters.size(); ++i)
        nodes[size_t(i)].letter = letters.at(i);
    for (const OutlineSection &section : outline) {
        if (!section.first)
            continue;
        const int at = nodeIndexOf(section.name);
        if (at < 0)
            continue;
        StoredNode &node = nodes[size_t(at)];
        node.section = &section;
        for (const OutlineKey &key : section.keys) {
            // A line without "=" gives the launcher no value, and hides later keys of its name.
            if (!key.first || !key.hasValue)
                continue;
            if (namefold::equal(key.name, QByteArrayView("Root"))) {
                node.root = &key;
            } else if (const std::optional<EntryName> name = entryName(key.name);
                       name && !name->leadingZero) {
                node.entries[name->index].keys[size_t(name->key)] = &key;
            }
        }
    }
    return nodes;
}

// Works on the file's bytes and turns only what a finding names into text: a clean menu of
// thousands of entries costs little more than one parse.
class Checker
{
public:
    Checker(const QString &file, const profilefile::Document &doc,
            const std::vector<OutlineSection> &outline)
        : m_file(file), m_doc(doc), m_outline(outline), m_nodes(storedNodes(outline))
    {
    }

    std::vector<Finding> run()
    {
        checkNodes();
        checkCopies();
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) { return a.line < b.line; });
        return std::move(m_findings);
    }

private:
    QString decoded(QByteArrayView text) const { return m_doc.decode(text); }

    // A key's value as the launcher reads it, as text.
    QString value(const OutlineKey &key) const { return decoded(key.value); }

    QString captionOf(const StoredNode &node) const
    {
        return node.root ? value(*node.root) : QString();
    }

    Finding &add(Kind kind, int line, const QString &section, int index, QString message)
    {
        Finding &f = m_findings.emplace_back();
        f.file = m_file;
        f.line = line;
        f.kind = kind;
        f.section = section;
        f.index = index;
        f.message = std::move(message);
        const int at = nodeIndexOf(QStringView(section));
        if (at >= 0 && at < m_shownNodes)
            f.inMenu = index < 0 || index < m_runEnds[size_t(at)];
        return f;
    }

    void checkNodes()
    {
        m_shownNodes = 0;
        while (m_shownNodes < int(m_nodes.size()) && m_nodes[size_t(m_shownNodes)].isNode())
            ++m_shownNodes;
        for (const StoredNode &node : m_nodes)
            m_runEnds.push_back(node.runEnd());
        const QString gapLetter = menufile::nodeLetters().value(m_shownNodes);
        for (int i = 0; i < int(m_nodes.size()); ++i) {
            const StoredNode &node = m_nodes[size_t(i)];
            if (!node.section || node.section->keys.empty())
                continue;
            const int line = node.section->line;
            const QString &letter = node.letter;
            if (!node.root) {
                add(Kind::NodeWithoutRoot, line, letter, -1,
                    QStringLiteral("Abschnitt [%1] hat keinen Schlüssel „Root“: der Starter liest "
                                   "dort keinen Knoten und zeigt seine Einträge nicht an.")
                        .arg(letter));
            } else if (!node.isNode()) {
                add(Kind::StarRoot, node.root->line, letter, -1,
                    QStringLiteral("„Root=*“ in [%1]: der Starter liest dort keinen Knoten und "
                                   "zeigt seine Einträge nicht an; „Knoten anlegen“ hielte den "
                                   "Buchstaben für frei und übernähme sie.")
                        .arg(letter))
                    .node = captionOf(node);
            } else if (i >= m_shownNodes) {
                const QString caption = captionOf(node);
                add(Kind::HiddenNode, line, letter, -1,
                    QStringLiteral("Knoten „%1“ [%2] wird vom Starter nicht angezeigt: er steht "
                                   "hinter der Lücke bei [%3].")
                        .arg(caption, letter, gapLetter))
                    .node = caption;
            }
            checkEntries(node);
        }
    }

    void checkEntries(const StoredNode &node)
    {
        const QString &letter = node.letter;
        const int runEnd = m_runEnds[size_t(menufile::nodeLetterIndex(letter))];
        const bool gapHoldsKeys = node.entries.count(runEnd) != 0;
        for (const auto &item : node.entries) {
            // Named copies: a lambda below captures them, which a structured binding forbids.
            const int index = item.first;
            const auto &entry = item.second;
            const bool missingKeys = !entry.key(EntryKey::Params) ||
                                     !entry.key(EntryKey::Scrambled) ||
                                     !entry.key(EntryKey::KeepOpen);
            if (entry.hasCaption() && index < runEnd && entry.key(EntryKey::Program) &&
                !missingKeys && !scrambledControl(entry))
                continue; // the usual case, decided without a single text
            const QString caption =
                entry.hasCaption() ? value(*entry.key(EntryKey::Caption)) : QString();
            auto found = [&](Kind kind, int line, QString message) {
                Finding &f = add(kind, line, letter, index, std::move(message));
                f.node = captionOf(node);
                f.entry = caption;
            };
            if (!entry.hasCaption()) {
                const QString key = menufile::entryKey(index, EntryKey::Caption);
                const bool more = node.entries.upper_bound(index) != node.entries.end();
                found(Kind::EntryWithoutCaption, entry.line(),
                      QStringLiteral("Eintrag %1 in [%2] hat keine Beschriftung („%3“ %4): der "
                                     "Starter zeigt ihn%5 nicht an.")
                          .arg(QString::number(index), letter, key,
                               entry.key(EntryKey::Caption) ? QStringLiteral("ist leer")
                                                            : QStringLiteral("fehlt"),
                               index == runEnd && more ? QStringLiteral(" und die Einträge "
                                                                        "dahinter")
                                                       : QString()));
            } else {
                if (index > runEnd) {
                    found(Kind::HiddenEntry, entry.line(),
                          QStringLiteral("Eintrag „%1“ (%2 in [%3]) wird vom Starter nicht "
                                         "angezeigt: er steht hinter %4.")
                              .arg(caption, QString::number(index), letter,
                                   gapHoldsKeys
                                       ? QStringLiteral("Eintrag %1 ohne Beschriftung").arg(runEnd)
                                       : QStringLiteral("der Lücke bei Index %1").arg(runEnd)));
                }
                if (!entry.key(EntryKey::Program)) {
                    found(Kind::MissingProgram, entry.line(),
                          QStringLiteral("Eintrag „%1“ hat kein Programm („%2“ fehlt).")
                              .arg(caption, menufile::entryKey(index, EntryKey::Program)));
                }
                QStringList missing;
                for (EntryKey key : {EntryKey::Params, EntryKey::Scrambled, EntryKey::KeepOpen}) {
                    if (!entry.key(key))
                        missing.append(menufile::entryKey(index, key));
                }
                if (!missing.isEmpty()) {
                    found(Kind::MissingKeys, entry.line(),
                          QStringLiteral("Eintrag „%1“: es fehlt %2, was der Editor immer "
                                         "schreibt.")
                              .arg(caption, missing.join(QStringLiteral(", "))));
                }
            }
            if (scrambledControl(entry)) {
                const OutlineKey &p = *entry.key(EntryKey::Params);
                found(Kind::ScrambledControl, p.line,
                      QStringLiteral("Die verschlüsselten Parameter „%1“ ergeben entschlüsselt "
                                     "Steuerzeichen: vermutlich stehen sie unverschlüsselt in der "
                                     "Datei, obwohl „%2“ sie als verschlüsselt kennzeichnet.")
                          .arg(value(p), decoded(entry.key(EntryKey::Scrambled)->name)));
            }
        }
    }

    bool scrambledControl(const StoredEntry &entry) const
    {
        const OutlineKey *v = entry.key(EntryKey::Scrambled);
        const OutlineKey *p = entry.key(EntryKey::Params);
        if (!v || !p || p->value.isEmpty() || v->value == QByteArrayView("0"))
            return false;
        if (StrToIntDef(decoded(v->value), 0) == 0)
            return false;
        // Bytes XOR 0x1B give a control character exactly when the byte is one itself, or when
        // it is "d" (DEL) or one of the five that give a byte Windows-1252 leaves undefined;
        // only then is the text decoded. Other encodings store those characters in other bytes.
        static const QByteArrayView suspects("\x64\x9A\x96\x94\x8B\x86");
        const bool suspect = std::any_of(p->value.begin(), p->value.end(), [](char c) {
            return uchar(c) < 0x20 || suspects.contains(c);
        });
        if (!suspect && m_doc.encoding() == profilefile::Encoding::Windows1252)
            return false;
        const QString plain = menufile::ScrambleParams(decoded(p->value));
        return std::any_of(plain.begin(), plain.end(),
                           [](QChar c) { return c.category() == QChar::Other_Control; });
    }

    // Second copies, values whose quotes the launcher strips, and keys it never asks for.
    void checkCopies()
    {
        for (const OutlineSection &section : m_outline) {
            if (section.name.isEmpty())
                continue; // "[]" is no section to the launcher; its lines belong to none
            const StoredNode *node = nodeOf(section.name);
            if (!section.first) {
                const int firstLine =
                    firstLines(m_firstSections, m_outline).value(namefold::folded(section.name));
                const QString name = decoded(section.name);
                Finding &f =
                    add(Kind::DuplicateSection, section.line, name, -1,
                        QStringLiteral("Abschnitt [%1] steht mehrfach in der Datei (zuerst in "
                                       "Zeile %2): der Starter liest nur den ersten.")
                            .arg(name)
                            .arg(firstLine));
                f.node = node ? captionOf(*node) : QString();
                f.inMenu = false; // the copy is never read
                continue;
            }
            for (const OutlineKey &key : section.keys)
                checkKey(section, node, key);
        }
    }

    static bool quotedByHand(const OutlineKey &key)
    {
        const QByteArrayView stored = profilefile::trimmed(key.rawValue);
        if (stored.size() < 2 || (stored.front() != '"' && stored.front() != '\'') ||
            stored.back() != stored.front())
            return false;
        return profilefile::writtenValue(key.value) != stored;
    }

    void checkKey(const OutlineSection &section, const StoredNode *node, const OutlineKey &key)
    {
        const std::optional<EntryName> entry = node ? entryName(key.name) : std::nullopt;
        const bool unread = entry && entry->leadingZero;
        const bool cut = key.rawValue.contains('\0');
        if (key.first && key.hasValue && !unread && !cut && !quotedByHand(key))
            return;
        const QString sectionName = decoded(section.name);
        const QString keyName = decoded(key.name);
        auto found = [&](Kind kind, QString message) {
            Finding &f = add(kind, key.line, sectionName,
                             entry && !entry->leadingZero ? entry->index : -1, std::move(message));
            if (node) {
                f.node = captionOf(*node);
                if (entry && !entry->leadingZero) {
                    const auto it = node->entries.find(entry->index);
                    if (it != node->entries.end() && it->second.hasCaption())
                        f.entry = value(*it->second.key(EntryKey::Caption));
                }
            }
        };
        if (!key.first) {
            if (m_keysOf != &section) {
                m_keysOf = &section;
                m_firstKeys.clear();
            }
            const int firstLine =
                firstLines(m_firstKeys, section.keys).value(namefold::folded(key.name));
            found(Kind::DuplicateKey,
                  QStringLiteral("Schlüssel „%1“ steht in [%2] mehrfach (zuerst in Zeile %3): der "
                                 "Starter liest nur den ersten.")
                      .arg(keyName, sectionName, QString::number(firstLine)));
            return;
        }
        if (!key.hasValue) {
            found(Kind::KeyWithoutValue,
                  QStringLiteral("Zeile „%1“ in [%2] hat kein „=“: der Starter liest dort keinen "
                                 "Wert und auch keinen späteren Schlüssel dieses Namens.")
                      .arg(keyName, sectionName));
            return;
        }
        if (cut) {
            found(Kind::NulInValue,
                  QStringLiteral("Der Wert von „%1“ in [%2] enthält ein Nullzeichen: der Starter "
                                 "liest nur „%3“ davor.")
                      .arg(keyName, sectionName, value(key)));
        }
        if (unread) {
            found(Kind::UnreadEntryKey,
                  QStringLiteral("Schlüssel „%1“ in [%2] liest der Starter nie: er fragt nach "
                                 "„%3“, ohne führende Null.")
                      .arg(keyName, sectionName, menufile::entryKey(entry->index, entry->key)));
        }
        if (quotedByHand(key)) {
            found(Kind::QuotedValue,
                  QStringLiteral("Der Wert von „%1“ in [%2] steht in Anführungszeichen, die der "
                                 "Starter beim Lesen entfernt: er liest „%3“.")
                      .arg(keyName, sectionName, value(key)));
        }
    }

    const StoredNode *nodeOf(QByteArrayView name) const
    {
        const int at = nodeIndexOf(name);
        return at >= 0 && m_nodes[size_t(at)].section ? &m_nodes[size_t(at)] : nullptr;
    }

    // Line of the first copy of each name, built at the first second copy: a file of many
    // copies costs one pass, not one per copy.
    template <typename Items>
    static const QHash<QByteArray, int> &firstLines(QHash<QByteArray, int> &lines,
                                                    const Items &items)
    {
        if (lines.isEmpty()) {
            for (const auto &item : items) {
                if (item.first)
                    lines.insert(namefold::folded(item.name), item.line);
            }
        }
        return lines;
    }

    QString m_file;
    const profilefile::Document &m_doc;
    const std::vector<OutlineSection> &m_outline;
    std::vector<StoredNode> m_nodes;
    std::vector<Finding> m_findings;
    int m_shownNodes = 0;
    std::vector<int> m_runEnds; // per node letter
    QHash<QByteArray, int> m_firstSections;
    const OutlineSection *m_keysOf = nullptr; // whose first keys m_firstKeys holds
    QHash<QByteArray, int> m_firstKeys;
};

} // namespace

QByteArray readMenuFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw EIniFileException(QStringLiteral("%1 gibt es nicht").arg(path));
    std::optional<QByteArray> bytes = profilefile::readFile(path);
    if (!bytes || !QFileInfo(path).isFile())
        throw EIniFileException(QStringLiteral("%1 kann nicht gelesen werden").arg(path));
    return std::move(*bytes);
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::HiddenNode:
        return QStringLiteral("hidden-node");
    case Kind::NodeWithoutRoot:
        return QStringLiteral("node-without-root");
    case Kind::StarRoot:
        return QStringLiteral("star-root");
    case Kind::HiddenEntry:
        return QStringLiteral("hidden-entry");
    case Kind::EntryWithoutCaption:
        return QStringLiteral("entry-without-caption");
    case Kind::DuplicateSection:
        return QStringLiteral("duplicate-section");
    case Kind::DuplicateKey:
        return QStringLiteral("duplicate-key");
    case Kind::MissingProgram:
        return QStringLiteral("missing-program");
    case Kind::MissingKeys:
        return QStringLiteral("missing-keys");
    case Kind::ScrambledControl:
        return QStringLiteral("scrambled-control");
    case Kind::QuotedValue:
        return QStringLiteral("quoted-value");
    case Kind::UnreadEntryKey:
        return QStringLiteral("unread-entry-key");
    case Kind::KeyWithoutValue:
        return QStringLiteral("key-without-value");
    case Kind::NulInValue:
        return QStringLiteral("nul-in-value");
    }
    return {};
}

std::vector<Finding> check(const QString &file, const QByteArray &bytes)
{
    const profilefile::Document doc(bytes);
    const std::vector<OutlineSection> outline = doc.outline();
    return Checker(file, doc, outline).run();
}

std::vector<Finding> check(const QString &path)
{
    return check(path, readMenuFile(path));
}

std::vector<StoredLine> storedLines(const QByteArray &bytes, const QString &section, int index)
{
    std::vector<StoredLine> lines;
    const profilefile::Document doc(bytes);
    for (const profiletext::OutlineSection &s : profiletext::outline(doc)) {
        if (!s.first || !namefold::equal(QStringView(s.name), QStringView(section)))
            continue;
        if (index < 0)
            lines.push_back({s.line, QLatin1Char('[') + s.name + QLatin1Char(']')});
        for (const profiletext::OutlineKey &key : s.keys) {
            const std::optional<EntryName> entry = entryName(QStringView(key.name));
            if (index >= 0 && (!entry || entry->leadingZero || entry->index != index))
                continue;
            lines.push_back(
                {key.line, key.hasValue ? key.name + QLatin1Char('=') + key.rawValue : key.name});
        }
        break;
    }
    return lines;
}

namespace {

// Renames the node sections to consecutive letters: the nodes first, in their stored order, then
// the sections of node letters that hold no node, so that none is erased by a rename.
void closeNodeGaps(TMemIniFile &file, RepairResult &result)
{
    const profilefile::Document doc(file.bytes());
    QSet<QString> present; // folded names of every section copy, keys or not
    for (const profiletext::OutlineSection &s : profiletext::outline(doc))
        present.insert(s.name.toLower());

    const QStringList &letters = menufile::nodeLetters();
    QStringList nodes;
    QStringList others;
    for (const QString &letter : letters) {
        if (!present.contains(letter.toLower()))
            continue;
        const QString root = file.ReadString(letter, menufile::kRootKey, QStringLiteral("*"));
        (root == QLatin1String("*") ? others : nodes).append(letter);
    }
    const QStringList order = nodes + others;
    std::vector<std::pair<QString, QString>> moves; // source, target
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order.at(i) != letters.at(i))
            moves.emplace_back(order.at(i), letters.at(i));
    }
    if (moves.empty())
        return;

    // Through names no section has, so that no rename meets a section still to be moved.
    std::vector<QString> parked;
    for (int n = 1; parked.size() < moves.size(); ++n) {
        const QString name = QStringLiteral("Reparatur-%1").arg(n);
        if (!present.contains(name.toLower()))
            parked.push_back(name);
    }
    for (size_t i = 0; i < moves.size(); ++i)
        file.RenameSection(moves[i].first, parked[i]);
    for (size_t i = 0; i < moves.size(); ++i) {
        file.RenameSection(parked[i], moves[i].second);
        const auto &[source, target] = moves[i];
        if (nodes.contains(source)) {
            result.moved.append(
                QStringLiteral("Knoten [%1] → [%2]: %3")
                    .arg(source, target, file.ReadString(target, menufile::kRootKey, QString())));
        } else {
            result.moved.append(
                QStringLiteral("Abschnitt [%1] → [%2] (kein Knoten)").arg(source, target));
        }
    }
}

// Renumbers the entries of the node at letter from 0: those with a caption first, in their
// stored order, then those the launcher cannot show.
void closeEntryGaps(TMemIniFile &file, const QString &letter, RepairResult &result)
{
    const QList<int> indices = menuops::namedEntryIndices(file, letter);
    std::vector<std::pair<int, menuops::EntryKeys>> shown;
    std::vector<std::pair<int, menuops::EntryKeys>> unshown;
    for (int index : indices) {
        menuops::EntryKeys keys = menuops::readEntryKeys(file, letter, index);
        const bool captioned = keys.caption && !keys.caption->isEmpty();
        (captioned ? shown : unshown).emplace_back(index, std::move(keys));
    }
    std::vector<std::pair<int, menuops::EntryKeys>> order = std::move(shown);
    const size_t captioned = order.size();
    for (auto &entry : unshown)
        order.push_back(std::move(entry));
    bool inOrder = true;
    for (size_t i = 0; i < order.size(); ++i)
        inOrder = inOrder && order[i].first == int(i);
    if (inOrder)
        return;

    // Deleting the first of two key lines of one name (with "=" or without) would bring the
    // second to light.
    const profilefile::Document doc(file.bytes());
    for (const profiletext::OutlineSection &s : profiletext::outline(doc)) {
        if (!s.first || !namefold::equal(QStringView(s.name), QStringView(letter)))
            continue;
        for (const profiletext::OutlineKey &key : s.keys) {
            if (!key.first && entryName(QStringView(key.name))) {
                result.skipped.append(QStringLiteral("Knoten [%1]: Einträge nicht neu "
                                                     "nummeriert, weil „%2“ mehrfach vorkommt.")
                                          .arg(letter, key.name));
                return;
            }
        }
        break;
    }

    for (int index : indices) {
        if (index >= int(order.size()))
            menuops::writeEntryKeys(file, letter, index, {});
    }
    for (size_t i = 0; i < order.size(); ++i) {
        const auto &[source, keys] = order[i];
        if (source == int(i))
            continue;
        menuops::writeEntryKeys(file, letter, int(i), keys);
        result.moved.append(
            i < captioned
                ? QStringLiteral("Eintrag [%1] %2 → %3: %4")
                      .arg(letter, QString::number(source), QString::number(i), *keys.caption)
                : QStringLiteral("Eintrag [%1] %2 → %3 (ohne Beschriftung)")
                      .arg(letter, QString::number(source), QString::number(i)));
    }
}

} // namespace

RepairResult repair(const QString &path, const std::optional<QByteArray> &asChecked)
{
    RepairResult result;
    readMenuFile(path); // the same refusals as the check, before anything is locked
    result.changes = transaction::run([&](transaction::Transaction &t) {
        result.moved.clear();
        result.skipped.clear();
        if (asChecked && t.original(path) != asChecked)
            throw transaction::EChangedOutside(
                QStringLiteral("Die Datei %1 wurde außerhalb des Editors geändert, seit die "
                               "Menüprüfung sie gelesen hat. Es wurde nichts repariert; die "
                               "Befunde werden neu ermittelt.")
                    .arg(path));
        if (!t.exists(path))
            throw EIniFileException(QStringLiteral("%1 gibt es nicht").arg(path));
        TMemIniFile &file = t.file(path);
        closeNodeGaps(file, result);
        for (const QString &letter : menufile::nodeLetters()) {
            const QString root = file.ReadString(letter, menufile::kRootKey, QStringLiteral("*"));
            if (root == QLatin1String("*"))
                break;
            closeEntryGaps(file, letter, result);
        }
    });
    return result;
}

} // namespace menucheck
