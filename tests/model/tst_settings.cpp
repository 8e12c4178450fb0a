// SPDX-License-Identifier: MIT
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/exception.h"
#include "model/generalsettings.h"
#include "model/remotedesktopsettings.h"
#include "store/tinifile.h"
#include "testfiles.h"
#include "tscstate.h"

using testfiles::crlf;
using testfiles::readStore;
using testfiles::storeWith;

namespace {

// title|update|onTop fade lastsize|TSsize|tsbox|update kind|font size, as the dialog's test shows
// its controls.
QString line(const GeneralSettings &s)
{
    auto bit = [](bool b) { return QString::number(int(b)); };
    return QStringList{s.title,
                       s.updateFolder,
                       bit(s.onTop) + bit(s.fade) + bit(s.lastSize),
                       QString::number(s.screenSize),
                       bit(s.sizeBox),
                       QString::number(s.updateKind),
                       QString::number(s.fontSize)}
        .join(QLatin1Char('|'));
}

GeneralSettings general(const QString &text)
{
    const QStringList p = text.split(QLatin1Char('|'));
    auto bit = [](QChar c) { return c == QLatin1Char('1'); };
    GeneralSettings s;
    s.title = p[0];
    s.updateFolder = p[1];
    s.onTop = bit(p[2][0]);
    s.fade = bit(p[2][1]);
    s.lastSize = bit(p[2][2]);
    s.screenSize = p[3].toInt();
    s.sizeBox = bit(p[4][0]);
    s.updateKind = p[5].toInt();
    s.fontSize = p[6].toInt();
    return s;
}

// The message of the E that op raises; empty when it raises none.
const QString kDefaults = QStringLiteral("Start-Menü||010|2|0|3|8");
// The remote-desktop values before loading or reading a switch line.
const QString kBefore = QStringLiteral("alt|1|altuser|altdom|11001");

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { testfiles::clearStore(); }
    void readGeneral_data();
    void readGeneral();
    void writeGeneral_data();
    void writeGeneral();
    void saveGeneral_data();
    void saveGeneral();
    void loadRemoteDesktop_data();
    void loadRemoteDesktop();
    void storeRemoteDesktop_data();
    void storeRemoteDesktop();
    void buildSwitchLine_data();
    void buildSwitchLine();
    void readSwitchLine_data();
    void readSwitchLine();

private:
    QTemporaryDir m_dir;
};

void TestSettings::readGeneral_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QByteArray() << kDefaults;
    QTest::newRow("no Config") << crlf({"[A]", "0b=Büro"}) << kDefaults;
    QTest::newRow("all set") << crlf({"[Config]", "Title=Mein Men\xfc", "Update=\\\\srv\\upd",
                                      "onTop=1", "fade=0", "lastsize=1", "TSsize=5", "tsbox=1",
                                      "updatetyp=1", "fontsize=12", "Width=300"})
                             << QStringLiteral("Mein Menü|\\\\srv\\upd|101|5|1|1|12");
    QTest::newRow("spellings as written") << crlf({"[Config]", "Updatetyp=0", "Fontsize=20"})
                                          << QStringLiteral("Start-Menü||010|2|0|0|20");
    QTest::newRow("section cased otherwise")
        << crlf({"[CONFIG]", "TITLE=x", "FADE=0", "TSSIZE=0"}) << QStringLiteral("x||000|0|0|3|8");
    QTest::newRow("empty title") << crlf({"[Config]", "Title="}) << QStringLiteral("||010|2|0|3|8");
    // Positions stay as stored; only the dialog fits them into its choices.
    QTest::newRow("out of range") << crlf({"[Config]", "TSsize=-5", "updatetyp=7", "fontsize=150"})
                                  << QStringLiteral("Start-Menü||010|-5|0|7|150");
    QTest::newRow("not a number") << crlf({"[Config]", "TSsize=gross", "fontsize="}) << kDefaults;
    QTest::newRow("hex") << crlf({"[Config]", "TSsize=$8"})
                         << QStringLiteral("Start-Menü||010|8|0|3|8");
}

void TestSettings::readGeneral()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    TMemIniFile ini(QStringLiteral("tarvik.ini"), file);
    QCOMPARE(line(readGeneralSettings(ini)), expected);
}

void TestSettings::writeGeneral_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("order and spelling")
        << crlf({"[A]", "0b=B\xfcro"}) << kDefaults
        << crlf({"[A]", "0b=B\xfcro", "[Config]", "Title=Start-Men\xfc", "Update=", "onTop=0",
                 "fade=1", "tsbox=0", "lastsize=0", "TSsize=2", "Fontsize=8", "Updatetyp=3"});
    QTest::newRow("every value its key")
        << QByteArray() << QStringLiteral("T|\\\\srv\\upd|101|7|0|0|150")
        << crlf({"[Config]", "Title=T", "Update=\\\\srv\\upd", "onTop=1", "fade=0", "tsbox=0",
                 "lastsize=1", "TSsize=7", "Fontsize=150", "Updatetyp=0"});
    QTest::newRow("keys in the file keep their place and spelling")
        << crlf({"[config]", "fontsize=150", "Width=300", "UPDATETYP=7"})
        << QStringLiteral("|x|000|-1|1|-1|12")
        << crlf({"[config]", "fontsize=12", "Width=300", "UPDATETYP=-1", "Title=", "Update=x",
                 "onTop=0", "fade=0", "tsbox=1", "lastsize=0", "TSsize=-1"});
}

void TestSettings::writeGeneral()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, settings);
    QFETCH(QByteArray, expected);
    TMemIniFile ini(QStringLiteral("tarvik.ini"), file);
    writeGeneralSettings(ini, general(settings));
    QCOMPARE(ini.bytes(), expected);
    QCOMPARE(line(readGeneralSettings(ini)), settings);
}

void TestSettings::saveGeneral_data()
{
    QTest::addColumn<QByteArray>("file"); // "-": none
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("refused");
    const QByteArray saved =
        crlf({"[Config]", "Title=Start-Men\xfc", "Update=", "onTop=0", "fade=1", "tsbox=0",
              "lastsize=0", "TSsize=2", "Fontsize=8", "Updatetyp=3"});
    QTest::newRow("new file") << QByteArray("-") << kDefaults << false;
    QTest::newRow("changed") << saved << QStringLiteral("Neu||010|2|0|3|8") << false;
    QTest::newRow("nothing to change") << saved << kDefaults << false;
    // The title is written before the refused folder, and must not reach the file without it.
    QTest::newRow("folder refused") << saved << QStringLiteral("Neu|C:\\→|111|0|1|0|9") << true;
}

void TestSettings::saveGeneral()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, settings);
    QFETCH(bool, refused);
    const QString path = m_dir.filePath(QStringLiteral("%1.ini").arg(QTest::currentDataTag()));
    const std::optional<QByteArray> before =
        file == "-" ? std::nullopt : std::optional<QByteArray>(file);
    if (before)
        testfiles::writeBytes(path, *before);

    transaction::Changes changes;
    const QString raised = testfiles::errorOf<EIniFileException>(
        [&] { changes = saveGeneralSettings(path, general(settings)); });
    QCOMPARE(raised.startsWith(QStringLiteral("In %1 kann nicht geschrieben werden").arg(path)),
             refused);
    const QByteArray after = testfiles::readBytes(path);
    if (refused || after == before) {
        QCOMPARE(after, before.value_or(QByteArray()));
        QVERIFY(changes.empty());
        return;
    }
    TMemIniFile written(path, after);
    QCOMPARE(line(readGeneralSettings(written)), settings);
    QCOMPARE(changes.size(), size_t(1));
    QCOMPARE(changes[0].path, path);
    QCOMPARE(changes[0].before, before);
    QCOMPARE(changes[0].after, std::optional<QByteArray>(after));
}

void TestSettings::loadRemoteDesktop_data()
{
    QTest::addColumn<QList<QByteArray>>("values"); // one "-": no store at all
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("error");
    auto row = [](const char *tag, const QList<QByteArray> &values, const QString &loaded,
                  const QString &error = QString()) {
        QTest::newRow(tag) << values << loaded << error;
    };
    row("first use", {"-"}, kBefore);
    row("nothing stored yet", {}, kBefore);
    row("all values",
        {"\"Host\"=\"srv\"", "\"Farbtiefe\"=dword:00000000", "\"Benutzer\"=\"anna\"",
         "\"Domaene\"=\"B\xfcro\"", "\"Bild\"=dword:00000000", "\"Drucker\"=dword:00000001",
         "\"Laufwerke\"=dword:00000007", "\"CONSOLE\"=dword:00000000",
         "\"rdpstandard\"=dword:00000000"},
        "srv|0|anna|Büro|01100");
    row("depth kept out of range", {"\"Farbtiefe\"=dword:00000005"}, "alt|5|altuser|altdom|11001");
    // Every further row also stores "Host" and "Bild"; loading stops at the bad value.
    row("depth as short text", {"\"Farbtiefe\"=\"2\""}, "srv|1|altuser|altdom|11001",
        "Ungültiger Datentyp für 'Farbtiefe'");
    row("depth as long text", {"\"Farbtiefe\"=\"12345\""}, "srv|1|altuser|altdom|11001",
        "Fehler beim Holen der Daten für 'Farbtiefe'");
    row("user as integer", {"\"Benutzer\"=dword:00000001"}, "srv|1|altuser|altdom|11001",
        "Ungültiger Datentyp für 'Benutzer'");
    row("console as text", {"\"Console\"=\"ja\""}, "srv|1|altuser|altdom|01001",
        "Ungültiger Datentyp für 'Console'");
}

void TestSettings::loadRemoteDesktop()
{
    QFETCH(QList<QByteArray>, values);
    QFETCH(QString, loaded);
    QFETCH(QString, error);
    if (!error.isEmpty())
        values = QList<QByteArray>{"\"Host\"=\"srv\"", "\"Bild\"=dword:00000000"} + values;
    if (values != QList<QByteArray>{"-"})
        testfiles::writeStore(storeWith(values));
    RemoteDesktopSettings s = tscstate::settings(kBefore);
    QCOMPARE(testfiles::errorOf<ERegistryException>([&] { loadRemoteDesktopSettings(s); }), error);
    QCOMPARE(tscstate::of(s), loaded);
    // The key is there for the next store, also at the first use.
    QVERIFY(readStore().contains("[HKEY_CURRENT_USER\\Software\\Orvane\\tarvik]\r\n"));
}

void TestSettings::storeRemoteDesktop_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QList<QByteArray>>("stored");
    QTest::addColumn<QString>("error");
    QTest::newRow("all nine in order") << "srv|-1|%username%|B\u00fcro|01011"
                                       << QList<QByteArray>{"\"Host\"=\"srv\"",
                                                            "\"Farbtiefe\"=dword:ffffffff",
                                                            "\"Benutzer\"=\"%username%\"",
                                                            "\"Domaene\"=\"B\xfcro\"",
                                                            "\"Bild\"=dword:00000000",
                                                            "\"Drucker\"=dword:00000001",
                                                            "\"Laufwerke\"=dword:00000000",
                                                            "\"Console\"=dword:00000001",
                                                            "\"RDPstandard\"=dword:00000001"}
                                       << QString();
    if (!testfiles::storeIsAFile())
        return; // the registry takes every character
    // What was stored before the refused value stays stored.
    QTest::newRow("user refused") << QStringLiteral("srv|0|Pfeil →||00000")
                                  << QList<QByteArray>{"\"Host\"=\"srv\"",
                                                       "\"Farbtiefe\"=dword:00000000"}
                                  << "Fehler beim Setzen der Daten für 'Benutzer'";
    QTest::newRow("host refused") << QStringLiteral("→|0|||00000") << QList<QByteArray>{}
                                  << "Fehler beim Setzen der Daten für 'Host'";
}

void TestSettings::storeRemoteDesktop()
{
    QFETCH(QString, settings);
    QFETCH(QList<QByteArray>, stored);
    QFETCH(QString, error);
    bool opened = false;
    QCOMPARE(testfiles::errorOf<ERegistryException>(
                 [&] { opened = storeRemoteDesktopSettings(tscstate::settings(settings)); }),
             error);
    QCOMPARE(opened, error.isEmpty());
    QCOMPARE(readStore(), storeWith(stored));
}

void TestSettings::buildSwitchLine_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("line");
    auto row = [](const char *tag, const char *settings, const char *line) {
        QTest::newRow(tag) << QString::fromUtf8(settings) << QString::fromUtf8(line);
    };
    row("nothing but the depth", "|2|||00000", "/H: /f:3");
    row("user and console", "srv|2|anna||00010", "/H:srv /f:3 /u:anna     /c");
    row("everything", "srv|0|u|d|11111", "/H:srv /f:1 /u:u /d:d /b:1 /p:1 /l:1 /c /rdp32");
    row("no depth", "srv|-1|||00000", "/H:srv /f:0");
    row("only the system client", "|1|||00001", "/H: /f:2       /rdp32");
    row("blanks kept inside", "srv|2|Anna Maier|%administrator%|01000",
        "/H:srv /f:3 /u:Anna Maier /d:%administrator%  /p:1");
}

void TestSettings::buildSwitchLine()
{
    QFETCH(QString, settings);
    QFETCH(QString, line);
    QCOMPARE(::buildSwitchLine(tscstate::settings(settings)), line);
}

void TestSettings::readSwitchLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("error");
    auto row = [](const char *tag, const QString &line, const QString &read,
                  const QString &error = QString()) {
        QTest::newRow(tag) << line << read << error;
    };
    row("empty", "", kBefore);
    row("own line read back", "/H:srv /f:3 /u:anna /d:dom /b:1 /p:1 /l:1 /c",
        "srv|2|anna|dom|11111");
    row("system client not read back", "/rdp32", kBefore);
    row("absent switches keep their values", "/H:srv /f:1", "srv|0|altuser|altdom|11001");
    row("letters without case", "/h:srv /U:anna /C", "srv|1|anna|altdom|11011");
    row("first character not examined", "xH:srv -dwelt", "srv|1|altuser|-dwelt|11001");
    row("only 1 checks", "/b:0 /p:yes /l:1", "alt|1|altuser|altdom|00101");
    row("console forms", "/c:1", "alt|1|altuser|altdom|11011");
    row("console zero", "/c /c:0", kBefore);
    row("empty user", "/u:", "alt|1||altdom|11001");
    row("unknown letter", "/x:1 / 9", kBefore);
    row("blank cuts the user", "/u:Anna Maier /d:dom", "alt|1|Anna|dom|11001");
    row("runs of blanks", "  /h:a   \t /u:b  ", "a|1|b|altdom|11001");
    row("value cut to 55", "/h:" + QString(60, QLatin1Char('s')),
        QString(55, QLatin1Char('s')) + "|1|altuser|altdom|11001");
    row("later switch wins", "/h:a /h:b", "b|1|altuser|altdom|11001");
    row("ten pieces taken", "1 2 3 4 5 6 7 8 9 /h:zehn /u:elf", "zehn|1|altuser|altdom|11001");
    row("depth 0 sets none", "/f:0", "alt|-1|altuser|altdom|11001");
    row("depth 4 sets none", "/f:4", "alt|-1|altuser|altdom|11001");
    row("depth in hex", "/f:$3", "alt|2|altuser|altdom|11001");
    row("depth 0x1", "/f:0x1", "alt|0|altuser|altdom|11001");
    row("depth with sign and zeros", "/f:+002", "alt|1|altuser|altdom|11001");
    row("depth at the lowest integer", "/f:-2147483648", "alt|-1|altuser|altdom|11001");
    // A depth that is no number stops the reading after the switches before it.
    row("depth empty", "/h:srv /f: /u:x", "srv|1|altuser|altdom|11001",
        "'' ist kein gültiger Integerwert");
    row("depth a word", "/f:drei", kBefore, "'drei' ist kein gültiger Integerwert");
    row("depth prefix only", "/f:0x", kBefore, "'0x' ist kein gültiger Integerwert");
    row("depth too large", "/f:2147483648", kBefore, "'2147483648' ist kein gültiger Integerwert");
    row("depth without colon", "/f", kBefore, "'/f' ist kein gültiger Integerwert");
}

void TestSettings::readSwitchLine()
{
    QFETCH(QString, line);
    QFETCH(QString, read);
    QFETCH(QString, error);
    RemoteDesktopSettings s = tscstate::settings(kBefore);
    QCOMPARE(testfiles::errorOf<EConvertError>([&] { ::readSwitchLine(line, s); }), error);
    QCOMPARE(tscstate::of(s), read);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
