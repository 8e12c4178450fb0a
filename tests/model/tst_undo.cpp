// SPDX-License-Identifier: MIT
// Undo and redo of the menu commands on real files: back to the exact bytes where nothing else
// changed, key by key around another program's change, and nothing written over one.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "model/generalsettings.h"
#include "model/menumodel.h"
#include "model/undo.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"
#include "testfiles.h"

using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

menu::ItemRef itemOf(const QString &path, const QString &node, int index = menu::kNodeIndex)
{
    const menu::Menu m = menu::load(path);
    for (const menu::Node &n : m.nodes) {
        if (n.caption == node)
            return index == menu::kNodeIndex ? menu::refOf(m, n)
                                             : menu::refOf(m, n, n.entries[size_t(index)]);
    }
    qFatal("no node %s", qPrintable(node));
}

menu::Fields fields(const char *caption)
{
    return {QString::fromUtf8(caption),
            QStringLiteral("neu.exe"),
            QStringLiteral("-n"),
            false,
            false,
            true};
}

// What the launcher reads: the value of every key, sorted.
QStringList readAs(const QByteArray &bytes)
{
    QStringList keys;
    for (const auto &s : profiletext::outline(profilefile::Document(bytes))) {
        for (const auto &k : s.keys) {
            if (s.first && k.first && k.hasValue)
                keys << s.name.toUpper() + u'/' + k.name.toLower() + u'=' + k.value;
        }
    }
    keys.sort();
    return keys;
}

// Another program writes one key, in place; an empty section removes the file.
QByteArray edited(const QByteArray &bytes, const QString &section, const QString &key,
                  const QString &value)
{
    TMemIniFile file(QStringLiteral("x"), bytes);
    file.WriteString(section, key, value);
    return file.bytes();
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;
    QString m_other;

    QString pathOf(const QString &file) const
    {
        return file == "menu"    ? m_menu
               : file == "other" ? m_other
                                 : m_dir.filePath(QStringLiteral("tarvik.Büro"));
    }

    // Every file of the folder with its bytes.
    QByteArrayList snapshot() const
    {
        QByteArrayList files;
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files, QDir::Name))
            files << name.toUtf8() + ":\n" + readBytes(m_dir.filePath(name));
        return files;
    }

    transaction::Changes run(const QString &command)
    {
        if (command == "save entry")
            return menu::saveItem(itemOf(m_menu, "Büro", 1), fields("Neu")).changes;
        if (command == "save node")
            return menu::saveItem(itemOf(m_menu, "Lager"), fields("Halle")).changes;
        if (command == "new entry")
            return menu::saveNewEntry(itemOf(m_menu, "Lager"), fields("Neu")).changes;
        if (command == "create node")
            return menu::createNode(m_menu, QStringLiteral("Neu"), false).changes;
        if (command == "create menu")
            return menu::createNode(m_menu, QStringLiteral("Neu"), true).changes;
        if (command == "delete entry")
            return menu::deleteItem(itemOf(m_menu, "Büro", 0)).changes;
        if (command == "delete node")
            return menu::deleteItem(itemOf(m_menu, "Büro")).changes;
        if (command == "move within file")
            return menu::moveEntry(itemOf(m_menu, "Büro", 0), itemOf(m_menu, "Lager"),
                                   fields("Textverarbeitung"))
                .changes;
        if (command == "move across files")
            return menu::moveEntry(itemOf(m_menu, "Büro", 0), itemOf(m_other, "Kasse"),
                                   fields("Textverarbeitung"))
                .changes;
        if (command == "duplicate")
            return menu::duplicateEntry(itemOf(m_menu, "Büro", 1), fields("Rechner")).changes;
        if (command.startsWith(QLatin1String("export")))
            return menu::exportNode(itemOf(m_menu, "Büro"), QStringLiteral("Büro"), true,
                                    command.endsWith(QLatin1String("delete")))
                .changes;
        GeneralSettings settings;
        settings.title = QStringLiteral("Werkstatt");
        settings.onTop = true;
        return saveGeneralSettings(m_menu, settings);
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        m_other = m_dir.filePath(QStringLiteral("kasse.ini"));
        QFile::copy(testfiles::dataDir() + QStringLiteral("/menu-clean.ini"), m_menu);
        QFile::setPermissions(m_menu, QFile::ReadOwner | QFile::WriteOwner);
        writeBytes(m_other, crlf({"[A]", "Root=Kasse", "0b=Bon", "0d=bon.exe"}));
    }

    void undoAndRedoGiveTheBytesBack_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command :
             {"save entry", "save node", "new entry", "create node", "create menu", "delete entry",
              "delete node", "move within file", "move across files", "duplicate", "export",
              "export and delete", "general settings"})
            QTest::newRow(command) << command;
    }
    void undoAndRedoGiveTheBytesBack()
    {
        QFETCH(QString, command);
        if (command == "create menu")
            QFile::remove(m_menu);
        const QByteArrayList before = snapshot();
        const transaction::Changes step = run(command);
        const QByteArrayList after = snapshot();
        QVERIFY(after != before);

        QCOMPARE(undo::revert(step).size(), step.size());
        QCOMPARE(snapshot(), before);
        QCOMPARE(undo::reapply(step).size(), step.size());
        QCOMPARE(snapshot(), after);
        undo::revert(step);
        QCOMPARE(snapshot(), before);
        // Already back: nothing to write.
        QVERIFY(undo::revert(step).empty());
    }

    // file: whose key another program writes after the step (or after its undo, for a redo);
    // an empty section removes the file. named: part of the refusal; empty when the step is
    // taken back around the change.
    void outsideChanges_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("sameBytes");
        auto row = [](const char *name, const char *command, bool redo, const char *file,
                      const char *section, const char *key, const char *named, bool same) {
            QTest::newRow(name) << command << redo << file << section << key
                                << QString::fromUtf8(named) << same;
        };
        row("save entry: same key", "save entry", false, "menu", "A", "1b", "»Neu«", false);
        row("save entry: other node", "save entry", false, "menu", "B", "0b", "", true);
        row("save entry: width write", "save entry", false, "menu", "Config", "width", "", true);
        row("delete entry: same entry", "delete entry", false, "menu", "A", "0d", "»Rechner«",
            false);
        row("delete node: moved node", "delete node", false, "menu", "A", "root", "»Lager«", false);
        row("delete node: erased node written", "delete node", false, "menu", "B", "0v",
            "»Wareneingang«", false);
        row("delete node: width write", "delete node", false, "menu", "Config", "width", "", false);
        row("export: sub-list changed", "export and delete", false, "sub", "A", "9b",
            "tarvik.Büro wurde", false);
        row("export: width write", "export and delete", false, "menu", "Config", "width", "",
            false);
        row("move: copy changed", "move across files", false, "other", "A", "1b",
            "»Textverarbeitung«", false);
        row("move: target file elsewhere", "move across files", false, "other", "A", "expand", "",
            false);
        row("settings: title", "general settings", false, "menu", "config", "Title",
            "allgemeinen Einstellungen", false);
        row("create node: file removed", "create node", false, "menu", "", "", "entfernt", false);
        row("create menu: file changed", "create menu", false, "menu", "B", "Root",
            "tarvik.ini wurde", false);
        row("redo save entry: same key", "save entry", true, "menu", "A", "1b", "»Rechner«", false);
        row("redo delete node: width write", "delete node", true, "menu", "Config", "width", "",
            false);
        row("redo export: sub-list made outside", "export and delete", true, "sub", "A", "Root",
            "angelegt", false);
    }
    void outsideChanges()
    {
        QFETCH(QString, command);
        QFETCH(bool, redo);
        QFETCH(QString, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, named);
        QFETCH(bool, sameBytes);
        const QString path = pathOf(file);
        if (command == "create menu")
            QFile::remove(m_menu);
        const transaction::Changes step = run(command);
        if (redo)
            undo::revert(step);
        // What each file is to hold: the step's other side, or what it holds now.
        std::map<QString, std::optional<QByteArray>> target{{m_menu, readBytes(m_menu)},
                                                            {m_other, readBytes(m_other)}};
        for (const transaction::FileChange &change : step)
            target[change.path] = redo ? change.after : change.before;

        if (section.isEmpty())
            QFile::remove(path);
        else if (key == "width")
            menu::writeWidth(path, 321);
        else
            writeBytes(path, edited(readBytes(path), section, key, QStringLiteral("Fremd")));
        const QByteArrayList changed = snapshot();

        auto take = [&] { return redo ? undo::reapply(step) : undo::revert(step); };
        if (!named.isEmpty()) {
            try {
                take();
                QFAIL("not refused");
            } catch (const transaction::EChangedOutside &e) {
                QVERIFY2(e.message().contains(named), qPrintable(e.message()));
            }
            QCOMPARE(snapshot(), changed);
            return;
        }
        take();
        for (const auto &[p, bytes] : target) {
            QCOMPARE(QFile::exists(p), bytes.has_value());
            if (!bytes)
                continue;
            const QByteArray expected =
                p == path ? edited(*bytes, section, key, key == "width" ? "321" : "Fremd") : *bytes;
            QCOMPARE(readAs(readBytes(p)), readAs(expected));
            if (sameBytes || p != path)
                QCOMPARE(readBytes(p), expected);
        }
    }

    // An undo that fails between its files leaves the item twice, never lost: the export's menu
    // gets the node back before the sub-list goes, the move's source before the copy goes.
    void failedUndoLosesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("export") << "export and delete";
        QTest::newRow("move across files") << "move across files";
    }
    void failedUndoLosesNothing()
    {
        QFETCH(QString, command);
        const transaction::Changes step = run(command);
        const QByteArrayList after = snapshot();
        // A file without write bits is read-only to the launcher's platform and refused.
        QVERIFY(QFile::setPermissions(m_menu, QFile::ReadOwner));
        QVERIFY_THROWS_EXCEPTION(EIniFileException, undo::revert(step));
        QFile::setPermissions(m_menu, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(snapshot(), after);
    }

    // The window may have loaded (and written) another menu since the step.
    void undoAfterLoadingAnotherFile()
    {
        const QByteArray menuBefore = readBytes(m_menu);
        const transaction::Changes step = run("save entry");
        menu::load(m_other);
        menu::writeWidth(m_other, 200);
        const QByteArray other = readBytes(m_other);
        undo::revert(step);
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_other), other);
        QCOMPARE(menu::load(m_menu).nodes[0].entries[1].caption, QStringLiteral("Rechner"));
    }
};

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
