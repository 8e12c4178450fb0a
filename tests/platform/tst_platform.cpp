// SPDX-License-Identifier: MIT
// What the platform layer promises the store, on every system it is built for.
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "platform/platform.h"
#include "testfiles.h"

#include <memory>
#include <thread>

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void readAndStamp_data();
    void readAndStamp();
    void replacementIsANewFile();
    void lockWaitsForItsHolder();
    void missingFileIsNotLocked();

private:
    QStringList entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlatform::readAndStamp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("readable");
    QTest::newRow("file") << "menü.ini" << true << true;
    QTest::newRow("folder") << "ordner" << true << false;
    QTest::newRow("missing") << "fehlt.ini" << false << false;
}

void TestPlatform::readAndStamp()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QFETCH(bool, readable);
    const QString path = m_dir->filePath(name);
    testfiles::writeBytes(m_dir->filePath(QStringLiteral("menü.ini")), "[A]\r\nRoot=Eins\r\n");
    QDir(m_dir->path()).mkdir(QStringLiteral("ordner"));

    platform::FileStamp stamp;
    const std::optional<QByteArray> bytes = platform::readFile(path, &stamp);
    QCOMPARE(bytes.has_value(), readable);
    QCOMPARE(stamp.exists, exists);
    QCOMPARE(stamp, platform::fileStamp(path));
    if (readable) {
        QCOMPARE(*bytes, QByteArray("[A]\r\nRoot=Eins\r\n"));
        QCOMPARE(stamp.size, bytes->size());
    }
}

void TestPlatform::replacementIsANewFile()
{
    // Same size and, on a coarse clock, the same times: the file's identity tells the change.
    const QString path = m_dir->filePath(QStringLiteral("menu.ini"));
    QVERIFY(platform::replaceFile(path, "[A]\r\nRoot=Eins\r\n"));
    const platform::FileStamp before = platform::fileStamp(path);
    QVERIFY(platform::replaceFile(path, "[A]\r\nRoot=Zwei\r\n"));
    const platform::FileStamp after = platform::fileStamp(path);
    QVERIFY(after.exists);
    QVERIFY(after.inode != before.inode || after.device != before.device);
    QCOMPARE(after.size, before.size);
    QVERIFY(platform::removeFile(path));
    QVERIFY(platform::removeFile(path));
    QVERIFY(!platform::fileStamp(path).exists);
}

void TestPlatform::lockWaitsForItsHolder()
{
    const QString path = m_dir->filePath(QStringLiteral("menu.ini"));
    testfiles::writeBytes(path, "[A]\r\n");
    auto first = std::make_unique<platform::FileLock>(path);
    QVERIFY(first->held());
    std::thread release([&first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        first.reset();
    });
    QElapsedTimer waited;
    waited.start();
    {
        const platform::FileLock second(path);
        const qint64 ms = waited.elapsed();
        release.join();
        QVERIFY(second.held());
        QVERIFY2(ms >= 250, qPrintable(QStringLiteral("took the lock after %1 ms").arg(ms)));
    }
    // Nothing of the lock stays behind; a killed holder's lock goes with its process.
    QCOMPARE(entries(), QStringList{QStringLiteral("menu.ini")});
    QVERIFY(platform::FileLock(path).held());
}

void TestPlatform::missingFileIsNotLocked()
{
    const QString path = m_dir->filePath(QStringLiteral("neu.ini"));
    QVERIFY(!platform::FileLock(path).held());
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
