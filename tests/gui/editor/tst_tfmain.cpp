// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "gui/editor/tfmain.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "windowprobe.h"

using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;
using windowprobe::box;
using windowprobe::clickItem;
using windowprobe::field;
using windowprobe::panel;
using windowprobe::setField;
using windowprobe::treeTexts;
using windowprobe::trigger;

namespace {

const QString kChooseBranch = QStringLiteral("Wählen Sie erst einen Zweig aus!");

// The sample used by most cases: two nodes in file order B-before-A by caption, one scrambled
// entry. "Zubehör" (A) sorts after "Büro" (B).
QByteArray smallMenu()
{
    return crlf({"[Config]",
                 "Width=180",
                 "[A]",
                 "Root=Zubeh\xf6r",
                 "expand=0",
                 "0b=Rechner",
                 "0d=calc.exe",
                 "0p=",
                 "0v=0",
                 "0dc=0",
                 "[B]",
                 "Root=B\xfcro",
                 "expand=1",
                 "0b=Textverarbeitung",
                 "0d=swriter.exe",
                 "0p=-n",
                 "0v=0",
                 "0dc=1",
                 "1b=Post",
                 "1d=mail.exe",
                 "1p=\x36\x6b",
                 "1v=1",
                 "1dc=0"});
}

} // namespace

class TestTfmain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void startResolvesMenuFile_data();
    void startResolvesMenuFile();
    void startWithoutMenuFileShowsEmptyTree();
    void startFromInstalledFolderUsesUserDataFolder_data();
    void startFromInstalledFolderUsesUserDataFolder();

    void loadReadsNodesAndEntries_data();
    void loadReadsNodesAndEntries();
    void loadShowsFirstNodeAndSetsWindow();
    void loadListsSublists();
    void loadTwiceGivesSameTree();
    void checkCountFollowsFile_data();
    void checkCountFollowsFile();

    void clickShowsItem();
    void keyboardSelectionKeepsPanel();
    void saveEntryWritesExactBytes();
    void saveScrambles_data();
    void saveScrambles();
    void saveNodeWithoutName();
    void fieldTooltipsShowFullText();

    void commandsOnEmptyPanel_data();
    void commandsOnEmptyPanel();
    void emptyMenuResetsPanel();

    void splitterStoresWidth_data();
    void splitterStoresWidth();
    void splitterWriteFailureShowsError();

    void openCommand();
    void openCancelledChangesNothing();
    void programChooserAndOpenShareDialog();
    void sublistSwitch();
    void noteBelongsToTheFileShown_data();
    void noteBelongsToTheFileShown();

    void createNodeAndEntry();
    void createNodeRefusedBeforeAsking_data();
    void createNodeRefusedBeforeAsking();
    void shortcuts_data();
    void shortcuts();
    void escapeEndsMove();
    void deleteEntryAsks();
    void moveEntryBetweenNodes();
    void moveRefusedWhenSourceChanged();
    void duplicateEntry();
    void exportNode();
    void exportRefusesExistingFile();
    void generalSettingsOpensDialog();
    void remoteDesktopParameters();
    void versionBox();

    void controlsAreNamedAndReachable();

private:
    // A program folder with a data folder holding the menu file "tarvik.ini".
    QString makeProgramDir(const QByteArray &menu = smallMenu());
    std::unique_ptr<Tfmain> start(const QStringList &arguments = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    QString m_menu;
};

void TestTfmain::initTestCase()
{
    // The remote-desktop dialog starts from the values of its last use; start without any.
    QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/tarvik-konfig"))
        .removeRecursively();
}

void TestTfmain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = m_dir->path() + QStringLiteral("/prog");
    QVERIFY(QDir().mkpath(m_program));
    m_menu.clear();
}

QString TestTfmain::makeProgramDir(const QByteArray &menu)
{
    QDir().mkpath(m_program + QStringLiteral("/daten"));
    m_menu = m_program + QStringLiteral("/daten/tarvik.ini");
    writeBytes(m_menu, menu);
    return m_menu;
}

std::unique_ptr<Tfmain> TestTfmain::start(const QStringList &arguments)
{
    auto w = std::make_unique<Tfmain>(arguments, m_program);
    windowprobe::showWindow(*w);
    return w;
}

void TestTfmain::startResolvesMenuFile_data()
{
    QTest::addColumn<QString>("setup"); // "daten", "none", "file"
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // relative to the program folder, or absolute

    const QStringList none;
    QTest::newRow("data folder") << "daten" << none << "daten/tarvik.ini";
    QTest::newRow("no data folder") << "none" << none << "tarvik.ini";
    QTest::newRow("daten is a file") << "file" << none << "tarvik.ini";
    QTest::newRow("one argument") << "daten" << QStringList{"kasse.ini"} << "daten/kasse.ini";
    QTest::newRow("quoted name with blank")
        << "daten" << QStringList{"mein menu.ini"} << "daten/mein menu.ini";
    QTest::newRow("two arguments")
        << "daten" << QStringList{"mein", "menu.ini"} << "daten/tarvik.ini";
    QTest::newRow("absolute path")
        << "daten" << QStringList{"@/elsewhere/x.ini"} << "@/elsewhere/x.ini";
}

void TestTfmain::startResolvesMenuFile()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    if (setup == QLatin1String("daten"))
        QVERIFY(QDir().mkpath(m_program + QStringLiteral("/daten")));
    else if (setup == QLatin1String("file"))
        writeBytes(m_program + QStringLiteral("/daten"), "[A]\r\nRoot=x\r\n");
    for (QString &argument : arguments)
        argument.replace(QLatin1Char('@'), m_dir->path());
    expected.replace(QLatin1Char('@'), m_dir->path());

    ScriptedRunner runner;
    Tfmain w(arguments, m_program);
    const QString programFolder = m_program + QLatin1Char('/');
    QCOMPARE(w.aktDatei(), QDir::isAbsolutePath(expected) ? expected : programFolder + expected);
    QCOMPARE(w.datenPfad(),
             setup == QLatin1String("daten") ? programFolder + "daten/" : programFolder);
    QVERIFY(!w.verschiebenAktiv());
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::startWithoutMenuFileShowsEmptyTree()
{
    // A data folder without a menu file: no look into the program folder, no error box.
    QDir().mkpath(m_program + QStringLiteral("/daten"));
    writeBytes(m_program + QStringLiteral("/tarvik.ini"), smallMenu());
    ScriptedRunner runner;
    auto w = start();
    QCOMPARE(w->aktDatei(), m_program + QStringLiteral("/daten/tarvik.ini"));
    QVERIFY(treeTexts(*w).isEmpty());
    QCOMPARE(runner.shown().size(), size_t(0));
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvik konfigurieren (%1)").arg(w->aktDatei()));
    QVERIFY(!QFileInfo::exists(w->aktDatei()));
    QCOMPARE(w->statusText(), QStringLiteral("Die Datei gibt es noch nicht; sie wird mit dem "
                                             "ersten Knoten angelegt."));
}

void TestTfmain::startFromInstalledFolderUsesUserDataFolder_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("systemPrograms"); // what Windows sets as "ProgramFiles"
    QTest::newRow("the package's folder") << QStringLiteral(TARVIK_INSTALLED_BINDIR) << QString();
    QTest::newRow("a folder of one's choice below the system's programs")
        << QStringLiteral("@/Programme/Eigene Wahl/") << QStringLiteral("@/Programme");
}

void TestTfmain::startFromInstalledFolderUsesUserDataFolder()
{
    // The installed program's folder is no place for menu files; the user's data folder is.
    QFETCH(QString, programFolder);
    QFETCH(QString, systemPrograms);
    programFolder.replace(QLatin1Char('@'), m_dir->path());
    systemPrograms.replace(QLatin1Char('@'), m_dir->path());
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedPrograms = qgetenv("ProgramFiles");
    qputenv("XDG_DATA_HOME", m_dir->path().toLocal8Bit());
    qputenv("ProgramFiles", systemPrograms.toLocal8Bit());
    ScriptedRunner runner;
    Tfmain w({}, programFolder);
    qputenv("XDG_DATA_HOME", savedData);
    qputenv("ProgramFiles", savedPrograms);
    const QString folder = m_dir->path() + QStringLiteral("/tarvik-konfig/daten/");
    QCOMPARE(w.datenPfad(), folder);
    QCOMPARE(w.aktDatei(), folder + QStringLiteral("tarvik.ini"));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::loadReadsNodesAndEntries_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<QStringList>("tree");

    QTest::newRow("node gap ends the nodes")
        << crlf({"[A]", "Root=eins", "[C]", "Root=drei"}) << QStringList{"eins"};
    QTest::newRow("Root of * ends the nodes")
        << crlf({"[A]", "Root=eins", "[B]", "Root=*", "[C]", "Root=drei"}) << QStringList{"eins"};
    QTest::newRow("entry gap ends the entries")
        << crlf({"[A]", "Root=n", "0b=null", "1b=eins", "2d=x.exe", "3b=drei"})
        << QStringList{"n", "  eins", "  null"};
    QTest::newRow("case only as last tie-break")
        << crlf({"[A]", "Root=beta", "[B]", "Root=Alpha", "[C]", "Root=gamma", "[D]", "Root=B",
                 "[E]", "Root=b"})
        << QStringList{"Alpha", "b", "B", "beta", "gamma"};
    QTest::newRow("digits as characters")
        << crlf({"[A]", "Root=9", "[B]", "Root=10", "[C]", "Root=1"})
        << QStringList{"1", "10", "9"};
    QTest::newRow("umlauts sort as their letters")
        << crlf({"[A]", "Root=Zubeh\xf6r", "[B]", "Root=\xc4mter", "[C]", "Root=Buero"})
        << QStringList{"\u00c4mter", "Buero", "Zubeh\u00f6r"};
    QTest::newRow("entries sorted by caption, not index")
        << crlf({"[A]", "Root=n", "0b=Zeta", "1b=alpha", "2b=Mitte", "3b=10", "4b=9"})
        << QStringList{"n", "  10", "  9", "  alpha", "  Mitte", "  Zeta"};
    QTest::newRow("no nodes") << crlf({"[Config]", "Width=100"}) << QStringList{};
}

void TestTfmain::loadReadsNodesAndEntries()
{
    QFETCH(QByteArray, menu);
    QFETCH(QStringList, tree);
    makeProgramDir(menu);
    ScriptedRunner runner;
    auto w = start();
    QCOMPARE(treeTexts(*w), tree);
    QCOMPARE(runner.shown().size(), size_t(0));
    // Every node is opened out, whatever its expand flag says.
    const auto *t = w->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        QVERIFY(t->topLevelItem(i)->isExpanded());
}

void TestTfmain::loadShowsFirstNodeAndSetsWindow()
{
    makeProgramDir();
    auto w = start();
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvik konfigurieren (%1)").arg(m_menu));
    QCOMPARE(w->aktPfad(), m_program + QStringLiteral("/daten/"));
    QCOMPARE(w->treeWidth(), 180);
    QCOMPARE(panel(*w), QStringLiteral("B|-|Büro|| klappCheck+"));
    QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title(),
             QStringLiteral("Bearbeiten [B|-]"));
    QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("btProgramm"))->isEnabled());
    QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("btTSC"))->isEnabled());
    auto *tree = w->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    QCOMPARE(tree->selectedItems().size(), 1);
    QCOMPARE(tree->selectedItems().first()->text(0), QStringLiteral("Büro"));

    // Without a stored width the tree is 150 pixels wide.
    writeBytes(m_menu, crlf({"[A]", "Root=x"}));
    w->LoadMenuFile(m_menu);
    QCOMPARE(w->treeWidth(), 150);
}

void TestTfmain::loadListsSublists()
{
    makeProgramDir();
    const QString folder = m_program + QStringLiteral("/daten/");
    writeBytes(folder + "tarvik.001", "");
    writeBytes(folder + "tarvik.Kasse", "");
    writeBytes(folder + "TARVIK.alt", "");
    writeBytes(folder + "tarvikx.ini", "");
    writeBytes(folder + "other.ini", "");
    QDir().mkpath(folder + "tarvik.d");
    auto w = start();
    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->itemText(i);
    QCOMPARE(names,
             (QStringList{"tarvik.001", "TARVIK.alt", "tarvik.d", "tarvik.ini", "tarvik.Kasse"}));
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(list->currentText(), QString());
}

void TestTfmain::loadTwiceGivesSameTree()
{
    makeProgramDir();
    auto w = start();
    const QStringList first = treeTexts(*w);
    const QString shown = panel(*w);
    w->LoadMenuFile(m_menu);
    QCOMPARE(treeTexts(*w), first);
    QCOMPARE(panel(*w), shown);
}

void TestTfmain::checkCountFollowsFile_data()
{
    QTest::addColumn<QByteArray>("changed"); // the file as another program leaves it
    QTest::addColumn<QString>("count");

    const QByteArray hidden = smallMenu() + crlf({"5b=Versteckt", "5d=x.exe"});
    QTest::newRow("entry behind a gap added")
        << hidden << QStringLiteral("2 Befunde der Menüprüfung");
    QTest::newRow("gaps closed") << smallMenu() << QString();
    QTest::newRow("file removed") << QByteArray() << QString();
}

void TestTfmain::checkCountFollowsFile()
{
    QFETCH(QByteArray, changed);
    QFETCH(QString, count);
    makeProgramDir(smallMenu() + crlf({"7b=Versteckt"}));
    auto w = start();
    auto *status = w->findChild<QLabel *>(QStringLiteral("StatusPanel2"));
    QTRY_COMPARE(status->text(), QStringLiteral("3 Befunde der Menüprüfung"));
    QFile::remove(m_menu);
    if (!changed.isEmpty())
        writeBytes(m_menu, changed);
    trigger(*w, QStringLiteral("Neuladen1"));
    QTRY_COMPARE(status->text(), count);
}

void TestTfmain::clickShowsItem()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    // Scrambled parameters are shown plain.
    QCOMPARE(panel(*w), QStringLiteral("B|1|Post|mail.exe|-p encrypt+ NichtSchliessen-"));
    QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title(),
             QStringLiteral("Bearbeiten [B|1]"));
    QVERIFY(w->findChild<QToolButton *>(QStringLiteral("btProgramm"))->isEnabled());
    QVERIFY(w->findChild<QToolButton *>(QStringLiteral("btTSC"))->isEnabled());

    clickItem(*w, QStringLiteral("Textverarbeitung"));
    QCOMPARE(panel(*w),
             QStringLiteral("B|0|Textverarbeitung|swriter.exe|-n encrypt- NichtSchliessen+"));

    clickItem(*w, QStringLiteral("Zubehör"));
    QCOMPARE(panel(*w), QStringLiteral("A|-|Zubehör|| klappCheck-"));
    QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("btTSC"))->isEnabled());
}

void TestTfmain::keyboardSelectionKeepsPanel()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Textverarbeitung"));
    auto *tree = w->findChild<QTreeWidget *>(QStringLiteral("Tree"));
    // The panel follows the keys, so a command acts on the item that is highlighted.
    QTest::keyClick(tree, Qt::Key_Up);
    QTest::keyClick(tree, Qt::Key_Up);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Büro"));
    QCOMPARE(field(*w, "Name"), QStringLiteral("Büro"));
    QTest::keyClick(tree, Qt::Key_End);
    QCOMPARE(field(*w, "Name"), tree->currentItem()->text(0));
    // And a right click.
    QTreeWidgetItem *post = tree->findItems(QStringLiteral("Post"), Qt::MatchRecursive).first();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(post).center());
    QCOMPARE(tree->selectedItems(), QList<QTreeWidgetItem *>{post});
    QCOMPARE(field(*w, "Name"), QStringLiteral("Post"));

    setField(*w, "Name", QStringLiteral("Briefe"));
    trigger(*w, "Esave");
    QVERIFY(readBytes(m_menu).contains("b=Briefe\r\n"));
}

void TestTfmain::saveEntryWritesExactBytes()
{
    makeProgramDir(crlf({"[A]", "Root=Tools", "0b=Alt", "0d=a.exe", "0p=x", "0v=0", "0dc=0"}));
    auto w = start();
    clickItem(*w, QStringLiteral("Alt"));
    setField(*w, "Name", QStringLiteral("Größe"));
    setField(*w, "pfad", QStringLiteral("C:\\Prog\\ä.exe"));
    setField(*w, "param", QStringLiteral("ab"));
    box(*w, "encrypt")->setChecked(true);
    box(*w, "NichtSchliessen")->setChecked(true);
    ScriptedRunner runner;
    trigger(*w, "Speichern1");
    QCOMPARE(runner.shown().size(), size_t(0));

    // Windows-1252 bytes, values in place, the parameters XOR 0x1B ("ab" -> 0x7A 0x79).
    const QByteArray expected =
        QByteArray::fromHex("5b415d0d0a526f6f743d546f6f6c730d0a"   // [A] Root=Tools
                            "30623d4772f6df650d0a"                 // 0b=Größe
                            "30643d433a5c50726f675ce42e6578650d0a" // 0d=C:\Prog\ä.exe
                            "30703d7a790d0a"                       // 0p=zy
                            "30763d310d0a"                         // 0v=1
                            "3064633d310d0a");                     // 0dc=1
    QCOMPARE(readBytes(m_menu).toHex(' '), expected.toHex(' '));

    // After the save the entry stays shown, read back plain.
    QCOMPARE(panel(*w), QStringLiteral("A|0|Größe|C:\\Prog\\ä.exe|ab encrypt+ NichtSchliessen+"));
    clickItem(*w, QStringLiteral("Größe"));
    QCOMPARE(panel(*w), QStringLiteral("A|0|Größe|C:\\Prog\\ä.exe|ab encrypt+ NichtSchliessen+"));
}

void TestTfmain::saveScrambles_data()
{
    QTest::addColumn<bool>("scrambledBefore");
    QTest::addColumn<bool>("scrambleNow");
    QTest::addColumn<QByteArray>("storedParams");

    QTest::newRow("plain to scrambled") << false << true << QByteArray("0p=6k;*\r\n");
    QTest::newRow("scrambled to plain") << true << false << QByteArray("0p=-p 1\r\n");
    QTest::newRow("scrambled stays") << true << true << QByteArray("0p=6k;*\r\n");
}

void TestTfmain::saveScrambles()
{
    QFETCH(bool, scrambledBefore);
    QFETCH(bool, scrambleNow);
    QFETCH(QByteArray, storedParams);
    makeProgramDir(crlf({"[A]", "Root=n", "0b=e", "0d=x", scrambledBefore ? "0p=6k;*" : "0p=-p 1",
                         scrambledBefore ? "0v=1" : "0v=0", "0dc=0"}));
    auto w = start();
    clickItem(*w, QStringLiteral("e"));
    QCOMPARE(field(*w, "param"), QStringLiteral("-p 1"));
    box(*w, "encrypt")->setChecked(scrambleNow);
    trigger(*w, "Esave");
    const QByteArray bytes = readBytes(m_menu);
    QVERIFY2(bytes.contains(storedParams), bytes.constData());
    QVERIFY(bytes.contains(scrambleNow ? "0v=1\r\n" : "0v=0\r\n"));
    clickItem(*w, QStringLiteral("e"));
    QCOMPARE(field(*w, "param"), QStringLiteral("-p 1"));
    QCOMPARE(box(*w, "encrypt")->isChecked(), scrambleNow);
}

void TestTfmain::saveNodeWithoutName()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Zubehör"));
    setField(*w, "Name", QString());
    box(*w, "klappCheck")->setChecked(true);
    trigger(*w, "Esave");
    const QByteArray bytes = readBytes(m_menu);
    QVERIFY(bytes.contains("[A]\r\nRoot=(Unbenannt)\r\nexpand=1\r\n"));
    QCOMPARE(treeTexts(*w).first(), QStringLiteral("(Unbenannt)"));
}

void TestTfmain::fieldTooltipsShowFullText()
{
    // Long texts are cut off in their fields; the tooltip shows them in full.
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    const std::pair<const char *, QString> shown[] = {
        {"Name", "Post"}, {"pfad", "mail.exe"}, {"param", "-p"}};
    for (const auto &[name, text] : shown) {
        auto *edit = w->findChild<QLineEdit *>(QLatin1String(name));
        QCOMPARE(edit->toolTip(), text);
        const QString longText = QStringLiteral("C:\\") + QString(300, QLatin1Char('x'));
        edit->setText(longText);
        QCOMPARE(edit->toolTip(), longText);
    }
}

void TestTfmain::commandsOnEmptyPanel_data()
{
    QTest::addColumn<QString>("action");
    for (const char *action : {"Esave", "Speichern1", "btdelete", "Lschen1", "btmove",
                               "ToolButton7", "ToolButton4", "Eintraganlegen1", "Eintraganlegen2"})
        QTest::newRow(action) << QString::fromLatin1(action);
}

void TestTfmain::commandsOnEmptyPanel()
{
    // A menu without nodes: the panel shows nothing, so no command may write anything.
    QFETCH(QString, action);
    const QByteArray menu = crlf({"[Config]", "Width=100"});
    makeProgramDir(menu);
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, action.toLatin1().constData());
    QCOMPARE(runner.shownTexts(), QStringList{kChooseBranch});
    QCOMPARE(readBytes(m_menu), menu);
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());
}

void TestTfmain::emptyMenuResetsPanel()
{
    makeProgramDir(
        crlf({"[A]", "Root=einzig", "expand=1", "0b=e", "0d=x.exe", "0p=p", "0v=0", "0dc=1"}));
    auto w = start();
    clickItem(*w, QStringLiteral("e"));
    writeBytes(m_menu, crlf({"[Config]", "width=90"}));
    ScriptedRunner runner;
    w->LoadMenuFile(m_menu);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(treeTexts(*w).isEmpty());
    QCOMPARE(panel(*w).section(QLatin1Char(' '), 0, 0), QStringLiteral("section|id|||"));
    for (const char *name : {"klappCheck", "encrypt", "NichtSchliessen"})
        QVERIFY(!box(*w, name)->isChecked());
    QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("btProgramm"))->isEnabled());
    QVERIFY(!w->findChild<QToolButton *>(QStringLiteral("btTSC"))->isEnabled());
    QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("ed"))->title(),
             QStringLiteral("Bearbeiten"));
}

void TestTfmain::splitterStoresWidth_data()
{
    QTest::addColumn<int>("dragTo");
    QTest::addColumn<int>("stored");

    QTest::newRow("wider") << 300 << 300;
    QTest::newRow("narrower") << 100 << 100;
    QTest::newRow("not moved") << 180 << 180;
    QTest::newRow("snaps shut at 30") << 30 << 0;
    QTest::newRow("snaps shut at 20") << 20 << 0;
    QTest::newRow("keeps 30 pixels right of it") << 2000 << -1;
}

void TestTfmain::splitterStoresWidth()
{
    QFETCH(int, dragTo);
    QFETCH(int, stored);
    makeProgramDir();
    auto w = start();
    auto *splitter = w->findChild<QSplitter *>(QStringLiteral("Splitter1"));
    QSplitterHandle *handle = splitter->handle(1);
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    const int start = handle->x();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(dragTo - start, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(dragTo - start, 0));

    if (stored < 0)
        stored = splitter->width() - splitter->handleWidth() - 30;
    QCOMPARE(w->treeWidth(), stored);
    QVERIFY(readBytes(m_menu).contains("Width=" + QByteArray::number(stored) + "\r\n"));
    QCOMPARE(w->statusText(), QStringLiteral("Neue Breite: %1 Pixel").arg(stored));

    // The next load applies it, also a collapsed tree.
    w->LoadMenuFile(m_menu);
    QCOMPARE(w->treeWidth(), stored);
}

void TestTfmain::splitterWriteFailureShowsError()
{
    // A menu file that does not exist is not created for the tree width alone: only its first
    // node creates it.
    const QString missing = m_dir->path() + QStringLiteral("/neu.ini");
    ScriptedRunner runner;
    Tfmain w({missing}, m_program);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *splitter = w.findChild<QSplitter *>(QStringLiteral("Splitter1"));
    emit splitter->splitterMoved(150, 1);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(!QFile::exists(missing));

    // A file that cannot be written shows the store's message.
    testfiles::writeBytes(missing, crlf({"[A]", "Root=a"}));
    QVERIFY(QFile::setPermissions(missing, QFile::ReadOwner));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    emit splitter->splitterMoved(150, 1);
    QFile::setPermissions(missing, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(runner.shown().size(), size_t(1));
    QCOMPARE(runner.shown().front().title, QStringLiteral("Tarvik konfigurieren"));
    QCOMPARE(runner.shown().front().text,
             QStringLiteral("In %1 kann nicht geschrieben werden.").arg(missing));
}

void TestTfmain::openCommand()
{
    makeProgramDir();
    auto w = start();
    const QString other = m_dir->path() + QStringLiteral("/anders/neu");
    QDir().mkpath(m_dir->path() + QStringLiteral("/anders"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::chooseFile(other));
    trigger(*w, "TarvikDateiffnen1");
    // The default extension is added; a file that does not exist loads as an empty menu.
    QCOMPARE(w->aktDatei(), other + QStringLiteral(".ini"));
    QCOMPARE(w->aktPfad(), m_dir->path() + QStringLiteral("/anders/"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvik konfigurieren (%1.ini)").arg(other));
    QVERIFY(treeTexts(*w).isEmpty());
    QCOMPARE(w->datenPfad(), m_program + QStringLiteral("/daten/"));

    runner.then(ScriptedRunner::chooseFile(m_menu));
    trigger(*w, "btopen");
    QCOMPARE(w->aktDatei(), m_menu);
    QCOMPARE(treeTexts(*w).first(), QStringLiteral("Büro"));
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::openCancelledChangesNothing()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::reject());
    trigger(*w, "btopen");
    QCOMPARE(w->aktDatei(), m_menu);
    QCOMPARE(field(*w, "Name"), QStringLiteral("Post"));
}

void TestTfmain::programChooserAndOpenShareDialog()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    struct Seen
    {
        QStringList filters;
        QString suffix;
        QString fileName;
        QString folder;
    };
    std::vector<Seen> seen;
    auto inspectAndChoose = [&seen](const QString &path) {
        return [&seen, path](QDialog &dialog) {
            auto *chooser = qobject_cast<QFileDialog *>(&dialog);
            const auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            seen.push_back({chooser->nameFilters(), chooser->defaultSuffix(),
                            name ? name->text() : QStringLiteral("?"),
                            chooser->directory().absolutePath()});
            return ScriptedRunner::chooseFile(path)(dialog);
        };
    };
    const QString program = m_dir->path() + QStringLiteral("/tool.exe");
    ScriptedRunner runner;
    runner.then(inspectAndChoose(program));
    w->findChild<QToolButton *>(QStringLiteral("btProgramm"))->click();
    QCOMPARE(field(*w, "pfad"), program);
    // Nothing is written until the save.
    QVERIFY(!readBytes(m_menu).contains("tool.exe"));

    // The chosen program is an edit: opening another file asks first.
    runner.then(ScriptedRunner::clickButton(QStringLiteral("Verwerfen")))
        .then(ScriptedRunner::reject());
    trigger(*w, "btopen");
    QCOMPARE(seen.size(), size_t(1));
    QCOMPARE(seen[0].filters, (QStringList{"Programme (*.exe)", "Alle Dateien (*)"}));
    QCOMPARE(seen[0].suffix, QString());
    QCOMPARE(seen[0].fileName, QString());
    // Both choosers start in the menu file's folder.
    QCOMPARE(seen[0].folder, QFileInfo(m_menu).absolutePath());

    auto *dlgo = w->findChild<QFileDialog *>(QStringLiteral("dlgo"));
    QCOMPARE(dlgo->nameFilters(), (QStringList{"Tarvik-Dateien (*.ini)", "Alle Dateien (*)"}));
    QCOMPARE(dlgo->defaultSuffix(), QStringLiteral("ini"));
    QCOMPARE(dlgo->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text(), QString());
    QCOMPARE(dlgo->directory().absolutePath(), QFileInfo(m_menu).absolutePath());
}

void TestTfmain::sublistSwitch()
{
    makeProgramDir();
    const QString kasse = m_program + QStringLiteral("/daten/tarvik.Kasse");
    writeBytes(kasse, crlf({"[A]", "Root=Kasse"}));
    auto w = start();
    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    const int index = list->findText(QStringLiteral("tarvik.Kasse"));
    QVERIFY(index >= 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    QCOMPARE(w->aktDatei(), kasse);
    QCOMPARE(treeTexts(*w), QStringList{"Kasse"});
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvik konfigurieren (%1)").arg(kasse));
}

void TestTfmain::noteBelongsToTheFileShown_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("after"); // with a sub-list shown

    const QString prompt =
        QStringLiteral("Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben.");
    QTest::newRow("new file") << "new file"
                              << "Die Datei gibt es noch nicht; sie wird mit dem ersten Knoten "
                                 "angelegt."
                              << "";
    QTest::newRow("removed outside") << "removed"
                                     << "Die Datei wurde außerhalb des Editors entfernt."
                                     << "";
    QTest::newRow("tree width") << "width"
                                << "Neue Breite: 180 Pixel"
                                << "";
    // The move goes on in the sub-list.
    QTest::newRow("move pending") << "move" << prompt << prompt;
}

void TestTfmain::noteBelongsToTheFileShown()
{
    QFETCH(QString, cause);
    QFETCH(QString, note);
    QFETCH(QString, after);
    makeProgramDir();
    const QString kasse = m_program + QStringLiteral("/daten/tarvik.Kasse");
    writeBytes(kasse, crlf({"[A]", "Root=Kasse"}));
    auto w = start();
    ScriptedRunner runner;
    if (cause == QLatin1String("new file")) {
        runner.then(ScriptedRunner::chooseFile(m_program + QStringLiteral("/daten/tarvik.neu")));
        trigger(*w, "btopen");
    } else if (cause == QLatin1String("removed")) {
        QFile::remove(m_menu);
        trigger(*w, "Neuladen1");
    } else if (cause == QLatin1String("width")) {
        emit w->findChild<QSplitter *>(QStringLiteral("Splitter1"))->splitterMoved(150, 1);
    } else {
        clickItem(*w, QStringLiteral("Post"));
        trigger(*w, "btmove");
    }
    QCOMPARE(w->statusText(), note);

    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    const int index = list->findText(QStringLiteral("tarvik.Kasse"));
    list->setCurrentIndex(index);
    emit list->activated(index);
    QCOMPARE(w->aktDatei(), kasse);
    QCOMPARE(w->statusText(), after);
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::createNodeAndEntry()
{
    makeProgramDir(crlf({"[A]", "Root=eins", "[B]", "Root=zwei", "[D]", "Root=vier"}));
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::enterText(QStringLiteral("drei")));
    trigger(*w, "Knotenanlegen2");
    QCOMPARE(runner.shown().front().title, QStringLiteral("Neue Überschrift eingeben"));
    QVERIFY(readBytes(m_menu).contains("[C]\r\nRoot=drei\r\n"));
    // The run of nodes is whole again, so "vier" shows too.
    QCOMPARE(treeTexts(*w), (QStringList{"drei", "eins", "vier", "zwei"}));

    clickItem(*w, QStringLiteral("zwei"));
    trigger(*w, "Eintraganlegen1");
    QCOMPARE(field(*w, "id"), QStringLiteral("0"));
    QCOMPARE(field(*w, "Name"), QString());
    setField(*w, "Name", QStringLiteral("neu"));
    setField(*w, "pfad", QStringLiteral("n.exe"));
    trigger(*w, "Esave");
    QVERIFY(readBytes(m_menu).contains("0b=neu\r\n0d=n.exe\r\n0v=0\r\n0p=\r\n0dc=0\r\n"));
    QVERIFY(treeTexts(*w).contains(QStringLiteral("  neu")));
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::shortcuts_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("open") << "TarvikDateiffnen1" << QKeySequence(QKeySequence::Open);
    QTest::newRow("reload") << "Neuladen1" << QKeySequence(Qt::Key_F5);
    QTest::newRow("save") << "Speichern1" << QKeySequence(QKeySequence::Save);
    QTest::newRow("delete") << "Lschen1" << QKeySequence(QKeySequence::Delete);
    QTest::newRow("duplicate") << "ToolButton7" << QKeySequence(Qt::CTRL | Qt::Key_D);
    QTest::newRow("undo") << "Rueckgaengig1" << QKeySequence(QKeySequence::Undo);
    QTest::newRow("redo") << "Wiederholen1" << QKeySequence(Qt::CTRL | Qt::Key_Y);
    QTest::newRow("find") << "Suchen1" << QKeySequence(QKeySequence::Find);
    QTest::newRow("cut") << "Ausschneiden1" << QKeySequence(QKeySequence::Cut);
    QTest::newRow("copy") << "Kopieren1" << QKeySequence(QKeySequence::Copy);
    QTest::newRow("paste") << "Einfuegen1" << QKeySequence(QKeySequence::Paste);
    QTest::newRow("replace") << "Ersetzen1" << QKeySequence(Qt::CTRL | Qt::Key_H);
}
void TestTfmain::shortcuts()
{
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    makeProgramDir(crlf({"[A]", "Root=a"}));
    auto w = start();
    auto *found = w->findChild<QAction *>(action);
    QCOMPARE(found->shortcut(), keys);
    // A menu shows it beside the command.
    const QList<QObject *> users = found->associatedObjects();
    QVERIFY(std::any_of(users.begin(), users.end(),
                        [](QObject *user) { return qobject_cast<QMenu *>(user); }));
}

// Esc ends a pending move: its button comes up and the status text goes.
void TestTfmain::escapeEndsMove()
{
    makeProgramDir(crlf({"[A]", "Root=a", "0b=x", "0d=x.exe"}));
    auto w = start();
    clickItem(*w, QStringLiteral("x"));
    trigger(*w, "btmove");
    QVERIFY(w->verschiebenAktiv());
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());
    QCOMPARE(w->statusText(), QString());
}

void TestTfmain::createNodeRefusedBeforeAsking_data()
{
    QTest::addColumn<QByteArray>("menu");
    QTest::addColumn<bool>("removed"); // by another program, after the start
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("refusal"); // @: the menu file's path

    QList<QByteArray> lines;
    for (char letter = 'A'; letter <= '\\'; ++letter)
        lines << QByteArray("[") + letter + "]" << QByteArray("Root=") + letter;
    QTest::newRow("all letters taken")
        << crlf(lines) << false << QString()
        << QStringLiteral("Es kann kein weiterer Knoten angelegt werden!");
    // Not created anew: the user opened it as an existing menu.
    QTest::newRow("file removed outside")
        << smallMenu() << true << QStringLiteral("Die Datei wurde außerhalb des Editors entfernt.")
        << QStringLiteral("Die Datei @ wurde außerhalb des Editors entfernt. Es wurde nichts "
                          "gespeichert.");
}

void TestTfmain::createNodeRefusedBeforeAsking()
{
    QFETCH(QByteArray, menu);
    QFETCH(bool, removed);
    QFETCH(QString, status);
    QFETCH(QString, refusal);
    makeProgramDir(menu);
    auto w = start();
    if (removed) {
        QVERIFY(QFile::remove(m_menu));
        trigger(*w, "Neuladen1");
        menu.clear();
    }
    QCOMPARE(w->statusText(), status);
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, "Knotenanlegen1");
    QCOMPARE(runner.shownTexts(), QStringList{refusal.replace(QLatin1Char('@'), m_menu)});
    QCOMPARE(readBytes(m_menu), menu);
}

void TestTfmain::deleteEntryAsks()
{
    makeProgramDir(crlf({"[A]", "Root=n", "0b=a", "0d=a", "1b=b", "1d=b", "2b=c", "2d=c"}));
    auto w = start();
    clickItem(*w, QStringLiteral("a"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Nein")));
    trigger(*w, "btdelete");
    QCOMPARE(runner.shownTexts(), QStringList{"Wollen Sie wirklich den Eintrag >> a << löschen?"});
    QCOMPARE(treeTexts(*w).size(), 4);

    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, "Lschen1");
    // The last entry fills the hole.
    QCOMPARE(treeTexts(*w), (QStringList{"n", "  b", "  c"}));
    const QByteArray bytes = readBytes(m_menu);
    QVERIFY(bytes.contains("0b=c\r\n"));
    QVERIFY(!bytes.contains("2b="));
}

void TestTfmain::moveEntryBetweenNodes()
{
    makeProgramDir(crlf({"[A]",       "Root=Quelle", "0b=a",     "0d=a.exe",    "0p=",   "0v=0",
                         "0dc=0",     "1b=b",        "1d=b.exe", "1p=\x36\x6b", "1v=1",  "1dc=1",
                         "2b=c",      "2d=c.exe",    "2p=",      "2v=0",        "2dc=0", "[B]",
                         "Root=Ziel", "0b=z",        "0d=z.exe", "0p=",         "0v=0",  "0dc=0"}));
    auto w = start();
    clickItem(*w, QStringLiteral("b"));
    ScriptedRunner runner;
    trigger(*w, "btmove");
    QVERIFY(w->verschiebenAktiv());
    QVERIFY(w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());
    QCOMPARE(
        w->statusText(),
        QStringLiteral("Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben."));

    // A second click while an entry is shown is refused, and the move stays pending.
    clickItem(*w, QStringLiteral("z"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, "btmove");
    QCOMPARE(runner.shownTexts(), QStringList{kChooseBranch});
    QVERIFY(w->verschiebenAktiv());
    QVERIFY(w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());

    clickItem(*w, QStringLiteral("Ziel"));
    trigger(*w, "btmove");
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());
    QCOMPARE(w->statusText(), QString());
    QCOMPARE(treeTexts(*w), (QStringList{"Quelle", "  a", "  c", "Ziel", "  b", "  z"}));
    // The copy keeps its keys, scrambled and kept open; "c" moved into the hole.
    const QByteArray bytes = readBytes(m_menu);
    QVERIFY(bytes.contains("1b=b\r\n1d=b.exe\r\n1p=\x36\x6b\r\n1v=1\r\n1dc=1\r\n"));
    QVERIFY(bytes.contains("1b=c\r\n1d=c.exe\r\n"));
    QVERIFY(!bytes.contains("2b="));
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::moveRefusedWhenSourceChanged()
{
    const QByteArray menu =
        crlf({"[A]", "Root=Quelle", "0b=a", "0d=a.exe", "1b=b", "1d=b.exe", "[B]", "Root=Ziel"});
    makeProgramDir(menu);
    auto w = start();
    clickItem(*w, QStringLiteral("b"));
    trigger(*w, "btmove");
    // Another program (or sub-list) changed the entry in between.
    const QByteArray changed = crlf(
        {"[A]", "Root=Quelle", "0b=a", "0d=a.exe", "1b=anders", "1d=b.exe", "[B]", "Root=Ziel"});
    writeBytes(m_menu, changed);
    w->LoadMenuFile(m_menu);
    clickItem(*w, QStringLiteral("Ziel"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, "btmove");
    QCOMPARE(runner.shown().size(), size_t(1));
    QVERIFY(runner.shownTexts().first().contains(QStringLiteral("außerhalb des Editors")));
    QCOMPARE(readBytes(m_menu), changed);
    QVERIFY(!w->verschiebenAktiv());
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("btmove"))->isChecked());
}

void TestTfmain::duplicateEntry()
{
    makeProgramDir(crlf({"[A]", "Root=n", "0b=Mail", "0d=m.exe", "0p=-x", "0v=0", "0dc=1"}));
    auto w = start();
    clickItem(*w, QStringLiteral("Mail"));
    trigger(*w, "ToolButton7");
    clickItem(*w, QStringLiteral("_Mail"));
    trigger(*w, "ToolButton7");
    QCOMPARE(treeTexts(*w), (QStringList{"n", "  __Mail", "  _Mail", "  Mail"}));
    QVERIFY(readBytes(m_menu).contains("2b=__Mail\r\n2d=m.exe\r\n2v=0\r\n2p=-x\r\n2dc=1\r\n"));
}

void TestTfmain::exportNode()
{
    makeProgramDir(crlf({"[A]", "Root=Meine Tools", "expand=1", "0b=e", "0d=e.exe", "0p=p", "0v=0",
                         "0dc=0", "[B]", "Root=Rest"}));
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    trigger(*w, "ToolButton4");
    QCOMPARE(runner.shownTexts(),
             QStringList{"Sind Sie sicher, dass Sie den Knoten >> Meine Tools << inklusive aller "
                         "Untereinträge löschen wollen?"});
    const QString exported = m_program + QStringLiteral("/daten/tarvik.MeineTools");
    QCOMPARE(readBytes(exported), crlf({"[A]", "Root=Meine Tools", "expand=1", "0d=e.exe", "0p=p",
                                        "0b=e", "0v=0", "0dc=0"}));
    QCOMPARE(treeTexts(*w), QStringList{"Rest"});
    auto *list = w->findChild<QComboBox *>(QStringLiteral("Sublisten"));
    QVERIFY(list->findText(QStringLiteral("tarvik.MeineTools")) >= 0);
}

void TestTfmain::exportRefusesExistingFile()
{
    const QByteArray menu = crlf({"[A]", "Root=ini"});
    makeProgramDir(menu);
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    // The caption names the menu file itself.
    trigger(*w, "ToolButton4");
    QCOMPARE(runner.shown().size(), size_t(1));
    QVERIFY(runner.shownTexts().first().contains(m_menu));
    QCOMPARE(readBytes(m_menu), menu);
    QCOMPARE(treeTexts(*w), QStringList{"ini"});
}

void TestTfmain::generalSettingsOpensDialog()
{
    makeProgramDir();
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::reject()).then(ScriptedRunner::reject());
    trigger(*w, "ToolButton1");
    trigger(*w, "itelbearbeiten1");
    QCOMPARE(runner.shown().size(), size_t(2));
    for (const ScriptedRunner::Shown &shown : runner.shown()) {
        QCOMPARE(shown.className, QStringLiteral("TFallgemein"));
        QCOMPARE(shown.title, QStringLiteral("Allgemeine Einstellungen"));
    }
    // The tree is not reloaded afterwards, so the panel still shows the entry.
    QCOMPARE(field(*w, "Name"), QStringLiteral("Post"));
}

void TestTfmain::remoteDesktopParameters()
{
    const QByteArray menu = crlf({"[A]", "Root=n", "0b=ts", "0d=?TsC", "0p=/H:alt /f:2", "0v=0",
                                  "0dc=0", "1b=prog", "1d=p.exe", "1p=/f:x", "1v=0", "1dc=0",
                                  "2b=kaputt", "2d=?tsc", "2p=/f:x", "2v=0", "2dc=0"});
    makeProgramDir(menu);
    auto w = start();
    ScriptedRunner runner;

    // A remote-desktop entry: its switch line fills the dialog; OK stores the new line.
    clickItem(*w, QStringLiteral("ts"));
    QString hostShown;
    runner.then([&hostShown](QDialog &dialog) {
        auto *host = dialog.findChild<QLineEdit *>(QStringLiteral("Host"));
        hostShown = host->text();
        host->setText(QStringLiteral("neu"));
        dialog.findChild<QPushButton *>(QStringLiteral("connectbutton"))->click();
        return dialog.result();
    });
    w->findChild<QToolButton *>(QStringLiteral("btTSC"))->click();
    QCOMPARE(hostShown, QStringLiteral("alt"));
    QVERIFY(readBytes(m_menu).contains("0b=ts\r\n0d=?tsc\r\n0p=/H:neu /f:2\r\n"));

    // Another program: the parameters are not read, and cancelling changes nothing.
    clickItem(*w, QStringLiteral("prog"));
    const QByteArray before = readBytes(m_menu);
    runner.then(ScriptedRunner::reject());
    w->findChild<QToolButton *>(QStringLiteral("btTSC"))->click();
    QCOMPARE(readBytes(m_menu), before);
    QCOMPARE(field(*w, "pfad"), QStringLiteral("p.exe"));

    // A colour depth that is no number stops the command before the dialog shows.
    clickItem(*w, QStringLiteral("kaputt"));
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    w->findChild<QToolButton *>(QStringLiteral("btTSC"))->click();
    QCOMPARE(runner.shown().size(), size_t(3));
    QCOMPARE(runner.shown().back().text, QStringLiteral("'x' ist kein gültiger Integerwert."));
    QCOMPARE(readBytes(m_menu), before);
    QCOMPARE(runner.unexpected(), 0);
}

void TestTfmain::versionBox()
{
    makeProgramDir();
    auto w = start();
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    trigger(*w, "VersionsInfo1");
    QCOMPARE(runner.shown().size(), size_t(1));
    QCOMPARE(runner.shown().front().title, QStringLiteral("Information"));
    const QStringList lines = runner.shown().front().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("Version: ")));
    QVERIFY(lines[0].endsWith(QLatin1Char(' ')));
    QVERIFY(lines[1].startsWith(QLatin1Char('(')) && lines[1].endsWith(QLatin1Char(')')));
}

void TestTfmain::controlsAreNamedAndReachable()
{
    makeProgramDir();
    auto w = start();
    // Labels name their fields.
    for (auto [label, field] :
         {std::pair{"Label5", "Name"}, std::pair{"Label3", "pfad"}, std::pair{"Label4", "param"}}) {
        const auto *l = w->findChild<QLabel *>(QLatin1String(label));
        QCOMPARE(l->buddy(), w->findChild<QLineEdit *>(QLatin1String(field)));
        QCOMPARE(l->buddy()->accessibleName(), l->text());
    }
    for (const char *name : {"Tree", "Sublisten", "btProgramm", "btTSC", "section", "id"})
        QVERIFY2(!w->findChild<QWidget *>(QLatin1String(name))->accessibleName().isEmpty(), name);

    // Every command sits in the menu or on a tool button that takes the focus, with its image.
    const auto *bar = w->findChild<QToolBar *>(QStringLiteral("ToolBar1"));
    for (const char *name : {"btopen", "btdelete", "Esave", "btmove", "ToolButton7", "ToolButton4",
                             "ToolButton1", "ToolButton3"}) {
        auto *button = qobject_cast<QToolButton *>(
            bar->widgetForAction(w->findChild<QAction *>(QLatin1String(name))));
        QVERIFY2(button && button->focusPolicy() & Qt::TabFocus, name);
        QVERIFY2(!button->icon().isNull(), name);
    }
    for (const char *name : {"TarvikDateiffnen1", "Beenden1", "itelbearbeiten1", "Knotenanlegen2",
                             "Eintraganlegen2", "Speichern1", "Lschen1", "VersionsInfo1"})
        QVERIFY2(!w->findChild<QAction *>(QLatin1String(name))->associatedObjects().isEmpty(),
                 name);
    QCOMPARE(w->findChild<QAction *>(QStringLiteral("Beenden1"))->shortcut(),
             QKeySequence(QStringLiteral("Alt+F4")));
    const auto *anlegen = w->findChild<QMenu *>(QStringLiteral("MenuAnlegen"));
    QCOMPARE(anlegen->actions().size(), 2);
    // Every item of the menu bar's menus is chosen by a letter of its own.
    for (const QAction *menu : w->menuBar()->actions()) {
        QSet<QChar> letters;
        for (const QAction *item : menu->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const qsizetype at = item->text().indexOf(QLatin1Char('&'));
            QVERIFY2(at >= 0 && at + 1 < item->text().size(),
                     qPrintable(menu->text() + ": " + item->text()));
            const QChar letter = item->text().at(at + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(menu->text() + ": " + item->text()));
            letters.insert(letter);
        }
    }

    trigger(*w, "Beenden1");
    QVERIFY(!w->isVisible());
}

QTEST_MAIN(TestTfmain)
#include "tst_tfmain.moc"
