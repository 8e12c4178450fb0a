// SPDX-License-Identifier: MIT
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "gui/dialogs/menucheckdialog.h"
#include "scriptedrunner.h"
#include "testfiles.h"

class TestMenuCheckDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choose_data();
    void choose();
    void repairAsksFirst_data();
    void repairAsksFirst();
    void unreadableFile();
    void enterClosesWithoutRepair();
    void deepPathKeepsDialogWidth();
};

void TestMenuCheckDialog::choose_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("firstStored");
    QTest::addColumn<QVariantList>("shown"); // showItem's letter and index, or none

    const QByteArray hidden = testfiles::readBytes(testfiles::dataDir() + "/menu-hidden.ini");
    QTest::newRow("hidden entry: stored keys only")
        << hidden << 0 << "   18: 3b=Zeiterfassung" << QVariantList();
    QTest::newRow("hidden node: its whole section")
        << hidden << 1 << "   24: [C]" << QVariantList();
    QTest::newRow("shown entry: the window shows it")
        << testfiles::crlf({"[A]", "Root=Eins", "0b=Ohne Programm", "0p=", "0v=0", "0dc=0"}) << 0
        << "    3: 0b=Ohne Programm" << QVariantList{"A", 0};
}

void TestMenuCheckDialog::choose()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(QString, firstStored);
    QFETCH(QVariantList, shown);

    QTemporaryDir dir;
    const QString path = dir.filePath("tarvik.ini");
    testfiles::writeBytes(path, file);
    MenuCheckDialog dialog;
    QSignalSpy showItem(&dialog, &MenuCheckDialog::showItem);
    dialog.setFile(path);
    auto *list = dialog.findChild<QTreeWidget *>("findings");
    QCOMPARE(size_t(list->topLevelItemCount()), dialog.findings().size());
    QVERIFY(dialog.findChild<QPushButton *>("repair")->isEnabled());

    dialog.choose(row);
    QCOMPARE(list->currentItem(), list->topLevelItem(row));
    const QString stored = dialog.findChild<QPlainTextEdit *>("stored")->toPlainText();
    QCOMPARE(stored.section(u'\n', 0, 0), firstStored);
    QCOMPARE(showItem.size(), shown.isEmpty() ? 0 : 1);
    if (!shown.isEmpty())
        QCOMPARE(showItem.first(), (QVariantList{path} + shown));
}

void TestMenuCheckDialog::repairAsksFirst_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("requests");
    QTest::newRow("yes") << "&Ja" << 1;
    QTest::newRow("no") << "&Nein" << 0;
}

void TestMenuCheckDialog::repairAsksFirst()
{
    QFETCH(QString, answer);
    QFETCH(int, requests);

    MenuCheckDialog dialog;
    dialog.setFile(testfiles::dataDir() + "/menu-hidden.ini");
    QSignalSpy repair(&dialog, &MenuCheckDialog::repairRequested);
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(answer));
    dialog.findChild<QPushButton *>("repair")->click();
    QCOMPARE(runner.shownClasses(), QStringList{"QMessageBox"});
    QCOMPARE(repair.size(), requests);
}

void TestMenuCheckDialog::unreadableFile()
{
    MenuCheckDialog dialog;
    dialog.setFile(testfiles::dataDir() + "/fehlt.ini");
    QVERIFY(dialog.findings().empty());
    QVERIFY(!dialog.findChild<QPushButton *>("repair")->isEnabled());
    QCOMPARE(MenuCheckDialog::statusText(0), QString());
    QCOMPARE(MenuCheckDialog::statusText(2), QStringLiteral("2 Befunde der Menüprüfung"));
}

void TestMenuCheckDialog::enterClosesWithoutRepair()
{
    ScriptedRunner runner; // no answers: a question would be unexpected
    MenuCheckDialog dialog;
    dialog.setFile(testfiles::dataDir() + "/menu-hidden.ini");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(dialog.findChild<QTreeWidget *>("findings"), Qt::Key_Return);
    QCOMPARE(runner.shown().size(), size_t(0));
    QVERIFY(!dialog.isVisible());
}

void TestMenuCheckDialog::deepPathKeepsDialogWidth()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QString(40, u'o') + "/verwaltung/" + QString(60, u'x'));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/tarvik.ini";
    QVERIFY(QFile::copy(testfiles::dataDir() + "/menu-hidden.ini", path));
    MenuCheckDialog dialog;
    const int width = dialog.sizeHint().width();
    dialog.setFile(path);
    auto *summary = dialog.findChild<QLabel *>("summary");
    QVERIFY(summary->text().startsWith("tarvik.ini: "));
    QCOMPARE(summary->toolTip(), path);
    QCOMPARE(dialog.sizeHint().width(), width);
}

QTEST_MAIN(TestMenuCheckDialog)
#include "tst_menucheckdialog.moc"
