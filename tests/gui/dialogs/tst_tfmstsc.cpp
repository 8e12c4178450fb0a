// SPDX-License-Identifier: MIT
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "base/exception.h"
#include "gui/dialogs/tfmstsc.h"
#include "platform/registryfile.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "tscstate.h"
#include "windowprobe.h"

using testfiles::readStore;
using testfiles::storeWith;
using testfiles::writeStore;
using windowprobe::control;

class TestTfmstsc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstUseShowsNoError();
    void wrongTypedValueStopsLoading_data();
    void wrongTypedValueStopsLoading();
    void switchLineFromControls_data();
    void switchLineFromControls();
    void readSwitchLine_data();
    void readSwitchLine();
    void valuesStoredOnEveryClose_data();
    void valuesStoredOnEveryClose();
    void storeFailureKeepsDialogOpen();
    void storeTakingNothingLetsDialogClose();
    void variableButtonsFillUserName();
    void controlsInTabOrder();
};

void TestTfmstsc::init()
{
    testfiles::clearStore();
}

void TestTfmstsc::firstUseShowsNoError()
{
    ScriptedRunner runner;
    Tfmstsc dialog(nullptr);
    QCOMPARE(runner.shown().size(), size_t(0));
    QCOMPARE(tscstate::ofDialog(dialog), QStringLiteral("|2|||00000"));
    QVERIFY(readStore().contains("[HKEY_CURRENT_USER\\Software\\Orvane\\tarvik]"));
}

void TestTfmstsc::wrongTypedValueStopsLoading_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    // Every row also stores "Host" and a valid "Bild"; loading stops at the bad value.
    QTest::newRow("console as text")
        << QByteArray("\"Console\"=\"ja\"") << "Ungültiger Datentyp für 'Console'"
        << "srv|2|||10000";
    QTest::newRow("out of range depth is no error")
        << QByteArray("\"Farbtiefe\"=dword:00000005") << QString() << "srv|-1|||10000";
}

void TestTfmstsc::wrongTypedValueStopsLoading()
{
    QFETCH(QByteArray, badLine);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    writeStore(storeWith({"\"Host\"=\"srv\"", badLine, "\"Bild\"=dword:00000001"}));
    ScriptedRunner runner;
    if (!message.isEmpty())
        runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    Tfmstsc dialog(nullptr);
    QCOMPARE(runner.shownTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(tscstate::ofDialog(dialog), shown);
}

void TestTfmstsc::switchLineFromControls_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("line");
    // The text of the line is the store's; here every control must reach its own switch.
    QTest::newRow("first flags") << "srv" << 1 << "u"
                                 << ""
                                 << "10101"
                                 << "/H:srv /f:2 /u:u  /b:1  /l:1  /rdp32";
    QTest::newRow("other flags") << "" << 0 << ""
                                 << "d"
                                 << "01010"
                                 << "/H: /f:1  /d:d  /p:1  /c";
}

void TestTfmstsc::switchLineFromControls()
{
    QFETCH(QString, host);
    QFETCH(int, depth);
    QFETCH(QString, user);
    QFETCH(QString, domain);
    QFETCH(QString, boxes);
    QFETCH(QString, line);
    Tfmstsc dialog(nullptr);
    tscstate::setDialog(dialog, host, depth, user, domain, boxes);
    control<QPushButton>(dialog, "connectbutton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.switchLine(), line);
    QCOMPARE(QGuiApplication::clipboard()->text(), line);
    QCOMPARE(tscstate::stored(), tscstate::ofDialog(dialog));
}

void TestTfmstsc::readSwitchLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown");
    // Loaded before reading: "alt|1|altuser|altdom|11000". The reading itself is the store's.
    QTest::newRow("own line read back") << "/H:srv /f:3 /u:anna /d:dom /b:0 /p:1 /l:1 /rdp32"
                                        << "srv|2|anna|dom|01100";
    QTest::newRow("absent switches keep loaded values") << "/H:srv /f:1"
                                                        << "srv|0|altuser|altdom|11000";
    QTest::newRow("depth 4 selects none") << "/f:4"
                                          << "alt|-1|altuser|altdom|11000";
    // The caller discards the dialog then.
    QTest::newRow("depth no number") << "/h:srv /f:drei"
                                     << "'drei' ist kein gültiger Integerwert";
}

void TestTfmstsc::readSwitchLine()
{
    QFETCH(QString, line);
    QFETCH(QString, shown);
    Tfmstsc dialog(nullptr);
    tscstate::setDialog(dialog, QStringLiteral("alt"), 1, QStringLiteral("altuser"),
                        QStringLiteral("altdom"), QStringLiteral("11000"));
    try {
        dialog.ReadSwitchLine(line);
    } catch (const EConvertError &error) {
        QCOMPARE(error.message(), shown);
        return;
    }
    QCOMPARE(tscstate::ofDialog(dialog), shown);
}

void TestTfmstsc::valuesStoredOnEveryClose_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << "connectbutton";
    QTest::newRow("Abbruch") << "closebutton";
    QTest::newRow("Esc") << "escape";
}

void TestTfmstsc::valuesStoredOnEveryClose()
{
    QFETCH(QString, how);
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
    {
        Tfmstsc dialog(nullptr);
        dialog.show();
        tscstate::setDialog(dialog, QStringLiteral("srv"), -1, QStringLiteral("%username%"),
                            QStringLiteral("dom"), QStringLiteral("01011"));
        if (how == QLatin1String("escape"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            control<QPushButton>(dialog, how.toLatin1().constData())->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), how == QLatin1String("connectbutton") ? int(QDialog::Accepted)
                                                                        : int(QDialog::Rejected));
    }
    QCOMPARE(tscstate::stored(), QStringLiteral("srv|-1|%username%|dom|01011"));
    if (how != QLatin1String("connectbutton"))
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("vorher"));
    Tfmstsc next(nullptr);
    QCOMPARE(tscstate::ofDialog(next), QStringLiteral("srv|-1|%username%|dom|01011"));
}

void TestTfmstsc::storeFailureKeepsDialogOpen()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry takes every character");
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    Tfmstsc dialog(nullptr);
    dialog.show();
    tscstate::setDialog(dialog, QStringLiteral("srv"), 0, QStringLiteral("Pfeil →"), QString(),
                        QStringLiteral("00000"));
    control<QPushButton>(dialog, "closebutton")->click();
    QCOMPARE(runner.shownTexts(), QStringList{"Fehler beim Setzen der Daten für 'Benutzer'"});
    QVERIFY(dialog.isVisible());

    control<QLineEdit>(dialog, "Username")->setText(QStringLiteral("anna"));
    control<QPushButton>(dialog, "closebutton")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(tscstate::stored(), QStringLiteral("srv|0|anna||00000"));
}

void TestTfmstsc::storeTakingNothingLetsDialogClose()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the store is the registry");
    tscstate::store(QStringLiteral("alt|2|||00000"));
    // Without any write bit the store refuses every write, also for the superuser.
    QVERIFY(QFile::setPermissions(registryfile::storePath(), QFile::ReadOwner));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")))
        .then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    Tfmstsc dialog(nullptr);
    dialog.show();
    tscstate::setDialog(dialog, QStringLiteral("srv|0|anna||00000"));
    control<QPushButton>(dialog, "connectbutton")->click();
    QVERIFY(dialog.isVisible());
    control<QPushButton>(dialog, "connectbutton")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.switchLine(), QStringLiteral("/H:srv /f:1 /u:anna"));
    QCOMPARE(runner.shownTexts(), QStringList(2, "Fehler beim Setzen der Daten für 'Host'"));
    QCOMPARE(tscstate::stored(), QStringLiteral("alt|2|||00000"));
}

void TestTfmstsc::variableButtonsFillUserName()
{
    Tfmstsc dialog(nullptr);
    tscstate::setDialog(dialog, QString(), 2, QStringLiteral("alt"), QStringLiteral("dom"),
                        QStringLiteral("00000"));
    control<QToolButton>(dialog, "SpeedButton2")->click();
    QCOMPARE(control<QLineEdit>(dialog, "Username")->text(), QStringLiteral("%administrator%"));
    control<QToolButton>(dialog, "SpeedButton1")->click();
    QCOMPARE(control<QLineEdit>(dialog, "Username")->text(), QStringLiteral("%username%"));
    QCOMPARE(control<QLineEdit>(dialog, "Domain")->text(), QStringLiteral("dom"));
}

void TestTfmstsc::controlsInTabOrder()
{
    Tfmstsc dialog(nullptr);
    QCOMPARE(windowprobe::tabOrder(dialog, "Host", 11),
             QStringList({"Host", "Farbtiefe", "Username", "Domain", "BG", "Printer", "drives",
                          "Console", "RDPstandard", "connectbutton", "closebutton"}));
}

QTEST_MAIN(TestTfmstsc)
#include "tst_tfmstsc.moc"
