// SPDX-License-Identifier: MIT
// What only the window shows: the find above the tree, the tree's selection after a question
// about unsaved edits, the panel at other sizes, the tooltips of cut-off captions, and the move
// button driven by assistive technology.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QHelpEvent>
#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QToolButton>
#include <QTreeWidget>

#include "gui/editor/tfmain.h"
#include "gui/editor/treeitem.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "windowprobe.h"

using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;
using windowprobe::control;
using windowprobe::field;
using windowprobe::treeTexts;

namespace {

// "Post" stores its parameters scrambled; the find must see them plain.
QByteArray findMenu()
{
    return crlf({"[A]", "Root=Zubeh\xf6r", "0b=Rechner", "0d=calc.exe", "0p=", "0v=0", "0dc=0",
                 "1b=Notizen", "1d=notepad.exe", "1p=", "[B]", "Root=B\xfcro", "0b=Post",
                 "0d=mail.exe", "0p=\x36\x6b", "0v=1", "0dc=0", "[C]", "Root=Leer"});
}

} // namespace

class TestFindAndLayout : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;

    std::unique_ptr<Tfmain> start(const QByteArray &bytes = findMenu())
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        writeBytes(m_menu, bytes);
        auto w = std::make_unique<Tfmain>(QStringList{m_menu}, m_dir.path());
        windowprobe::showWindow(*w);
        w->activateWindow();
        return w;
    }

private Q_SLOTS:
    void findFilters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("caption") << "NOTIZ" << QStringList{"Zubehör", "  Notizen"};
        QTest::newRow("program") << "calc" << QStringList{"Zubehör", "  Rechner"};
        QTest::newRow("scrambled parameters") << "-P" << QStringList{"Büro", "  Post"};
        QTest::newRow("node caption") << "leer" << QStringList{"Leer"};
        QTest::newRow("nothing") << "xyz" << QStringList{};
        QTest::newRow("everything")
            << "" << QStringList{"Büro", "  Post", "Leer", "Zubehör", "  Notizen", "  Rechner"};
    }

    void findFilters()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        auto w = start();
        auto *tree = windowprobe::tree(*w);
        tree->collapseAll();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        auto *find = control<QLineEdit>(*w, "Suche");
        QVERIFY(find->isVisible());
        QVERIFY(find->hasFocus());
        QTest::keyClicks(find, text);
        QCOMPARE(treeTexts(*w), shown);
        // Nodes with entries found are opened out.
        for (int n = 0; n < tree->topLevelItemCount(); ++n) {
            const QTreeWidgetItem *node = tree->topLevelItem(n);
            if (!text.isEmpty() && !node->isHidden() && node->childCount() &&
                !node->child(0)->isHidden())
                QVERIFY(node->isExpanded());
        }
        // A reload keeps the find.
        w->Neuladen1Click();
        QCOMPARE(treeTexts(*w), shown);
    }

    void findKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Down") << int(Qt::Key_Down);
    }

    // Return or Down goes on to the first entry found and shows it; Esc clears the find, a
    // pending move stays until Esc is pressed outside the find.
    void findKeys()
    {
        QFETCH(int, key);
        auto w = start();
        windowprobe::clickItem(*w, QStringLiteral("Rechner"));
        QVERIFY(w->findChild<QAction *>(QStringLiteral("btmove"))->isEnabled());
        w->btmoveClick();
        QVERIFY(w->verschiebenAktiv());
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        auto *find = control<QLineEdit>(*w, "Suche");
        QTest::keyClicks(find, QStringLiteral("post"));
        QTest::keyClick(find, Qt::Key(key));
        QVERIFY(windowprobe::tree(*w)->hasFocus());
        QCOMPARE(field(*w, "Name"), QStringLiteral("Post"));
        find->setFocus();
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(!find->isVisible());
        QCOMPARE(find->text(), QString());
        QCOMPARE(treeTexts(*w).size(), 6);
        QVERIFY(w->verschiebenAktiv());
        QTest::keyClick(windowprobe::tree(*w), Qt::Key_Escape);
        QVERIFY(!w->verschiebenAktiv());
    }

    // What a command writes stays in view while the find is open, even when it finds nothing.
    void writtenItemStaysInView()
    {
        auto w = start();
        QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(control<QLineEdit>(*w, "Suche"), QStringLiteral("rech"));
        ScriptedRunner runner;
        runner.then(ScriptedRunner::enterText(QStringLiteral("Neu")));
        w->Knotenanlegen1Click();
        QCOMPARE(treeTexts(*w), (QStringList{"Neu", "Zubehör", "  Rechner"}));
        QCOMPARE(windowprobe::tree(*w)->currentItem()->text(0), QStringLiteral("Neu"));
        QCOMPARE(field(*w, "Name"), QStringLiteral("Neu"));
    }

    void cancelKeepsTheTreeOnThePanelsItem_data()
    {
        QTest::addColumn<QString>("how"); // another item is chosen
        for (const char *how :
             {"click", "right click", "key", "type-ahead", "find, Return", "find, Down"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    // Leaving an edited item, "Abbrechen" keeps the edits in the panel and the tree on their
    // item, however the other one was chosen; the next command acts on the item both show.
    void cancelKeepsTheTreeOnThePanelsItem()
    {
        QFETCH(QString, how);
        auto w = start();
        auto *tree = windowprobe::tree(*w);
        windowprobe::clickItem(*w, QStringLiteral("Rechner"));
        windowprobe::setField(*w, "param", QStringLiteral("-neu"));
        ScriptedRunner runner;
        runner.then(ScriptedRunner::clickButton(QStringLiteral("Abbrechen")));
        QTreeWidgetItem *notizen = windowprobe::item(*w, QStringLiteral("Notizen"));
        const QPoint at = tree->visualItemRect(notizen).center();
        if (how == QLatin1String("click")) {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        } else if (how == QLatin1String("right click")) {
            QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at);
        } else if (how == QLatin1String("key")) {
            tree->setFocus();
            QTest::keyClick(tree, Qt::Key_Up);
        } else if (how == QLatin1String("type-ahead")) {
            tree->setFocus();
            QTest::keyClicks(tree, QStringLiteral("P"));
        } else {
            QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
            auto *find = control<QLineEdit>(*w, "Suche");
            QTest::keyClicks(find, QStringLiteral("post"));
            QTest::keyClick(find,
                            how.endsWith(QLatin1String("Down")) ? Qt::Key_Down : Qt::Key_Return);
        }
        QCOMPARE(runner.shownTexts(), QStringList{"Änderungen an »Rechner« speichern?"});
        QCOMPARE(field(*w, "Name"), QStringLiteral("Rechner"));
        QCOMPARE(field(*w, "param"), QStringLiteral("-neu"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Rechner"));
        // Also where the find hides it.
        const QModelIndexList selected = tree->selectionModel()->selectedIndexes();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data().toString(), QStringLiteral("Rechner"));
        w->EsaveClick();
        QVERIFY(readBytes(m_menu).contains("0b=Rechner\r\n0d=calc.exe\r\n0p=-neu\r\n"));
        QCOMPARE(runner.unexpected(), 0);
    }

    // Wider, the fields grow and the buttons right of them move along; narrower than the panel's
    // first size, the panel scrolls instead of cutting fields off.
    void panelStretchesAndScrolls()
    {
        auto w = start();
        auto *ed = control<QGroupBox>(*w, "ed");
        auto *pfad = control<QLineEdit>(*w, "pfad");
        auto *button = control<QToolButton>(*w, "btProgramm");
        auto *area = control<QScrollArea>(*w, "Panel1");
        const int width = pfad->width();
        QCOMPARE(width, 210);
        const int gap = button->x() - pfad->geometry().right();
        w->resize(1400, 500);
        QTRY_VERIFY(pfad->width() > width + 300);
        QCOMPARE(button->x() - pfad->geometry().right(), gap);
        QVERIFY(button->geometry().right() < ed->width());
        QVERIFY(!area->horizontalScrollBar()->isVisible());

        w->resize(500, 300);
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
        QTRY_COMPARE(pfad->width(), width);
        QCOMPARE(ed->width(), ed->minimumWidth());
        // The first size shows the arrangement as it was made.
        w->resize(958, 467);
        QTRY_COMPARE(pfad->width(), width);
    }

    void captionTooltipOnlyWhenCut_data()
    {
        QTest::addColumn<int>("treeWidth");
        QTest::addColumn<bool>("fits");
        QTest::newRow("wide tree") << 900 << true;
        QTest::newRow("narrow tree") << 60 << false;
    }

    void captionTooltipOnlyWhenCut()
    {
        QFETCH(int, treeWidth);
        QFETCH(bool, fits);
        auto w = start(crlf({"[A]", "Root=Ein sehr langer Knotenname, der nicht passt"}));
        w->resize(1200, 500);
        control<QSplitter>(*w, "Splitter1")->setSizes({treeWidth, 1200 - treeWidth});
        auto *tree = windowprobe::tree(*w);
        QTRY_COMPARE(tree->width(), treeWidth);
        QTreeWidgetItem *node = tree->topLevelItem(0);
        const QPoint at = tree->visualItemRect(node).center();
        QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &help);
        QCOMPARE(QToolTip::isVisible(), !fits);
        if (!fits)
            QCOMPARE(QToolTip::text(),
                     QStringLiteral("Ein sehr langer Knotenname, der nicht passt"));
        QToolTip::hideText();
    }

    // Assistive technology offers a checkable button only its toggle; it starts and ends the
    // move as a click does, and a refused move leaves the button up.
    void moveButtonToggledByAccessibility()
    {
        auto w = start();
        auto *button = control<QToolButton>(*w, "btmove");
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible && accessible->actionInterface());
        QAccessibleActionInterface *actions = accessible->actionInterface();
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));

        ScriptedRunner runner;
        runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
        actions->doAction(QAccessibleActionInterface::toggleAction()); // a node is shown
        QTRY_COMPARE(runner.shownTexts(), QStringList{"Knoten können nicht verschoben werden!"});
        QVERIFY(!button->isChecked());

        windowprobe::clickItem(*w, QStringLiteral("Rechner"));
        actions->doAction(QAccessibleActionInterface::toggleAction());
        QTRY_VERIFY(w->verschiebenAktiv());
        QVERIFY(button->isChecked());
        windowprobe::clickItem(*w, QStringLiteral("Büro"));
        actions->doAction(QAccessibleActionInterface::toggleAction());
        QTRY_VERIFY(!w->verschiebenAktiv());
        QVERIFY(!button->isChecked());
        QCOMPARE(treeTexts(*w),
                 (QStringList{"Büro", "  Post", "  Rechner", "Leer", "Zubehör", "  Notizen"}));
    }
};

QTEST_MAIN(TestFindAndLayout)
#include "tst_findandlayout.moc"
