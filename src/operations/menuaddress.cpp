// SPDX-License-Identifier: MIT
#include "menuaddress.h"

#include <QFileInfo>

#include <algorithm>

#include "model/menufile.h"
#include "model/menuops.h"
#include "store/tinifile.h"

namespace menuaddress {

using transaction::ERefused;

namespace {

constexpr int kNamedAtMost = 10;

std::optional<QString> stored(TCustomIniFile &file, const QString &section, const QString &key)
{
    if (!file.ValueExists(section, key))
        return std::nullopt;
    return file.ReadString(section, key, QString());
}

bool isNumber(QStringView text)
{
    return !text.isEmpty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString list(const QStringList &names, qsizetype total)
{
    QString text = names.join(QStringLiteral(", "));
    if (total > names.size())
        text += QStringLiteral(" und %1 weitere").arg(total - names.size());
    return text;
}

} // namespace

Resolver::File &Resolver::nodesOf(const QString &file)
{
    File &f = m_files[file];
    if (f.read)
        return f;
    f.read = true;
    f.nodes.clear();
    if (!m_t.exists(file))
        return f;
    TMemIniFile &ini = m_t.file(file);
    for (const QString &letter : menufile::nodeLetters()) {
        const std::optional<QString> root = stored(ini, letter, menufile::kRootKey);
        if (!root || *root == QLatin1String("*"))
            break;
        f.nodes.push_back({letter, *root, false, {}});
    }
    return f;
}

const QStringList &Resolver::entriesOf(const QString &file, Node &node)
{
    if (node.entriesRead)
        return node.entries;
    node.entriesRead = true;
    node.entries.clear();
    TMemIniFile &ini = m_t.file(file);
    for (int n = 0;; ++n) {
        QString caption = ini.ReadString(
            node.letter, menufile::entryKey(n, menufile::EntryKey::Caption), QString());
        if (caption.isEmpty())
            break;
        node.entries.append(std::move(caption));
    }
    return node.entries;
}

void Resolver::forget(const QString &file, const QString &letter)
{
    const auto it = m_files.find(file);
    if (it == m_files.end())
        return;
    if (letter.isEmpty()) {
        m_files.erase(it);
        return;
    }
    for (Node &node : it->nodes) {
        if (node.letter == letter)
            node.entriesRead = false;
    }
}

// "»Mail« (B/3)": the short form where it cannot be read as a caption, else "[B]/#3".
QString Resolver::nameOf(const QString &file, const Node &node, int index)
{
    const std::vector<Node> &nodes = nodesOf(file).nodes;
    const bool letterIsCaption = std::any_of(
        nodes.begin(), nodes.end(), [&](const Node &n) { return n.caption == node.letter; });
    QString where =
        letterIsCaption ? QLatin1Char('[') + node.letter + QLatin1Char(']') : node.letter;
    if (index == menu::kNodeIndex)
        return QStringLiteral("»%1« (%2)").arg(node.caption, where);
    const QStringList &entries = node.entries;
    const QString number = QString::number(index);
    where += QLatin1Char('/') + (entries.contains(number) ? QLatin1Char('#') + number : number);
    return QStringLiteral("»%1« (%2)").arg(entries.value(index), where);
}

menu::ItemRef Resolver::item(const QString &file, const QString &address, Kind kind)
{
    File &f = nodesOf(file);
    const auto nodesFor = [&](QStringView part) {
        std::vector<Node *> found;
        if (part.size() >= 3 && part.front() == u'[' && part.back() == u']') {
            const QStringView letter = part.sliced(1, part.size() - 2);
            for (Node &n : f.nodes) {
                if (n.letter == letter)
                    found.push_back(&n);
            }
            return found;
        }
        for (Node &n : f.nodes) {
            if (n.caption == part)
                found.push_back(&n);
        }
        for (Node &n : f.nodes) {
            if (found.empty() && n.letter == part)
                found.push_back(&n);
        }
        return found;
    };
    const auto entriesFor = [&](Node &node, QStringView part) {
        const QStringList &captions = entriesOf(file, node);
        std::vector<int> found;
        if (part.startsWith(u'#')) {
            if (isNumber(part.sliced(1)) && part.sliced(1).toInt() < captions.size())
                found.push_back(part.sliced(1).toInt());
            return found;
        }
        for (int i = 0; i < captions.size(); ++i) {
            if (captions[i] == part)
                found.push_back(i);
        }
        if (found.empty() && isNumber(part) && part.toInt() < captions.size())
            found.push_back(part.toInt());
        return found;
    };

    std::vector<std::pair<Node *, int>> nodes;
    std::vector<std::pair<Node *, int>> entries;
    for (Node *n : nodesFor(address))
        nodes.emplace_back(n, menu::kNodeIndex);
    for (qsizetype slash = address.indexOf(u'/'); slash >= 0;
         slash = address.indexOf(u'/', slash + 1)) {
        for (Node *n : nodesFor(QStringView(address).first(slash))) {
            for (const int i : entriesFor(*n, QStringView(address).sliced(slash + 1)))
                entries.emplace_back(n, i);
        }
    }
    std::vector<std::pair<Node *, int>> matches;
    if (kind != Kind::Entry)
        matches = nodes;
    if (kind != Kind::Node)
        matches.insert(matches.end(), entries.begin(), entries.end());

    const QString fileName = QFileInfo(file).fileName();
    if (matches.size() > 1) {
        QStringList names;
        for (const auto &[node, index] : matches)
            names << nameOf(file, *node, index);
        const auto entryCount = std::count_if(matches.begin(), matches.end(),
                                              [](const auto &m) { return m.second >= 0; });
        const QString what = entryCount == qsizetype(matches.size()) ? QStringLiteral("Einträge")
                             : entryCount == 0                       ? QStringLiteral("Knoten")
                                               : QStringLiteral("Knoten und Einträge");
        throw ERefused(QStringLiteral("„%1“ nennt in %2 mehrere %3: %4. Buchstabe und Index "
                                      "sagen, welcher gemeint ist.")
                           .arg(address, fileName, what, names.join(QStringLiteral(", "))));
    }
    if (matches.empty()) {
        if (kind == Kind::Entry && !nodes.empty())
            throw ERefused(QStringLiteral("„%1“ ist ein Knoten; gefragt ist ein Eintrag "
                                          "(KNOTEN/EINTRAG).")
                               .arg(address));
        if (kind == Kind::Node && !entries.empty())
            throw ERefused(
                QStringLiteral("„%1“ ist ein Eintrag; gefragt ist ein Knoten.").arg(address));
        // Name what there is: the entries of a node the address begins with, else the nodes.
        for (qsizetype slash = address.indexOf(u'/'); kind != Kind::Node && slash >= 0;
             slash = address.indexOf(u'/', slash + 1)) {
            const std::vector<Node *> found = nodesFor(QStringView(address).first(slash));
            if (found.size() != 1)
                continue;
            Node &node = *found.front();
            const QStringView wanted = QStringView(address).sliced(slash + 1);
            QStringList names;
            const QStringList &captions = entriesOf(file, node);
            for (int i = 0; i < captions.size() && names.size() < kNamedAtMost; ++i) {
                if (captions[i].contains(wanted, Qt::CaseInsensitive))
                    names << nameOf(file, node, i);
            }
            const bool similar = !names.isEmpty();
            for (int i = 0; !similar && i < captions.size() && names.size() < kNamedAtMost; ++i)
                names << nameOf(file, node, i);
            throw ERefused(
                QStringLiteral("„%1“ nennt in %2 keinen Eintrag. %3 von %4: %5.")
                    .arg(address, fileName,
                         similar ? QStringLiteral("Ähnliche Einträge") : QStringLiteral("Einträge"),
                         nameOf(file, node, menu::kNodeIndex),
                         captions.isEmpty()
                             ? QStringLiteral("keine")
                             : list(names, similar ? names.size() : captions.size())));
        }
        QStringList names;
        for (const Node &n : f.nodes)
            names << nameOf(file, n, menu::kNodeIndex);
        throw ERefused(
            QStringLiteral("„%1“ nennt in %2 keinen %3. Knoten: %4.")
                .arg(address, fileName,
                     kind == Kind::Node || !address.contains(u'/') ? QStringLiteral("Knoten")
                                                                   : QStringLiteral("Eintrag"),
                     names.isEmpty() ? QStringLiteral("keine") : names.join(QStringLiteral(", "))));
    }

    const auto [node, index] = matches.front();
    TMemIniFile &ini = m_t.file(file);
    menu::ItemRef item;
    item.file = file;
    item.letter = node->letter;
    item.index = index;
    if (index == menu::kNodeIndex) {
        item.caption = node->caption;
        item.seen = {stored(ini, node->letter, menufile::kRootKey),
                     stored(ini, node->letter, menufile::kExpandKey)};
        const int shown = int(entriesOf(file, *node).size());
        for (int i = 0; i <= shown; ++i)
            item.seenEntries.push_back(menuops::readEntryKeys(ini, node->letter, i));
        return item;
    }
    const menuops::EntryKeys keys = menuops::readEntryKeys(ini, node->letter, index);
    item.caption = keys.caption.value_or(QString());
    item.seen = {keys.caption, keys.program, keys.params, keys.scrambled, keys.keepOpen};
    return item;
}

} // namespace menuaddress
