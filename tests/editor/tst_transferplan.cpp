// SPDX-License-Identifier: MIT
// Where copied, cut and dragged items go, decided on the window state without a window: the
// target node, move or copy, the items that go, or a refusal.
#include <QTemporaryDir>
#include <QTest>

#include "menufixtures.h"
#include "testfiles.h"
#include "transferplan.h"
#include "windowstate.h"

using menufixtures::entry;
using Lines = QList<QByteArray>;

namespace {

// "A|1" is entry 1 of node A, "A" the node; "kasse:" names the sub-list.
struct Place
{
    bool kasse = false;
    ItemPlace place;
};

Place placeOf(QString text)
{
    Place p;
    if (text.startsWith(QLatin1String("kasse:"))) {
        p.kasse = true;
        text = text.mid(6);
    }
    const QStringList parts = text.split(QLatin1Char('|'));
    p.place = {parts[0], parts.size() > 1 ? parts[1].toInt() : menu::kNodeIndex};
    return p;
}

QString describe(const transfer::Drop &drop)
{
    static const char *const actions[] = {"refused", "copy", "move"};
    QString text = QLatin1String(actions[int(drop.action)]);
    if (drop.action == transfer::Action::Refused)
        return text;
    text += QStringLiteral(" onto ") + (drop.target.node ? drop.target.node->letter : "file");
    for (const menu::ItemRef &item : drop.items)
        text += QLatin1Char(' ') + item.caption;
    return text;
}

} // namespace

class TestTransferPlan : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;
    QString m_kasse;

    menu::ItemRef refOf(const Place &p) const
    {
        const QString file = p.kasse ? m_kasse : m_menu;
        const menu::Menu shown = menu::load(file);
        for (const menu::Node &node : shown.nodes) {
            if (node.letter == p.place.letter)
                return p.place.isNode()
                           ? menu::refOf(shown, node)
                           : menu::refOf(shown, node, node.entries[size_t(p.place.index)]);
        }
        qFatal("no item %s", qPrintable(p.place.letter));
    }

private Q_SLOTS:
    void init()
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        m_kasse = m_dir.filePath(QStringLiteral("tarvik.Kasse"));
        testfiles::writeBytes(m_menu,
                              testfiles::crlf(Lines{"[A]", "Root=B\xfcro"} + entry(0, "Text") +
                                              entry(1, "Rechner") + Lines{"[B]", "Root=Lager"} +
                                              entry(0, "Ware")));
        testfiles::writeBytes(m_kasse,
                              testfiles::crlf(Lines{"[A]", "Root=Kasse"} + entry(0, "Bon")));
    }

    void planDrop_data()
    {
        QTest::addColumn<QStringList>("dragged"); // places, or "text:" and the text
        QTest::addColumn<QString>("under");       // empty: no item under the mouse
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("plan");

        const QStringList one{"A|1"};
        QTest::newRow("entry onto another node") << one << "B" << false << "move onto B Rechner";
        QTest::newRow("with Ctrl") << one << "B" << true << "copy onto B Rechner";
        QTest::newRow("onto an entry: its node") << one << "B|0" << false << "move onto B Rechner";
        QTest::newRow("onto its own node") << one << "A" << false << "refused";
        QTest::newRow("onto itself, with Ctrl") << one << "A|1" << true << "refused";
        QTest::newRow("onto no item") << one << "" << false << "refused";
        QTest::newRow("one of two on the target node already")
            << QStringList{"A|1", "B|0"} << "B" << false << "move onto B Rechner";
        QTest::newRow("a node of the file shown") << QStringList{"B"} << "A" << false << "refused";
        QTest::newRow("node and entries of the file shown")
            << QStringList{"A|0", "B"} << "A" << true << "refused";
        QTest::newRow("node of another file onto no item")
            << QStringList{"kasse:A"} << "" << false << "move onto file Kasse";
        QTest::newRow("node of another file onto an entry, Ctrl")
            << QStringList{"kasse:A"} << "B|0" << true << "copy onto file Kasse";
        QTest::newRow("entry of another file onto the same letter")
            << QStringList{"kasse:A|0"} << "A" << false << "move onto A Bon";
        QTest::newRow("text entries onto an entry")
            << QStringList{"text:0b=Neu\n0d=neu.exe"} << "B|0" << false << "copy onto B";
        QTest::newRow("text entries onto no item")
            << QStringList{"text:0b=Neu\n0d=neu.exe"} << "" << false << "refused";
        QTest::newRow("text node onto no item")
            << QStringList{"text:[A]\nRoot=Neu"} << "" << false << "copy onto file";
    }
    void planDrop()
    {
        QFETCH(QStringList, dragged);
        QFETCH(QString, under);
        QFETCH(bool, copy);
        QFETCH(QString, plan);
        WindowState state;
        state.open(m_menu);
        menuclip::Clip clip;
        if (dragged.first().startsWith(QLatin1String("text:"))) {
            clip = menuclip::fromText(dragged.first().mid(5));
        } else {
            std::vector<menu::ItemRef> items;
            for (const QString &d : dragged)
                items.push_back(refOf(placeOf(d)));
            clip = menuclip::collect(items, false);
        }
        const std::optional<ItemPlace> at =
            under.isEmpty() ? std::nullopt : std::optional(placeOf(under).place);
        QCOMPARE(describe(transfer::planDrop(state, clip, at, copy)), plan);
    }

    // Entries are pasted onto the node shown, or the node of what is selected.
    void pasteTarget_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("newEntry");
        QTest::addColumn<QString>("node");
        QTest::newRow("a node") << QStringList{"B"} << false << "B";
        QTest::newRow("an entry: its node") << QStringList{"A|1"} << false << "A";
        QTest::newRow("several: the first one's node") << QStringList{"B|0", "A|1"} << false << "B";
        QTest::newRow("a new entry: its node") << QStringList{"B"} << true << "B";
    }
    void pasteTarget()
    {
        QFETCH(QStringList, selected);
        QFETCH(bool, newEntry);
        QFETCH(QString, node);
        WindowState state;
        state.open(m_menu);
        QList<ItemPlace> places;
        for (const QString &s : selected)
            places.append(placeOf(s).place);
        state.choose(places);
        if (newEntry)
            state.prepareEntry(1);
        const menu::Target target = transfer::pasteTarget(state);
        QCOMPARE(target.file, m_menu);
        QVERIFY(target.node);
        QCOMPARE(target.node->letter, node);
        QCOMPARE(transfer::selectedItems(state).size(),
                 newEntry ? size_t(0) : size_t(places.size()));
    }
};

QTEST_GUILESS_MAIN(TestTransferPlan)
#include "tst_transferplan.moc"
