// SPDX-License-Identifier: MIT
#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "base/exception.h"
#include "gui/dialogs/messages.h"
#include "scriptedrunner.h"
#include "testfiles.h"

class TestMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fullStop_data();
    void fullStop();
    void errorBoxShowsExceptionWithFullStop();
    void confirmAnswers_data();
    void confirmAnswers();
    void inputBoxLimitsLength();
    void inputBoxCancelled();
    void chooseFolder_data();
    void chooseFolder();

private:
    QTemporaryDir m_dir;
};

void TestMessages::initTestCase()
{
    // The folder chooser opens in the working folder.
    QVERIFY(QDir(m_dir.path()).mkpath("Ordner") && QDir(m_dir.path()).mkpath("Zweiter"));
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestMessages::fullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "In x kann nicht geschrieben werden"
                            << "In x kann nicht geschrieben werden.";
    QTest::newRow("digit") << "Fehler 7"
                           << "Fehler 7.";
    QTest::newRow("question") << "Was?"
                              << "Was?.";
    QTest::newRow("colon") << "Datei:"
                           << "Datei:.";
    QTest::newRow("full stop") << "Fertig."
                               << "Fertig.";
    QTest::newRow("apostrophe") << "Fehler beim Holen der Daten für 'Farbtiefe'"
                                << "Fehler beim Holen der Daten für 'Farbtiefe'";
    QTest::newRow("exclamation") << "Halt!"
                                 << "Halt!";
    QTest::newRow("parenthesis") << "(so)"
                                 << "(so)";
    QTest::newRow("comma") << "a,"
                           << "a,";
    QTest::newRow("umlaut") << "Größe"
                            << "Größe.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMessages::fullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(messages::withFullStop(message), shown);
}

void TestMessages::errorBoxShowsExceptionWithFullStop()
{
    ScriptedRunner runner;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    runner.then([&icon](QDialog &dialog) {
        icon = qobject_cast<QMessageBox *>(&dialog)->icon();
        return ScriptedRunner::clickButton(QStringLiteral("OK"))(dialog);
    });
    messages::guarded(nullptr, [] { throw EIniFileException(QStringLiteral("Kaputt")); });
    QCOMPARE(runner.shown().size(), size_t(1));
    QCOMPARE(runner.shown()[0].title, QStringLiteral("Tarvik konfigurieren"));
    QCOMPARE(runner.shown()[0].text, QStringLiteral("Kaputt."));
    QCOMPARE(icon, QMessageBox::Critical);
}

void TestMessages::confirmAnswers_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("escape");
    QTest::newRow("Ja") << true << false;
    QTest::newRow("Nein") << false << false;
    QTest::newRow("Esc") << false << true;
}

void TestMessages::confirmAnswers()
{
    QFETCH(bool, yes);
    QFETCH(bool, escape);
    ScriptedRunner runner;
    QString defaultButton;
    runner.then([&](QDialog &dialog) {
        auto &box = *qobject_cast<QMessageBox *>(&dialog);
        defaultButton = box.defaultButton()->text();
        if (escape) {
            box.escapeButton()->click();
            return 0;
        }
        return ScriptedRunner::clickButton(yes ? QStringLiteral("&Ja")
                                               : QStringLiteral("&Nein"))(dialog);
    });
    QCOMPARE(messages::confirm(nullptr, QStringLiteral("Sicher?")), yes);
    QCOMPARE(runner.shown()[0].title, QStringLiteral("Bestätigung"));
    QCOMPARE(defaultButton, QStringLiteral("&Ja"));
}

void TestMessages::inputBoxLimitsLength()
{
    ScriptedRunner runner;
    runner.then(ScriptedRunner::enterText(QString(300, QLatin1Char('x'))));
    const auto text = messages::inputText(nullptr, QStringLiteral("Neue Überschrift eingeben"),
                                          QStringLiteral("Beschriftung:"), 255);
    QVERIFY(text.has_value());
    QCOMPARE(text->size(), 255);
    QCOMPARE(runner.shown()[0].title, QStringLiteral("Neue Überschrift eingeben"));
    QCOMPARE(runner.shown()[0].text, QStringLiteral("Beschriftung:"));
}

void TestMessages::inputBoxCancelled()
{
    ScriptedRunner runner;
    runner.then(ScriptedRunner::reject());
    QVERIFY(!messages::inputText(nullptr, QStringLiteral("t"), QStringLiteral("p"), 255));
}

void TestMessages::chooseFolder_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("chosen"); // empty for none
    const QString second = m_dir.filePath("Zweiter");
    QTest::newRow("OK without a choice") << ""
                                         << "";
    QTest::newRow("folder selected") << "select Ordner" << m_dir.filePath("Ordner");
    QTest::newRow("name typed") << "type Ordner" << m_dir.filePath("Ordner");
    // Qt selects what is typed, except for a network path.
    if (testfiles::hasPosixFiles())
        QTest::newRow("network path typed") << "type /" + second << "/" + second;
    // Last: Qt's choosers open where the last one went.
    QTest::newRow("folder gone into") << "enter Zweiter" << second;
}

void TestMessages::chooseFolder()
{
    QFETCH(QString, how);
    QFETCH(QString, chosen);
    ScriptedRunner runner;
    QString started;
    runner.then([&](QDialog &dialog) {
        auto &chooser = static_cast<QFileDialog &>(dialog);
        started = chooser.directory().absolutePath();
        const QString what = how.section(u' ', 1);
        if (how.startsWith("select")) {
            auto *list = chooser.findChild<QAbstractItemView *>("listView");
            const QModelIndex folder =
                qobject_cast<QFileSystemModel *>(list->model())->index(m_dir.filePath(what));
            list->selectionModel()->select(folder,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        } else if (how.startsWith("type")) {
            chooser.findChild<QLineEdit *>("fileNameEdit")->setText(what);
        } else if (how.startsWith("enter")) {
            chooser.setDirectory(m_dir.filePath(what));
        }
        return ScriptedRunner::accept()(dialog);
    });
    const auto folder = messages::ChooseFolder(nullptr, QStringLiteral("Verzeichniswahl"));
    QCOMPARE(started, m_dir.path());
    QCOMPARE(folder,
             chosen.isEmpty() ? std::nullopt : std::optional(QDir::toNativeSeparators(chosen)));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
