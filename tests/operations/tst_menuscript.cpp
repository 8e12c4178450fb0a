// SPDX-License-Identifier: MIT
// Changes from scripts: items named in words, the JSON list's refusals with their place, a list
// applied in order in every encoding, and the diff of a dry run.
#include <QTemporaryDir>
#include <QTest>

#include "menufixtures.h"
#include "operations/filediff.h"
#include "operations/menuaddress.h"
#include "operations/menuscript.h"
#include "testfiles.h"

using menufixtures::entry;
using menufixtures::shown;
using testfiles::readBytes;
using testfiles::writeBytes;
using Lines = QList<QByteArray>;

namespace {

// Büro (A) holds Mail twice, an entry captioned "7" and one with a "/"; node B is captioned "A";
// node C "Büro/Ein" holds "Aus".
Lines menuLines()
{
    return Lines{"[A]", "Root=B\xfcro"} + entry(0, "Mail") + entry(1, "Word") + entry(2, "Mail") +
           entry(3, "Ein/Aus") + entry(4, "7") + Lines{"[B]", "Root=A"} + entry(0, "X") +
           Lines{"[C]", "Root=B\xfcro/Ein"} + entry(0, "Aus");
}

} // namespace

class TestMenuScript : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;

private Q_SLOTS:
    void init()
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        writeBytes(m_menu, menufixtures::file(menuLines()));
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected"); // "letter/index", or words of the refusal
        const int node = int(menuaddress::Kind::Node);
        const int entryKind = int(menuaddress::Kind::Entry);
        const int either = int(menuaddress::Kind::Either);
        QTest::newRow("captions") << "Büro/Word" << either << "A/1";
        QTest::newRow("a caption before a letter") << "A/0" << either << "B/0";
        QTest::newRow("letter in brackets") << "[A]/1" << either << "A/1";
        QTest::newRow("a caption before an index") << "Büro/7" << either << "A/4";
        QTest::newRow("index where no caption matches") << "Büro/2" << either << "A/2";
        QTest::newRow("index with #") << "Büro/#4" << either << "A/4";
        QTest::newRow("slash inside a caption") << "Büro/Ein/Aus" << node << "ist ein Eintrag";
        QTest::newRow("two readings of a slash")
            << "Büro/Ein/Aus" << either << "»Ein/Aus« ([A]/3), »Aus« (C/0)";
        // Node B is captioned "A", so letter A is named in brackets.
        QTest::newRow("two entries of one caption")
            << "Büro/Mail" << entryKind << "»Mail« ([A]/0), »Mail« ([A]/2)";
        QTest::newRow("a node where an entry is asked for")
            << "Büro" << entryKind << "ist ein Knoten";
        QTest::newRow("an entry nobody has")
            << "Büro/mai" << either << "Ähnliche Einträge von »Büro« ([A]): »Mail«";
        QTest::newRow("a node nobody has") << "Lager" << node << "Knoten: »Büro« ([A]), »A« (B)";
        QTest::newRow("an index beyond the entries") << "Büro/#5" << either << "keinen Eintrag";
    }
    void addresses()
    {
        QFETCH(QString, address);
        QFETCH(int, kind);
        QFETCH(QString, expected);
        transaction::Transaction t;
        menuaddress::Resolver resolver(t);
        QString actual;
        try {
            const menu::ItemRef item = resolver.item(m_menu, address, menuaddress::Kind(kind));
            actual = QStringLiteral("%1/%2").arg(item.letter).arg(item.index);
            QVERIFY(menu::refIn(t, m_menu, item.letter, item.index));
            QCOMPARE(menu::refIn(t, m_menu, item.letter, item.index)->seen, item.seen);
        } catch (const transaction::ERefused &e) {
            actual = e.message();
        }
        QVERIFY2(actual == expected || (expected.size() > 4 && actual.contains(expected)),
                 qPrintable(actual));
    }

    void jsonRefusals_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("malformed, with line and column")
            << QByteArray("[\n {\"op\": \"set\",\n  \"item\": \"x\" ]") << "ä.json:3:";
        QTest::newRow("not a list") << QByteArray("{\"op\": \"set\"}") << "ä.json: $: ";
        QTest::newRow("unknown op") << QByteArray("[{\"op\": \"rename\"}]")
                                    << "ä.json: $[0].op: unbekannte Änderung „rename“";
        QTest::newRow("unknown field")
            << QByteArray("[{\"op\": \"delete\", \"item\": \"x\"}, {\"op\": \"set\", \"item\": "
                          "\"x\", \"colour\": \"rot\"}]")
            << "ä.json: $[1].colour: unbekanntes Feld für „set“";
        QTest::newRow("missing field")
            << QByteArray("[{\"op\": \"add-entry\", \"node\": \"B\", \"caption\": \"a\"}]")
            << "ä.json: $[0]: „program“ fehlt";
        QTest::newRow("line break") << QByteArray("[{\"op\": \"set\", \"item\": \"B\", "
                                                  "\"caption\": \"a\\nb\"}]")
                                    << "ä.json: $[0].caption: enthält einen Zeilenumbruch";
        QTest::newRow("NUL") << QByteArray("[{\"op\": \"add-node\", \"caption\": \"a\\u0000\"}]")
                             << "ä.json: $[0].caption: enthält ein Nullzeichen";
        QTest::newRow("too long") << "[{\"op\": \"set\", \"item\": \"B\", \"params\": \"" +
                                         QByteArray(2048, 'x') + "\"}]"
                                  << "ä.json: $[0].params: ist zu lang: 2048 Zeichen";
        QTest::newRow("wrong type") << QByteArray("[{\"op\": \"set\", \"item\": \"B\", "
                                                  "\"expand\": \"ja\"}]")
                                    << "ä.json: $[0].expand: erwartet wird true oder false";
        QTest::newRow("set without a field") << QByteArray("[{\"op\": \"set\", \"item\": \"B\"}]")
                                             << "ä.json: $[0]: „set“ ändert nichts";
        QTest::newRow("unknown field to replace in")
            << QByteArray("[{\"op\": \"replace\", \"find\": \"a\", \"replace\": \"b\", \"in\": "
                          "[\"captions\", \"names\"]}]")
            << "ä.json: $[0].in[1]: ";
    }
    void jsonRefusals()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        try {
            menuscript::fromJson(json, QStringLiteral("ä.json"));
            QFAIL("not refused");
        } catch (const transaction::ERefused &e) {
            QVERIFY2(e.message().startsWith(expected), qPrintable(e.message()));
        }
    }

    // The whole list in one transaction, each change seeing the ones before, in each encoding;
    // a refusal at the last change writes nothing.
    void listInEveryEncoding_data() { menufixtures::addEncodingRows(); }
    void listInEveryEncoding()
    {
        QFETCH(menufixtures::Encoding, encoding);
        writeBytes(m_menu, menufixtures::file(menuLines(), encoding));
        const QByteArray json = R"([
            {"op": "add-node", "caption": "Kasse €", "expand": true},
            {"op": "add-entry", "node": "Kasse €", "caption": "Bon", "program": "bon.exe",
             "params": "-geheim", "scrambled": true},
            {"op": "move", "item": "Büro/Word", "target": "Kasse €"},
            {"op": "set", "item": "Kasse €/Word", "caption": "Wort", "keepOpen": true},
            {"op": "delete", "item": "[A]/#0"},
            {"op": "replace", "find": ".EXE", "replace": ".com", "in": ["programs"],
             "ignoreCase": true}
        ])";
        const std::vector<menuscript::Change> changes =
            menuscript::fromJson(json, QStringLiteral("a.json"));
        transaction::run([&](transaction::Transaction &t) {
            QCOMPARE(menuscript::apply(t, m_menu, changes).size(), size_t(13));
        });
        QCOMPARE(shown(m_menu),
                 (QStringList{"A:Büro", "  0:Ein/Aus", "  1:7", "  2:Mail", "B:A", "  0:X",
                              "C:Büro/Ein", "  0:Aus", "D:Kasse €", "  0:Bon", "  1:Wort"}));
        const menu::Node kasse = menu::load(m_menu).nodes[3];
        QVERIFY(kasse.expand);
        QCOMPARE(kasse.entries[0].params, QStringLiteral("-geheim"));
        QVERIFY(kasse.entries[0].scrambled && !kasse.entries[1].scrambled);
        QVERIFY(kasse.entries[1].keepOpen);
        QCOMPARE(kasse.entries[1].program, QStringLiteral("Word.com"));

        const QByteArray before = readBytes(m_menu);
        const std::vector<menuscript::Change> refused = menuscript::fromJson(
            R"([{"op": "delete", "item": "Büro/7"}, {"op": "delete", "item": "Büro/7"}])",
            QStringLiteral("b.json"));
        try {
            transaction::run(
                [&](transaction::Transaction &t) { menuscript::apply(t, m_menu, refused); });
            QFAIL("not refused");
        } catch (const transaction::ERefused &e) {
            QVERIFY2(e.message().startsWith("tarvik.ini, $[1] (delete): „Büro/7“ nennt"),
                     qPrintable(e.message()));
        }
        QCOMPARE(readBytes(m_menu), before);
    }

    void menuFilesOnly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("menu");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("comments and blank lines first")
            << QByteArray("; Menü\r\n\r\n  [A]\r\nRoot=x\r\n") << true;
        QTest::newRow("UTF-16") << menufixtures::file({"[A]"}, menufixtures::Encoding::Utf16)
                                << true;
        QTest::newRow("a key before the first section") << QByteArray("k=v\r\n[A]\r\n") << false;
        QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << false;
    }
    void menuFilesOnly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, menu);
        writeBytes(m_menu, bytes);
        bool refused = false;
        try {
            menuscript::refuseNonMenu(m_menu);
        } catch (const EIniFileException &) {
            refused = true;
        }
        QCOMPARE(refused, !menu);
        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 menuscript::refuseNonMenu(m_dir.filePath("fehlt.ini")));
    }

    void unifiedDiff_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("expected");
        QByteArray lines;
        for (int i = 1; i <= 12; ++i)
            lines += "k" + QByteArray::number(i) + "=v\r\n";
        QByteArray changed = lines;
        changed.replace("k2=v", "k2=\xe4").replace("k11=v\r\n", "");
        QTest::newRow("two hunks, Windows-1252 shown as it reads")
            << lines << changed
            << "--- f\n+++ f\n@@ -1,5 +1,5 @@\n k1=v\n-k2=v\n+k2=ä\n k3=v\n k4=v\n k5=v\n"
               "@@ -8,5 +8,4 @@\n k8=v\n k9=v\n k10=v\n-k11=v\n k12=v\n";
        QTest::newRow("created, UTF-16, no line end at the end")
            << QByteArray() << QByteArray("\xFF\xFE[\0\xA9\x03]\0", 8)
            << "--- /dev/null\n+++ f\n@@ -0,0 +1,1 @@\n+[Ω]\n\\ Kein Zeilenende am Dateiende\n";
        QTest::newRow("equal") << lines << lines << "";
    }
    void unifiedDiff()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, expected);
        const transaction::FileChange change{
            QStringLiteral("f"), before.isEmpty() ? std::nullopt : std::optional(before), after};
        QCOMPARE(filediff::unified(change), expected);
    }
};

QTEST_GUILESS_MAIN(TestMenuScript)
#include "tst_menuscript.moc"
