// SPDX-License-Identifier: MIT
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "exception.h"
#include "registryfile.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "tfmstsc.h"
#include "tregistry.h"
#include "tscstate.h"
#include "windowprobe.h"

using testfiles::kTarvikKey;
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
    void loadsStoredValues();
    void wrongTypedValueStopsLoading_data();
    void wrongTypedValueStopsLoading();
    void switchLineFromControls_data();
    void switchLineFromControls();
    void readSwitchLine_data();
    void readSwitchLine();
    void invalidDepthStopsReading_data();
    void invalidDepthStopsReading();
    void valuesStoredOnEveryClose_data();
    void valuesStoredOnEveryClose();
    void storeFailureKeepsDialogOpen();
    void variableButtonsFillUserName();
    void controlsInTabOrder();
};

void TestTfmstsc::init()
{
    QFile::remove(regfile::storePath());
}

void TestTfmstsc::firstUseShowsNoError()
{
    ScriptedRunner runner;
    Tfmstsc dialog(nullptr);
    QCOMPARE(runner.shown().size(), size_t(0));
    QCOMPARE(tscstate::ofDialog(dialog), QStringLiteral("|2|||00000"));
    QVERIFY(readStore().contains("[HKEY_CURRENT_USER\\Software\\Orvane\\tarvik]"));
}

void TestTfmstsc::loadsStoredValues()
{
    writeStore(
        storeWith({"\"Host\"=\"srv\"", "\"Farbtiefe\"=dword:00000000", "\"Benutzer\"=\"anna\"",
                   "\"Domaene\"=\"B\xfcro\"", "\"Bild\"=dword:00000001",
                   "\"Laufwerke\"=dword:00000007", "\"RDPSTANDARD\"=dword:00000001"}));
    ScriptedRunner runner;
    Tfmstsc dialog(nullptr);
    QCOMPARE(runner.shown().size(), size_t(0));
    QCOMPARE(tscstate::ofDialog(dialog), QStringLiteral("srv|0|anna|Büro|10101"));
}

void TestTfmstsc::wrongTypedValueStopsLoading_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    // Every row also stores "Host" and a valid "Bild"; loading stops at the bad value.
    QTest::newRow("depth as short text")
        << QByteArray("\"Farbtiefe\"=\"2\"") << "Ungültiger Datentyp für 'Farbtiefe'"
        << "srv|2|||00000";
    QTest::newRow("depth as long text")
        << QByteArray("\"Farbtiefe\"=\"12345\"") << "Fehler beim Holen der Daten für 'Farbtiefe'"
        << "srv|2|||00000";
    QTest::newRow("user as integer")
        << QByteArray("\"Benutzer\"=dword:00000001") << "Ungültiger Datentyp für 'Benutzer'"
        << "srv|2|||00000";
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
    QTest::newRow("nothing but the depth") << "" << 2 << ""
                                           << ""
                                           << "00000"
                                           << "/H: /f:3";
    QTest::newRow("user and console") << "srv" << 2 << "anna"
                                      << ""
                                      << "00010"
                                      << "/H:srv /f:3 /u:anna     /c";
    QTest::newRow("everything") << "srv" << 0 << "u"
                                << "d"
                                << "11111"
                                << "/H:srv /f:1 /u:u /d:d /b:1 /p:1 /l:1 /c /rdp32";
    QTest::newRow("no depth") << "srv" << -1 << ""
                              << ""
                              << "00000"
                              << "/H:srv /f:0";
    QTest::newRow("only the system client") << "" << 1 << ""
                                            << ""
                                            << "00001"
                                            << "/H: /f:2       /rdp32";
    QTest::newRow("blanks kept inside") << "srv" << 2 << "Anna Maier"
                                        << "%administrator%"
                                        << "01000"
                                        << "/H:srv /f:3 /u:Anna Maier /d:%administrator%  /p:1";
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
    // Loaded before reading: "alt|1|altuser|altdom|11000".
    QTest::newRow("empty") << ""
                           << "alt|1|altuser|altdom|11000";
    QTest::newRow("own line read back") << "/H:srv /f:3 /u:anna /d:dom /b:1 /p:1 /l:1 /c /rdp32"
                                        << "srv|2|anna|dom|11110";
    QTest::newRow("absent switches keep loaded values") << "/H:srv /f:1"
                                                        << "srv|0|altuser|altdom|11000";
    QTest::newRow("letters without case") << "/h:srv /U:anna /C"
                                          << "srv|1|anna|altdom|11010";
    QTest::newRow("first character not examined") << "xH:srv -dwelt"
                                                  << "srv|1|altuser|-dwelt|11000";
    QTest::newRow("only 1 checks") << "/b:0 /p:yes /l:1"
                                   << "alt|1|altuser|altdom|00100";
    QTest::newRow("console forms") << "/c:1"
                                   << "alt|1|altuser|altdom|11010";
    QTest::newRow("console zero") << "/c /c:0"
                                  << "alt|1|altuser|altdom|11000";
    QTest::newRow("empty user") << "/u:"
                                << "alt|1||altdom|11000";
    QTest::newRow("unknown letter") << "/x:1 / 9"
                                    << "alt|1|altuser|altdom|11000";
    QTest::newRow("blank cuts the user") << "/u:Anna Maier /d:dom"
                                         << "alt|1|Anna|dom|11000";
    QTest::newRow("runs of blanks") << "  /h:a   \t /u:b  "
                                    << "a|1|b|altdom|11000";
    QTest::newRow("value cut to 55") << "/h:" + QString(60, QLatin1Char('s'))
                                     << QString(55, QLatin1Char('s')) + "|1|altuser|altdom|11000";
    QTest::newRow("later switch wins") << "/h:a /h:b"
                                       << "b|1|altuser|altdom|11000";
    QTest::newRow("ten pieces taken") << "1 2 3 4 5 6 7 8 9 /h:zehn /u:elf"
                                      << "zehn|1|altuser|altdom|11000";
    QTest::newRow("depth 0 selects none") << "/f:0"
                                          << "alt|-1|altuser|altdom|11000";
    QTest::newRow("depth 4 selects none") << "/f:4"
                                          << "alt|-1|altuser|altdom|11000";
    QTest::newRow("depth in hex") << "/f:$3"
                                  << "alt|2|altuser|altdom|11000";
    QTest::newRow("depth 0x1") << "/f:0x1"
                               << "alt|0|altuser|altdom|11000";
    QTest::newRow("depth with sign and zeros") << "/f:+002"
                                               << "alt|1|altuser|altdom|11000";
    QTest::newRow("depth at the lowest integer") << "/f:-2147483648"
                                                 << "alt|-1|altuser|altdom|11000";
}

void TestTfmstsc::readSwitchLine()
{
    QFETCH(QString, line);
    QFETCH(QString, shown);
    Tfmstsc dialog(nullptr);
    tscstate::setDialog(dialog, QStringLiteral("alt"), 1, QStringLiteral("altuser"),
                        QStringLiteral("altdom"), QStringLiteral("11000"));
    dialog.ReadSwitchLine(line);
    QCOMPARE(tscstate::ofDialog(dialog), shown);
}

void TestTfmstsc::invalidDepthStopsReading_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "/h:srv /f:"
                           << "'' ist kein gültiger Integerwert";
    QTest::newRow("word") << "/f:drei"
                          << "'drei' ist kein gültiger Integerwert";
    QTest::newRow("prefix only") << "/f:0x"
                                 << "'0x' ist kein gültiger Integerwert";
    QTest::newRow("too large") << "/f:2147483648"
                               << "'2147483648' ist kein gültiger Integerwert";
    QTest::newRow("no colon") << "/f"
                              << "'/f' ist kein gültiger Integerwert";
}

void TestTfmstsc::invalidDepthStopsReading()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    Tfmstsc dialog(nullptr);
    QString raised;
    try {
        dialog.ReadSwitchLine(line);
    } catch (const EConvertError &error) {
        raised = error.message();
    }
    QCOMPARE(raised, message);
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
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    Tfmstsc dialog(nullptr);
    dialog.show();
    tscstate::setDialog(dialog, QStringLiteral("srv"), 0, QStringLiteral("Pfeil →"), QString(),
                        QStringLiteral("00000"));
    control<QPushButton>(dialog, "closebutton")->click();
    QCOMPARE(runner.shownTexts(), QStringList{"Fehler beim Setzen der Daten für 'Benutzer'"});
    QVERIFY(dialog.isVisible());
    // What was written before the failure stays written.
    TRegistry reg;
    QVERIFY(reg.OpenKey(kTarvikKey, false));
    QCOMPARE(reg.ReadString(QStringLiteral("Host")), QStringLiteral("srv"));
    QVERIFY(!reg.ValueExists(QStringLiteral("Domaene")));

    control<QLineEdit>(dialog, "Username")->setText(QStringLiteral("anna"));
    control<QPushButton>(dialog, "closebutton")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(tscstate::stored(), QStringLiteral("srv|0|anna||00000"));
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
