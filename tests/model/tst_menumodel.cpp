// SPDX-License-Identifier: MIT
// The menu model's commands on real files: each checks the item as the user saw it, writes one
// transaction, and leaves the files unchanged when it refuses or fails.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "menufixtures.h"
#include "model/menumodel.h"
#include "platform/platform.h"
#include "store/tinifile.h"
#include "testfiles.h"

using menufixtures::shown;
using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;
using Lines = QList<QByteArray>;

namespace {

Lines entry(int n, const QByteArray &caption)
{
    const QByteArray i = QByteArray::number(n);
    return {i + "b=" + caption, i + "d=" + caption + ".exe", i + "p=-" + caption, i + "v=0",
            i + "dc=0"};
}

// Two nodes, the first with three entries.
QByteArray sample()
{
    return crlf(Lines{"[A]", "Root=B\xfcro"} + entry(0, "Mail") + entry(1, "Word") +
                entry(2, "Calc") + Lines{"[B]", "Root=Technik"} + entry(0, "Putty"));
}

const menu::Node &nodeOf(const menu::Menu &m, const QString &caption)
{
    for (const menu::Node &node : m.nodes) {
        if (node.caption == caption)
            return node;
    }
    qFatal("no node %s", qPrintable(caption));
}

menu::ItemRef itemOf(const menu::Menu &m, const QString &node, int index = menu::kNodeIndex)
{
    const menu::Node &n = nodeOf(m, node);
    return index == menu::kNodeIndex ? menu::refOf(m, n)
                                     : menu::refOf(m, n, n.entries[size_t(index)]);
}

} // namespace

class TestMenuModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("tarvik.ini"));
        writeBytes(m_path, sample());
        QFile::remove(m_dir.filePath(QStringLiteral("tarvik.Büro")));
    }

    void readsAsTheLauncher()
    {
        writeBytes(m_path, crlf(Lines{"[A]", "Root=a"} + entry(0, "x") + entry(2, "z") +
                                Lines{"[C]", "Root=c"}));
        const menu::Menu m = menu::load(m_path);
        QCOMPARE(m.nodes.size(), size_t(1));
        QCOMPARE(m.nodes[0].entries.size(), size_t(1));
        QCOMPARE(m.nodes[0].hiddenEntries, QList<int>{2});
        QCOMPARE(m.hiddenNodes, QStringList{"C"});
    }

    // What another program does between showing the item and the command.
    void staleItemIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("change");
        const char *commands[] = {"save entry", "delete entry", "duplicate", "move",
                                  "save node",  "delete node",  "export"};
        for (const char *command : commands) {
            for (const char *change : {"replaced", "removed file"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(command, change)))
                    << command << change;
        }
    }
    void staleItemIsRefused()
    {
        QFETCH(QString, command);
        QFETCH(QString, change);
        const menu::Menu m = menu::load(m_path);
        const bool node = command.endsWith(QLatin1String("node")) || command == "export";
        const menu::ItemRef item = itemOf(m, QStringLiteral("Büro"), node ? -1 : 1);
        const menu::ItemRef target = itemOf(m, QStringLiteral("Technik"));

        QByteArray outside;
        if (change == QLatin1String("replaced")) {
            // Same place, another item: a node's entry or the node's caption changed.
            outside = sample().replace("1b=Word", "1b=Anders").replace("Root=B\xfcro", "Root=Neu");
            writeBytes(m_path, outside);
        } else {
            QFile::remove(m_path);
        }
        const menu::Fields fields{
            QStringLiteral("Name"), QStringLiteral("p.exe"), {}, false, false, false};
        auto run = [&] {
            if (command == "save entry" || command == "save node")
                menu::saveItem(item, fields);
            else if (command.startsWith(QLatin1String("delete")))
                menu::deleteItem(item);
            else if (command == "duplicate")
                menu::duplicateEntry(item, fields);
            else if (command == "move")
                menu::moveEntry(item, target, fields);
            else
                menu::exportNode(item, QStringLiteral("Büro"), false, true);
        };
        QVERIFY_THROWS_EXCEPTION(transaction::EChangedOutside, run());
        QCOMPARE(QFile::exists(m_path), !outside.isEmpty());
        QCOMPARE(readBytes(m_path), outside);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("tarvik.Büro"))));
    }

    // Scrambling works on the Windows-1252 bytes the launcher reads; a Unicode file may hold
    // other characters, but they cannot be scrambled, so nothing is stored plain instead.
    void scrambledTextOutsideWindows1252IsRefused()
    {
        const QByteArray bom = "\xEF\xBB\xBF" + sample();
        writeBytes(m_path, bom);
        const menu::ItemRef item = itemOf(menu::load(m_path), QStringLiteral("Technik"), 0);
        const menu::Fields fields{QStringLiteral("Mail"),
                                  QStringLiteral("mail.exe"),
                                  QStringLiteral("-\u2713"),
                                  true,
                                  false,
                                  false};
        QVERIFY_THROWS_EXCEPTION(transaction::ERefused, menu::saveItem(item, fields));
        QCOMPARE(readBytes(m_path), bom);
    }

    // Only a menu opened as new may be created, by its first node.
    void createNodeOnlyCreatesAFileOpenedAsNew()
    {
        QFile::remove(m_path);
        QVERIFY_THROWS_EXCEPTION(transaction::EChangedOutside,
                                 menu::createNode(m_path, QStringLiteral("x"), false));
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(menu::createNode(m_path, QStringLiteral("Neu"), true).letter, QStringLiteral("A"));
        QCOMPARE(readBytes(m_path), crlf({"[A]", "Root=Neu"}));
    }

    // The launcher reads "Root=*" as no node, so neither a new node nor a saved one gets it.
    void starNodeCaptionIsRefused_data()
    {
        QTest::addColumn<bool>("create");
        QTest::newRow("create node") << true;
        QTest::newRow("save node") << false;
    }
    void starNodeCaptionIsRefused()
    {
        QFETCH(bool, create);
        const QString star = QStringLiteral("*");
        if (create)
            QVERIFY_THROWS_EXCEPTION(transaction::ERefused, menu::createNode(m_path, star, false));
        else
            QVERIFY_THROWS_EXCEPTION(
                transaction::ERefused,
                menu::saveItem(itemOf(menu::load(m_path), QStringLiteral("Technik")),
                               {star, {}, {}, false, false, false}));
        QCOMPARE(readBytes(m_path), sample());
    }

    // The delete erases the node and renames the last one into the hole in one write: a key the
    // store could not write itself goes along byte for byte, and no gap ever hides the menu.
    void deleteNodeIsOneWrite()
    {
        writeBytes(m_path,
                   crlf({"[A]", "Root=Eins", "[B]", "Root=Zwei", "[C]", "Root=Drei", "[x=1"}));
        menu::deleteItem(itemOf(menu::load(m_path), QStringLiteral("Eins")));
        QCOMPARE(readBytes(m_path), crlf({"[B]", "Root=Zwei", "[A]", "Root=Drei", "[x=1"}));
        QCOMPARE(shown(m_path), (QStringList{"A:Drei", "B:Zwei"}));
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("delete node") << "delete node";
        QTest::newRow("save entry") << "save entry";
    }
    void failedWriteChangesNothing()
    {
        QFETCH(QString, command);
        const menu::Menu m = menu::load(m_path);
        auto run = [&] {
            if (command == "delete node")
                menu::deleteItem(itemOf(m, QStringLiteral("Büro")));
            else
                menu::saveItem(itemOf(m, QStringLiteral("Büro"), 0),
                               {QStringLiteral("Mail"), QStringLiteral("mail.exe"),
                                QStringLiteral("-x"), false, false, false});
        };
        if (!testfiles::withFileSizeLimit(
                16, [&] { QVERIFY_THROWS_EXCEPTION(EIniFileException, run()); }))
            QSKIP("no limit of the file size on this system");
        QCOMPARE(readBytes(m_path), sample());
    }

    // Across two files the copy is written first: a failure between the files leaves the item
    // twice, never lost.
    void twoFilesFailingBetween_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("export") << "export";
        QTest::newRow("move to a sub-list") << "move";
    }
    void twoFilesFailingBetween()
    {
        QFETCH(QString, command);
        const QString sub = m_dir.filePath(QStringLiteral("tarvik.Kasse"));
        writeBytes(sub, crlf({"[A]", "Root=Kasse"}));
        const menu::Menu m = menu::load(m_path);
        const menu::ItemRef target = itemOf(menu::load(sub), QStringLiteral("Kasse"));
        // A file without write bits is read-only to the launcher's platform and refused.
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner));
        if (command == "export")
            QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                     menu::exportNode(itemOf(m, QStringLiteral("Büro")),
                                                      QStringLiteral("Büro"), false, true));
        else
            QVERIFY_THROWS_EXCEPTION(
                EIniFileException,
                menu::moveEntry(itemOf(m, QStringLiteral("Büro"), 1), target,
                                {QStringLiteral("Word"), {}, {}, false, false, false}));
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readBytes(m_path), sample());
        const QString copy =
            command == "export" ? m_dir.filePath(QStringLiteral("tarvik.Büro")) : sub;
        QVERIFY(shown(copy)
                    .join(QLatin1Char(','))
                    .contains(command == "export" ? QStringLiteral("1:Word")
                                                  : QStringLiteral("0:Word")));
        QFile::remove(sub);
    }

    // The find works on what the user sees: plain parameters, also where the file stores them
    // scrambled, and letters of either case, umlauts included.
    void findMatchesShownTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("caption, other case") << "mAIL" << QStringList{"Mail"};
        QTest::newRow("program") << "calc.EXE" << QStringList{"Calc"};
        QTest::newRow("parameters") << "-wor" << QStringList{"Word"};
        QTest::newRow("scrambled parameters, plain") << "GEHEIM" << QStringList{"Zugang"};
        QTest::newRow("umlaut") << "ÜBERSICHT" << QStringList{"Zugang"};
        QTest::newRow("every entry")
            << "" << QStringList{"Mail", "Word", "Calc", "Putty", "Zugang"};
        QTest::newRow("none") << "xyz" << QStringList{};
    }

    void findMatchesShownTexts()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        menu::saveNewEntry(itemOf(menu::load(m_path), QStringLiteral("Technik")),
                           {QStringLiteral("Zugang"), QStringLiteral("übersicht.exe"),
                            QStringLiteral("geheim"), true, false, false});
        QVERIFY(!readBytes(m_path).contains("geheim"));
        QStringList matched;
        for (const menu::Node &node : menu::load(m_path).nodes) {
            for (const menu::Entry &e : node.entries) {
                if (menu::matchesFind(text, e.caption, e.program, e.params))
                    matched << e.caption;
            }
        }
        QCOMPARE(matched, found);
    }

    // Steps of one transaction see each other's changes and write once; a step that refuses
    // leaves every file as it was, also what earlier steps had changed in memory.
    void stepsComposeIntoOneWrite()
    {
        const menu::Menu m = menu::load(m_path);
        const menu::Result result = menu::run([&](transaction::Transaction &t) {
            menu::deleteItem(t, itemOf(m, QStringLiteral("Büro"), 0));
            // Calc (index 2) filled the hole at 0.
            const std::optional<menu::ItemRef> calc = menu::refIn(t, m_path, "A", 0);
            if (!calc || calc->caption != QLatin1String("Calc") || menu::refIn(t, m_path, "A", 2))
                throw transaction::ERefused(QStringLiteral("refIn"));
            menu::Fields fields = menu::fieldsOf(*calc);
            fields.caption = QStringLiteral("Rechner");
            return menu::saveItem(t, *calc, fields);
        });
        QCOMPARE(result.changes.size(), size_t(1));
        QCOMPARE(result.index, 0);
        QCOMPARE(shown(m_path),
                 (QStringList{"A:Büro", "  0:Rechner", "  1:Word", "B:Technik", "  0:Putty"}));

        const QByteArray before = readBytes(m_path);
        const QString tooLong(menu::kMaxValueLength + 1, QLatin1Char('x'));
        QVERIFY_THROWS_EXCEPTION(transaction::ERefused, menu::run([&](transaction::Transaction &t) {
                                     menu::createNode(t, m_path, QStringLiteral("Neu"), false);
                                     return menu::createNode(t, m_path, tooLong, false);
                                 }));
        QCOMPARE(readBytes(m_path), before);
    }

    // Another writer that keeps the lock longer than a command waits: nothing is written over
    // its change.
    void lockedFileIsRefused()
    {
        const platform::FileLock held(m_path);
        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 menu::createNode(m_path, QStringLiteral("Neu"), false));
        QCOMPARE(readBytes(m_path), sample());
    }

    // Another program's write between the reading and the writing: the command runs again on
    // the file as it then stands and keeps that change.
    void concurrentChangeIsKept()
    {
        int runs = 0;
        transaction::run([&](transaction::Transaction &t) {
            TMemIniFile &file = t.file(m_path);
            if (++runs == 1)
                writeBytes(m_path, sample() + crlf({"[Config]", "Title=Anders"}));
            file.WriteString(QStringLiteral("B"), QStringLiteral("expand"), QStringLiteral("1"));
        });
        QCOMPARE(runs, 2);
        TIniFile ini(m_path);
        QCOMPARE(ini.ReadString(QStringLiteral("Config"), QStringLiteral("Title"), {}),
                 QStringLiteral("Anders"));
        QCOMPARE(ini.ReadString(QStringLiteral("B"), QStringLiteral("expand"), {}),
                 QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestMenuModel)
#include "tst_menumodel.moc"
