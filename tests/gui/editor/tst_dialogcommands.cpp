// SPDX-License-Identifier: MIT
// The two commands of the main window that open a side dialog: the remote-desktop parameters
// (btTSC) and the general settings ("Allgemeines", "Fenster-&Titel bearbeiten"), driven through
// the window's own buttons and actions.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "gui/editor/tfmain.h"
#include "model/menufile.h"
#include "platform/registryfile.h"
#include "scriptedrunner.h"
#include "store/tregistry.h"
#include "testfiles.h"
#include "tscstate.h"
#include "windowprobe.h"

using testfiles::crlf;
using testfiles::kTarvikKey;
using testfiles::readBytes;
using testfiles::readStore;
using testfiles::writeBytes;
using tscstate::store;
using tscstate::stored;
using windowprobe::clickItem;
using windowprobe::control;
using windowprobe::field;
using windowprobe::item;
using windowprobe::panel;
using windowprobe::setField;

namespace {

QByteArray scrambled(const char *plain)
{
    return menufile::ScrambleParams(QLatin1String(plain)).toLatin1();
}

// Two nodes; "Büro" sorts first, so every reload shows it. In "Netz": a remote-desktop entry
// with a mixed-case marker, a scrambled program entry, a scrambled remote-desktop entry and a
// plain program entry whose parameters look like a switch line.
QByteArray tscMenu()
{
    return crlf({"[Config]",
                 "Width=160",
                 "Title=Mein Men\xfc",
                 "[A]",
                 "Root=Netz",
                 "expand=1",
                 "0b=Server",
                 "0d=?TsC",
                 "0p=/H:alt /f:2 /u:anna",
                 "0v=0",
                 "0dc=1",
                 "1b=Post",
                 "1d=mail.exe",
                 "1p=" + scrambled("-x"),
                 "1v=1",
                 "1dc=0",
                 "2b=Geheim",
                 "2d=?tsc",
                 "2p=" + scrambled("/H:geheim /f:1 /c"),
                 "2v=1",
                 "2dc=0",
                 "3b=Editor",
                 "3d=edit.exe",
                 "3p=/H:nicht",
                 "3v=0",
                 "3dc=0",
                 "[B]",
                 "Root=B\xfcro",
                 "expand=0"});
}

// The lines of one section as stored, without the header.
QList<QByteArray> sectionLines(const QByteArray &file, const QByteArray &section)
{
    QList<QByteArray> lines;
    bool inside = false;
    for (QByteArray line : file.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('['))
            inside = line == '[' + section + ']';
        else if (inside && !line.isEmpty())
            lines << line;
    }
    return lines;
}

QToolButton *tscButton(const Tfmain &w)
{
    return control<QToolButton>(w, "btTSC");
}

// Answers the remote-desktop dialog: notes what it shows, sets it to newState (unless empty)
// and closes it with the named button.
ScriptedRunner::Answer answerTsc(QString *shown, const QString &newState, const char *button)
{
    return [shown, newState, button](QDialog &dialog) {
        if (QLatin1String(dialog.metaObject()->className()) != QLatin1String("Tfmstsc")) {
            qWarning("expected the remote-desktop dialog, got %s",
                     dialog.metaObject()->className());
            return int(QDialog::Rejected);
        }
        if (shown)
            *shown = tscstate::ofDialog(dialog);
        if (!newState.isEmpty())
            tscstate::setDialog(dialog, newState);
        control<QPushButton>(dialog, button)->click();
        return dialog.result();
    };
}

} // namespace

class TestDialogCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void tscPathDecidesReading_data();
    void tscPathDecidesReading();
    void okStoresSwitchLineAndReloads();
    void okWithoutColourDepth();
    void wrongTypedValueShownBeforeDialog();
    void scrambledEntries();
    void invalidDepthStopsCommand_data();
    void invalidDepthStopsCommand();
    void buttonFollowsPanel();
    void emptyPanelRefused();

    void generalSettingsOpenedFresh();
    void generalSettingsOnSublist();
    void generalSettingsCreateMissingFile();

private:
    std::unique_ptr<Tfmain> start(const QByteArray &menuBytes = tscMenu());

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program;
    QString m_menu;
};

void TestDialogCommands::init()
{
    // Each case starts as on a fresh account: no per-user values yet.
    testfiles::clearStore();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = m_dir->path() + QStringLiteral("/prog");
    QVERIFY(QDir().mkpath(m_program + QStringLiteral("/daten")));
    m_menu = m_program + QStringLiteral("/daten/tarvik.ini");
}

std::unique_ptr<Tfmain> TestDialogCommands::start(const QByteArray &menuBytes)
{
    if (!menuBytes.isNull())
        writeBytes(m_menu, menuBytes);
    auto w = std::make_unique<Tfmain>(QStringList{}, m_program);
    windowprobe::showWindow(*w);
    return w;
}

void TestDialogCommands::tscPathDecidesReading_data()
{
    QTest::addColumn<QString>("pfad");
    QTest::addColumn<QString>("param");
    QTest::addColumn<QString>("shown");

    const QString line = QStringLiteral("/H:neu /f:3 /u:max /p:1");
    const QString read = QStringLiteral("neu|2|max|dom|11000");
    const QString notRead = QStringLiteral("gespeichert|0|bert|dom|10000");
    QTest::newRow("lower case") << "?tsc" << line << read;
    QTest::newRow("upper case") << "?TSC" << line << read;
    QTest::newRow("mixed case") << "?tSc" << line << read;
    QTest::newRow("blank before") << " ?tsc" << line << notRead;
    QTest::newRow("blank after") << "?tsc " << line << notRead;
    QTest::newRow("tab after") << "?tsc\t" << line << notRead;
    // Full Unicode upper-casing would turn the long s into S.
    QTest::newRow("long s") << QStringLiteral("?t\u017fc") << line << notRead;
    QTest::newRow("program") << "mstsc.exe" << line << notRead;
    QTest::newRow("marker, no parameters") << "?tsc" << QString() << notRead;
    QTest::newRow("marker, blank parameters") << "?tsc"
                                              << "   " << notRead;
    QTest::newRow("hexadecimal depth") << "?TSC"
                                       << "/f:$1 /h:x"
                                       << "x|0|bert|dom|10000";
}

void TestDialogCommands::tscPathDecidesReading()
{
    QFETCH(QString, pfad);
    QFETCH(QString, param);
    QFETCH(QString, shown);
    store(QStringLiteral("gespeichert|0|bert|dom|10000"));
    auto w = start();
    clickItem(*w, QStringLiteral("Editor"));
    setField(*w, "pfad", pfad);
    setField(*w, "param", param);
    const QString panelBefore = panel(*w);
    const QByteArray fileBefore = readBytes(m_menu);

    ScriptedRunner runner;
    QString seen;
    runner.then(answerTsc(&seen, {}, "closebutton"));
    tscButton(*w)->click();

    QCOMPARE(runner.shownClasses(), QStringList{"Tfmstsc"});
    QCOMPARE(runner.shown().front().title, QStringLiteral("Terminalserver-Client einrichten"));
    QCOMPARE(seen, shown);
    // Cancelled: panel and file as they were, but the dialog's values are kept for next time.
    QCOMPARE(panel(*w), panelBefore);
    QCOMPARE(readBytes(m_menu), fileBefore);
    QCOMPARE(stored(), shown);
}

void TestDialogCommands::okStoresSwitchLineAndReloads()
{
    auto w = start();
    clickItem(*w, QStringLiteral("Server"));
    QCOMPARE(panel(*w),
             QStringLiteral("A|0|Server|?TsC|/H:alt /f:2 /u:anna encrypt- NichtSchliessen+"));
    // An edit made in the panel before is saved with the new line.
    setField(*w, "Name", QStringLiteral("Server neu"));
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));

    ScriptedRunner runner;
    QString seen;
    QWidget *owner = nullptr;
    const auto ok = answerTsc(&seen, QStringLiteral("alt|1|anna|firma|10000"), "connectbutton");
    runner.then([&owner, ok](QDialog &dialog) {
        owner = dialog.parentWidget();
        return ok(dialog);
    });
    tscButton(*w)->click();

    QCOMPARE(owner, w.get());
    QCOMPARE(seen, QStringLiteral("alt|1|anna||00000"));
    const QString line = QStringLiteral("/H:alt /f:2 /u:anna /d:firma /b:1");
    QCOMPARE(QGuiApplication::clipboard()->text(), line);
    QCOMPARE(sectionLines(readBytes(m_menu), "A"),
             QList<QByteArray>({"Root=Netz",
                                "expand=1",
                                "0b=Server neu",
                                "0d=?tsc",
                                "0p=" + line.toLatin1(),
                                "0v=0",
                                "0dc=1",
                                "1b=Post",
                                "1d=mail.exe",
                                "1p=" + scrambled("-x"),
                                "1v=1",
                                "1dc=0",
                                "2b=Geheim",
                                "2d=?tsc",
                                "2p=" + scrambled("/H:geheim /f:1 /c"),
                                "2v=1",
                                "2dc=0",
                                "3b=Editor",
                                "3d=edit.exe",
                                "3p=/H:nicht",
                                "3v=0",
                                "3dc=0"}));
    // The save reloads the tree and shows the entry just written.
    QCOMPARE(panel(*w), QStringLiteral("A|0|Server neu|?tsc|/H:alt /f:2 /u:anna /d:firma /b:1 "
                                       "encrypt- NichtSchliessen+"));
    QVERIFY(item(*w, QStringLiteral("Server neu")));
    QVERIFY(tscButton(*w)->isEnabled());

    QCOMPARE(stored(), QStringLiteral("alt|1|anna|firma|10000"));
    const QByteArray storeFile = readStore();
    QVERIFY(storeFile.contains("\"Host\"=\"alt\"\r\n\"Farbtiefe\"=dword:00000001\r\n"));
    QCOMPARE(runner.unexpected(), 0);

    // The next use starts from the values of this one.
    clickItem(*w, QStringLiteral("Editor"));
    runner.then(answerTsc(&seen, {}, "closebutton"));
    tscButton(*w)->click();
    QCOMPARE(seen, QStringLiteral("alt|1|anna|firma|10000"));
}

void TestDialogCommands::okWithoutColourDepth()
{
    auto w = start();
    clickItem(*w, QStringLiteral("Editor"));
    ScriptedRunner runner;
    runner.then(answerTsc(nullptr, QStringLiteral("h|-1|||00000"), "connectbutton"));
    tscButton(*w)->click();
    const QList<QByteArray> lines = sectionLines(readBytes(m_menu), "A");
    QVERIFY(lines.contains("3d=?tsc"));
    QVERIFY(lines.contains("3p=/H:h /f:0"));
    QVERIFY(readStore().contains("\"Farbtiefe\"=dword:ffffffff\r\n"));
    QCOMPARE(stored(), QStringLiteral("h|-1|||00000"));
}

void TestDialogCommands::wrongTypedValueShownBeforeDialog()
{
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kTarvikKey, true));
        reg.WriteString(QStringLiteral("Host"), QStringLiteral("gespeichert"));
        reg.WriteString(QStringLiteral("Farbtiefe"), QStringLiteral("2"));
    }
    auto w = start();
    clickItem(*w, QStringLiteral("Server"));
    ScriptedRunner runner;
    QString seen;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")))
        .then(answerTsc(&seen, {}, "connectbutton"));
    tscButton(*w)->click();

    // The load stops at the bad value, the command goes on and still reads the entry's line.
    QCOMPARE(runner.shownClasses(), QStringList({"QMessageBox", "Tfmstsc"}));
    QCOMPARE(runner.shown().front().text, QStringLiteral("Ungültiger Datentyp für 'Farbtiefe'"));
    QCOMPARE(seen, QStringLiteral("alt|1|anna||00000"));
    QCOMPARE(stored(), seen);
}

void TestDialogCommands::scrambledEntries()
{
    auto w = start();
    ScriptedRunner runner;

    // A scrambled program entry becomes a remote-desktop entry with the flags the panel shows.
    clickItem(*w, QStringLiteral("Post"));
    QCOMPARE(panel(*w), QStringLiteral("A|1|Post|mail.exe|-x encrypt+ NichtSchliessen-"));
    control<QCheckBox>(*w, "NichtSchliessen")->setChecked(true);
    QString seen;
    runner.then(answerTsc(&seen, QStringLiteral("srv|2|||00000"), "connectbutton"));
    tscButton(*w)->click();
    QCOMPARE(seen, QStringLiteral("|2|||00000"));
    const QList<QByteArray> lines = sectionLines(readBytes(m_menu), "A");
    const QList<QByteArray> post = lines.mid(lines.indexOf("1b=Post"), 5);
    QCOMPARE(post, QList<QByteArray>(
                       {"1b=Post", "1d=?tsc", "1p=" + scrambled("/H:srv /f:3"), "1v=1", "1dc=1"}));
    clickItem(*w, QStringLiteral("Post"));
    QCOMPARE(panel(*w), QStringLiteral("A|1|Post|?tsc|/H:srv /f:3 encrypt+ NichtSchliessen+"));

    // A scrambled remote-desktop entry is read from its plain parameters.
    clickItem(*w, QStringLiteral("Geheim"));
    runner.then(answerTsc(&seen, {}, "closebutton"));
    tscButton(*w)->click();
    QCOMPARE(seen, QStringLiteral("geheim|0|||00010"));
    QCOMPARE(runner.unexpected(), 0);
}

void TestDialogCommands::invalidDepthStopsCommand_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("value");

    QTest::newRow("letter") << "/f:x"
                            << "x";
    QTest::newRow("empty") << "/f:"
                           << "";
    QTest::newRow("no colon") << "/f"
                              << "/f";
    QTest::newRow("fraction") << "/f:3.0"
                              << "3.0";
    QTest::newRow("hex prefix only") << "/f:0x"
                                     << "0x";
    QTest::newRow("beyond 32 bits") << "/f:4294967296"
                                    << "4294967296";
}

void TestDialogCommands::invalidDepthStopsCommand()
{
    QFETCH(QString, piece);
    QFETCH(QString, value);
    store(QStringLiteral("gespeichert|0|bert|dom|10000"));
    const QByteArray storeBefore = readStore();
    auto w = start();
    clickItem(*w, QStringLiteral("Editor"));
    setField(*w, "pfad", QStringLiteral("?tsc"));
    setField(*w, "param", QStringLiteral("/H:neu ") + piece + QStringLiteral(" /u:max"));
    const QString panelBefore = panel(*w);
    const QByteArray fileBefore = readBytes(m_menu);

    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    tscButton(*w)->click();

    QCOMPARE(runner.shownClasses(), QStringList{"QMessageBox"});
    QCOMPARE(runner.shown().front().text,
             QStringLiteral("'%1' ist kein gültiger Integerwert.").arg(value));
    QCOMPARE(readStore(), storeBefore);
    QCOMPARE(readBytes(m_menu), fileBefore);
    QCOMPARE(panel(*w), panelBefore);
}

void TestDialogCommands::buttonFollowsPanel()
{
    auto w = start();
    QVERIFY(!tscButton(*w)->isEnabled());
    clickItem(*w, QStringLiteral("Server"));
    QVERIFY(tscButton(*w)->isEnabled());
    clickItem(*w, QStringLiteral("Netz"));
    QVERIFY(!tscButton(*w)->isEnabled());

    // An entry being created can be made a remote-desktop entry before its first save.
    control<QAction>(*w, "Eintraganlegen1")->trigger();
    QVERIFY(tscButton(*w)->isEnabled());
    setField(*w, "Name", QStringLiteral("Neu"));
    ScriptedRunner runner;
    runner.then(answerTsc(nullptr, QStringLiteral("h4|2|||00000"), "connectbutton"));
    tscButton(*w)->click();
    QCOMPARE(sectionLines(readBytes(m_menu), "A").mid(22),
             QList<QByteArray>({"4b=Neu", "4d=?tsc", "4v=0", "4p=/H:h4 /f:3", "4dc=0"}));
    QVERIFY(item(*w, QStringLiteral("Neu")));
    QCOMPARE(runner.unexpected(), 0);
}

void TestDialogCommands::emptyPanelRefused()
{
    ScriptedRunner runner;
    auto w = start(crlf({"[Config]", "Width=160"}));
    QVERIFY(!tscButton(*w)->isEnabled());
    // The button is disabled; the command itself still refuses an empty panel.
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    w->btTSCClick();
    QCOMPARE(runner.shownTexts(), QStringList{"Wählen Sie erst einen Zweig aus!"});
    QVERIFY(!QFile::exists(registryfile::storePath()));
    QCOMPARE(readBytes(m_menu), crlf({"[Config]", "Width=160"}));
}

void TestDialogCommands::generalSettingsOpenedFresh()
{
    auto w = start();
    clickItem(*w, QStringLiteral("Post"));
    setField(*w, "Name", QStringLiteral("Post unsaved"));
    const QByteArray before = readBytes(m_menu);

    ScriptedRunner runner;
    QStringList titles;
    QList<QWidget *> owners;
    auto answer = [&titles, &owners](const char *newTitle, const char *button) {
        return [&titles, &owners, newTitle, button](QDialog &dialog) {
            owners << dialog.parentWidget();
            auto *title = control<QLineEdit>(dialog, "edTitel");
            titles << title->text() + (control<QCheckBox>(dialog, "cbtop")->isChecked()
                                           ? QStringLiteral(" onTop")
                                           : QString());
            if (newTitle) {
                title->setText(QLatin1String(newTitle));
                control<QCheckBox>(dialog, "cbtop")->setChecked(true);
            }
            control<QPushButton>(dialog, button)->click();
            return dialog.result();
        };
    };
    QCOMPARE(control<QToolButton>(*w, "ToolButton1")->text(), QStringLiteral("Allgemeines"));
    QCOMPARE(control<QAction>(*w, "itelbearbeiten1")->text(),
             QStringLiteral("Fenster-&Titel bearbeiten"));
    // Cancelled with a changed title, then confirmed from the menu item.
    runner.then(answer("Verworfen", "Button2")).then(answer("Neu", "Button1"));
    control<QToolButton>(*w, "ToolButton1")->click();
    control<QAction>(*w, "itelbearbeiten1")->trigger();
    QCOMPARE(titles, QStringList({"Mein Menü", "Mein Menü"}));

    QByteArray after = readBytes(m_menu);
    QCOMPARE(sectionLines(after, "Config"),
             QList<QByteArray>({"Width=160", "Title=Neu", "Update=", "onTop=1", "fade=1", "tsbox=0",
                                "lastsize=0", "TSsize=2", "Fontsize=8", "Updatetyp=3"}));
    QCOMPARE(sectionLines(after, "A"), sectionLines(before, "A"));
    QCOMPARE(sectionLines(after, "B"), sectionLines(before, "B"));
    // Not reloaded: the unsaved edit, the selection and the tree width stay.
    QCOMPARE(field(*w, "Name"), QStringLiteral("Post unsaved"));
    QCOMPARE(control<QTreeWidget>(*w, "Tree")->currentItem()->text(0), QStringLiteral("Post"));
    QCOMPARE(w->treeWidth(), 160);

    // Each opening reads the file as it is now.
    writeBytes(m_menu, after.replace("Title=Neu", "Title=Extern"));
    runner.then(answer(nullptr, "Button2"));
    control<QToolButton>(*w, "ToolButton1")->click();
    QCOMPARE(titles.last(), QStringLiteral("Extern onTop"));
    QCOMPARE(runner.shownClasses(), QStringList({"TFallgemein", "TFallgemein", "TFallgemein"}));
    QCOMPARE(runner.shown().front().title, QStringLiteral("Allgemeine Einstellungen"));
    QCOMPARE(owners, QList<QWidget *>(3, w.get()));
}

void TestDialogCommands::generalSettingsOnSublist()
{
    const QString kasse = m_program + QStringLiteral("/daten/tarvik.Kasse");
    writeBytes(kasse, crlf({"[Config]", "Title=Kasse", "[A]", "Root=Kasse"}));
    auto w = start();
    auto *list = control<QComboBox>(*w, "Sublisten");
    const int index = list->findText(QStringLiteral("tarvik.Kasse"));
    QVERIFY(index >= 0);
    list->setCurrentIndex(index);
    emit list->activated(index);
    const QByteArray mainBefore = readBytes(m_menu);

    ScriptedRunner runner;
    QString title;
    runner.then([&title](QDialog &dialog) {
        title = control<QLineEdit>(dialog, "edTitel")->text();
        control<QLineEdit>(dialog, "edTitel")->setText(QStringLiteral("Kasse 2"));
        control<QPushButton>(dialog, "Button1")->click();
        return dialog.result();
    });
    control<QAction>(*w, "itelbearbeiten1")->trigger();
    QCOMPARE(title, QStringLiteral("Kasse"));
    QCOMPARE(sectionLines(readBytes(kasse), "Config").first(2),
             QList<QByteArray>({"Title=Kasse 2", "Update="}));
    QCOMPARE(readBytes(m_menu), mainBefore);
}

void TestDialogCommands::generalSettingsCreateMissingFile()
{
    ScriptedRunner runner;
    auto w = start(QByteArray());
    QVERIFY(!QFile::exists(m_menu));
    QString title;
    runner.then([&title](QDialog &dialog) {
        title = control<QLineEdit>(dialog, "edTitel")->text();
        control<QPushButton>(dialog, "Button1")->click();
        return dialog.result();
    });
    control<QToolButton>(*w, "ToolButton1")->click();
    QCOMPARE(title, QStringLiteral("Start-Menü"));
    QCOMPARE(readBytes(m_menu),
             crlf({"[Config]", "Title=Start-Men\xfc", "Update=", "onTop=0", "fade=1", "tsbox=0",
                   "lastsize=0", "TSsize=2", "Fontsize=8", "Updatetyp=3"}));
    QCOMPARE(control<QTreeWidget>(*w, "Tree")->topLevelItemCount(), 0);
    QCOMPARE(runner.unexpected(), 0);
}

QTEST_MAIN(TestDialogCommands)
#include "tst_dialogcommands.moc"
