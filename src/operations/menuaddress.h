// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

#include "model/menumodel.h"

// Nodes and entries named in words, for scripts: "Büro" is the node of that caption, "Büro/Mail"
// its entry of that caption. Where captions repeat, letter and index say which: "B/3" is entry 3
// of node B, as long as no node is captioned "B" and no entry of it "3"; "[B]" and "#3" always
// mean letter and index. A "/" inside a caption needs nothing: every split is tried. Only what
// the launcher shows can be named.
namespace menuaddress {

enum class Kind { Node, Entry, Either };

// Resolves addresses on the files of one transaction. It remembers captions between calls, so
// after a step that changed captions or the places of items, the caller says so with forget().
class Resolver
{
public:
    explicit Resolver(transaction::Transaction &t) : m_t(t) {}

    // The item address names in file, as the transaction now holds it. ERefused naming the
    // candidates when it names nothing, several items, or an item of the wrong kind.
    menu::ItemRef item(const QString &file, const QString &address, Kind kind);

    // The nodes of file (letter empty) or the entries of one node changed.
    void forget(const QString &file, const QString &letter = QString());

private:
    struct Node
    {
        QString letter;
        QString caption;
        bool entriesRead = false;
        QStringList entries; // captions of the shown entries, by index
    };
    struct File
    {
        bool read = false;
        std::vector<Node> nodes;
    };

    File &nodesOf(const QString &file);
    const QStringList &entriesOf(const QString &file, Node &node);
    QString nameOf(const QString &file, const Node &node, int index);

    transaction::Transaction &m_t;
    QHash<QString, File> m_files;
};

} // namespace menuaddress
