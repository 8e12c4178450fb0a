// SPDX-License-Identifier: MIT
// The clipboard's forms of copied items and the paste: the text reads back as it was written,
// lines out of a menu file paste as the launcher read them, and a paste the target refuses
// writes nothing.
#include <QTemporaryDir>
#include <QTest>

#include "menufixtures.h"
#include "model/menufile.h"
#include "model/undo.h"
#include "operations/menuclip.h"
#include "testfiles.h"

using menufixtures::entry;
using menufixtures::itemOf;
using menufixtures::shown;
using testfiles::readBytes;
using testfiles::writeBytes;
using Lines = QList<QByteArray>;

namespace {

QStringList describe(const menuclip::Clip &clip)
{
    QStringList out;
    const auto add = [&](const QString &prefix, const menuclip::Entry &e) {
        const menu::Fields &f = e.fields;
        out << QStringLiteral("%1%2:%3|%4|%5|%6|%7")
                   .arg(prefix)
                   .arg(e.index)
                   .arg(f.caption, f.program, f.params, f.scrambled ? "v" : "",
                        f.keepOpen ? "k" : "");
    };
    for (const menuclip::Entry &e : clip.entries)
        add(QString(), e);
    for (const menuclip::Node &n : clip.nodes) {
        out << QStringLiteral("[%1%2]").arg(n.caption, n.expand ? "+" : "");
        for (const menuclip::Entry &e : n.entries)
            add(QStringLiteral("  "), e);
    }
    return out;
}

} // namespace

class TestMenuClip : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;
    QString m_sub;

private Q_SLOTS:
    void init()
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        m_sub = m_dir.filePath(QStringLiteral("tarvik.Kasse"));
        writeBytes(m_menu, menufixtures::file(Lines{"[A]", "Root=B\xfcro", "expand=1"} +
                                              entry(0, "Mail") + entry(1, "Wort", true, true) +
                                              Lines{"[B]", "Root=Lager"} + entry(0, "Scan")));
        writeBytes(m_sub, menufixtures::file(Lines{"[A]", "Root=Kasse"} + entry(0, "Bon")));
    }

    // The text is what the lines of a menu file would be, parameters plain; both forms read
    // back to the same clip.
    void formsReadBack()
    {
        const menuclip::Clip clip = menuclip::collect(
            {itemOf(m_menu, "Büro", 1), itemOf(m_menu, "Lager"), itemOf(m_menu, "Lager", 0)},
            false);
        const QStringList expected{"0:Wort|Wort.exe|-Wort|v|k", "[Lager]",
                                   "  0:Scan|Scan.exe|-Scan||"};
        QCOMPARE(describe(clip), expected);
        const QString text = menuclip::toText(clip);
        QCOMPARE(text.section(u'\n', 1), QStringLiteral("0b=Wort\n0d=Wort.exe\n0p=-Wort\n0v=1\n"
                                                        "0dc=1\n[A]\nRoot=Lager\nexpand=0\n"
                                                        "0b=Scan\n0d=Scan.exe\n0p=-Scan\n0v=0\n"
                                                        "0dc=0\n"));
        QCOMPARE(describe(menuclip::fromText(text)), expected);
        const std::optional<menuclip::Clip> mime = menuclip::fromMime(menuclip::toMime(clip));
        QVERIFY(mime);
        QCOMPARE(describe(*mime), expected);
        QCOMPARE(mime->sources.size(), size_t(3));
        QCOMPARE(mime->sources[1].seenEntries, itemOf(m_menu, "Lager").seenEntries);
        QVERIFY(!menuclip::fromMime("{\"version\":2}"));
    }

    void textFromElsewhere_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        // Out of a menu file the parameters marked scrambled stand scrambled.
        QTest::newRow("lines of a menu file")
            << QStringLiteral("[C]\r\n3b= \" Post \" \r\n3d=p.exe\r\n3p=%1\r\n3v=1\r\n")
                   .arg(menufile::ScrambleParams(QStringLiteral("-geheim")))
            << QStringList{"0: Post |p.exe|-geheim|v|"};
        QTest::newRow("node, keys of other sections and without caption or program")
            << QStringLiteral("[Config]\nTitle=x\n[Q]\nRoot=Neu\n0b=Eins\n0d=e.exe\n1p=x\n"
                              "01b=Null\n[R]\nRoot=*\n2d=zwei.exe\n")
            << QStringList{"0:|zwei.exe|||", "[Neu]", "  0:Eins|e.exe|||"};
    }
    void textFromElsewhere()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(menuclip::fromText(text)), expected);
    }

    void textWithoutEntriesIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(transaction::ERefused,
                                 menuclip::fromText(QStringLiteral("Hallo,\nanbei die Liste.")));
    }

    // Pasted into a sub-list of every encoding: entries at the first free index, a node as a new
    // node; what the launcher reads is what was copied.
    void pasteIntoEveryEncoding_data() { menufixtures::addEncodingRows(); }
    void pasteIntoEveryEncoding()
    {
        QFETCH(menufixtures::Encoding, encoding);
        writeBytes(m_sub,
                   menufixtures::file(Lines{"[A]", "Root=Kasse"} + entry(0, "Bon"), encoding));
        const menuclip::Clip clip = menuclip::collect(
            {itemOf(m_menu, "Büro", 1), itemOf(m_menu, "Büro", 0), itemOf(m_menu, "Lager")}, false);
        const menu::Result result =
            menuclip::paste(clip, {m_sub, itemOf(m_sub, QStringLiteral("Kasse"))});
        QCOMPARE(result.index, 1);
        QCOMPARE(shown(m_sub), (QStringList{"A:Kasse", "  0:Bon", "  1:Wort", "  2:Mail", "B:Lager",
                                            "  0:Scan"}));
        const menu::Entry wort = menu::load(m_sub).nodes[0].entries[1];
        QVERIFY(wort.scrambled && wort.keepOpen);
        QCOMPARE(wort.params, QStringLiteral("-Wort"));
    }

    // The second entry's caption has no Windows-1252 form: nothing of the paste is written.
    void refusedPasteWritesNothing()
    {
        menuclip::Clip clip =
            menuclip::fromText(QStringLiteral("0b=Eins\n0d=e.exe\n1b=Zwei Ω\n1d=z.exe\n"));
        const QByteArray before = readBytes(m_sub);
        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 menuclip::paste(clip, {m_sub, itemOf(m_sub, "Kasse")}));
        QCOMPARE(readBytes(m_sub), before);
        clip.entries.pop_back();
        QVERIFY_THROWS_EXCEPTION(transaction::ERefused,
                                 menuclip::paste(clip, {m_sub, std::nullopt}));
        QCOMPARE(readBytes(m_sub), before);
    }

    // A cut pasted in another file is a move: one step, the sub-list written first, the menu
    // loses the items only with that write; the undo brings both files back.
    void cutAndPasteIsAMove()
    {
        const QByteArray menuBefore = readBytes(m_menu);
        const QByteArray subBefore = readBytes(m_sub);
        const std::optional<menuclip::Clip> clip = menuclip::fromMime(menuclip::toMime(
            menuclip::collect({itemOf(m_menu, "Büro", 0), itemOf(m_menu, "Lager")}, true)));
        const menu::Result result =
            menuclip::paste(*clip, {m_sub, itemOf(m_sub, QStringLiteral("Kasse"))});
        QCOMPARE(result.changes.size(), size_t(2));
        QCOMPARE(result.changes[0].path, m_sub);
        QCOMPARE(shown(m_menu), (QStringList{"A:Büro", "  0:Wort"}));
        QCOMPARE(shown(m_sub),
                 (QStringList{"A:Kasse", "  0:Bon", "  1:Mail", "B:Lager", "  0:Scan"}));
        // The sources are gone: the same cut cannot be pasted twice.
        QVERIFY_THROWS_EXCEPTION(transaction::EChangedOutside,
                                 menuclip::paste(*clip, {m_sub, itemOf(m_sub, "Kasse")}));
        undo::revert(result.changes);
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_sub), subBefore);
    }
};

QTEST_GUILESS_MAIN(TestMenuClip)
#include "tst_menuclip.moc"
