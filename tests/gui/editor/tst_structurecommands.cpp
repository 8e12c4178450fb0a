// SPDX-License-Identifier: MIT
// The structural commands (create, delete, move, duplicate, export) driven through the main
// window's own actions and buttons, with every box scripted; the files are checked afterwards.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "base/cp1252.h"
#include "gui/dialogs/menucheckdialog.h"
#include "gui/editor/tfmain.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "windowprobe.h"

using testfiles::crlf;
using testfiles::folderSnapshot;
using testfiles::readBytes;
using testfiles::writeBytes;
using windowprobe::box;
using windowprobe::clickItem;
using windowprobe::field;
using windowprobe::setField;
using windowprobe::shown;
using windowprobe::tree;
using windowprobe::treeTexts;
using windowprobe::trigger;

using Lines = QList<QByteArray>;

namespace {

const QString kTitle = QStringLiteral("Tarvik konfigurieren");
const QString kChooseBranch = QStringLiteral("Wählen Sie erst einen Zweig aus!");
const QString kMovePrompt =
    QStringLiteral("Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben.");

Lines node(const QByteArray &letter, const QByteArray &caption)
{
    return {'[' + letter + ']', "Root=" + caption};
}

// Entry n with all five keys, its values derived from the caption so that a moved entry is
// recognisable wherever it ends up.
Lines entry(int n, const QByteArray &caption, bool scrambled = false, bool keepOpen = false)
{
    const QByteArray i = QByteArray::number(n);
    return {i + "b=" + caption, i + "d=" + caption + ".exe", i + "p=-" + caption,
            i + "v=" + (scrambled ? "1" : "0"), i + "dc=" + (keepOpen ? "1" : "0")};
}

// The file's content as "[section]" and "section|key=value" lines, sorted: key by key,
// independent of where in its section a key stands. Duplicated keys or headers stay visible.
QStringList keysOf(const QByteArray &bytes)
{
    QStringList out;
    QString section;
    for (QString line : cp1252::toUnicode(bytes).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            out << line;
            continue;
        }
        out << section + QLatin1Char('|') + line;
    }
    out.sort();
    return out;
}

QStringList keysOf(const Lines &lines)
{
    return keysOf(crlf(lines));
}

QStringList fileKeys(const QString &path)
{
    return keysOf(readBytes(path));
}

QToolButton *moveButton(const Tfmain &w)
{
    const auto *bar = w.findChild<QToolBar *>(QStringLiteral("ToolBar1"));
    return qobject_cast<QToolButton *>(
        bar->widgetForAction(w.findChild<QAction *>(QStringLiteral("btmove"))));
}

// The move button as the user clicks it: the real tool button, which toggles itself.
void clickMove(Tfmain &w)
{
    QToolButton *button = moveButton(w);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

// A message box as the user sees it, recorded before it is answered.
struct BoxSeen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
};

ScriptedRunner::Answer recordBox(BoxSeen &seen, const QString &answer)
{
    return [&seen, answer](QDialog &dialog) {
        auto *mb = qobject_cast<QMessageBox *>(&dialog);
        if (!mb)
            return int(QDialog::Rejected);
        seen.title = mb->windowTitle();
        seen.text = mb->text();
        seen.icon = mb->icon();
        for (QAbstractButton *b : mb->buttons())
            seen.buttons << b->text();
        seen.defaultButton = mb->defaultButton() ? mb->defaultButton()->text() : QString();
        seen.escapeButton = mb->escapeButton() ? mb->escapeButton()->text() : QString();
        if (answer.isEmpty())
            return ScriptedRunner::reject()(dialog);
        return ScriptedRunner::clickButton(answer)(dialog);
    };
}

// Every node letter in use: A to Z and the two after it.
Lines fullMenu()
{
    Lines lines;
    for (char c = 'A'; c <= '\\'; ++c)
        lines += node(QByteArray(1, c), "Knoten " + QByteArray(1, c));
    return lines;
}

} // namespace

class TestStructureCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void createNode_data();
    void createNode();
    void createNodeInputBox();
    void createNodeStarCaptionRefused();

    void createEntry_data();
    void createEntry();
    void createEntryAbandonedWritesNothing();
    void leavingEditedItemSaves();
    void commandReplacingEditsAsks_data();
    void commandReplacingEditsAsks();

    void deleteEntry_data();
    void deleteEntry();
    void deleteNode_data();
    void deleteNode();
    void deleteQuestion_data();
    void deleteQuestion();
    void deleteLastNodeThenCommandsWriteNothing_data();
    void deleteLastNodeThenCommandsWriteNothing();

    void moveEntry_data();
    void moveEntry();
    void movePendingState();
    void moveAcrossSublists();
    void moveSourceChanged_data();
    void moveSourceChanged();
    void deleteWhileMovePendingAsksNothing();

    void duplicateEntry();
    void refusedOnWrongItem_data();
    void refusedOnWrongItem();

    void exportNaming_data();
    void exportNaming();
    void exportCopiesEveryEntry();
    void exportAnsweredNoActsAsCopy();
    void exportRefused_data();
    void exportRefused();
    void exportWriteFailureLeavesNoFile();

    void undoAndRedoActions();
    void undoShowsWhereTheStepStarted_data();
    void undoShowsWhereTheStepStarted();
    void outsideChangeWhileEditing_data();
    void outsideChangeWhileEditing();

private:
    QString writeMenu(const Lines &lines, const QString &name = QStringLiteral("tarvik.ini"));
    std::unique_ptr<Tfmain> start(const QStringList &arguments = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    QString m_data;
    QString m_menu;
};

void TestStructureCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = m_dir->path() + QStringLiteral("/prog");
    m_data = m_program + QStringLiteral("/daten");
    QVERIFY(QDir().mkpath(m_data));
    m_menu = m_data + QStringLiteral("/tarvik.ini");
}

QString TestStructureCommands::writeMenu(const Lines &lines, const QString &name)
{
    const QString path = m_data + QLatin1Char('/') + name;
    writeBytes(path, crlf(lines));
    return path;
}

std::unique_ptr<Tfmain> TestStructureCommands::start(const QStringList &arguments)
{
    auto w = std::make_unique<Tfmain>(arguments, m_program);
    windowprobe::showWindow(*w);
    return w;
}

void TestStructureCommands::createNode_data()
{
    QTest::addColumn<Lines>("menu"); // empty: no file yet
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Lines>("after");
    QTest::addColumn<QStringList>("tree");

    const Lines ab = node("A", "eins") + node("B", "zwei");
    QTest::newRow("no file yet") << Lines{} << "Neu" << node("A", "Neu") << QStringList{"Neu"};
    // Filling the gap joins "vier" to the run again.
    QTest::newRow("gap at C") << ab + node("D", "vier") << "drei"
                              << ab + node("C", "drei") + node("D", "vier")
                              << QStringList{"drei", "eins", "vier", "zwei"};
    QTest::newRow("Root of * is a free letter")
        << ab + node("C", "*") + Lines{"0b=alt", "0d=alt.exe"} << "drei"
        << ab + node("C", "drei") + Lines{"0b=alt", "0d=alt.exe"}
        << QStringList{"drei", "  alt", "eins", "zwei"};
    QTest::newRow("empty caption stays empty")
        << ab << "" << ab + node("C", "") << QStringList{"", "eins", "zwei"};
    QTest::newRow("umlaut") << ab << "Köln" << ab + node("C", "K\xf6ln")
                            << QStringList{"eins", "Köln", "zwei"};
}

void TestStructureCommands::createNode()
{
    QFETCH(Lines, menu);
    QFETCH(QString, caption);
    QFETCH(Lines, after);
    QFETCH(QStringList, tree);
    if (!menu.isEmpty())
        writeMenu(menu);
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::enterText(caption));
    trigger(*w, QStringLiteral("Knotenanlegen1"));
    QCOMPARE(fileKeys(m_menu), keysOf(after));
    QCOMPARE(treeTexts(*w), tree);
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::createNodeInputBox()
{
    const Lines menu = node("A", "eins") + entry(0, "e");
    writeMenu(menu);
    auto w = start();
    clickItem(*w, QStringLiteral("e"));
    ScriptedRunner runner;

    // Cancelled from the main menu: nothing written, nothing reloaded.
    runner.then(ScriptedRunner::reject());
    trigger(*w, QStringLiteral("Knotenanlegen2"));
    QCOMPARE(readBytes(m_menu), crlf(menu));
    QCOMPARE(field(*w, "Name"), QStringLiteral("e"));

    // Typed in full: the box stops at 255 characters.
    struct
    {
        QString title, label, text;
        int maxLength = 0;
        QStringList buttons;
    } seen;
    runner.then([&seen](QDialog &dialog) {
        auto *input = qobject_cast<QInputDialog *>(&dialog);
        auto *edit = input->findChild<QLineEdit *>();
        seen.title = input->windowTitle();
        seen.label = input->labelText();
        seen.text = edit->text();
        seen.maxLength = edit->maxLength();
        for (const QPushButton *b : input->findChildren<QPushButton *>())
            seen.buttons << b->text();
        QTest::keyClicks(edit, QString(300, QLatin1Char('x')));
        input->accept();
        return input->result();
    });
    trigger(*w, QStringLiteral("Knotenanlegen1"));
    QCOMPARE(seen.title, QStringLiteral("Neue Überschrift eingeben"));
    QCOMPARE(seen.label, QStringLiteral("Beschriftung:"));
    QCOMPARE(seen.text, QString());
    QCOMPARE(seen.maxLength, 255);
    seen.buttons.sort();
    QCOMPARE(seen.buttons, (QStringList{"Abbrechen", "OK"}));
    QCOMPARE(fileKeys(m_menu), keysOf(menu + node("B", QByteArray(255, 'x'))));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::createNodeStarCaptionRefused()
{
    // The launcher reads "Root=*" as no node: the caption is refused, nothing written.
    writeMenu(node("A", "eins"));
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::enterText(QStringLiteral("*")))
        .then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, QStringLiteral("Knotenanlegen1"));
    QCOMPARE(runner.shownTexts().last(),
             QStringLiteral("Einen Knoten mit der Beschriftung „*“ zeigt der Starter nicht."));
    QCOMPARE(readBytes(m_menu), crlf(node("A", "eins")));
    QCOMPARE(treeTexts(*w), QStringList{"eins"});
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::createEntry_data()
{
    QTest::addColumn<Lines>("menu");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("tree");

    const Lines head = node("A", "Werkzeuge");
    QTest::newRow("after 0 to 4") << head + entry(0, "a") + entry(1, "b") + entry(2, "c") +
                                         entry(3, "d") + entry(4, "e")
                                  << "5" << QStringList{"Werkzeuge", "  a", "  b",  "  c",
                                                        "  d",       "  e", "  neu"};
    // The hidden entry 3 shows again once the gap is filled.
    QTest::newRow("gap at 2") << head + entry(0, "a") + entry(1, "b") + entry(3, "d") << "2"
                              << QStringList{"Werkzeuge", "  a", "  b", "  d", "  neu"};
    QTest::newRow("entry whose path is *")
        << head + entry(0, "a") + Lines{"1b=Stern", "1d=*", "1p=", "1v=0", "1dc=0"} << "2"
        << QStringList{"Werkzeuge", "  a", "  neu", "  Stern"};
    QTest::newRow("entry without path") << head + entry(0, "a") + Lines{"1b=ohne", "1p=-x"} << "2"
                                        << QStringList{"Werkzeuge", "  a", "  neu", "  ohne"};
}

void TestStructureCommands::createEntry()
{
    QFETCH(Lines, menu);
    QFETCH(QString, id);
    QFETCH(QStringList, tree);
    writeMenu(menu + node("B", "Zusatz") + entry(0, "x"));
    auto w = start();
    clickItem(*w, QStringLiteral("Werkzeuge"));
    ScriptedRunner runner;
    trigger(*w, QStringLiteral("Eintraganlegen2"));

    // The panel shows an entry's fields at once, empty, with the focus in "Name".
    QCOMPARE(field(*w, "id"), id);
    QCOMPARE(field(*w, "section"), QStringLiteral("A"));
    QCOMPARE(field(*w, "Name"), QString());
    QVERIFY(w->findChild<QToolButton *>(QStringLiteral("btProgramm"))->isEnabled());
    QVERIFY(w->findChild<QToolButton *>(QStringLiteral("btTSC"))->isEnabled());
    QVERIFY(!shown(box(*w, "klappCheck")));
    QVERIFY(shown(box(*w, "encrypt")) && !box(*w, "encrypt")->isChecked());
    QVERIFY(shown(box(*w, "NichtSchliessen")));
    QCOMPARE(QApplication::focusWidget(), w->findChild<QLineEdit *>(QStringLiteral("Name")));
    QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title(),
             QStringLiteral("Bearbeiten [A|-]"));

    setField(*w, "Name", QStringLiteral("neu"));
    setField(*w, "pfad", QStringLiteral("neu.exe"));
    setField(*w, "param", QStringLiteral("-neu"));
    trigger(*w, QStringLiteral("Esave"));

    const QString n = QStringLiteral("A|") + id;
    QStringList expected = keysOf(menu + node("B", "Zusatz") + entry(0, "x"));
    expected << n + "b=neu" << n + "d=neu.exe" << n + "p=-neu" << n + "v=0" << n + "dc=0";
    expected.sort();
    QCOMPARE(fileKeys(m_menu), expected);
    QCOMPARE(treeTexts(*w), tree + QStringList({"Zusatz", "  x"}));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::createEntryAbandonedWritesNothing()
{
    const Lines menu = node("A", "eins") + entry(0, "a") + node("B", "zwei");
    writeMenu(menu);
    auto w = start();
    ScriptedRunner runner;

    // Refused while an entry is shown; the panel stays as it was.
    clickItem(*w, QStringLiteral("a"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, QStringLiteral("Eintraganlegen1"));
    QCOMPARE(runner.shownTexts(), QStringList{kChooseBranch});
    QCOMPARE(field(*w, "id"), QStringLiteral("0"));
    QCOMPARE(field(*w, "Name"), QStringLiteral("a"));

    clickItem(*w, QStringLiteral("eins"));
    trigger(*w, QStringLiteral("Eintraganlegen1"));
    QCOMPARE(field(*w, "id"), QStringLiteral("1"));
    setField(*w, "Name", QStringLiteral("verworfen"));
    QVERIFY(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title().endsWith(QLatin1String("*")));
    // Leaving the typed entry asks; "Verwerfen" writes nothing, "Abbrechen" keeps it shown.
    runner.then(ScriptedRunner::clickButton(QStringLiteral("Abbrechen")));
    clickItem(*w, QStringLiteral("zwei"));
    QCOMPARE(field(*w, "Name"), QStringLiteral("verworfen"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("Verwerfen")));
    clickItem(*w, QStringLiteral("zwei"));
    QCOMPARE(runner.shownTexts().last(), QStringLiteral("Änderungen an »verworfen« speichern?"));
    QCOMPARE(field(*w, "Name"), QStringLiteral("zwei"));
    trigger(*w, QStringLiteral("Eintraganlegen1"));
    w->LoadMenuFile(m_menu);
    QCOMPARE(readBytes(m_menu), crlf(menu));
    QCOMPARE(runner.unexpected(), 0);
}

// Leaving an edited item with "Speichern" stores it, then shows the item chosen.
void TestStructureCommands::leavingEditedItemSaves()
{
    writeMenu(node("A", "eins") + entry(0, "a") + node("B", "zwei"));
    auto w = start();
    clickItem(*w, QStringLiteral("a"));
    setField(*w, "param", QStringLiteral("-neu"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("Speichern")));
    QTest::keyClick(tree(*w), Qt::Key_Down);
    QVERIFY(readBytes(m_menu).contains("0p=-neu\r\n"));
    QCOMPARE(field(*w, "Name"), QStringLiteral("zwei"));
    QCOMPARE(runner.unexpected(), 0);
}

// Commands that show another item, or other fields, in place of unsaved edits ask first, as
// leaving the item does.
void TestStructureCommands::commandReplacingEditsAsks_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("name");          // the panel's "Name" afterwards
    QTest::addColumn<QByteArrayList>("stored"); // in the file afterwards
    QTest::addColumn<QByteArrayList>("absent");

    const QByteArrayList none;
    QTest::newRow("Knoten anlegen, Abbrechen")
        << "Knotenanlegen1"
        << "Abbrechen"
        << "umbenannt" << QByteArrayList{"0p=-x"} << QByteArrayList{"Root=drei", "umbenannt"};
    QTest::newRow("Knoten anlegen, Verwerfen")
        << "Knotenanlegen1"
        << "Verwerfen"
        << "drei" << QByteArrayList{"Root=drei"} << QByteArrayList{"umbenannt"};
    QTest::newRow("Eintrag anlegen, Abbrechen")
        << "Eintraganlegen1"
        << "Abbrechen"
        << "umbenannt" << none << QByteArrayList{"umbenannt"};
    QTest::newRow("Eintrag anlegen, Verwerfen") << "Eintraganlegen1"
                                                << "Verwerfen"
                                                << "" << none << QByteArrayList{"umbenannt"};
    QTest::newRow("Rückgängig, Abbrechen")
        << "Rueckgaengig1"
        << "Abbrechen"
        << "umbenannt" << QByteArrayList{"0p=-x"} << QByteArrayList{"umbenannt"};
    QTest::newRow("Rückgängig, Verwerfen") << "Rueckgaengig1"
                                           << "Verwerfen"
                                           << "a" << none << QByteArrayList{"0p=-x", "umbenannt"};
    QTest::newRow("Menü prüfen, Abbrechen") << "Menuepruefen1"
                                            << "Abbrechen"
                                            << "umbenannt" << none << QByteArrayList{"umbenannt"};
    QTest::newRow("Menü prüfen, Verwerfen") << "Menuepruefen1"
                                            << "Verwerfen"
                                            << "ohne" << none << QByteArrayList{"umbenannt"};
    // Saved on being asked, the edits are the newest step: the older one stays.
    QTest::newRow("Rückgängig, Speichern")
        << "Rueckgaengig1"
        << "Speichern"
        << "umbenannt" << QByteArrayList{"0p=-x", "Root=umbenannt"} << none;
}

void TestStructureCommands::commandReplacingEditsAsks()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, name);
    QFETCH(QByteArrayList, stored);
    QFETCH(QByteArrayList, absent);
    // "ohne" lacks its program: the menu check's only finding.
    writeMenu(node("A", "eins") + entry(0, "a") + node("B", "zwei") +
              Lines{"0b=ohne", "0p=", "0v=0", "0dc=0"});
    auto w = start();
    clickItem(*w, QStringLiteral("a"));
    setField(*w, "param", QStringLiteral("-x"));
    w->EsaveClick(); // a step to undo
    clickItem(*w, QStringLiteral("eins"));
    setField(*w, "Name", QStringLiteral("umbenannt"));

    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(answer));
    if (action == QLatin1String("Knotenanlegen1") && answer != QLatin1String("Abbrechen"))
        runner.then(ScriptedRunner::enterText(QStringLiteral("drei")));
    trigger(*w, action);
    if (auto *check = w->findChild<MenuCheckDialog *>())
        check->choose(0);
    QCOMPARE(runner.shownTexts().value(0), QStringLiteral("Änderungen an »eins« speichern?"));
    QCOMPARE(field(*w, "Name"), name);
    const QByteArray file = readBytes(m_menu);
    for (const QByteArray &text : stored)
        QVERIFY2(file.contains(text), text.constData());
    for (const QByteArray &text : absent)
        QVERIFY2(!file.contains(text), text.constData());
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::deleteEntry_data()
{
    QTest::addColumn<Lines>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Lines>("after");
    QTest::addColumn<QStringList>("tree");

    const Lines head = node("A", "Werkzeuge");
    const Lines other = node("B", "Rest") + entry(0, "r");
    const Lines four = entry(0, "a") + entry(1, "b") + entry(2, "c") + entry(3, "d");
    QTest::newRow("middle of four: the last fills the hole")
        << head + four + other << "b"
        << head + entry(0, "a") + entry(1, "d") + entry(2, "c") + other
        << QStringList{"Rest", "  r", "Werkzeuge", "  a", "  c", "  d"};
    QTest::newRow("last of four") << head + four + other << "d"
                                  << head + entry(0, "a") + entry(1, "b") + entry(2, "c") + other
                                  << QStringList{"Rest", "  r", "Werkzeuge", "  a", "  b", "  c"};
    QTest::newRow("only entry") << head + entry(0, "a") + other << "a" << head + other
                                << QStringList{"Rest", "  r", "Werkzeuge"};
    QTest::newRow("scrambled last entry moves as stored")
        << head + entry(0, "a") + Lines{"1b=geheim", "1d=g.exe", "1p=6k", "1v=1", "1dc=1"} + other
        << "a" << head + Lines{"0b=geheim", "0d=g.exe", "0p=6k", "0v=1", "0dc=1"} + other
        << QStringList{"Rest", "  r", "Werkzeuge", "  geheim"};
    // A path of "*" is a stored value like any other: the run goes on past it.
    QTest::newRow("entry whose path is * stays visible")
        << head + entry(0, "a") + entry(1, "b") +
               Lines{"2b=Stern", "2d=*", "2p=", "2v=0", "2dc=0"} + entry(3, "d") + other
        << "a"
        << head + entry(0, "d") + entry(1, "b") +
               Lines{"2b=Stern", "2d=*", "2p=", "2v=0", "2dc=0"} + other
        << QStringList{"Rest", "  r", "Werkzeuge", "  b", "  d", "  Stern"};
    // A last entry without some keys arrives without them; nothing is invented.
    QTest::newRow("last entry lacks keys")
        << head + entry(0, "a") + entry(1, "b") + Lines{"2b=knapp", "2dc=1"} + other << "a"
        << head + Lines{"0b=knapp", "0dc=1"} + entry(1, "b") + other
        << QStringList{"Rest", "  r", "Werkzeuge", "  b", "  knapp"};
    QTest::newRow("entries behind a gap stay where they are")
        << head + entry(0, "a") + entry(1, "b") + entry(3, "d") + other << "a"
        << head + entry(0, "b") + entry(3, "d") + other
        << QStringList{"Rest", "  r", "Werkzeuge", "  b"};
}

void TestStructureCommands::deleteEntry()
{
    QFETCH(Lines, menu);
    QFETCH(QString, caption);
    QFETCH(Lines, after);
    QFETCH(QStringList, tree);
    writeMenu(menu);
    auto w = start();
    clickItem(*w, caption);
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("btdelete"));
    QCOMPARE(runner.shownTexts(),
             QStringList{
                 QStringLiteral("Wollen Sie wirklich den Eintrag >> %1 << löschen?").arg(caption)});
    QCOMPARE(fileKeys(m_menu), keysOf(after));
    QCOMPARE(treeTexts(*w), tree);
    // The reload shows the first node, whatever was deleted.
    QCOMPARE(field(*w, "id"), QStringLiteral("-"));
    QCOMPARE(field(*w, "Name"), tree.first());
}

void TestStructureCommands::deleteNode_data()
{
    QTest::addColumn<Lines>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Lines>("after");
    QTest::addColumn<int>("nodesShown");

    const Lines config = {"[Config]", "Title=Men\xfc", "width=200"};
    const Lines a = node("A", "eins") + entry(0, "a");
    const Lines c = node("C", "drei") + entry(0, "c");
    // Keys the editor never writes go along too, values with "=" and empty ones included.
    const Lines dKeys = Lines{"Root=vier", "expand=1"} + entry(0, "x") + entry(1, "y", true) +
                        Lines{"fremd=a=b", "leer=", "0p2=*"};
    QTest::newRow("B of A to D: D moves into the hole")
        << config + a + node("B", "zwei") + entry(0, "b") + entry(1, "bb") + c + Lines{"[D]"} +
               dKeys
        << "zwei" << config + a + Lines{"[B]"} + dKeys + c << 3;
    QTest::newRow("last node: nothing moves")
        << config + a + node("B", "zwei") + entry(0, "b") << "zwei" << config + a << 1;
    // A section without "Root" belongs to the run all the same.
    QTest::newRow("section without Root after the last node is moved")
        << a + node("B", "zwei") + Lines{"[C]", "0b=lose", "0d=l.exe"} << "eins"
        << Lines{"[A]", "0b=lose", "0d=l.exe"} + node("B", "zwei") << 0;
    QTest::newRow("run past Z") << fullMenu() << "Knoten A"
                                << node("A", "Knoten \\") + fullMenu().mid(2, 2 * 26) << 27;
    QTest::newRow("sections after a gap stay")
        << a + node("B", "zwei") + node("D", "vier") << "eins"
        << node("A", "zwei") + node("D", "vier") << 1;
}

void TestStructureCommands::deleteNode()
{
    QFETCH(Lines, menu);
    QFETCH(QString, caption);
    QFETCH(Lines, after);
    QFETCH(int, nodesShown);
    writeMenu(menu);
    auto w = start();
    clickItem(*w, caption);
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("Lschen1"));
    QCOMPARE(runner.shownTexts(),
             QStringList{QStringLiteral("Sind Sie sicher, dass Sie den Knoten >> %1 << inklusive "
                                        "aller Untereinträge löschen wollen?")
                             .arg(caption)});
    QCOMPARE(fileKeys(m_menu), keysOf(after));
    QCOMPARE(tree(*w)->topLevelItemCount(), nodesShown);
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::deleteQuestion_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("answer"); // empty: Esc
    QTest::addColumn<QString>("question");

    // The question names the panel's caption, unsaved changes included.
    const QString nodeQuestion =
        QStringLiteral("Sind Sie sicher, dass Sie den Knoten >> Büro! << inklusive aller "
                       "Untereinträge löschen wollen?");
    const QString entryQuestion =
        QStringLiteral("Wollen Sie wirklich den Eintrag >> Post! << löschen?");
    QTest::newRow("node, Nein") << "Büro"
                                << "&Nein" << nodeQuestion;
    QTest::newRow("node, Esc") << "Büro"
                               << "" << nodeQuestion;
    QTest::newRow("entry, Nein") << "Post"
                                 << "&Nein" << entryQuestion;
    QTest::newRow("entry, Esc") << "Post"
                                << "" << entryQuestion;
}

void TestStructureCommands::deleteQuestion()
{
    QFETCH(QString, caption);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    const Lines menu = node("A", "B\xfcro") + entry(0, "Post") + node("B", "Rest");
    writeMenu(menu);
    auto w = start();
    clickItem(*w, caption);
    setField(*w, "Name", caption + QLatin1Char('!'));
    ScriptedRunner runner;
    BoxSeen seen;
    runner.then(recordBox(seen, answer));
    trigger(*w, QStringLiteral("btdelete"));
    QCOMPARE(seen.title, QStringLiteral("Bestätigung"));
    QCOMPARE(seen.text, question);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons, (QStringList{"&Ja", "&Nein"}));
    QCOMPARE(seen.defaultButton, QStringLiteral("&Ja"));
    QCOMPARE(seen.escapeButton, QStringLiteral("&Nein"));
    QCOMPARE(readBytes(m_menu), crlf(menu));
    // Nothing reloaded: the panel still shows the item.
    QCOMPARE(field(*w, "Name"), caption + QLatin1Char('!'));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::deleteLastNodeThenCommandsWriteNothing_data()
{
    QTest::addColumn<QString>("action");
    for (const char *action :
         {"btdelete", "btmove", "ToolButton7", "ToolButton4", "Eintraganlegen1", "Esave"})
        QTest::newRow(action) << QString::fromLatin1(action);
}

void TestStructureCommands::deleteLastNodeThenCommandsWriteNothing()
{
    QFETCH(QString, action);
    writeMenu(Lines{"[Config]", "width=120"} + node("A", "einzig") + entry(0, "e"));
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("btdelete"));
    // An empty menu is no error.
    QCOMPARE(runner.shown().size(), size_t(1));
    QVERIFY(treeTexts(*w).isEmpty());
    const QByteArray empty = readBytes(m_menu);
    QCOMPARE(keysOf(empty), keysOf(Lines{"[Config]", "width=120"}));

    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, action);
    QCOMPARE(runner.shown().size(), size_t(2));
    QCOMPARE(runner.shown().back().text, kChooseBranch);
    QCOMPARE(runner.shown().back().title, kTitle);
    QCOMPARE(readBytes(m_menu), empty);
    QVERIFY(!w->verschiebenAktiv());
    QCOMPARE(folderSnapshot(m_data).keys(), QStringList{"tarvik.ini"});
    QCOMPARE(runner.unexpected(), 0);
}
namespace {

// Entry d of the move tests as stored: scrambled ("-d" XOR 0x1B), kept open.
Lines storedD(int n)
{
    const QByteArray i = QByteArray::number(n);
    return {i + "b=d", i + "d=d.exe", i + "p=6\x7f", i + "v=1", i + "dc=1"};
}

Lines moveMenu()
{
    return node("A", "Quelle") + entry(0, "a") + entry(1, "b") + entry(2, "c") + storedD(3) +
           node("B", "Ziel") + entry(0, "z");
}

} // namespace

void TestStructureCommands::moveEntry_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("typed"); // caption typed before the first click, or empty
    QTest::addColumn<Lines>("after");

    const Lines a = node("A", "Quelle");
    const Lines b = node("B", "Ziel") + entry(0, "z");
    QTest::newRow("to another node")
        << "b"
        << "Ziel"
        << "" << a + entry(0, "a") + storedD(1) + entry(2, "c") + b + entry(1, "b");
    // The copy keeps every stored key: still scrambled, still kept open.
    QTest::newRow("scrambled, kept-open entry")
        << "d"
        << "Ziel"
        << "" << a + entry(0, "a") + entry(1, "b") + entry(2, "c") + b + storedD(1);
    // The copy goes to the end of the node, and the delete brings it back into the hole.
    QTest::newRow("into its own node") << "b"
                                       << "Quelle"
                                       << "" << moveMenu();
    QTest::newRow("scrambled entry into its own node") << "d"
                                                       << "Quelle"
                                                       << "" << moveMenu();
    QTest::newRow("typed changes travel")
        << "a"
        << "Ziel"
        << "a2"
        << a + storedD(0) + entry(1, "b") + entry(2, "c") + b +
               Lines{"1b=a2", "1d=a.exe", "1p=-a", "1v=0", "1dc=0"};
}

void TestStructureCommands::moveEntry()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, typed);
    QFETCH(Lines, after);
    writeMenu(moveMenu());
    auto w = start();
    clickItem(*w, source);
    if (!typed.isEmpty())
        setField(*w, "Name", typed);
    ScriptedRunner runner;
    clickMove(*w);
    QVERIFY(w->verschiebenAktiv());
    clickItem(*w, target);
    clickMove(*w);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!moveButton(*w)->isChecked());
    QCOMPARE(w->statusText(), QString());
    QCOMPARE(fileKeys(m_menu), keysOf(after));
    // The moved entry is shown where it now stands.
    QVERIFY(field(*w, "id") != QStringLiteral("-"));
    QCOMPARE(field(*w, "Name"), typed.isEmpty() ? source : typed);
}

void TestStructureCommands::movePendingState()
{
    writeMenu(moveMenu());
    auto w = start();
    QToolButton *button = moveButton(*w);
    const QImage idle = imageOf(QIcon(QStringLiteral(":/icons/move.svg")));
    const QImage pending = imageOf(QIcon(QStringLiteral(":/icons/move-pending.svg")));
    QVERIFY(idle != pending);
    QCOMPARE(imageOf(button->icon()), idle);
    ScriptedRunner runner;

    // A node cannot be moved; the button stays up.
    BoxSeen seen;
    runner.then(recordBox(seen, QStringLiteral("OK")));
    clickMove(*w);
    QCOMPARE(seen.text, QStringLiteral("Knoten können nicht verschoben werden!"));
    QCOMPARE(seen.title, kTitle);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!button->isChecked());
    QCOMPARE(imageOf(button->icon()), idle);

    clickItem(*w, QStringLiteral("b"));
    clickMove(*w);
    auto expectPending = [&] {
        QVERIFY(w->verschiebenAktiv());
        QVERIFY(button->isChecked());
        QCOMPARE(imageOf(button->icon()), pending);
        QCOMPARE(w->statusText(), kMovePrompt);
        QCOMPARE(readBytes(m_menu), crlf(moveMenu()));
    };
    expectPending();

    // A second click while an entry is shown, the moved one included, is refused and changes
    // nothing: the move stays pending.
    for (const char *caption : {"z", "b"}) {
        clickItem(*w, QLatin1String(caption));
        runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
        clickMove(*w);
        QCOMPARE(runner.shown().back().text, kChooseBranch);
        expectPending();
    }
    // Clicking around in the tree keeps it pending too.
    clickItem(*w, QStringLiteral("Quelle"));
    clickItem(*w, QStringLiteral("c"));
    expectPending();

    clickItem(*w, QStringLiteral("Ziel"));
    clickMove(*w);
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!button->isChecked());
    QCOMPARE(imageOf(button->icon()), idle);
    QCOMPARE(w->statusText(), QString());
    QCOMPARE(treeTexts(*w), (QStringList{"Quelle", "  a", "  c", "  d", "Ziel", "  b", "  z"}));
    QCOMPARE(runner.shown().size(), size_t(3));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::moveAcrossSublists()
{
    writeMenu(moveMenu());
    const Lines kasse = node("A", "Kasse") + entry(0, "k0") + entry(1, "k1");
    const QString kassePath = writeMenu(kasse, QStringLiteral("tarvik.Kasse"));
    auto w = start();
    clickItem(*w, QStringLiteral("b"));
    ScriptedRunner runner;
    clickMove(*w);

    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    const int index = list->findText(QStringLiteral("tarvik.Kasse"));
    QVERIFY(index >= 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    QCOMPARE(w->aktDatei(), kassePath);
    QVERIFY(w->verschiebenAktiv());

    clickItem(*w, QStringLiteral("Kasse"));
    clickMove(*w);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(!w->verschiebenAktiv());
    // The copy lands in the file now loaded, the source goes from its own file.
    QCOMPARE(fileKeys(kassePath), keysOf(kasse + entry(2, "b")));
    QCOMPARE(fileKeys(m_menu), keysOf(node("A", "Quelle") + entry(0, "a") + storedD(1) +
                                      entry(2, "c") + node("B", "Ziel") + entry(0, "z")));
    QCOMPARE(w->aktDatei(), kassePath);
    QCOMPARE(treeTexts(*w), (QStringList{"Kasse", "  b", "  k0", "  k1"}));
}

void TestStructureCommands::moveSourceChanged_data()
{
    // What happens between the two clicks.
    QTest::addColumn<QString>("change");

    QTest::newRow("source saved with another caption") << "save";
    QTest::newRow("source deleted, the last entry took its place") << "delete";
    QTest::newRow("source deleted as the last entry") << "delete last";
    QTest::newRow("file changed by another program") << "external";
    QTest::newRow("file removed, target in a sub-list") << "removed";
}

void TestStructureCommands::moveSourceChanged()
{
    QFETCH(QString, change);
    writeMenu(moveMenu());
    const QString kassePath =
        writeMenu(node("A", "Kasse") + entry(0, "k0"), QStringLiteral("tarvik.Kasse"));
    auto w = start();
    const QString source =
        change == QLatin1String("delete last") ? QStringLiteral("d") : QStringLiteral("b");
    clickItem(*w, source);
    ScriptedRunner runner;
    clickMove(*w);
    QVERIFY(w->verschiebenAktiv());

    QString target = QStringLiteral("Ziel");
    if (change == QLatin1String("save")) {
        clickItem(*w, source);
        setField(*w, "Name", QStringLiteral("b neu"));
        trigger(*w, QStringLiteral("Esave"));
    } else if (change.startsWith(QLatin1String("delete"))) {
        // While a move is pending the delete asks nothing.
        clickItem(*w, source);
        trigger(*w, QStringLiteral("btdelete"));
        QCOMPARE(runner.shown().size(), size_t(0));
    } else if (change == QLatin1String("external")) {
        // Same caption, another program: not the entry that was picked.
        writeBytes(m_menu, crlf(node("A", "Quelle") + entry(0, "a") +
                                Lines{"1b=b", "1d=anders.exe", "1p=-b", "1v=0", "1dc=0"} +
                                entry(2, "c") + storedD(3) + node("B", "Ziel") + entry(0, "z")));
        w->LoadMenuFile(m_menu);
    } else if (change == QLatin1String("removed")) {
        auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
        const int index = list->findText(QStringLiteral("tarvik.Kasse"));
        list->setCurrentIndex(index);
        emit list->activated(index);
        QVERIFY(QFile::remove(m_menu));
        target = QStringLiteral("Kasse");
    }
    QVERIFY(w->verschiebenAktiv());
    clickItem(*w, target);
    const QMap<QString, QByteArray> before = folderSnapshot(m_data);

    BoxSeen seen;
    runner.then(recordBox(seen, QStringLiteral("OK")));
    clickMove(*w);
    QCOMPARE(seen.title, kTitle);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QVERIFY(!seen.text.isEmpty());
    QCOMPARE(folderSnapshot(m_data), before);
    // The move is over.
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!moveButton(*w)->isChecked());
    QCOMPARE(w->statusText(), QString());
    QVERIFY(QFileInfo::exists(kassePath));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::deleteWhileMovePendingAsksNothing()
{
    writeMenu(moveMenu());
    auto w = start();
    clickItem(*w, QStringLiteral("b"));
    ScriptedRunner runner;
    clickMove(*w);
    clickItem(*w, QStringLiteral("Ziel"));
    trigger(*w, QStringLiteral("btdelete"));
    QCOMPARE(runner.shown().size(), size_t(0));
    QCOMPARE(fileKeys(m_menu), keysOf(node("A", "Quelle") + entry(0, "a") + entry(1, "b") +
                                      entry(2, "c") + storedD(3)));
    // The source still stands, so the move can go on into another node.
    clickItem(*w, QStringLiteral("Quelle"));
    clickMove(*w);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(!w->verschiebenAktiv());
    QCOMPARE(fileKeys(m_menu), keysOf(node("A", "Quelle") + entry(0, "a") + entry(1, "b") +
                                      entry(2, "c") + storedD(3)));
}

void TestStructureCommands::duplicateEntry()
{
    // Mail is scrambled and kept open; entry 1 has the path "*", entry 2 no path at all.
    const Lines menu = node("A", "Post") + Lines{"0b=Mail", "0d=m.exe", "0p=6c", "0v=1", "0dc=1"} +
                       Lines{"1b=Stern", "1d=*", "1p=", "1v=0", "1dc=0"} + Lines{"2b=ohne"};
    writeMenu(menu);
    auto w = start();
    ScriptedRunner runner;
    clickItem(*w, QStringLiteral("Mail"));
    trigger(*w, QStringLiteral("ToolButton7"));
    // The copy goes to the first index that holds no key at all, with the flags as shown.
    QCOMPARE(fileKeys(m_menu),
             keysOf(menu + Lines{"3b=_Mail", "3d=m.exe", "3p=6c", "3v=1", "3dc=1"}));

    clickItem(*w, QStringLiteral("_Mail"));
    // Changes typed into the panel reach the copy only.
    setField(*w, "param", QStringLiteral("-y"));
    box(*w, "encrypt")->setChecked(false);
    box(*w, "NichtSchliessen")->setChecked(false);
    trigger(*w, QStringLiteral("ToolButton7"));
    QCOMPARE(fileKeys(m_menu),
             keysOf(menu + Lines{"3b=_Mail", "3d=m.exe", "3p=6c", "3v=1", "3dc=1"} +
                    Lines{"4b=__Mail", "4d=m.exe", "4p=-y", "4v=0", "4dc=0"}));
    QCOMPARE(treeTexts(*w),
             (QStringList{"Post", "  __Mail", "  _Mail", "  Mail", "  ohne", "  Stern"}));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::refusedOnWrongItem_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");

    QTest::newRow("duplicate a node") << "ToolButton7"
                                      << "Post"
                                      << "Wählen Sie erst einen Eintrag zum Duplizieren aus!";
    QTest::newRow("export an entry") << "ToolButton4"
                                     << "Mail" << kChooseBranch;
}

void TestStructureCommands::refusedOnWrongItem()
{
    QFETCH(QString, action);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    const Lines menu = node("A", "Post") + entry(0, "Mail");
    writeMenu(menu);
    auto w = start();
    clickItem(*w, caption);
    ScriptedRunner runner;
    BoxSeen seen;
    runner.then(recordBox(seen, QStringLiteral("OK")));
    trigger(*w, action);
    QCOMPARE(seen.text, message);
    QCOMPARE(seen.title, kTitle);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(folderSnapshot(m_data).keys(), QStringList{"tarvik.ini"});
    QCOMPARE(readBytes(m_menu), crlf(menu));
    QCOMPARE(field(*w, "Name"), caption);
}

void TestStructureCommands::exportNaming_data()
{
    QTest::addColumn<QString>("menuFile"); // relative to the temporary folder
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<QString>("exported");

    QTest::newRow("blanks removed")
        << "prog/daten/tarvik.ini" << QByteArray("Meine Tools") << "prog/daten/tarvik.MeineTools";
    QTest::newRow("several blanks")
        << "prog/daten/tarvik.ini" << QByteArray("a  b c") << "prog/daten/tarvik.abc";
    QTest::newRow("empty caption")
        << "prog/daten/tarvik.ini" << QByteArray() << "prog/daten/tarvik.";
    QTest::newRow("umlauts") << "prog/daten/tarvik.ini" << QByteArray("B\xfcro")
                             << "prog/daten/tarvik.Büro";
    QTest::newRow("from a sub-list")
        << "prog/daten/tarvik.Kasse" << QByteArray("Technik") << "prog/daten/tarvik.Technik";
    QTest::newRow("menu file without extension, dotted folder")
        << "ord.ner/liste" << QByteArray("X") << "ord.ner/liste.X";
}

void TestStructureCommands::exportNaming()
{
    QFETCH(QString, menuFile);
    QFETCH(QByteArray, caption);
    QFETCH(QString, exported);
    const QString path = m_dir->path() + QLatin1Char('/') + menuFile;
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    const Lines rest = node("B", "Rest") + entry(0, "r");
    writeBytes(path, crlf(Lines{"[Config]", "width=160"} + node("A", caption) + Lines{"expand=1"} +
                          entry(0, "e") + rest));
    auto w = start({path});
    QCOMPARE(w->aktDatei(), path);
    clickItem(*w, cp1252::toUnicode(caption));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(runner.shown().size(), size_t(1));

    const QString target = m_dir->path() + QLatin1Char('/') + exported;
    QCOMPARE(fileKeys(target), keysOf(node("A", caption) + Lines{"expand=1"} + entry(0, "e")));
    // The node moved out; the rest of the menu file is as it was.
    QCOMPARE(fileKeys(path),
             keysOf(Lines{"[Config]", "width=160"} + Lines{"[A]", "Root=Rest"} + entry(0, "r")));
    QCOMPARE(treeTexts(*w), (QStringList{"Rest", "  r"}));
    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    QVERIFY(list->findText(QFileInfo(target).fileName()) >= 0);
}

void TestStructureCommands::exportCopiesEveryEntry()
{
    // Entries the editor would not write: a path of "*", keys missing, one behind a gap. Each
    // reaches the sub-list with exactly the keys it has; nothing is left behind or invented.
    const Lines entries = entry(0, "a") + Lines{"1b=Stern", "1d=*", "1p=*", "1v=0", "1dc=0"} +
                          Lines{"2b=geheim", "2d=g.exe", "2p=6k", "2v=1", "2dc=1"} +
                          Lines{"3d=ohne.exe", "3v=0"} + Lines{"4b=nur Name"} + entry(6, "hinten");
    writeMenu(node("A", "Neu") + node("B", "Meine Tools") + Lines{"expand=0"} + entries);
    auto w = start();
    clickItem(*w, QStringLiteral("Meine Tools"));
    // The panel's caption and box go to the sub-list, unsaved as they are.
    box(*w, "klappCheck")->setChecked(true);
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(fileKeys(m_data + QStringLiteral("/tarvik.MeineTools")),
             keysOf(node("A", "Meine Tools") + Lines{"expand=1"} + entries));
    QCOMPARE(fileKeys(m_menu), keysOf(node("A", "Neu")));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::exportAnsweredNoActsAsCopy()
{
    const Lines menu = node("A", "Meine Tools") + entry(0, "e") + node("B", "Rest");
    writeMenu(menu);
    auto w = start();
    clickItem(*w, QStringLiteral("Meine Tools"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Nein")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(runner.shownTexts(),
             QStringList{"Sind Sie sicher, dass Sie den Knoten >> Meine Tools << inklusive aller "
                         "Untereinträge löschen wollen?"});
    QCOMPARE(fileKeys(m_data + QStringLiteral("/tarvik.MeineTools")),
             keysOf(node("A", "Meine Tools") + Lines{"expand=0"} + entry(0, "e")));
    QCOMPARE(readBytes(m_menu), crlf(menu));
    // The node stays, and the new file is listed at once.
    QCOMPARE(treeTexts(*w), (QStringList{"Meine Tools", "  e", "Rest"}));
    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    QVERIFY(list->findText(QStringLiteral("tarvik.MeineTools")) >= 0);
    clickItem(*w, QStringLiteral("Meine Tools"));

    // A second export of the same node finds its file and leaves it alone.
    const QByteArray exported = readBytes(m_data + QStringLiteral("/tarvik.MeineTools"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(readBytes(m_data + QStringLiteral("/tarvik.MeineTools")), exported);
    QCOMPARE(readBytes(m_menu), crlf(menu));
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::exportRefused_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("existing"); // a file already in the data folder, or empty
    QTest::addColumn<QString>("named");    // what the message must name, or empty

    QTest::newRow("target exists") << "Kasse"
                                   << "tarvik.Kasse"
                                   << "tarvik.Kasse";
    QTest::newRow("target exists in other letter case") << "Kasse"
                                                        << "tarvik.KASSE"
                                                        << "tarvik.KASSE";
    QTest::newRow("the menu file itself") << "ini"
                                          << ""
                                          << "tarvik.ini";
    QTest::newRow("the menu file itself, blanks and case") << "I n I"
                                                           << ""
                                                           << "tarvik.ini";
    QTest::newRow("slash") << "Büro/Alt"
                           << ""
                           << "";
    QTest::newRow("backslash") << "..\\x"
                               << ""
                               << "";
    QTest::newRow("two dots") << "..x"
                              << ""
                              << "";
    QTest::newRow("colon") << "C:x"
                           << ""
                           << "";
    QTest::newRow("question mark") << "Wer?"
                                   << ""
                                   << "";
    QTest::newRow("star") << "*"
                          << ""
                          << "";
    QTest::newRow("pipe and angle brackets") << "a|<b>"
                                             << ""
                                             << "";
    QTest::newRow("double quote") << "\"x\""
                                  << ""
                                  << "";
    QTest::newRow("tab") << "a\tb"
                         << ""
                         << "";
}

void TestStructureCommands::exportRefused()
{
    QFETCH(QString, caption);
    QFETCH(QString, existing);
    QFETCH(QString, named);
    const Lines menu = node("A", "Andere") + node("B", "Platzhalter") + entry(0, "e");
    writeMenu(menu);
    if (!existing.isEmpty())
        writeMenu(node("A", "Kasse") + entry(0, "k"), existing);
    auto w = start();
    clickItem(*w, QStringLiteral("Platzhalter"));
    setField(*w, "Name", caption);
    const QMap<QString, QByteArray> before = folderSnapshot(m_data);
    ScriptedRunner runner;
    BoxSeen seen;
    runner.then(recordBox(seen, QStringLiteral("OK")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(seen.title, kTitle);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    if (!named.isEmpty())
        QVERIFY2(seen.text.contains(named), qPrintable(seen.text));
    QCOMPARE(folderSnapshot(m_data), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"prog"});
    QCOMPARE(field(*w, "Name"), caption);
    QCOMPARE(runner.unexpected(), 0);
}

void TestStructureCommands::exportWriteFailureLeavesNoFile()
{
    // A caption the menu file cannot hold (no Windows-1252 form): the first write fails.
    const Lines menu = node("A", "Andere") + node("B", "Haken") + entry(0, "e");
    writeMenu(menu);
    auto w = start();
    clickItem(*w, QStringLiteral("Haken"));
    setField(*w, "Name", QStringLiteral("Haken \u2713"));
    ScriptedRunner runner;
    BoxSeen seen;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    runner.then(recordBox(seen, QStringLiteral("OK")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(folderSnapshot(m_data).keys(), QStringList{"tarvik.ini"});
    QCOMPARE(readBytes(m_menu), crlf(menu));

    // Nothing is left behind that would block the next try.
    setField(*w, "Name", QStringLiteral("Haken"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("ToolButton4"));
    QCOMPARE(fileKeys(m_data + QStringLiteral("/tarvik.Haken")),
             keysOf(node("A", "Haken") + Lines{"expand=0"} + entry(0, "e")));
    QCOMPARE(fileKeys(m_menu), keysOf(node("A", "Andere")));
    QCOMPARE(runner.unexpected(), 0);
}

// The history's actions name the step and are enabled only when there is one; undo brings the
// file back byte for byte, redo does the step again, and an outside change of the same entry makes
// undo refuse without writing.
void TestStructureCommands::undoAndRedoActions()
{
    const Lines menu = node("A", "Büro") + entry(0, "Mail") + entry(1, "Word");
    writeMenu(menu);
    auto w = start();
    auto *undo = w->findChild<QAction *>(QStringLiteral("Rueckgaengig1"));
    auto *redo = w->findChild<QAction *>(QStringLiteral("Wiederholen1"));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Rückgängig"));

    clickItem(*w, QStringLiteral("Mail"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, QStringLiteral("btdelete"));
    const QByteArray deleted = readBytes(m_menu);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Rückgängig: Löschen von »Mail«"));
    QCOMPARE(undo->shortcut(), QKeySequence(QKeySequence::Undo));

    undo->trigger();
    QCOMPARE(readBytes(m_menu), crlf(menu));
    QVERIFY(!undo->isEnabled() && redo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("&Wiederholen: Löschen von »Mail«"));
    redo->trigger();
    QCOMPARE(readBytes(m_menu), deleted);

    // Another program changes the entry that took Mail's place: undo writes nothing.
    const QByteArray outside = QByteArray(deleted).replace("0b=Word", "0b=Anders");
    writeBytes(m_menu, outside);
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    undo->trigger();
    QCOMPARE(readBytes(m_menu), outside);
    QVERIFY(runner.shownTexts().last().contains(QStringLiteral("Anders")) ||
            runner.shownTexts().last().contains(QStringLiteral("geändert")));
    QVERIFY(undo->isEnabled());
    QCOMPARE(runner.unexpected(), 0);
}

// Undo shows the file and item the step was started from, redo what the step showed: never a
// file the step removed, and never a note of a state that is over.
void TestStructureCommands::undoShowsWhereTheStepStarted_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("done"); // file, item in tree and panel, note
    QTest::addColumn<QString>("undone");

    QTest::newRow("export") << "export"
                            << "tarvik.ini Rest Rest "
                            << "tarvik.ini Büro Büro ";
    QTest::newRow("export as a copy") << "export as a copy"
                                      << "tarvik.ini Büro Büro "
                                      << "tarvik.ini Büro Büro ";
    QTest::newRow("move into a sub-list") << "move"
                                          << "tarvik.Kasse Mail Mail "
                                          << "tarvik.ini Mail Mail ";
}

void TestStructureCommands::undoShowsWhereTheStepStarted()
{
    QFETCH(QString, command);
    QFETCH(QString, done);
    QFETCH(QString, undone);
    writeMenu(node("A", "B\xfcro") + entry(0, "Mail") + node("B", "Rest"));
    writeMenu(node("A", "Kasse"), QStringLiteral("tarvik.Kasse"));
    const QMap<QString, QByteArray> before = folderSnapshot(m_data);
    auto w = start();
    auto shownNow = [&w] {
        return QStringList{QFileInfo(w->aktDatei()).fileName(), tree(*w)->currentItem()->text(0),
                           field(*w, "Name"), w->statusText()}
            .join(QLatin1Char(' '));
    };
    ScriptedRunner runner;
    if (command == QLatin1String("move")) {
        clickItem(*w, QStringLiteral("Mail"));
        trigger(*w, QStringLiteral("btmove"));
        auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
        const int index = list->findText(QStringLiteral("tarvik.Kasse"));
        list->setCurrentIndex(index);
        emit list->activated(index);
        clickItem(*w, QStringLiteral("Kasse"));
        trigger(*w, QStringLiteral("btmove"));
    } else {
        clickItem(*w, QStringLiteral("Büro"));
        runner.then(ScriptedRunner::clickButton(
            command == QLatin1String("export") ? QStringLiteral("&Ja") : QStringLiteral("&Nein")));
        trigger(*w, QStringLiteral("ToolButton4"));
    }
    const QMap<QString, QByteArray> after = folderSnapshot(m_data);
    QCOMPARE(shownNow(), done);

    trigger(*w, QStringLiteral("Rueckgaengig1"));
    QCOMPARE(folderSnapshot(m_data), before);
    QCOMPARE(shownNow(), undone);
    trigger(*w, QStringLiteral("Wiederholen1"));
    QCOMPARE(folderSnapshot(m_data), after);
    QCOMPARE(shownNow(), done);
    QCOMPARE(runner.unexpected(), 0);
}

// Another program changes the file while the editor shows an entry: the tree follows at once,
// typed edits stay in the panel, and a save writes nothing over a changed entry.
void TestStructureCommands::outsideChangeWhileEditing_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("saved");
    QTest::newRow("the shown entry's caption")
        << QByteArray("1b=Word") << QByteArray("1b=Neu") << false;
    QTest::newRow("another entry") << QByteArray("0b=Mail") << QByteArray("0b=Post") << true;
}
void TestStructureCommands::outsideChangeWhileEditing()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, saved);
    writeMenu(node("A", "Büro") + entry(0, "Mail") + entry(1, "Word"));
    auto w = start();
    clickItem(*w, QStringLiteral("Word"));
    setField(*w, "param", QStringLiteral("-neu"));
    QTest::qWait(20); // a different modification time
    const QByteArray outside = readBytes(m_menu).replace(from, to);
    writeBytes(m_menu, outside);
    QTRY_VERIFY(treeTexts(*w).contains(QStringLiteral("  ") + QString::fromLatin1(to.mid(3))));
    QCOMPARE(field(*w, "param"), QStringLiteral("-neu"));

    ScriptedRunner runner;
    if (!saved)
        runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, QStringLiteral("Esave"));
    if (saved) {
        QCOMPARE(readBytes(m_menu), QByteArray(outside).replace("1p=-Word", "1p=-neu"));
    } else {
        QCOMPARE(readBytes(m_menu), outside);
        QVERIFY(runner.shownTexts().first().contains(QStringLiteral("außerhalb des Editors")));
    }
    QCOMPARE(runner.unexpected(), 0);
}

QTEST_MAIN(TestStructureCommands)
#include "tst_structurecommands.moc"
