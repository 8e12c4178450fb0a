// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/exception.h"
#include "platform/registryfile.h"
#include "store/tregistry.h"
#include "testfiles.h"

using testfiles::readStore;
using testfiles::storeWith;
using testfiles::writeStore;

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvane\\tarvik");
const QByteArray kKeyLine = "[HKEY_CURRENT_USER\\Software\\Orvane\\tarvik]";

} // namespace

class TestTRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstUseCreatesKeyAndReportsMissingInteger();
    void openWithoutCreateKeepsOpenKey();
    void keysAndNamesMatchWithoutCase();
    void relativeOpenExtendsPath();
    void readStoredValue_data();
    void readStoredValue();
    void writtenValuesKeepTheirType();
    void fileIsARegistryExport();
    void awkwardTextsRoundTrip_data();
    void awkwardTextsRoundTrip();
    void refusedWritesChangeNothing();
    void noOpenKey();
    void otherProgramsChangesAreSeen();
    void unknownContentSurvivesWrites();
    void foreignFileIsNotOverwritten();
    void unwritableFolder();
    void symbolicLinkStaysALink();
};

void TestTRegistry::init()
{
    testfiles::clearStore();
}

void TestTRegistry::firstUseCreatesKeyAndReportsMissingInteger()
{
    TRegistry reg;
    reg.SetRootKey(TRegistry::RootKey::CurrentUser);
    QVERIFY(reg.OpenKey(kKey, true));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvane\\tarvik"));
    QVERIFY(readStore().contains(kKeyLine + "\r\n"));
    QCOMPARE(reg.ReadString(QStringLiteral("Host")), QString());
    QVERIFY(!reg.ValueExists(QStringLiteral("Host")));
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.ReadInteger(QStringLiteral("Farbtiefe")); }),
             QStringLiteral("Fehler beim Holen der Daten für 'Farbtiefe'"));
    QCOMPARE(testfiles::errorOf<ERegistryException>([&] { reg.ReadBool(QStringLiteral("Bild")); }),
             QStringLiteral("Fehler beim Holen der Daten für 'Bild'"));
}

void TestTRegistry::openWithoutCreateKeepsOpenKey()
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    QVERIFY(!reg.OpenKey(QStringLiteral("\\Software\\Fehlt"), false));
    QVERIFY(reg.HasCurrentKey());
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvane\\tarvik"));
    // A parent that only exists because a key below it does is there as well.
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Orvane"), false));
}

void TestTRegistry::keysAndNamesMatchWithoutCase()
{
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("Host"), QStringLiteral("srv1"));
    }
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Orvane\\Tarvik"), true));
    QCOMPARE(reg.ReadString(QStringLiteral("HOST")), QStringLiteral("srv1"));
    reg.WriteString(QStringLiteral("host"), QStringLiteral("srv2"));
    QCOMPARE(reg.ReadString(QStringLiteral("Host")), QStringLiteral("srv2"));
    const QByteArray file = readStore();
    QCOMPARE(file.count("[HKEY_CURRENT_USER"), 1);
    QVERIFY(file.contains("\"Host\"=\"srv2\""));
}

void TestTRegistry::relativeOpenExtendsPath()
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Orvane"), false));
    QVERIFY(reg.OpenKey(QStringLiteral("tarvik"), false));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvane\\tarvik"));
    reg.CloseKey();
    QVERIFY(!reg.HasCurrentKey());
    QCOMPARE(reg.CurrentPath(), QString());
}

void TestTRegistry::readStoredValue_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("read"); // String, Integer or Bool
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("error");

    const QString invalid = QStringLiteral("Ungültiger Datentyp für '%1'");
    const QString failed = QStringLiteral("Fehler beim Holen der Daten für '%1'");
    QTest::newRow("host as integer") << QByteArray("\"Host\"=dword:00000001") << "String"
                                     << "Host" << QString() << invalid.arg("Host");
    QTest::newRow("host as bytes") << QByteArray("\"Host\"=hex:41,42,00") << "String"
                                   << "Host" << QString() << invalid.arg("Host");
    QTest::newRow("empty bytes are empty text") << QByteArray("\"Host\"=hex:") << "String"
                                                << "Host" << QString() << QString();
    QTest::newRow("expandable text unexpanded")
        << QByteArray("\"Host\"=hex(2):25,48,4f,4d,45,25,5c,78,00") << "String"
        << "Host"
        << "%HOME%\\x" << QString();
    QTest::newRow("text ends at first zero")
        << QByteArray("\"Host\"=hex(1):61,62,00,63,00") << "String"
        << "Host"
        << "ab" << QString();
    QTest::newRow("text without zero byte") << QByteArray("\"Host\"=hex(1):61,62") << "String"
                                            << "Host"
                                            << "ab" << QString();
    QTest::newRow("windows-1252 bytes") << QByteArray("\"Domaene\"=\"M\xfc\x80\"") << "String"
                                        << "Domaene" << QStringLiteral("Mü€") << QString();
    QTest::newRow("depth as short text") << QByteArray("\"Farbtiefe\"=\"2\"") << "Integer"
                                         << "Farbtiefe" << QString() << invalid.arg("Farbtiefe");
    QTest::newRow("depth as long text") << QByteArray("\"Farbtiefe\"=\"12345\"") << "Integer"
                                        << "Farbtiefe" << QString() << failed.arg("Farbtiefe");
    QTest::newRow("depth as 64-bit integer")
        << QByteArray("\"Farbtiefe\"=hex(b):02,00,00,00,00,00,00,00") << "Integer"
        << "Farbtiefe" << QString() << failed.arg("Farbtiefe");
    QTest::newRow("negative integer") << QByteArray("\"Farbtiefe\"=dword:ffffffff") << "Integer"
                                      << "Farbtiefe"
                                      << "-1" << QString();
    QTest::newRow("bool from 5") << QByteArray("\"Bild\"=dword:00000005") << "Bool"
                                 << "Bild"
                                 << "true" << QString();
    QTest::newRow("bool from 0") << QByteArray("\"bild\"=dword:00000000") << "Bool"
                                 << "Bild"
                                 << "false" << QString();
    QTest::newRow("bool from text") << QByteArray("\"Bild\"=\"1\"") << "Bool"
                                    << "Bild" << QString() << invalid.arg("Bild");
    QTest::newRow("hex list over lines")
        << QByteArray("\"Host\"=hex(2):61,\\\r\n  62,00") << "String"
        << "Host"
        << "ab" << QString();
    QTest::newRow("later line wins") << QByteArray("\"Host\"=\"a\"\r\n\"HOST\"=\"b\"") << "String"
                                     << "Host"
                                     << "b" << QString();
    QTest::newRow("removed value") << QByteArray("\"Host\"=\"a\"\r\n\"Host\"=-") << "String"
                                   << "Host" << QString() << QString();
}

void TestTRegistry::readStoredValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, read);
    QFETCH(QString, name);
    QFETCH(QString, result);
    QFETCH(QString, error);
    writeStore(storeWith({line}));

    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    QString got;
    const QString message = testfiles::errorOf<ERegistryException>([&] {
        if (read == QLatin1String("String"))
            got = reg.ReadString(name);
        else if (read == QLatin1String("Integer"))
            got = QString::number(reg.ReadInteger(name));
        else
            got = reg.ReadBool(name) ? QStringLiteral("true") : QStringLiteral("false");
    });
    QCOMPARE(message, error);
    QCOMPARE(got, result);
}

void TestTRegistry::writtenValuesKeepTheirType()
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteInteger(QStringLiteral("Farbtiefe"), -1);
    reg.WriteBool(QStringLiteral("Bild"), true);
    reg.WriteString(QStringLiteral("Host"), QString());
    QCOMPARE(reg.ReadInteger(QStringLiteral("Farbtiefe")), -1);
    QCOMPARE(reg.ReadInteger(QStringLiteral("Bild")), 1);
    QCOMPARE(reg.ReadString(QStringLiteral("Host")), QString());
    QVERIFY(reg.ValueExists(QStringLiteral("Host")));
    // The text's type stays even though it reads like a number.
    reg.WriteString(QStringLiteral("Farbtiefe"), QStringLiteral("2"));
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.ReadInteger(QStringLiteral("Farbtiefe")); }),
             QStringLiteral("Ungültiger Datentyp für 'Farbtiefe'"));
}

void TestTRegistry::fileIsARegistryExport()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry keeps no file");
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteString(QStringLiteral("Host"), QStringLiteral("C:\\Pfad \"neu\" Größe"));
    reg.WriteInteger(QStringLiteral("Farbtiefe"), 42);
    reg.WriteBool(QStringLiteral("Bild"), false);
    reg.WriteString(QString(), QStringLiteral("Standard"));
    QCOMPARE(readStore(), QByteArray("REGEDIT4\r\n\r\n" + kKeyLine +
                                     "\r\n"
                                     "\"Host\"=\"C:\\\\Pfad \\\"neu\\\" Gr\xf6\xdf"
                                     "e\"\r\n"
                                     "\"Farbtiefe\"=dword:0000002a\r\n"
                                     "\"Bild\"=dword:00000000\r\n"
                                     "@=\"Standard\"\r\n"
                                     "\r\n"));
}

void TestTRegistry::awkwardTextsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("line breaks") << QStringLiteral("a\r\nb");
    QTest::newRow("backslash at end") << QStringLiteral("C:\\");
    QTest::newRow("quote only") << QStringLiteral("\"");
    QTest::newRow("brackets") << QStringLiteral("[HKEY_CURRENT_USER\\x]");
    QTest::newRow("long") << QString(300, QLatin1Char('x'));
    QTest::newRow("all upper bytes") << [] {
        QString s;
        for (int c = 0xA0; c <= 0xFF; ++c)
            s += QChar(c);
        return s + QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    }();
}

void TestTRegistry::awkwardTextsRoundTrip()
{
    QFETCH(QString, text);
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("Benutzer"), text);
        reg.WriteString(QStringLiteral("Domaene"), text);
        // A later write parses what the earlier ones wrote.
        reg.WriteInteger(QStringLiteral("Farbtiefe"), 2);
    }
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, false));
    QCOMPARE(reg.ReadString(QStringLiteral("Benutzer")), text);
    QCOMPARE(reg.ReadString(QStringLiteral("Domaene")), text);
    QCOMPARE(reg.ReadInteger(QStringLiteral("Farbtiefe")), 2);
}

void TestTRegistry::refusedWritesChangeNothing()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry takes every character (tst_registrystore)");
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteString(QStringLiteral("Host"), QStringLiteral("alt"));
    const QByteArray before = readStore();
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.WriteString(QStringLiteral("Host"), QStringLiteral("Pfeil →")); }),
             QStringLiteral("Fehler beim Setzen der Daten für 'Host'"));
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.WriteInteger(QStringLiteral("Zeichen ☃"), 1); }),
             QStringLiteral("Fehler beim Setzen der Daten für 'Zeichen ☃'"));
    QCOMPARE(readStore(), before);
}

void TestTRegistry::noOpenKey()
{
    writeStore(storeWith({"\"Host\"=\"srv\"", "\"Farbtiefe\"=dword:00000001"}));
    TRegistry reg;
    QCOMPARE(reg.ReadString(QStringLiteral("Host")), QString());
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.ReadInteger(QStringLiteral("Farbtiefe")); }),
             QStringLiteral("Fehler beim Holen der Daten für 'Farbtiefe'"));
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { reg.WriteString(QStringLiteral("Host"), QStringLiteral("x")); }),
             QStringLiteral("Fehler beim Setzen der Daten für 'Host'"));
    QVERIFY(!reg.ValueExists(QStringLiteral("Host")));
}

void TestTRegistry::otherProgramsChangesAreSeen()
{
    TRegistry first;
    QVERIFY(first.OpenKey(kKey, true));
    first.WriteString(QStringLiteral("Host"), QStringLiteral("eins"));
    writeStore(storeWith({"\"Host\"=\"zwei\"", "\"Console\"=dword:00000001"}));
    QCOMPARE(first.ReadString(QStringLiteral("Host")), QStringLiteral("zwei"));
    first.WriteBool(QStringLiteral("Drucker"), true);
    QVERIFY(first.ReadBool(QStringLiteral("Console")));

    TRegistry second;
    QVERIFY(second.OpenKey(kKey, false));
    QVERIFY(second.ReadBool(QStringLiteral("Drucker")));
}

void TestTRegistry::unknownContentSurvivesWrites()
{
    writeStore("REGEDIT4\n\n; von Hand\n[HKEY_CURRENT_USER\\Software\\Andere]\n"
               "\"Wert\"=hex(7):61,00,00,00\n\"Zahl\"=dword:00000007\n");
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("Host"), QStringLiteral("srv"));
    }
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Andere"), false));
    QCOMPARE(reg.ReadInteger(QStringLiteral("Zahl")), 7);
    QCOMPARE(
        testfiles::errorOf<ERegistryException>([&] { reg.ReadString(QStringLiteral("Wert")); }),
        QStringLiteral("Ungültiger Datentyp für 'Wert'"));
    QVERIFY(readStore().contains("\"Wert\"=hex(7):61,00,00,00\r\n"));
}

void TestTRegistry::foreignFileIsNotOverwritten()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry keeps no file");
    const QByteArray foreign = "[Config]\r\nTitle=x\r\n";
    writeStore(foreign);
    TRegistry reg;
    QVERIFY(!reg.OpenKey(kKey, true));
    QCOMPARE(readStore(), foreign);
}

void TestTRegistry::unwritableFolder()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry keeps no file");
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    // A file where the store's folder would have to be.
    QFile blocker(dir.filePath(QStringLiteral("tarvik-konfig")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    TRegistry reg;
    const bool opened = reg.OpenKey(kKey, true);
    qputenv("XDG_CONFIG_HOME", saved);
    QVERIFY(!opened);
    QVERIFY(!reg.HasCurrentKey());
}

void TestTRegistry::symbolicLinkStaysALink()
{
    if (!testfiles::storeIsAFile())
        QSKIP("the registry keeps no file");
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("echt.reg"));
    QVERIFY(QDir().mkpath(QFileInfo(registryfile::storePath()).absolutePath()));
    QVERIFY(QFile::link(target, registryfile::storePath()));
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteString(QStringLiteral("Host"), QStringLiteral("srv"));
    }
    QVERIFY(QFileInfo(registryfile::storePath()).isSymLink());
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"Host\"=\"srv\""));
}

QTEST_GUILESS_MAIN(TestTRegistry)
#include "tst_tregistry.moc"
