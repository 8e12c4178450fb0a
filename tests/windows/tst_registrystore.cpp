// SPDX-License-Identifier: MIT
// The per-user store on Windows against the registry itself, as the system's own tool reg.exe
// shows and sets it: the names, types and texts the store writes, the errors of the types it
// reads, and a store file written on Linux imported as it is.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "base/exception.h"
#include "store/tregistry.h"
#include "testfiles.h"

#include <optional>

namespace {

const QString kKey = QStringLiteral("HKCU\\Software\\Orvane\\tarvik");

// reg.exe with its arguments; its output, or nullopt when it failed.
std::optional<QString> reg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("reg"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("reg %s: %s", qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The line reg query prints for the value: "name  TYPE  data", blanks made single.
QString queried(const QString &name)
{
    const QString output =
        reg({QStringLiteral("query"), kKey, QStringLiteral("/v"), name}).value_or(QString());
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified();
        if (simple.startsWith(name + QLatin1Char(' ')))
            return simple;
    }
    return QString();
}

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { testfiles::clearStore(); }
    void writtenAsRegistryValues();
    void readFromRegistryValues_data();
    void readFromRegistryValues();
    void linuxStoreImports();
};

void TestRegistryStore::writtenAsRegistryValues()
{
    {
        TRegistry store;
        QVERIFY(store.OpenKey(QStringLiteral("\\Software\\Orvane\\tarvik"), true));
        store.WriteString(QStringLiteral("Host"), QStringLiteral("srv01"));
        store.WriteInteger(QStringLiteral("Farbtiefe"), -1);
        store.WriteBool(QStringLiteral("Bild"), true);
        store.WriteString(QStringLiteral("Benutzer"), QString());
        // The registry takes every character, unlike the store's file elsewhere.
        store.WriteString(QStringLiteral("Domaene"), QStringLiteral("Pfeil → Süd"));
    }
    QCOMPARE(queried(QStringLiteral("Host")), QStringLiteral("Host REG_SZ srv01"));
    QCOMPARE(queried(QStringLiteral("Farbtiefe")),
             QStringLiteral("Farbtiefe REG_DWORD 0xffffffff"));
    QCOMPARE(queried(QStringLiteral("Bild")), QStringLiteral("Bild REG_DWORD 0x1"));
    QCOMPARE(queried(QStringLiteral("Benutzer")), QStringLiteral("Benutzer REG_SZ"));
    TRegistry store;
    QVERIFY(store.OpenKey(QStringLiteral("\\Software\\Orvane\\Tarvik"), false));
    QCOMPARE(store.ReadString(QStringLiteral("domaene")), QStringLiteral("Pfeil → Süd"));
}

void TestRegistryStore::readFromRegistryValues_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("asText");
    QTest::addColumn<QString>("asInteger");
    const QString invalid = QStringLiteral("Ungültiger Datentyp für 'Wert'");
    const QString failed = QStringLiteral("Fehler beim Holen der Daten für 'Wert'");
    // An integer read takes four bytes: a text's, counted as the ANSI functions count them,
    // fit up to three characters.
    QTest::newRow("text") << "REG_SZ"
                          << "C:\\Programme"
                          << "C:\\Programme" << failed;
    QTest::newRow("short text") << "REG_SZ"
                                << "abc"
                                << "abc" << invalid;
    QTest::newRow("long text") << "REG_SZ"
                               << "1234"
                               << "1234" << failed;
    QTest::newRow("expandable text") << "REG_EXPAND_SZ"
                                     << "%SystemRoot%\\x"
                                     << "%SystemRoot%\\x" << failed;
    QTest::newRow("integer") << "REG_DWORD"
                             << "0xfffffffe" << invalid << "-2";
    QTest::newRow("bytes") << "REG_BINARY"
                           << "4142" << invalid << invalid;
    QTest::newRow("64-bit integer") << "REG_QWORD"
                                    << "0x2" << invalid << failed;
}

void TestRegistryStore::readFromRegistryValues()
{
    QFETCH(QString, type);
    QFETCH(QString, data);
    QFETCH(QString, asText);
    QFETCH(QString, asInteger);
    QVERIFY(reg({QStringLiteral("add"), kKey, QStringLiteral("/v"), QStringLiteral("Wert"),
                 QStringLiteral("/t"), type, QStringLiteral("/d"), data, QStringLiteral("/f")}));
    TRegistry store;
    QVERIFY(store.OpenKey(QStringLiteral("\\Software\\Orvane\\tarvik"), false));
    QString text;
    const QString textError = testfiles::errorOf<ERegistryException>(
        [&] { text = store.ReadString(QStringLiteral("Wert")); });
    QCOMPARE(textError.isEmpty() ? text : textError, asText);
    qint32 number = 0;
    const QString numberError = testfiles::errorOf<ERegistryException>(
        [&] { number = store.ReadInteger(QStringLiteral("Wert")); });
    QCOMPARE(numberError.isEmpty() ? QString::number(number) : numberError, asInteger);
}

void TestRegistryStore::linuxStoreImports()
{
    // The store's file as the Linux build writes it.
    const QByteArray file = testfiles::storeWith({"\"Host\"=\"C:\\\\Pfad \\\"neu\\\" Gr\xf6\xdf"
                                                  "e\"",
                                                  "\"Farbtiefe\"=dword:0000002a",
                                                  "\"Bild\"=dword:00000000", "@=\"Standard\""});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    testfiles::writeBytes(path, file);
    QVERIFY(reg({QStringLiteral("import"), QDir::toNativeSeparators(path)}));

    TRegistry store;
    QVERIFY(store.OpenKey(QStringLiteral("\\Software\\Orvane\\tarvik"), false));
    QCOMPARE(store.ReadString(QStringLiteral("Host")), QStringLiteral("C:\\Pfad \"neu\" Größe"));
    QCOMPARE(store.ReadInteger(QStringLiteral("Farbtiefe")), 42);
    QVERIFY(!store.ReadBool(QStringLiteral("Bild")));
    QCOMPARE(store.ReadString(QString()), QStringLiteral("Standard"));
    QCOMPARE(queried(QStringLiteral("Farbtiefe")), QStringLiteral("Farbtiefe REG_DWORD 0x2a"));
}

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registrystore.moc"
