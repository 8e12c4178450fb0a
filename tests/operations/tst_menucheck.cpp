// SPDX-License-Identifier: MIT
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "model/menufile.h"
#include "model/menumodel.h"
#include "operations/menucheck.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"
#include "testfiles.h"

using menucheck::Finding;
using testfiles::crlf;

namespace {

// Entry n with the five keys the editor writes.
QList<QByteArray> entry(int n, const QByteArray &caption)
{
    const QByteArray i = QByteArray::number(n);
    return {i + "b=" + caption, i + "d=C:\\" + caption + ".exe", i + "p=", i + "v=0", i + "dc=0"};
}

QList<QByteArray> node(const QByteArray &letter, const QByteArray &caption,
                       const QList<int> &indices = {0})
{
    QList<QByteArray> lines = {"[" + letter + "]", "Root=" + caption};
    for (int n : indices)
        lines += entry(n, caption + QByteArray::number(n));
    return lines;
}

// "line kind" per finding.
QStringList summary(const std::vector<Finding> &findings)
{
    QStringList out;
    for (const Finding &f : findings)
        out.append(QString::number(f.line) + u' ' + menucheck::kindName(f.kind));
    return out;
}

// The menu as the launcher shows it: "A:Eins(Eins0,Eins1) B:..." from the model.
QString shown(const menu::Menu &menu)
{
    QStringList nodes;
    for (const menu::Node &n : menu.nodes) {
        QStringList entries;
        for (const menu::Entry &e : n.entries)
            entries.append(e.caption);
        nodes.append(n.letter + u':' + n.caption + u'(' + entries.join(u',') + u')');
    }
    return nodes.join(u' ');
}

// Every value the file stores, sorted: what a repair must keep, whatever the key names.
QStringList values(const QByteArray &bytes)
{
    const profilefile::Document doc(bytes);
    QStringList out;
    for (const auto &section : profiletext::outline(doc)) {
        for (const auto &key : section.keys)
            out.append(key.value);
    }
    out.sort();
    return out;
}

} // namespace

class TestMenuCheck : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void repair_data();
    void repair();
    void manyCopies();
    void missingFile();
    void storedLinesOfHiddenEntry();
};

void TestMenuCheck::check_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("launcher"); // what the launcher shows of it
    QTest::addColumn<QStringList>("findings");

    const auto A = node("A", "Eins", {0, 1});
    QTest::newRow("clean") << crlf(A + node("b", "Zwei")) << "A:Eins(Eins0,Eins1) B:Zwei(Zwei0)"
                           << QStringList();
    QTest::newRow("node behind a letter gap")
        << crlf(A + node("C", "Drei")) << "A:Eins(Eins0,Eins1)" << QStringList{"13 hidden-node"};
    QTest::newRow("node section without Root")
        << crlf(A + QList<QByteArray>{"[B]"} + entry(0, "Los")) << "A:Eins(Eins0,Eins1)"
        << QStringList{"13 node-without-root"};
    QTest::newRow("Root=* before a node")
        << crlf(A + QList<QByteArray>{"[B]", "Root=*"} + entry(0, "Alt") + node("C", "Drei"))
        << "A:Eins(Eins0,Eins1)" << QStringList{"14 star-root", "20 hidden-node"};
    QTest::newRow("entry behind an index gap")
        << crlf(node("A", "Eins", {0, 1, 3})) << "A:Eins(Eins0,Eins1)"
        << QStringList{"13 hidden-entry"};
    QTest::newRow("entry behind an empty caption")
        << crlf(node("A", "Eins", {0}) + QList<QByteArray>{"1b=", "1d=x.exe"} + entry(2, "Zwei"))
        << "A:Eins(Eins0)" << QStringList{"8 entry-without-caption", "10 hidden-entry"};
    QTest::newRow("second copy of a section, letter case ignored")
        << crlf(node("A", "Eins") + node("a", "Kopie")) << "A:Eins(Eins0)"
        << QStringList{"8 duplicate-section"};
    QTest::newRow("second copy of a key") << crlf(node("A", "Eins") + QList<QByteArray>{"0B=Kopie"})
                                          << "A:Eins(Eins0)" << QStringList{"8 duplicate-key"};
    QTest::newRow("entry without program")
        << crlf({"[A]", "Root=Eins", "0b=Leer", "0p=", "0v=0", "0dc=0"}) << "A:Eins(Leer)"
        << QStringList{"3 missing-program"};
    QTest::newRow("entry without the keys the editor writes")
        << crlf({"[A]", "Root=Eins", "0b=Kurz", "0d=x.exe"}) << "A:Eins(Kurz)"
        << QStringList{"3 missing-keys"};
    // "/d" stored plain but marked scrambled: "d" decodes to DEL.
    QTest::newRow("scrambled parameters that decode to control characters")
        << crlf({"[A]", "Root=Eins", "0b=Fern", "0d=?tsc", "0p=/d", "0v=1", "0dc=0"})
        << "A:Eins(Fern)" << QStringList{"5 scrambled-control"};
    QTest::newRow("properly scrambled parameters")
        << crlf({"[A]", "Root=Eins", "0b=Fern", "0d=?tsc", "0p=4m!oh*", "0v=1", "0dc=0"})
        << "A:Eins(Fern)" << QStringList();
    QTest::newRow("quotes the launcher strips") << crlf({"[A]", "Root=Eins", "0b=Datei", "0d=x.exe",
                                                         "0p='C:\\a b\\c.txt'", "0v=0", "0dc=0"})
                                                << "A:Eins(Datei)" << QStringList{"5 quoted-value"};
    QTest::newRow("the editor's own quoting")
        << crlf(
               {"[A]", "Root=\" Eins \"", "0b=\"\"zitiert\"\"", "0d=x.exe", "0p=", "0v=0", "0dc=0"})
        << "A: Eins (\"zitiert\")" << QStringList();
    QTest::newRow("key line without \"=\" hides the key behind it")
        << crlf({"[A]", "Root=Eins", "0b=Eins", "0d=x.exe", "0p", "0p=/a", "0v=0", "0dc=0"})
        << "A:Eins(Eins)"
        << QStringList{"3 missing-keys", "5 key-without-value", "6 duplicate-key"};
    QTest::newRow("NUL in a value") << crlf({"[A]", "Root=Eins", "0b=Eins", "0d=x.exe",
                                             QByteArray("0p=/a\0/b", 8), "0v=0", "0dc=0"})
                                    << "A:Eins(Eins)" << QStringList{"5 nul-in-value"};
    QTest::newRow("entry key with a leading zero")
        << crlf({"[A]", "Root=Eins", "00b=Null", "00d=x.exe"}) << "A:Eins()"
        << QStringList{"3 unread-entry-key", "4 unread-entry-key"};
}

void TestMenuCheck::check()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, launcher);
    QFETCH(QStringList, findings);

    TMemIniFile ini(QStringLiteral("menu.ini"), file);
    const menu::Menu model = menu::read(ini, true);
    QCOMPARE(shown(model), launcher);
    const std::vector<Finding> result = menucheck::check(QStringLiteral("menu.ini"), file);
    QCOMPARE(summary(result), findings);
    // The check reads the menu as the model does: what it calls hidden, the model hides.
    for (const Finding &f : result) {
        QCOMPARE(f.file, QStringLiteral("menu.ini"));
        const int at = menufile::nodeLetterIndex(f.section);
        const bool nodeShown = at >= 0 && at < int(model.nodes.size());
        const bool shownByModel =
            nodeShown && (f.index < 0 || f.index < int(model.nodes[size_t(at)].entries.size()));
        QCOMPARE(f.inMenu, shownByModel && f.kind != menucheck::Kind::DuplicateSection);
        if (f.kind == menucheck::Kind::HiddenNode)
            QVERIFY(model.hiddenNodes.contains(f.section));
        if (f.kind == menucheck::Kind::HiddenEntry)
            QVERIFY(model.nodes[size_t(at)].hiddenEntries.contains(f.index));
    }
}

void TestMenuCheck::repair_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("launcher"); // after the repair
    QTest::addColumn<QStringList>("moved");
    QTest::addColumn<QStringList>("remaining"); // kinds the check still finds
    QTest::addColumn<bool>("skipped");

    const QStringList none;
    QTest::newRow("clean file: nothing written")
        << crlf(node("A", "Eins")) << "A:Eins(Eins0)" << none << none << false;
    QTest::newRow("node gap") << crlf(node("A", "Eins") + node("D", "Vier") +
                                      node("C", "Drei", {0, 2}))
                              << "A:Eins(Eins0) B:Drei(Drei0,Drei2) C:Vier(Vier0)"
                              << QStringList{"Knoten [C] → [B]: Drei", "Knoten [D] → [C]: Vier",
                                             "Eintrag [B] 2 → 1: Drei2"}
                              << none << false;
    QTest::newRow("entry behind an empty caption goes behind the shown ones")
        << crlf(node("A", "Eins", {0}) + QList<QByteArray>{"1b=", "1d=x.exe"} + entry(2, "Zwei"))
        << "A:Eins(Eins0,Zwei)"
        << QStringList{"Eintrag [A] 2 → 1: Zwei", "Eintrag [A] 1 → 2 (ohne Beschriftung)"}
        << QStringList{"entry-without-caption"} << false;
    QTest::newRow("section without a node moves behind the nodes")
        << crlf(node("A", "Eins") + QList<QByteArray>{"[B]", "Root=*", "; alt"} + entry(0, "Alt") +
                node("C", "Drei"))
        << "A:Eins(Eins0) B:Drei(Drei0)"
        << QStringList{"Knoten [C] → [B]: Drei", "Abschnitt [B] → [C] (kein Knoten)"}
        << QStringList{"star-root"} << false;
    QTest::newRow("second copies move with their section")
        << crlf(node("A", "Eins") + node("C", "Drei") + node("c", "Kopie"))
        << "A:Eins(Eins0) B:Drei(Drei0)" << QStringList{"Knoten [C] → [B]: Drei"}
        << QStringList{"duplicate-section"} << false;
    QTest::newRow("doubled entry key: entries left as they are")
        << crlf(node("A", "Eins", {0, 2}) + QList<QByteArray>{"2b=Kopie"}) << "A:Eins(Eins0)"
        << none << QStringList{"hidden-entry", "duplicate-key"} << true;
    QTest::newRow("entry key line without \"=\": entries left as they are")
        << crlf(node("A", "Eins") + QList<QByteArray>{"2p"} + entry(2, "Zwei")) << "A:Eins(Eins0)"
        << none << QStringList{"key-without-value", "hidden-entry", "missing-keys", "duplicate-key"}
        << true;
}

void TestMenuCheck::repair()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, launcher);
    QFETCH(QStringList, moved);
    QFETCH(QStringList, remaining);
    QFETCH(bool, skipped);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    testfiles::writeBytes(path, file);
    const menucheck::RepairResult result = menucheck::repair(path);
    QCOMPARE(result.moved, moved);
    QCOMPARE(!result.skipped.isEmpty(), skipped);
    const QByteArray after = testfiles::readBytes(path);
    QCOMPARE(result.changes.size(), moved.isEmpty() ? size_t(0) : size_t(1));
    if (moved.isEmpty())
        QCOMPARE(after, file);
    QCOMPARE(shown(menu::load(path)), launcher);
    QCOMPARE(values(after), values(file)); // nothing removed, no value changed
    // Renamed sections keep their lines below the header byte for byte.
    if (file.contains("; alt"))
        QVERIFY(after.contains("Root=*\r\n; alt\r\n0b=Alt\r\n"));

    QStringList kinds;
    for (const Finding &f : menucheck::check(path))
        kinds.append(menucheck::kindName(f.kind));
    kinds.removeDuplicates();
    QCOMPARE(kinds, remaining);
}

void TestMenuCheck::manyCopies()
{
    // A hostile file of many copies of one section and of one key: each names the first.
    constexpr int kCopies = 20000;
    QByteArray file = "[A]\r\nRoot=Eins\r\n";
    for (int i = 0; i < kCopies; ++i)
        file += "Root=Kopie\r\n";
    for (int i = 0; i < kCopies; ++i)
        file += "[a]\r\n";
    QElapsedTimer timer;
    timer.start();
    const std::vector<Finding> findings = menucheck::check(QStringLiteral("menu.ini"), file);
    qInfo("%d copies of a section and of a key checked in %lld ms", kCopies, timer.elapsed());
    QCOMPARE(findings.size(), size_t(2 * kCopies));
    QVERIFY(findings.front().message.contains(QLatin1String("zuerst in Zeile 2")));
    QVERIFY(findings.back().message.contains(QLatin1String("zuerst in Zeile 1")));
}

void TestMenuCheck::missingFile()
{
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(EIniFileException, menucheck::check(dir.filePath("fehlt.ini")));
    QVERIFY_THROWS_EXCEPTION(EIniFileException, menucheck::check(dir.path()));
    QVERIFY_THROWS_EXCEPTION(EIniFileException, menucheck::repair(dir.filePath("fehlt.ini")));
    QVERIFY(!QFile::exists(dir.filePath("fehlt.ini")));
}

void TestMenuCheck::storedLinesOfHiddenEntry()
{
    const QByteArray file = crlf(node("A", "Eins", {0, 2}));
    const auto lines = menucheck::storedLines(file, QStringLiteral("a"), 2);
    QCOMPARE(lines.size(), size_t(5));
    QCOMPARE(lines.front().line, 8);
    QCOMPARE(lines.front().text, QStringLiteral("2b=Eins2"));
    QCOMPARE(menucheck::storedLines(file, QStringLiteral("A"), -1).size(), size_t(12));
}

QTEST_GUILESS_MAIN(TestMenuCheck)
#include "tst_menucheck.moc"
