// SPDX-License-Identifier: MIT
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/cp1252.h"
#include "model/menufile.h"
#include "model/menuops.h"
#include "store/tinifile.h"

namespace {

const QStringList kOtherSections = {QStringLiteral("Config"), QStringLiteral("]"),
                                    QStringLiteral("Other")};

QByteArray toFileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += *cp1252::fromUnicode(line) + "\r\n";
    return bytes;
}

// Every key of the sections a menu can hold, as "section|key=value", sorted: the file's content
// independent of key order.
QStringList dump(const QString &path)
{
    TIniFile file(path);
    QStringList out;
    for (const QString &section : menufile::nodeLetters() + kOtherSections) {
        QStringList values;
        file.ReadSectionValues(section, values);
        for (const QString &line : std::as_const(values))
            out.append(section + u'|' + line);
    }
    out.sort();
    return out;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Entry n of node "A" with all five keys.
QStringList entry(int n, const QString &caption, const QString &params = QString(),
                  bool scrambled = false)
{
    const QString i = QString::number(n);
    return {i + QStringLiteral("b=") + caption,
            i + QStringLiteral("d=C:\\Programme\\") + caption + QStringLiteral(".exe"),
            i + QStringLiteral("p=") + params, i + QStringLiteral("v=") + (scrambled ? u'1' : u'0'),
            i + QStringLiteral("dc=0")};
}

QStringList prefixed(const QString &section, const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out.append(section + u'|' + line);
    return out;
}

QStringList nodeSection(const QString &letter, const QString &caption)
{
    return {u'[' + letter + u']', QStringLiteral("Root=") + caption};
}

// Entry index of a moved entry renamed in its key names.
QStringList renumbered(const QStringList &lines, int from, int to)
{
    QStringList out;
    const QString prefix = QString::number(from);
    for (const QString &line : lines) {
        Q_ASSERT(line.startsWith(prefix));
        out.append(QString::number(to) + line.mid(prefix.size()));
    }
    return out;
}

} // namespace

class TestMenuOps : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCount = 0;

    QString writeMenu(const QStringList &lines)
    {
        const QString path = m_dir.filePath(QStringLiteral("menu%1.ini").arg(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write test menu");
        file.write(toFileBytes(lines));
        return path;
    }

private slots:
    void freeEntryIndex_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("expected");
        QTest::newRow("no entries") << nodeSection("A", "Werkzeuge") << 0;
        QTest::newRow("missing node") << QStringList{"[B]", "Root=x"} << 0;
        QTest::newRow("0 to 4") << nodeSection("A", "x") + entry(0, "a") + entry(1, "b") +
                                       entry(2, "c") + entry(3, "d") + entry(4, "e")
                                << 5;
        QTest::newRow("gap at 2") << nodeSection("A", "x") + entry(0, "a") + entry(1, "b") +
                                         entry(3, "d")
                                  << 2;
        // Stored values that a "*" probe would take for a free place.
        QTest::newRow("path is star") << nodeSection("A", "x") + QStringList{"0b=a", "0d=*"} << 1;
        QTest::newRow("caption only") << nodeSection("A", "x") + QStringList{"0b=a"} << 1;
        QTest::newRow("keep-open only") << nodeSection("A", "x") + QStringList{"0dc=1"} << 1;
        QTest::newRow("empty values") << nodeSection("A", "x") + QStringList{"0b=", "0d="} << 1;
    }
    void freeEntryIndex()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, expected);
        TIniFile file(writeMenu(lines));
        QCOMPARE(menuops::freeEntryIndex(file, QStringLiteral("A")), expected);
    }

    void freeNodeLetter_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");
        QStringList all;
        for (const QString &letter : menufile::nodeLetters())
            all += nodeSection(letter, "n" + letter);
        QTest::newRow("empty file") << QStringList{} << "A";
        QTest::newRow("gap at C") << nodeSection("A", "a") + nodeSection("B", "b") +
                                         nodeSection("D", "d")
                                  << "C";
        QTest::newRow("root is star") << nodeSection("A", "*") + nodeSection("B", "b") << "A";
        QTest::newRow("keys but no root") << QStringList{"[A]", "expand=1", "0b=x"} << "A";
        QTest::newRow("after Z") << all.mid(0, 26 * 2) << "[";
        QTest::newRow("all taken") << all << QString();
    }
    void freeNodeLetter()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        TIniFile file(writeMenu(lines));
        const std::optional<QString> letter = menuops::freeNodeLetter(file);
        QCOMPARE(letter.value_or(QString()), expected);
        QCOMPARE(letter.has_value(), !expected.isEmpty());
    }

    void deleteEntry_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("expected");

        const QStringList head = nodeSection("A", "Werkzeuge") + QStringList{"expand=1"};
        const QStringList headKeys = {"A|Root=Werkzeuge", "A|expand=1"};
        const QStringList e0 = entry(0, "Mail"), e1 = entry(1, "Word"), e2 = entry(2, "Excel");
        // Scrambled "&x y" holds "=" and a blank: it must arrive exactly as stored.
        const QStringList e3 = entry(3, "Rdp", menufile::ScrambleParams("&x y"), true);

        QTest::newRow("middle of four") << head + e0 + e1 + e2 + e3 << 1
                                        << headKeys + prefixed("A", e0 + renumbered(e3, 3, 1) + e2);
        QTest::newRow("last of four")
            << head + e0 + e1 + e2 + e3 << 3 << headKeys + prefixed("A", e0 + e1 + e2);
        QTest::newRow("only entry") << head + e0 << 0 << headKeys;
        QTest::newRow("path star is part of the run")
            << head + e0 + e1 + QStringList{"2b=Stern", "2d=*"} << 0
            << headKeys + prefixed("A", e1 + QStringList{"0b=Stern", "0d=*"});
        QTest::newRow("keys the last entry lacks are removed at the hole")
            << head + e0 + e1 + QStringList{"2b=Kurz", "2d=x.exe"} << 0
            << headKeys + prefixed("A", e1 + QStringList{"0b=Kurz", "0d=x.exe"});
        QTest::newRow("entry of one key counts")
            << head + e0 + e1 + QStringList{"2dc=1"} << 1
            << headKeys + prefixed("A", e0 + QStringList{"1dc=1"});
        QTest::newRow("other nodes untouched")
            << head + e0 + e1 + nodeSection("B", "Andere") + entry(0, "Bleibt") +
                   QStringList{"[Config]", "Title=T"}
            << 0
            << headKeys + prefixed("A", renumbered(e1, 1, 0)) + QStringList{"B|Root=Andere"} +
                   prefixed("B", entry(0, "Bleibt")) + QStringList{"Config|Title=T"};
    }
    void deleteEntry()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, index);
        QFETCH(QStringList, expected);
        const QString path = writeMenu(lines);
        {
            TIniFile file(path);
            menuops::deleteEntryCompacting(file, QStringLiteral("A"), index);
        }
        QCOMPARE(dump(path), sorted(expected));
    }

    void deleteNode_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QStringList>("expected");

        const QStringList a = nodeSection("A", "Büro") + entry(0, "Mail");
        const QStringList b = nodeSection("B", "Technik") + entry(0, "Putty");
        const QStringList c = nodeSection("C", "Spiele");
        const QStringList d = nodeSection("D", "Fern") + QStringList{"expand=1"} +
                              entry(0, "Rdp", menufile::ScrambleParams("&x=1 "), true);
        const QStringList dKeys = QStringList{"Root=Fern", "expand=1"} +
                                  entry(0, "Rdp", menufile::ScrambleParams("&x=1 "), true);
        const QStringList config = {"[Config]", "Title=Menü"};

        QTest::newRow("B of A to D")
            << a + b + c + d + config << "B"
            << prefixed("A", a.mid(1)) + prefixed("B", dKeys) + prefixed("C", c.mid(1)) +
                   QStringList{"Config|Title=Menü"};
        QTest::newRow("last node")
            << a + b + c + d << "D"
            << prefixed("A", a.mid(1)) + prefixed("B", b.mid(1)) + prefixed("C", c.mid(1));
        QTest::newRow("only node") << a + config << "A" << QStringList{"Config|Title=Menü"};
        QTest::newRow("section without root after the last node")
            << a + b + QStringList{"[C]", "0b=Waise"} << "A"
            << prefixed("A", {"0b=Waise"}) + prefixed("B", b.mid(1));

        QStringList all;
        QStringList expected;
        for (const QString &letter : menufile::nodeLetters()) {
            all += nodeSection(letter, "n" + letter);
            if (letter != "\\")
                expected.append(letter + "|Root=n" + (letter == "A" ? QString("\\") : letter));
        }
        QTest::newRow("run ends at the last letter")
            << all + QStringList{"[]]", "Root=x"} << "A" << expected + QStringList{"]|Root=x"};
    }
    void deleteNode()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, letter);
        QFETCH(QStringList, expected);
        const QString path = writeMenu(lines);
        TMemIniFile file(path, toFileBytes(lines));
        menuops::deleteNodeCompacting(file, letter);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.bytes());
        out.close();
        QCOMPARE(dump(path), sorted(expected));
    }

    // The node that fills the hole keeps every line as it stood, also comments and keys the
    // store would refuse to write, and the whole delete is one change of the bytes.
    void deleteNodeKeepsMovedLines()
    {
        const QByteArray before = "[A]\r\nRoot=Eins\r\n[B]\r\nRoot=Zwei\r\n[C]\r\nRoot=Drei\r\n"
                                  "; Kommentar\r\n[x=1\r\n  0b = \"q\" \r\n";
        TMemIniFile file(QStringLiteral("menu.ini"), before);
        menuops::deleteNodeCompacting(file, QStringLiteral("A"));
        QCOMPARE(file.bytes(), QByteArray("[B]\r\nRoot=Zwei\r\n[A]\r\nRoot=Drei\r\n; Kommentar\r\n"
                                          "[x=1\r\n  0b = \"q\" \r\n"));
    }

    void exportFileName_data()
    {
        QTest::addColumn<QString>("menuFile");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << "/m/tarvik.ini"
                                 << "Meine Tools"
                                 << "/m/tarvik.MeineTools";
        QTest::newRow("empty caption") << "/m/tarvik.ini"
                                       << ""
                                       << "/m/tarvik.";
        QTest::newRow("no extension") << "/m/tarvik"
                                      << "X"
                                      << "/m/tarvik.X";
        QTest::newRow("dot in folder") << "/m.d/tarvik"
                                       << "X"
                                       << "/m.d/tarvik.X";
        QTest::newRow("two dots") << "/m/tarvik.alt.ini"
                                  << "X"
                                  << "/m/tarvik.alt.X";
        QTest::newRow("windows path") << "C:\\m.d\\tarvik"
                                      << "X"
                                      << "C:\\m.d\\tarvik.X";
        QTest::newRow("drive colon") << "C:tarvik"
                                     << "X"
                                     << "C:tarvik.X";
        QTest::newRow("sub-list") << "/m/tarvik.Technik"
                                  << "Büro 2"
                                  << "/m/tarvik.Büro2";
        QTest::newRow("long caption") << "/m/t.ini" << QStringLiteral("ab ").repeated(150)
                                      << "/m/t." + QStringLiteral("ab").repeated(150);
    }
    void exportFileName()
    {
        QFETCH(QString, menuFile);
        QFETCH(QString, caption);
        QFETCH(QString, expected);
        QCOMPARE(menuops::exportFileName(menuFile, caption), expected);
    }

    void exportNameProblem_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("refused");
        for (const char *ok : {"Meine Tools", "", "Büro & Co", "v1.2", "  ", "(Unbenannt)",
                               "CONSOLE", "COM0", "LPT10", "Auxilium"})
            QTest::newRow(ok) << QString::fromUtf8(ok) << false;
        // Device names and a trailing dot or blank do not survive on the launcher's platform.
        for (const char *bad :
             {"a/b",  "a\\b",    "..",   ". .",      "x..",   "C:",    "*",
              "was?", "\"x\"",   "<a>",  "a|b",      "a\tb",  "a\x7f", "Büro & Co.",
              "CON",  "con.txt", "Lpt9", "COM1.alt", "N U L", "prn",   "aux"})
            QTest::newRow(bad) << QString::fromUtf8(bad) << true;
        QTest::newRow("C1 control") << QString(QChar(0x85)) << true;
    }
    void exportNameProblem()
    {
        QFETCH(QString, caption);
        QFETCH(bool, refused);
        const std::optional<QString> problem = menuops::exportNameProblem(caption);
        QCOMPARE(problem.has_value(), refused);
        if (problem)
            QVERIFY(!problem->isEmpty());
    }

    void copyNode()
    {
        const QStringList source =
            nodeSection("B", "Meine Tools") + entry(0, "Mail") +
            QStringList{"1b=Stern", "1d=*", "2d=ohne.exe", "3dc=1", "4b=", "4d=", "4p=", "4v=0"} +
            entry(5, "Rdp", menufile::ScrambleParams("/v:host"), true) + QStringList{"7b=Hinter"};
        const QString sourcePath = writeMenu(source);
        const QString targetPath = m_dir.filePath("menu.MeineTools");
        {
            TIniFile from(sourcePath);
            TIniFile to(targetPath);
            menuops::copyNodeToFile(from, "B", to, "Meine Tools", true);
        }
        // Exactly the keys each entry has; an entry behind a gap is kept, since the node is
        // deleted after the copy.
        QStringList expected =
            prefixed("A", QStringList{"Root=Meine Tools", "expand=1"} + source.mid(2));
        QCOMPARE(dump(targetPath), sorted(expected));
        QCOMPARE(dump(sourcePath), sorted(prefixed("B", source.mid(1))));
    }

    void writeEntryKeysExact()
    {
        const QString path = writeMenu(nodeSection("A", "a") + entry(0, "Alt"));
        {
            TIniFile file(path);
            menuops::EntryKeys keys;
            keys.caption = QStringLiteral("Neu");
            keys.program = QStringLiteral("*");
            keys.params = QString();
            QVERIFY(keys.exists());
            menuops::writeEntryKeys(file, "A", 0, keys);
            QCOMPARE(menuops::readEntryKeys(file, "A", 0), keys);
            QVERIFY(!menuops::readEntryKeys(file, "A", 1).exists());
        }
        QCOMPARE(dump(path), sorted({"A|Root=a", "A|0b=Neu", "A|0d=*", "A|0p="}));
    }
};

QTEST_GUILESS_MAIN(TestMenuOps)
#include "tst_menuops.moc"
