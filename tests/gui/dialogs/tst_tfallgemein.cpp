// SPDX-License-Identifier: MIT
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "gui/dialogs/tfallgemein.h"
#include "model/generalsettings.h"
#include "scriptedrunner.h"
#include "store/tinifile.h"
#include "store/tregistry.h"
#include "testfiles.h"
#include "windowprobe.h"

using testfiles::kTarvikKey;
using windowprobe::control;

namespace {

// Position of the checked item of a radio group, -1 when none is.
int checkedPosition(const QWidget &dialog, const char *group)
{
    const QList<QRadioButton *> items =
        control<QGroupBox>(dialog, group)->findChildren<QRadioButton *>();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->isChecked())
            return i;
    }
    return -1;
}

// title|update|onTop fade lastsize|TSsize|tsbox|updatetyp|font size shown
QString shown(const TFallgemein &dialog)
{
    QString boxes;
    for (const char *name : {"cbtop", "cbfade", "lastsize"})
        boxes +=
            control<QCheckBox>(dialog, name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return QStringList{control<QLineEdit>(dialog, "edTitel")->text(),
                       control<QLineEdit>(dialog, "edupdate")->text(),
                       boxes,
                       QString::number(checkedPosition(dialog, "abox")),
                       control<QCheckBox>(dialog, "cbabox")->isChecked() ? QStringLiteral("1")
                                                                         : QStringLiteral("0"),
                       QString::number(checkedPosition(dialog, "Update")),
                       control<QLineEdit>(dialog, "Edit1")->text()}
        .join(QLatin1Char('|'));
}

QString storedMstscPath()
{
    TRegistry reg;
    if (!reg.OpenKey(kTarvikKey, false) || !reg.ValueExists(QStringLiteral("MSTSCPATH")))
        return QStringLiteral("missing");
    return reg.ReadString(QStringLiteral("mstscpath"));
}

} // namespace

class TestTFallgemein : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void sizeItems();
    void readsSettings_data();
    void readsSettings();
    void okWritesAllKeys_data();
    void okWritesAllKeys();
    void okWritesWhatItShows();
    void fontSizeChangedByUser();
    void cancelWritesNothing();
    void writeFailureShownAndClosed();
    void updateFolderChosen();
    void clientFolderStoredAtOnce();
    void controlsInTabOrder();

private:
    QTemporaryDir m_dir;
    QString m_menu;
};

void TestTFallgemein::init()
{
    testfiles::clearStore();
    m_menu = m_dir.filePath(QStringLiteral("menu%1.ini")
                                .arg(QTest::currentDataTag())
                                .replace(QLatin1Char(' '), QLatin1Char('_')));
    QFile::remove(m_menu);
}

void TestTFallgemein::sizeItems()
{
    TFallgemein dialog(m_menu, nullptr);
    QStringList texts;
    for (const QRadioButton *item :
         control<QGroupBox>(dialog, "abox")->findChildren<QRadioButton *>())
        texts << item->text();
    QCOMPARE(texts,
             QStringList({"640 x 480", "800 x 600", "1024 x 700", "1024 x 768", "1152 x 864",
                          "1280 x 720", "1280 x 1024", "1300 x 900", "-1 x -1", "Vollbild"}));
}

void TestTFallgemein::readsSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    const QString defaults = QStringLiteral("Start-Menü||010|2|0|3|8");
    QTest::newRow("no file") << QByteArray() << defaults;
    QTest::newRow("all set") << testfiles::crlf({"[Config]", "Title=Mein Men\xfc",
                                                 "Update=\\\\srv\\upd", "onTop=1", "fade=0",
                                                 "lastsize=1", "TSsize=5", "tsbox=1", "updatetyp=1",
                                                 "fontsize=12", "Width=300"})
                             << QStringLiteral("Mein Menü|\\\\srv\\upd|101|5|1|1|12");
    QTest::newRow("size beyond the last")
        << testfiles::crlf({"[Config]", "TSsize=12"}) << QStringLiteral("Start-Menü||010|9|0|3|8");
    QTest::newRow("size -1") << testfiles::crlf({"[Config]", "TSsize=-1"})
                             << QStringLiteral("Start-Menü||010|-1|0|3|8");
    QTest::newRow("size below -1")
        << testfiles::crlf({"[Config]", "TSsize=-5"}) << QStringLiteral("Start-Menü||010|-1|0|3|8");
    QTest::newRow("update type beyond the last") << testfiles::crlf({"[Config]", "updatetyp=7"})
                                                 << QStringLiteral("Start-Menü||010|2|0|3|8");
    QTest::newRow("update type below -1") << testfiles::crlf({"[Config]", "updatetyp=-2"})
                                          << QStringLiteral("Start-Menü||010|2|0|-1|8");
    QTest::newRow("font size too large") << testfiles::crlf({"[Config]", "fontsize=150"})
                                         << QStringLiteral("Start-Menü||010|2|0|3|100");
    QTest::newRow("font size negative") << testfiles::crlf({"[Config]", "fontsize=-3"})
                                        << QStringLiteral("Start-Menü||010|2|0|3|0");
}

void TestTFallgemein::readsSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    if (!file.isEmpty())
        testfiles::writeBytes(m_menu, file);
    TFallgemein dialog(m_menu, nullptr);
    QCOMPARE(shown(dialog), expected);
    QCOMPARE(control<QLineEdit>(dialog, "edmstsc")->text(), QString());
}

void TestTFallgemein::okWritesAllKeys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("size beyond the last")
        << testfiles::crlf({"[Config]", "TSsize=12"}) << "TSsize" << QByteArray("9");
    QTest::newRow("size below -1")
        << testfiles::crlf({"[Config]", "TSsize=-5"}) << "TSsize" << QByteArray("-1");
    QTest::newRow("ninth size") << testfiles::crlf({"[Config]", "TSsize=8"}) << "TSsize"
                                << QByteArray("8");
    QTest::newRow("update type beyond the last")
        << testfiles::crlf({"[Config]", "updatetyp=7"}) << "Updatetyp" << QByteArray("3");
    QTest::newRow("update type none")
        << testfiles::crlf({"[Config]", "updatetyp=-9"}) << "Updatetyp" << QByteArray("-1");
    QTest::newRow("font size kept beyond the range")
        << testfiles::crlf({"[Config]", "fontsize=150"}) << "Fontsize" << QByteArray("150");
    QTest::newRow("font size kept below the range")
        << testfiles::crlf({"[Config]", "fontsize=-3"}) << "Fontsize" << QByteArray("-3");
}

void TestTFallgemein::okWritesAllKeys()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(QByteArray, written);
    testfiles::writeBytes(m_menu, file);
    {
        TFallgemein dialog(m_menu, nullptr);
        control<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    // A key already in the file keeps its spelling there.
    const QByteArray after = testfiles::readBytes(m_menu).toLower();
    QVERIFY2(after.contains(("\r\n" + key.toLatin1() + "=" + written + "\r\n").toLower()),
             after.constData());
}

void TestTFallgemein::okWritesWhatItShows()
{
    // Every value distinct from its default and from the others, so a control mixed up with
    // another one shows.
    const QByteArray before =
        testfiles::crlf({"[Config]", "Title=Mein Men\xfc", "Update=upd", "onTop=1", "fade=0",
                         "lastsize=1", "TSsize=5", "tsbox=0", "updatetyp=1", "fontsize=12"});
    testfiles::writeBytes(m_menu, before);
    TFallgemein dialog(m_menu, nullptr);
    QVERIFY(dialog.changes().empty());
    control<QLineEdit>(dialog, "edTitel")->setText(QStringLiteral("Neu"));
    control<QPushButton>(dialog, "Button1")->click();
    const QByteArray after = testfiles::readBytes(m_menu);
    TMemIniFile written(m_menu, after);
    const GeneralSettings s = readGeneralSettings(written);
    QCOMPARE(QStringList({s.title, s.updateFolder}), QStringList({"Neu", "upd"}));
    QCOMPARE(QList<bool>({s.onTop, s.fade, s.lastSize, s.sizeBox}),
             QList<bool>({true, false, true, false}));
    QCOMPARE(QList<int>({s.screenSize, s.updateKind, s.fontSize}), QList<int>({5, 1, 12}));
    // What the main window puts on its undo history.
    QCOMPARE(dialog.changes().size(), size_t(1));
    QCOMPARE(dialog.changes()[0].before, std::optional<QByteArray>(before));
    QCOMPARE(dialog.changes()[0].after, std::optional<QByteArray>(after));
}

void TestTFallgemein::fontSizeChangedByUser()
{
    testfiles::writeBytes(m_menu, testfiles::crlf({"[Config]", "fontsize=150"}));
    TFallgemein dialog(m_menu, nullptr);
    QTest::keyClick(control<QSpinBox>(dialog, "Schriftgroesse"), Qt::Key_Down);
    QCOMPARE(control<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("99"));
    control<QPushButton>(dialog, "Button1")->click();
    QVERIFY(testfiles::readBytes(m_menu).contains("\r\nfontsize=99\r\n"));
}

void TestTFallgemein::cancelWritesNothing()
{
    const QByteArray file = testfiles::crlf({"[Config]", "Title=alt", "TSsize=12"});
    testfiles::writeBytes(m_menu, file);
    TFallgemein dialog(m_menu, nullptr);
    control<QLineEdit>(dialog, "edTitel")->setText(QStringLiteral("neu"));
    control<QPushButton>(dialog, "Button2")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(testfiles::readBytes(m_menu), file);
    QVERIFY(dialog.changes().empty());
}

void TestTFallgemein::writeFailureShownAndClosed()
{
    const QString menu = m_dir.filePath(QStringLiteral("fehlt/tarvik.ini"));
    ScriptedRunner runner;
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    TFallgemein dialog(menu, nullptr);
    dialog.show();
    control<QPushButton>(dialog, "Button1")->click();
    QCOMPARE(runner.shownTexts(),
             QStringList{QStringLiteral("In %1 kann nicht geschrieben werden.").arg(menu)});
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFile::exists(menu));
    QVERIFY(dialog.changes().empty());
}

void TestTFallgemein::updateFolderChosen()
{
    ScriptedRunner runner;
    runner.then(ScriptedRunner::chooseFile(m_dir.path())).then(ScriptedRunner::reject());
    TFallgemein dialog(m_menu, nullptr);
    control<QToolButton>(dialog, "SpeedButton1")->click();
    QCOMPARE(runner.shown().at(0).title, QStringLiteral("Verzeichniswahl"));
    QCOMPARE(control<QLineEdit>(dialog, "edupdate")->text(),
             QDir::toNativeSeparators(m_dir.path()));
    control<QToolButton>(dialog, "SpeedButton1")->click();
    QCOMPARE(control<QLineEdit>(dialog, "edupdate")->text(),
             QDir::toNativeSeparators(m_dir.path()));
    // Only "OK" takes the folder to the file; the per-user store is not touched.
    QVERIFY(!QFile::exists(m_menu));
    QCOMPARE(storedMstscPath(), QStringLiteral("missing"));
}

void TestTFallgemein::clientFolderStoredAtOnce()
{
    {
        ScriptedRunner runner;
        runner.then(ScriptedRunner::reject())
            .then(ScriptedRunner::accept())
            .then(ScriptedRunner::chooseFile(m_dir.path()));
        TFallgemein dialog(m_menu, nullptr);
        // Neither "Abbrechen" nor "OK" without a choice stores anything.
        for (int i = 0; i < 2; ++i) {
            control<QToolButton>(dialog, "SpeedButton2")->click();
            QCOMPARE(control<QLineEdit>(dialog, "edmstsc")->text(), QString());
            QCOMPARE(storedMstscPath(), QStringLiteral("missing"));
        }
        control<QToolButton>(dialog, "SpeedButton2")->click();
        QCOMPARE(control<QLineEdit>(dialog, "edmstsc")->text(),
                 QDir::toNativeSeparators(m_dir.path()));
        QCOMPARE(storedMstscPath(), QDir::toNativeSeparators(m_dir.path()));
        control<QPushButton>(dialog, "Button2")->click();
        QCOMPARE(runner.unexpected(), 0);
    }
    QCOMPARE(storedMstscPath(), QDir::toNativeSeparators(m_dir.path()));
    // Written for other readers only: the next opening starts empty again.
    TFallgemein next(m_menu, nullptr);
    QCOMPARE(control<QLineEdit>(next, "edmstsc")->text(), QString());
}

void TestTFallgemein::controlsInTabOrder()
{
    TFallgemein dialog(m_menu, nullptr);
    const QStringList order = windowprobe::tabOrder(dialog, "Button1", 24, {"Edit1"});
    QStringList expected{"Button1", "Button2", "edTitel", "edupdate",
                         "edmstsc", "cbtop",   "cbfade",  "lastsize"};
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("abox%1").arg(i);
    expected << "cbabox"
             << "UpdateKein"
             << "UpdateProgramm"
             << "UpdateKonfiguration"
             << "UpdateBeides"
             << "Schriftgroesse";
    QCOMPARE(order, expected);
}

QTEST_MAIN(TestTFallgemein)
#include "tst_tfallgemein.moc"
