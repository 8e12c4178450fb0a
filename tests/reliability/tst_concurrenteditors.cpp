// SPDX-License-Identifier: MIT
// Two editor processes on one menu file, the second still showing the file as it was before the
// first one's change: each command writes its keys into the file as it now stands, so the
// second save keeps what the first one changed elsewhere.
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include "probeclient.h"
#include "testfiles.h"

using testfiles::crlf;

namespace {

QByteArray menu()
{
    return crlf({"[Config]",   "width=180",      "[A]",      "Root=B\xfcro", "expand=1",
                 "0b=Brief",   "0d=winword.exe", "0p=/n",    "0v=0",         "0dc=0",
                 "1b=Rechner", "1d=calc.exe",    "1p=",      "1v=0",         "1dc=0",
                 "[B]",        "Root=Lager",     "expand=0", "0b=Bestand",   "0d=lager.exe",
                 "0p=/b",      "0v=0",           "0dc=0"});
}

} // namespace

class ConcurrentEditors : public QObject
{
    Q_OBJECT

private slots:
    void secondSaveKeepsFirst_data();
    void secondSaveKeepsFirst();
    void deleteQuestionOverAnotherDelete();
};

void ConcurrentEditors::secondSaveKeepsFirst_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    // Pairs of old and new lines, and what is added at the end of the file.
    QTest::addColumn<QByteArrayList>("replaced");
    QTest::addColumn<QByteArray>("appended");

    QTest::newRow("entries of two nodes")
        << QStringList{"click Rechner", "set Name Taschenrechner", "trigger Esave"}
        << QStringList{"click Bestand", "set param /alle", "trigger Esave"}
        << QByteArrayList{"1b=Rechner", "1b=Taschenrechner", "0p=/b", "0p=/alle"} << QByteArray();
    QTest::newRow("two entries of one node")
        << QStringList{"click Brief", "set param /m", "trigger Esave"}
        << QStringList{"click Rechner", "tick NichtSchliessen 1", "trigger Esave"}
        << QByteArrayList{"0p=/n", "0p=/m", "1dc=0", "1dc=1"} << QByteArray();
    QTest::newRow("a node and one of its entries")
        << QStringList{"click B\u00fcro", "set Name Verwaltung", "trigger Esave"}
        << QStringList{"click Brief", "set Name Briefe", "trigger Esave"}
        << QByteArrayList{"Root=B\xfcro", "Root=Verwaltung", "0b=Brief", "0b=Briefe"}
        << QByteArray();
    QTest::newRow("a new node, then a save")
        << QStringList{"answer text Neu", "trigger Knotenanlegen1"}
        << QStringList{"click Bestand", "set Name Inventur", "trigger Esave"}
        << QByteArrayList{"0b=Bestand", "0b=Inventur"} << QByteArray("[C]\r\nRoot=Neu\r\n");
}

void ConcurrentEditors::secondSaveKeepsFirst()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QByteArrayList, replaced);
    QFETCH(QByteArray, appended);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    testfiles::writeBytes(path, menu());

    ProbeEditor one(path);
    ProbeEditor two(path);
    QVERIFY(one.isRunning() && two.isRunning());
    const QStringList loaded = two.list(QStringLiteral("tree"));
    QCOMPARE(one.list(QStringLiteral("tree")), loaded);
    QCOMPARE(loaded.size(), 5);

    for (const QString &command : std::as_const(first))
        QCOMPARE(one.command(command), QStringLiteral("ok"));
    for (const QString &command : std::as_const(second))
        QCOMPARE(two.command(command), QStringLiteral("ok"));
    QCOMPARE(two.list(QStringLiteral("shown")).size(), 0);

    QByteArray expected = menu();
    for (qsizetype i = 0; i + 1 < replaced.size(); i += 2) {
        QCOMPARE(expected.count(replaced[i] + "\r\n"), 1);
        expected.replace(replaced[i] + "\r\n", replaced[i + 1] + "\r\n");
    }
    expected += appended;
    QCOMPARE(testfiles::readBytes(path), expected);
}

// Editor one asks whether to delete "Rechner"; meanwhile editor two deletes "Brief", which moves
// "Rechner" into its place. "Ja" in editor one then deletes nothing, neither "Rechner" at its new
// place nor what came to stand at the old one, and says so.
void ConcurrentEditors::deleteQuestionOverAnotherDelete()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    const QString go = dir.filePath(QStringLiteral("go"));
    testfiles::writeBytes(path, menu());

    ProbeEditor one(path);
    ProbeEditor two(path);
    QVERIFY(one.isRunning() && two.isRunning());
    QCOMPARE(one.command(QStringLiteral("click Rechner")), QStringLiteral("ok"));
    QCOMPARE(one.command(QStringLiteral("answer-when ") + go + QStringLiteral(" &Ja")),
             QStringLiteral("ok"));
    QCOMPARE(one.command(QStringLiteral("answer button OK")), QStringLiteral("ok"));
    one.send(QStringLiteral("trigger btdelete"));

    for (const QString &command :
         {QStringLiteral("click Brief"), QStringLiteral("answer button &Ja"),
          QStringLiteral("trigger btdelete")})
        QCOMPARE(two.command(command), QStringLiteral("ok"));
    const QByteArray afterTwo = testfiles::readBytes(path);
    QVERIFY(afterTwo.contains("0b=Rechner\r\n"));
    QThread::msleep(1000); // editor one's file watch has surely fired under its question
    testfiles::writeBytes(go, {});

    QCOMPARE(one.reply(), QStringLiteral("ok"));
    const QStringList shown = one.list(QStringLiteral("shown"));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0], QStringLiteral("Wollen Sie wirklich den Eintrag >> Rechner << löschen?"));
    QVERIFY2(shown[1].contains(QStringLiteral("außerhalb des Editors")), qPrintable(shown[1]));
    QCOMPARE(testfiles::readBytes(path), afterTwo);
    QCOMPARE(one.list(QStringLiteral("tree")), two.list(QStringLiteral("tree")));
}

QTEST_GUILESS_MAIN(ConcurrentEditors)
#include "tst_concurrenteditors.moc"
