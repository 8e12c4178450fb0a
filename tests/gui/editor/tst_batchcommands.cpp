// SPDX-License-Identifier: MIT
// Commands on many items at once, through the real window: several selected, cut, copy and
// paste within a file and into a sub-list, drag and drop onto the tree, find and replace. Every
// step is checked on the files, and its undo on their bytes.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "gui/dialogs/replacedialog.h"
#include "gui/editor/menutree.h"
#include "gui/editor/tfmain.h"
#include "menufixtures.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "windowprobe.h"

using menufixtures::entry;
using menufixtures::shown;
using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;
using windowprobe::clickItem;
using windowprobe::field;
using windowprobe::tree;
using windowprobe::trigger;
using Lines = QList<QByteArray>;

namespace {

// The tree shows Büro (Rechner, Text) and Lager (Ware); the sub-list Kasse (Bon).
const Lines kMenu = Lines{"[A]", "Root=B\xfcro"} + entry(0, "Text") + entry(1, "Rechner", true) +
                    Lines{"[B]", "Root=Lager"} + entry(0, "Ware");
const Lines kKasse = Lines{"[A]", "Root=Kasse"} + entry(0, "Bon");

} // namespace

class TestBatchCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_menu;
    QString m_kasse;

    std::unique_ptr<Tfmain> start()
    {
        auto w = std::make_unique<Tfmain>(QStringList{}, m_program);
        windowprobe::showWindow(*w);
        return w;
    }
    void showKasse(Tfmain &w)
    {
        auto *list = w.findChild<QComboBox *>(QStringLiteral("Sublisten"));
        const int index = list->findText(QStringLiteral("tarvik.Kasse"));
        list->setCurrentIndex(index);
        emit list->activated(index);
        QCOMPARE(w.aktDatei(), m_kasse);
    }
    // One undo step takes every file back to its bytes, and no step is left before it.
    void undoRestores(Tfmain &w)
    {
        trigger(w, QStringLiteral("Rueckgaengig1"));
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
        QCOMPARE(readBytes(m_kasse), crlf(kKasse));
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("Rueckgaengig1"))->isEnabled());
    }

private Q_SLOTS:
    void init()
    {
        m_program = m_dir.path();
        QDir(m_program).mkpath(QStringLiteral("daten"));
        m_menu = m_program + QStringLiteral("/daten/tarvik.ini");
        m_kasse = m_program + QStringLiteral("/daten/tarvik.Kasse");
        writeBytes(m_menu, crlf(kMenu));
        writeBytes(m_kasse, crlf(kKasse));
        QGuiApplication::clipboard()->clear();
    }

    void cutCopyPaste_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::addColumn<bool>("intoSubList");
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<QStringList>("kasse");

        const QStringList kasse = shownOf(kKasse);
        // Ware is on Lager already: a cut leaves it there, a copy adds it once more.
        QTest::newRow("copy onto a node")
            << false << false << QStringList{"A:Büro",   "  0:Text", "  1:Rechner", "B:Lager",
                                             "  0:Ware", "  1:Text", "  2:Ware"}
            << kasse;
        QTest::newRow("cut onto a node")
            << true << false
            << QStringList{"A:Büro", "  0:Rechner", "B:Lager", "  0:Ware", "  1:Text"} << kasse;
        QTest::newRow("copy into a sub-list")
            << false << true << shownOf(kMenu)
            << QStringList{"A:Kasse", "  0:Bon", "  1:Text", "  2:Ware"};
        QTest::newRow("cut into a sub-list")
            << true << true << QStringList{"A:Büro", "  0:Rechner", "B:Lager"}
            << QStringList{"A:Kasse", "  0:Bon", "  1:Text", "  2:Ware"};
    }
    void cutCopyPaste()
    {
        QFETCH(bool, cut);
        QFETCH(bool, intoSubList);
        QFETCH(QStringList, menu);
        QFETCH(QStringList, kasse);
        auto w = start();
        clickItem(*w, QStringLiteral("Text"));
        clickItem(*w, QStringLiteral("Ware"), Qt::ControlModifier);
        trigger(*w, cut ? QStringLiteral("Ausschneiden1") : QStringLiteral("Kopieren1"));
        // Nothing is written before the paste.
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
        if (intoSubList)
            showKasse(*w);
        else
            clickItem(*w, QStringLiteral("Ware")); // pasted onto the entry's node
        ScriptedRunner runner;
        trigger(*w, QStringLiteral("Einfuegen1"));
        QCOMPARE(shown(m_menu), menu);
        QCOMPARE(shown(m_kasse), kasse);
        QCOMPARE(field(*w, "Name"), QStringLiteral("Text"));
        QCOMPARE(runner.unexpected(), 0);
        // A cut, once pasted, is on the clipboard as a copy.
        const std::optional<menuclip::Clip> clip =
            menuclip::fromMime(QGuiApplication::clipboard()->mimeData()->data(menuclip::kMimeType));
        QVERIFY(clip && !clip->cut);
        undoRestores(*w);
    }

    // Nodes pasted into a menu opened as new create its file, as its first node would; the undo
    // removes it again.
    void pasteNodesIntoNewMenu()
    {
        auto w = start();
        ScriptedRunner runner;
        clickItem(*w, QStringLiteral("Lager"));
        trigger(*w, QStringLiteral("Kopieren1"));
        auto fresh = std::make_unique<Tfmain>(QStringList{"neu.ini"}, m_program);
        const QString path = m_program + QStringLiteral("/daten/neu.ini");
        trigger(*fresh, QStringLiteral("Einfuegen1"));
        QCOMPARE(runner.unexpected(), 0);
        QCOMPARE(shown(path), (QStringList{"A:Lager", "  0:Ware"}));
        trigger(*fresh, QStringLiteral("Rueckgaengig1"));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(fresh->statusText(), QStringLiteral("Die Datei gibt es noch nicht; sie wird mit "
                                                     "dem ersten Knoten angelegt."));
    }

    // Text holding no entries: a message, nothing written. (Text with entries: see the drop.)
    void pasteTextWithoutEntries()
    {
        auto w = start();
        clickItem(*w, QStringLiteral("Lager"));
        QGuiApplication::clipboard()->setText(QStringLiteral("Hallo Welt"));
        ScriptedRunner runner;
        runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
        trigger(*w, QStringLiteral("Einfuegen1"));
        QVERIFY(runner.shownTexts().value(0).startsWith(
            QStringLiteral("Der Text enthält keine Menüeinträge.")));
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
    }

    // Cut, copy and paste act on items from the tree; in a field they edit its text.
    void shortcutsActWhereTheFocusIs()
    {
        auto w = start();
        ScriptedRunner runner; // a box where none belongs fails the test instead of waiting
        clickItem(*w, QStringLiteral("Ware"));
        auto *name = w->findChild<QLineEdit *>(QStringLiteral("Name"));
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ware"));
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasFormat(menuclip::kMimeType));

        tree(*w)->setFocus();
        QTest::keyClick(tree(*w), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(menuclip::kMimeType));
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(name->text() != QStringLiteral("Ware"));
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
        // Nor elsewhere outside the tree, where nothing would show which items they take.
        auto *box = windowprobe::box(*w, "NichtSchliessen");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
        QCOMPARE(runner.unexpected(), 0);
        runner.then(ScriptedRunner::clickButton(QStringLiteral("Verwerfen")));
        tree(*w)->setFocus();
        QTest::keyClick(tree(*w), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shown(m_menu).mid(3), (QStringList{"B:Lager", "  0:Ware", "  1:Ware"}));
        QVERIFY(runner.allAnswered());
    }

    void severalSelected()
    {
        auto w = start();
        // The tree shows Büro, Rechner, Text, Lager, Ware: Text to Ware is three items.
        clickItem(*w, QStringLiteral("Text"));
        clickItem(*w, QStringLiteral("Ware"), Qt::ShiftModifier);
        clickItem(*w, QStringLiteral("Rechner"), Qt::ControlModifier);
        QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title(),
                 QStringLiteral("Bearbeiten (4 ausgewählt)"));
        const auto *count = w->findChild<QLabel *>(QStringLiteral("Auswahl"));
        QVERIFY(windowprobe::shown(count));
        QVERIFY(count->text().startsWith(QStringLiteral("1 Knoten und 3 Einträge ausgewählt.")));
        QVERIFY(!windowprobe::shown(w->findChild<QLineEdit *>(QStringLiteral("Name"))));
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("Speichern1"))->isEnabled());

        ScriptedRunner runner;
        runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
        trigger(*w, QStringLiteral("Lschen1"));
        QCOMPARE(runner.shownTexts(),
                 QStringList{"Sind Sie sicher, dass Sie die ausgewählten 1 Knoten und 3 Einträge "
                             "inklusive aller Untereinträge löschen wollen?"});
        QCOMPARE(shown(m_menu), QStringList{"A:Büro"});
        undoRestores(*w);
    }

    // Growing the selection from an item with edits asks first; "Abbrechen" keeps both.
    void selectionGrowsFromEditedItem()
    {
        auto w = start();
        clickItem(*w, QStringLiteral("Ware"));
        windowprobe::setField(*w, "Name", QStringLiteral("Ware 2"));
        ScriptedRunner runner;
        runner.then(ScriptedRunner::clickButton(QStringLiteral("Abbrechen")));
        clickItem(*w, QStringLiteral("Text"), Qt::ControlModifier);
        QCOMPARE(runner.shownTexts(), QStringList{"Änderungen an »Ware« speichern?"});
        QCOMPARE(tree(*w)->selectedItems().size(), 1);
        QCOMPARE(field(*w, "Name"), QStringLiteral("Ware 2"));

        runner.then(ScriptedRunner::clickButton(QStringLiteral("Verwerfen")));
        clickItem(*w, QStringLiteral("Text"), Qt::ControlModifier);
        QCOMPARE(tree(*w)->selectedItems().size(), 2);
        QCOMPARE(readBytes(m_menu), crlf(kMenu));
    }

    void dragAndDrop_data()
    {
        QTest::addColumn<QString>("dragged"); // "text:" and a text from another program
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("cancelled");    // Esc: the drag leaves without a drop
        QTest::addColumn<QStringList>("after"); // empty: refused, nothing written

        QTest::newRow("entry onto a node")
            << "Text"
            << "Lager" << false << false
            << QStringList{"A:Büro", "  0:Rechner", "B:Lager", "  0:Ware", "  1:Text"};
        QTest::newRow("with Ctrl a copy")
            << "Text"
            << "Lager" << true << false
            << QStringList{"A:Büro", "  0:Text", "  1:Rechner", "B:Lager", "  0:Ware", "  1:Text"};
        QTest::newRow("cancelled") << "Text"
                                   << "Lager" << false << true << QStringList{};
        QTest::newRow("text of another program")
            << "text:0b=Neu\n0d=neu.exe"
            << "Ware" << false << false << shownOf(kMenu) + QStringList{"  1:Neu"};
    }
    void dragAndDrop()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, ctrl);
        QFETCH(bool, cancelled);
        QFETCH(QStringList, after);
        auto w = start();
        QMimeData data;
        if (dragged.startsWith(QLatin1String("text:"))) {
            data.setText(dragged.mid(5));
        } else {
            // What the tree drags is what it copies.
            clickItem(*w, dragged);
            trigger(*w, QStringLiteral("Kopieren1"));
            const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
            for (const QString &format : copied->formats())
                data.setData(format, copied->data(format));
        }
        auto *t = w->findChild<MenuTree *>(QStringLiteral("Tree"));
        const QPoint at = t->visualItemRect(windowprobe::item(*w, target)).center();
        const Qt::KeyboardModifiers modifiers = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(t->viewport(), &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(t->viewport(), &move);
        QCOMPARE(move.isAccepted(), !after.isEmpty() || cancelled);
        // The target node is framed while the drag is over it.
        if (move.isAccepted())
            QVERIFY(t->dropTarget());
        if (cancelled) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(t->viewport(), &leave);
            QVERIFY(!t->dropTarget());
        } else {
            QDropEvent drop(at, actions, &data, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(t->viewport(), &drop);
        }
        QCoreApplication::processEvents();
        QVERIFY(!t->dropTarget());
        if (after.isEmpty()) {
            QCOMPARE(readBytes(m_menu), crlf(kMenu));
            return;
        }
        QCOMPARE(shown(m_menu), after);
        undoRestores(*w);
    }

    // The list of changes, one left out, and a parameter replaced in its plain form and stored
    // scrambled again; the menu and its sub-list in one undo step.
    void replaceWritesTheTickedChanges()
    {
        auto w = start();
        ScriptedRunner runner;
        int rows = 0;
        runner.then([&](QDialog &dialog) {
            windowprobe::control<QLineEdit>(dialog, "find")->setText(QStringLiteral("e"));
            windowprobe::control<QLineEdit>(dialog, "replacement")->setText(QStringLiteral("E"));
            windowprobe::control<QCheckBox>(dialog, "matchCase")->setChecked(true);
            windowprobe::control<QCheckBox>(dialog, "programs")->setChecked(false);
            windowprobe::control<QPushButton>(dialog, "search")->click();
            auto *list = windowprobe::control<QTreeWidget>(dialog, "changes");
            rows = list->topLevelItemCount();
            for (int row = 0; row < rows; ++row) {
                QTreeWidgetItem *item = list->topLevelItem(row);
                if (item->text(2) == QLatin1String("Text") && item->text(3) == "Parameter")
                    item->setCheckState(0, Qt::Unchecked);
            }
            windowprobe::control<QPushButton>(dialog, "replace")->click();
            return dialog.result();
        });
        trigger(*w, QStringLiteral("Ersetzen1"));
        QCOMPARE(runner.shownClasses(), QStringList{"ReplaceDialog"});
        QCOMPARE(rows, 8);
        QCOMPARE(shown(m_menu),
                 (QStringList{"A:Büro", "  0:TExt", "  1:REchnEr", "B:LagEr", "  0:WarE"}));
        QCOMPARE(shown(m_kasse), (QStringList{"A:KassE", "  0:Bon"}));
        const menu::Menu m = menu::load(m_menu);
        QCOMPARE(m.nodes[0].entries[0].params, QStringLiteral("-Text"));
        const menu::Entry &scrambled = m.nodes[0].entries[1];
        QCOMPARE(scrambled.params, QStringLiteral("-REchnEr"));
        QVERIFY(scrambled.scrambled && scrambled.stored.params != scrambled.params);
        QCOMPARE(w->findChild<QAction *>(QStringLiteral("Rueckgaengig1"))->text(),
                 QStringLiteral("&Rückgängig: Ersetzen von »e« durch »E«"));
        undoRestores(*w);
    }

    // A change the file cannot hold is listed with its reason and cannot be ticked; a file
    // changed since the list is left alone, and the dialog says so and stays open.
    void replaceRefusesWhatItCannotWrite()
    {
        auto w = start();
        ScriptedRunner runner;
        QString problem;
        bool checkable = true;
        QString summary;
        runner.then([&](QDialog &dialog) {
            windowprobe::control<QLineEdit>(dialog, "find")->setText(QStringLiteral("Bon"));
            windowprobe::control<QPushButton>(dialog, "search")->click();
            auto *list = windowprobe::control<QTreeWidget>(dialog, "changes");
            QTreeWidgetItem *caption =
                list->findItems(QStringLiteral("Beschriftung"), Qt::MatchExactly, 3).value(0);
            problem = caption->text(6);
            checkable = caption->flags() & Qt::ItemIsUserCheckable;
            writeBytes(m_kasse, crlf(kKasse) + "; geändert\r\n");
            windowprobe::control<QPushButton>(dialog, "replace")->click();
            summary = windowprobe::control<QLabel>(dialog, "summary")->text();
            dialog.reject();
            return int(QDialog::Rejected);
        });
        trigger(*w, QStringLiteral("Ersetzen1"));
        QCOMPARE(problem, QStringLiteral("Die Beschriftung wäre leer; der Starter zeigte dann "
                                         "weder diesen Eintrag noch die folgenden."));
        QVERIFY(!checkable);
        QVERIFY2(summary.startsWith(m_kasse + QStringLiteral(" wurde seit der Liste geändert")),
                 qPrintable(summary));
        QCOMPARE(readBytes(m_kasse), crlf(kKasse) + "; geändert\r\n");
    }

private:
    static QStringList shownOf(const Lines &lines)
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("m.ini"));
        writeBytes(path, crlf(lines));
        return shown(path);
    }
};

QTEST_MAIN(TestBatchCommands)
#include "tst_batchcommands.moc"
