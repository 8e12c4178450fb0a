// SPDX-License-Identifier: MIT
// A transaction that locks its files before it reads them: it commits without waiting for its own
// lock, and a program that writes without the lock meanwhile is still caught.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "model/transaction.h"
#include "store/tinifile.h"
#include "testfiles.h"

using testfiles::readBytes;
using testfiles::writeBytes;

class TestTransaction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lockedThenCommitted_data();
    void lockedThenCommitted();
};

void TestTransaction::lockedThenCommitted_data()
{
    QTest::addColumn<bool>("writtenMeanwhile"); // by a program that takes no lock
    QTest::newRow("alone") << false;
    QTest::newRow("written without the lock meanwhile") << true;
}

void TestTransaction::lockedThenCommitted()
{
    QFETCH(bool, writtenMeanwhile);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    writeBytes(path, "[A]\r\nRoot=Alt\r\n");

    QElapsedTimer timer;
    timer.start();
    transaction::Transaction t;
    // Named twice and by another spelling: one lock, taken once.
    t.lock({path, path, dir.path() + QStringLiteral("/./tarvik.ini")});
    t.file(path).WriteString(QStringLiteral("A"), QStringLiteral("Root"), QStringLiteral("Neu"));
    if (writtenMeanwhile)
        writeBytes(path, "[A]\r\nRoot=Fremd\r\n");
    const std::optional<transaction::Changes> changes = t.commit();
    // A second lock of its own would have waited the whole time out.
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(changes.has_value(), !writtenMeanwhile);
    QCOMPARE(readBytes(path),
             writtenMeanwhile ? QByteArray("[A]\r\nRoot=Fremd\r\n") : "[A]\r\nRoot=Neu\r\n");
}

QTEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"
