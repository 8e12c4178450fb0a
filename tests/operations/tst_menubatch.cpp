// SPDX-License-Identifier: MIT
// Commands on several items at once: the compaction of one delete never hits another item, a
// move keeps every stored key, also into another file and encoding, and an item that refuses
// leaves every file as it was.
#include <QTemporaryDir>
#include <QTest>

#include "menufixtures.h"
#include "model/undo.h"
#include "operations/menubatch.h"
#include "store/tinifile.h"
#include "testfiles.h"

using menufixtures::entry;
using menufixtures::itemOf;
using menufixtures::shown;
using testfiles::readBytes;
using testfiles::writeBytes;
using Lines = QList<QByteArray>;

namespace {

// Büro: Mail, Word (scrambled, kept open), Calc, Fax; Lager: Scan; Technik: Putty.
Lines menuLines()
{
    return Lines{"[A]", "Root=B\xfcro"} + entry(0, "Mail") + entry(1, "Word", true, true) +
           entry(2, "Calc") + entry(3, "Fax") + Lines{"[B]", "Root=Lager"} + entry(0, "Scan") +
           Lines{"[C]", "Root=Technik", "extra=1"} + entry(0, "Putty");
}

} // namespace

class TestMenuBatch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;
    QString m_sub;

    // "Büro/1" is an entry by node caption and index, "Lager" a node.
    std::vector<menu::ItemRef> items(const QStringList &names, const QString &path)
    {
        std::vector<menu::ItemRef> refs;
        for (const QString &name : names) {
            const QString node = name.section(u'/', 0, 0);
            const QString index = name.section(u'/', 1);
            refs.push_back(itemOf(path, node, index.isEmpty() ? menu::kNodeIndex : index.toInt()));
        }
        return refs;
    }

private Q_SLOTS:
    void init()
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        m_sub = m_dir.filePath(QStringLiteral("tarvik.Kasse"));
        writeBytes(m_menu, menufixtures::file(menuLines()));
        writeBytes(m_sub, menufixtures::file({"[A]", "Root=Kasse"}));
    }

    void deleteItems_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first and last entry of a node")
            << QStringList{"Büro/0", "Büro/3"}
            << QStringList{"A:Büro",   "  0:Calc",  "  1:Word", "B:Lager",
                           "  0:Scan", "C:Technik", "  0:Putty"};
        QTest::newRow("given in rising order, the last moved into the first hole")
            << QStringList{"Büro/1", "Büro/2"}
            << QStringList{"A:Büro",   "  0:Mail",  "  1:Fax",  "B:Lager",
                           "  0:Scan", "C:Technik", "  0:Putty"};
        QTest::newRow("entries of two nodes, one given twice")
            << QStringList{"Lager/0", "Büro/0", "Lager/0"}
            << QStringList{"A:Büro",  "  0:Fax",   "  1:Word", "  2:Calc",
                           "B:Lager", "C:Technik", "  0:Putty"};
        QTest::newRow("a node and the last node, an entry of the first")
            << QStringList{"Büro/2", "Technik", "Büro"} << QStringList{"A:Lager", "  0:Scan"};
    }
    void deleteItems()
    {
        QFETCH(QStringList, items);
        QFETCH(QStringList, expected);
        const menu::Result result = menu::deleteItems(this->items(items, m_menu));
        QCOMPARE(result.changes.size(), size_t(1));
        QCOMPARE(shown(m_menu), expected);
    }

    void staleItemAmongSeveralChangesNothing()
    {
        const std::vector<menu::ItemRef> refs = items({"Büro/3", "Lager/0"}, m_menu);
        const QByteArray outside = readBytes(m_menu).replace("0b=Scan", "0b=Anders");
        writeBytes(m_menu, outside);
        QVERIFY_THROWS_EXCEPTION(transaction::EChangedOutside, menu::deleteItems(refs));
        QCOMPARE(readBytes(m_menu), outside);
    }

    // Into a sub-list of every encoding: the entries keep their stored keys (scrambled
    // parameters, flags), the node every key of its section; the copy is written first and the
    // undo gives both files back byte for byte.
    void moveIntoAnotherFile_data() { menufixtures::addEncodingRows(); }
    void moveIntoAnotherFile()
    {
        QFETCH(menufixtures::Encoding, encoding);
        writeBytes(m_sub,
                   menufixtures::file(Lines{"[A]", "Root=Kasse"} + entry(0, "Bon"), encoding));
        const QByteArray menuBefore = readBytes(m_menu);
        const QByteArray subBefore = readBytes(m_sub);
        const menu::Result result =
            menu::moveItems(items({"Büro/1", "Technik", "Büro/0"}, m_menu),
                            {m_sub, itemOf(m_sub, QStringLiteral("Kasse"))});
        QCOMPARE(result.changes.size(), size_t(2));
        QCOMPARE(result.changes[0].path, m_sub);
        QCOMPARE(result.index, 1);
        QCOMPARE(shown(m_sub), (QStringList{"A:Kasse", "  0:Bon", "  1:Word", "  2:Mail",
                                            "B:Technik", "  0:Putty"}));
        QCOMPARE(shown(m_menu),
                 (QStringList{"A:Büro", "  0:Calc", "  1:Fax", "B:Lager", "  0:Scan"}));
        const menu::Menu sub = menu::load(m_sub);
        const menu::Entry &word = sub.nodes[0].entries[1];
        QVERIFY(word.scrambled && word.keepOpen);
        QCOMPARE(word.params, QStringLiteral("-Word"));
        TIniFile ini(m_sub);
        QCOMPARE(ini.ReadString("B", "extra", {}), QStringLiteral("1"));

        undo::revert(result.changes);
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_sub), subBefore);
    }

    // A Windows-1252 sub-list cannot hold a caption from a Unicode menu: refused before any
    // write, in neither file half done.
    void targetThatRefusesChangesNothing()
    {
        writeBytes(m_menu, menufixtures::file(Lines{"[A]", "Root=B\xfcro"} + entry(0, "Mail"),
                                              menufixtures::Encoding::Utf8));
        const menu::ItemRef omega = itemOf(m_menu, QStringLiteral("Büro"));
        menu::Fields fields = menu::fieldsOf(itemOf(m_menu, QStringLiteral("Büro"), 0));
        fields.caption = QStringLiteral("Ω-Mail");
        menu::saveNewEntry(omega, fields);
        const QByteArray menuBefore = readBytes(m_menu);
        const QByteArray subBefore = readBytes(m_sub);
        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 menu::moveItems(items({"Büro/0", "Büro/1"}, m_menu),
                                                 {m_sub, itemOf(m_sub, QStringLiteral("Kasse"))}));
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_sub), subBefore);
    }

    // A drop onto the entry's own node, or of a node into its own file, changes nothing; a copy
    // onto its own node duplicates, at the first free indices.
    void ownNode()
    {
        const QByteArray before = readBytes(m_menu);
        const menu::Target buero{m_menu, itemOf(m_menu, QStringLiteral("Büro"))};
        QVERIFY(menu::moveItems(items({"Büro/2", "Lager"}, m_menu), buero).changes.empty());
        QCOMPARE(readBytes(m_menu), before);
        QCOMPARE(menu::copyItems(items({"Büro/2", "Büro/0"}, m_menu), buero).index, 4);
        QCOMPARE(shown(m_menu).mid(0, 7), (QStringList{"A:Büro", "  0:Mail", "  1:Word", "  2:Calc",
                                                       "  3:Fax", "  4:Calc", "  5:Mail"}));
    }
};

QTEST_GUILESS_MAIN(TestMenuBatch)
#include "tst_menubatch.moc"
