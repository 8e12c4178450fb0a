// SPDX-License-Identifier: MIT
// Where copied, cut and dragged items go, decided on the window state without a window: the
// target node, move or copy, the items that go, or a refusal.
#include <QTemporaryDir>
#include <QTest>

#include "gui/state/transferplan.h"
#include "gui/state/windowstate.h"
#include "menufixtures.h"
#include "testfiles.h"

using menufixtures::entry;
using Lines = QList<QByteArray>;

namespace {

// "Büro/1" is entry 1 of node Büro, "Lager" the node; "Kasse" is the sub-list's node.
std::pair<QString, int> placeOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    return {parts[0], parts.size() > 1 ? parts[1].toInt() : menu::kNodeIndex};
}

QString describe(const transferplan::Drop &drop)
{
    static const char *const actions[] = {"refused", "copy", "move"};
    QString text = QLatin1String(actions[int(drop.action)]);
    if (drop.action == transferplan::Action::Refused)
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
        QTest::addColumn<QStringList>("dragged"); // items, or "text:" and the text
        QTest::addColumn<QString>("under");       // empty: no item under the mouse
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("plan");

        const QStringList one{"Büro/1"};
        QTest::newRow("entry onto another node") << one << "B" << false << "move onto B Rechner";
        QTest::newRow("with Ctrl") << one << "B" << true << "copy onto B Rechner";
        QTest::newRow("onto an entry: its node") << one << "B/0" << false << "move onto B Rechner";
        QTest::newRow("onto its own node") << one << "A" << false << "refused";
        QTest::newRow("onto itself, with Ctrl") << one << "A/1" << true << "refused";
        QTest::newRow("onto no item") << one << "" << false << "refused";
        QTest::newRow("one of two on the target node already")
            << QStringList{"Büro/1", "Lager/0"} << "B" << false << "move onto B Rechner";
        QTest::newRow("a node of the file shown")
            << QStringList{"Lager"} << "A" << false << "refused";
        QTest::newRow("node and entries of the file shown")
            << QStringList{"Büro/0", "Lager"} << "A" << true << "refused";
        QTest::newRow("node of another file onto no item")
            << QStringList{"Kasse"} << "" << false << "move onto file Kasse";
        QTest::newRow("node of another file onto an entry, Ctrl")
            << QStringList{"Kasse"} << "B/0" << true << "copy onto file Kasse";
        QTest::newRow("entry of another file onto the same letter")
            << QStringList{"Kasse/0"} << "A" << false << "move onto A Bon";
        QTest::newRow("text entries onto an entry")
            << QStringList{"text:0b=Neu\n0d=neu.exe"} << "B/0" << false << "copy onto B";
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
            for (const QString &d : dragged) {
                const auto [node, index] = placeOf(d);
                items.push_back(menufixtures::itemOf(
                    node == QLatin1String("Kasse") ? m_kasse : m_menu, node, index));
            }
            clip = menuclip::collect(items, false);
        }
        std::optional<ItemPlace> at;
        if (!under.isEmpty())
            at = ItemPlace{under.left(1), placeOf(under).second};
        QCOMPARE(describe(transferplan::planDrop(state, clip, at, copy)), plan);
    }
};

QTEST_GUILESS_MAIN(TestTransferPlan)
#include "tst_transferplan.moc"
