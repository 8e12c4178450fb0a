// SPDX-License-Identifier: MIT
#include "menufixtures.h"

#include <QTest>

#include "base/cp1252.h"
#include "model/menufile.h"
#include "testfiles.h"

namespace menufixtures {

QList<QByteArray> entry(int n, const QByteArray &caption, bool scrambled, bool keepOpen)
{
    const QByteArray i = QByteArray::number(n);
    const QString params = QStringLiteral("-") + cp1252::toUnicode(caption);
    const QByteArray stored =
        *cp1252::fromUnicode(scrambled ? menufile::ScrambleParams(params) : params);
    return {i + "b=" + caption, i + "d=" + caption + ".exe", i + "p=" + stored,
            i + "v=" + (scrambled ? "1" : "0"), i + "dc=" + (keepOpen ? "1" : "0")};
}

QString nameOf(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Windows1252:
        return QStringLiteral("cp1252");
    case Encoding::Utf8:
        return QStringLiteral("utf-8");
    case Encoding::Utf16:
        break;
    }
    return QStringLiteral("utf-16");
}

void addEncodingRows()
{
    QTest::addColumn<Encoding>("encoding");
    for (const Encoding e : kEncodings)
        QTest::newRow(qPrintable(nameOf(e))) << e;
}

QByteArray file(const QList<QByteArray> &lines, Encoding encoding)
{
    const QByteArray bytes = testfiles::crlf(lines);
    const QString text = cp1252::toUnicode(bytes);
    switch (encoding) {
    case Encoding::Windows1252:
        return bytes;
    case Encoding::Utf8:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case Encoding::Utf16:
        break;
    }
    QByteArray out("\xFF\xFE");
    for (const QChar c : text) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

menu::ItemRef itemOf(const QString &path, const QString &node, int index)
{
    const menu::Menu m = menu::load(path);
    for (const menu::Node &n : m.nodes) {
        if (n.caption == node)
            return index == menu::kNodeIndex ? menu::refOf(m, n)
                                             : menu::refOf(m, n, n.entries[size_t(index)]);
    }
    qFatal("no node %s in %s", qPrintable(node), qPrintable(path));
}

QStringList shown(const QString &path)
{
    QStringList out;
    for (const menu::Node &node : menu::load(path).nodes) {
        out << node.letter + QLatin1Char(':') + node.caption;
        for (const menu::Entry &e : node.entries)
            out << QStringLiteral("  %1:%2").arg(e.index).arg(e.caption);
    }
    return out;
}

} // namespace menufixtures
