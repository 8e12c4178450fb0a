// SPDX-License-Identifier: MIT
// Another program (the launcher, a virus scanner) holds the menu file open while a command
// writes it. Where that blocks the replacement (Windows), the write waits a short time for it;
// held on, the command fails with a message that says why, and the file keeps its content.
// Either way nothing is left beside the file.
#include <QDir>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "base/exception.h"
#include "model/transaction.h"
#include "store/tinifile.h"
#include "testfiles.h"

namespace {

const QByteArray kBefore = "[A]\r\nRoot=Alt\r\n";

// The holder as a process of its own; it says "1" once the file is open.
bool startHolder(QProcess &holder, const QString &path, int ms)
{
    holder.start(QStringLiteral(TARVIK_PROBE), {QStringLiteral("hold"), path, QString::number(ms)});
    if (!holder.waitForStarted(10000))
        return false;
    while (holder.bytesAvailable() == 0 && holder.state() == QProcess::Running)
        holder.waitForReadyRead(10000);
    return holder.readAll().trimmed() == "1";
}

void write(bool command, const QString &path)
{
    if (command) {
        transaction::run([&](transaction::Transaction &t) {
            t.file(path).WriteString(QStringLiteral("A"), QStringLiteral("Root"),
                                     QStringLiteral("Neu"));
        });
    } else {
        TIniFile(path).WriteString(QStringLiteral("A"), QStringLiteral("Root"),
                                   QStringLiteral("Neu"));
    }
}

} // namespace

class HeldOpen : public QObject
{
    Q_OBJECT

private slots:
    void heldOpen_data();
    void heldOpen();
};

void HeldOpen::heldOpen_data()
{
    QTest::addColumn<bool>("command"); // a command's transaction, or a single store write
    QTest::addColumn<int>("holdMs");
    QTest::newRow("let go while the write waits") << false << 500;
    QTest::newRow("command, let go while it waits") << true << 500;
    QTest::newRow("held on") << false << 30000;
    QTest::newRow("command, held on") << true << 30000;
}

void HeldOpen::heldOpen()
{
    QFETCH(bool, command);
    QFETCH(int, holdMs);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    testfiles::writeBytes(path, kBefore);

    QProcess holder;
    QVERIFY(startHolder(holder, path, holdMs));
    QString error;
    try {
        write(command, path);
    } catch (const EIniFileException &e) {
        error = e.message();
    }
    holder.kill();
    holder.waitForFinished(10000);

    const bool blocks = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
    if (blocks && holdMs > 5000) {
        QCOMPARE(error, QStringLiteral("In %1 kann nicht geschrieben werden: Ein anderes Programm "
                                       "hält die Datei geöffnet")
                            .arg(path));
        QCOMPARE(testfiles::readBytes(path), kBefore);
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(testfiles::readBytes(path), QByteArray("[A]\r\nRoot=Neu\r\n"));
    }
    QCOMPARE(QDir(dir.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("tarvik.ini")});
}

QTEST_GUILESS_MAIN(HeldOpen)
#include "tst_heldopen.moc"
