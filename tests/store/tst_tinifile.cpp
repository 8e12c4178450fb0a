// SPDX-License-Identifier: MIT
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "base/cp1252.h"
#include "base/exception.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"
#include "testfiles.h"

#include <optional>

using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

bool isBlank(char c)
{
    return QByteArrayView(" \t\v\f\r\n\x1A").contains(c);
}

QByteArray trim(QByteArray s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s.remove(0, 1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// The launcher's reading of one key, written down apart from the store so that a fault shared
// by the store's writer and reader still shows.
std::optional<QByteArray> launcherValue(const QByteArray &file, const QByteArray &section,
                                        const QByteArray &key)
{
    QByteArray text = file;
    text.replace('\r', '\n');
    bool inSection = false;
    bool seen = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = trim(raw);
        if (line.startsWith('[') && line.contains(']')) {
            if (seen)
                return std::nullopt;
            inSection = trim(line.mid(1, line.lastIndexOf(']') - 1)).toLower() == section.toLower();
            seen = inSection;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inSection || eq < 0 || trim(line.left(eq)).toLower() != key.toLower())
            continue;
        QByteArray value = trim(line.mid(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

QString scrambled(const QString &text)
{
    QByteArray bytes = *cp1252::fromUnicode(text);
    for (qsizetype i = 0; i < bytes.size() % 256; ++i)
        bytes[i] = char(bytes[i] ^ 0x1B);
    return cp1252::toUnicode(bytes);
}

} // namespace

class TestTIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingAndEmpty();
    void integers_data();
    void integers();
    void bools_data();
    void bools();
    void typedWritesStoreDecimalText();
    void namesMatchWithoutAsciiCase();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void noLengthLimits();
    void dialect_data();
    void dialect();
    void sectionLists_data();
    void sectionLists();
    void edits_data();
    void edits();
    void unchangedValueLeavesFileUntouched();
    void newFileIsCrlfWithoutBom();
    void refusals_data();
    void refusals();
    void unwritable_data();
    void unwritable();
    void unreadableFileIsNotOverwritten();
    void lockedFolderRewritesInPlace();
    void symlinkStaysLink();
    void permissionsKept();
    void externalChangesNoticed_data();
    void externalChangesNoticed();
    void writesVisibleToOtherObjects();
    void batchWritesOnceAtEnd();
    void batchFailureDropsEverything();
    void releaseInsideBatchDropsChanges();
    void outline_data();
    void outline();

private:
    QString path(const QString &name = QStringLiteral("menu.ini")) const
    {
        return m_dir->filePath(name);
    }
    std::optional<QTemporaryDir> m_dir;
};

void TestTIniFile::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
}

void TestTIniFile::missingAndEmpty()
{
    TIniFile none(path(QStringLiteral("missing.ini")));
    QCOMPARE(none.ReadString("A", "Root", "*"), QStringLiteral("*"));
    QVERIFY(!none.SectionExists("A"));
    QVERIFY(!none.ValueExists("A", "Root"));

    writeBytes(path(), "[A]\r\nRoot=\r\nx=*\r\n");
    TIniFile ini(path());
    QCOMPARE(ini.ReadString("A", "Root", "*"), QString());
    QVERIFY(ini.ValueExists("A", "Root"));
    QVERIFY(ini.ValueExists("A", "x"));
    QCOMPARE(ini.ReadString("A", "y", "*"), QStringLiteral("*"));
    QCOMPARE(ini.ReadString("B", "Root", "*"), QStringLiteral("*"));
    QVERIFY(!ini.ValueExists("A", "y"));
}

void TestTIniFile::integers_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    // Default 99; the stored text goes through the writer, blanks and all.
    QTest::newRow("hex") << "0x1F" << 31;
    QTest::newRow("dollar") << "$1f" << 31;
    QTest::newRow("leading blank") << " 42" << 42;
    QTest::newRow("trailing blank") << "42 " << 99;
    QTest::newRow("all ones") << "$FFFFFFFF" << -1;
    QTest::newRow("out of range") << "2147483648" << 99;
    QTest::newRow("empty") << "" << 99;
    QTest::newRow("superscript digit") << "4\u00B2" << 99;
    QTest::newRow("umlaut before") << "\u00E42" << 99;
}

void TestTIniFile::integers()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);
    // In each encoding the file can have: numbers are read from the bytes without decoding.
    for (const QByteArray &mark :
         {QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE")}) {
        writeBytes(path(), mark);
        TIniFile(path()).WriteString("S", "k", stored);
        QCOMPARE(TIniFile(path()).ReadInteger("S", "k", 99), expected);
        QCOMPARE(TMemIniFile(path(), readBytes(path())).ReadInteger("S", "k", 99), expected);
    }
}

void TestTIniFile::bools_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("withFalseDefault");
    QTest::addColumn<bool>("withTrueDefault");
    QTest::newRow("1") << "1" << true << true;
    QTest::newRow("2") << "2" << true << true;
    QTest::newRow("-1") << "-1" << true << true;
    QTest::newRow("0x10") << "0x10" << true << true;
    QTest::newRow("0") << "0" << false << false;
    QTest::newRow("$0") << "$0" << false << false;
    QTest::newRow("true") << "true" << false << true;
    QTest::newRow("yes") << "yes" << false << true;
    QTest::newRow("empty") << "" << false << true;
}

void TestTIniFile::bools()
{
    QFETCH(QString, stored);
    QFETCH(bool, withFalseDefault);
    QFETCH(bool, withTrueDefault);
    TIniFile ini(path());
    ini.WriteString("S", "k", stored);
    QCOMPARE(ini.ReadBool("S", "k", false), withFalseDefault);
    QCOMPARE(ini.ReadBool("S", "k", true), withTrueDefault);
    QCOMPARE(ini.ReadBool("S", "missing", true), true);
}

void TestTIniFile::typedWritesStoreDecimalText()
{
    {
        TIniFile ini(path());
        ini.WriteBool("S", "t", true);
        ini.WriteBool("S", "f", false);
        ini.WriteInteger("S", "n", -5);
        ini.WriteInteger("S", "min", -2147483647 - 1);
    }
    QCOMPARE(readBytes(path()), QByteArray("[S]\r\nt=1\r\nf=0\r\nn=-5\r\nmin=-2147483648\r\n"));
}

void TestTIniFile::namesMatchWithoutAsciiCase()
{
    TIniFile ini(path());
    ini.WriteString("Config", "Updatetyp", "2");
    ini.WriteString("CONFIG", "updateTYP", "3");
    QCOMPARE(ini.ReadString("config", "updatetyp", "*"), QStringLiteral("3"));
    QStringList names;
    ini.ReadSection("config", names);
    QCOMPARE(names, QStringList{"Updatetyp"});

    // Bytes from 0x80 do not fold: these are two keys.
    ini.WriteString("Config", QStringLiteral("Größe"), "1");
    ini.WriteString("Config", QStringLiteral("GRÖSSE"), "2");
    ini.WriteString("Config", QStringLiteral("gröSSe"), "3");
    QCOMPARE(ini.ReadString("Config", QStringLiteral("größe"), "*"), QStringLiteral("1"));
    QCOMPARE(ini.ReadString("Config", QStringLiteral("Grösse"), "*"), QStringLiteral("3"));
    QCOMPARE(ini.ReadString("Config", QStringLiteral("GRÖSSE"), "*"), QStringLiteral("2"));
    QCOMPARE(ini.ReadString("Config", QStringLiteral("GRöSSE"), "*"), QStringLiteral("3"));
}

void TestTIniFile::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QByteArray high;
    for (int b = 0x80; b < 0x100; ++b)
        high += char(b);
    const QList<std::pair<const char *, QString>> values = {
        {"plain", QStringLiteral("C:\\Programme\\Büro\\start.exe")},
        {"empty", QString()},
        {"leading blank", QStringLiteral(" x")},
        {"trailing blank", QStringLiteral("x ")},
        {"only blanks", QStringLiteral("   ")},
        {"tab and eof byte", QStringLiteral("\tx\x1A")},
        {"double quoted", QStringLiteral("\"x\"")},
        {"single quoted", QStringLiteral("'x'")},
        {"two quotes", QStringLiteral("\"\"")},
        {"one quote", QStringLiteral("\"")},
        {"mixed quotes", QStringLiteral("\"x'")},
        {"quote inside", QStringLiteral("a \"b\" c")},
        {"quoted blanks", QStringLiteral("\" x \"")},
        {"special characters", QStringLiteral(";=[]#")},
        {"equals", QStringLiteral("a=b=c")},
        {"header-like", QStringLiteral("[A]")},
        {"semicolon", QStringLiteral("; no comment")},
        {"high bytes", cp1252::toUnicode(high)},
        {"control characters", QStringLiteral("\x01\x1C\x7F")},
        {"switches", QStringLiteral("/v:server /w:1024 /h:768 /f \"%username%\"")},
    };
    for (const auto &[name, value] : values) {
        QTest::newRow(name) << value;
        QTest::addRow("%s, scrambled", name) << scrambled(value);
    }
}

void TestTIniFile::valuesRoundTrip()
{
    QFETCH(QString, value);
    writeBytes(path(), "[A]\r\nRoot=Start\r\n");
    TIniFile(path()).WriteString("A", "0p", value);
    QCOMPARE(TIniFile(path()).ReadString("A", "0p", "*"), value);
    QCOMPARE(launcherValue(readBytes(path()), "A", "0p"),
             std::optional<QByteArray>(*cp1252::fromUnicode(value)));
}

void TestTIniFile::noLengthLimits()
{
    const QString longValue = QString(3000, QLatin1Char('x')) + QStringLiteral("end");
    TIniFile ini(path());
    ini.BeginUpdate();
    ini.WriteString("A", "long", longValue);
    for (int i = 0; i < 2000; ++i)
        ini.WriteString("B", QStringLiteral("key%1").arg(i), QString::number(i));
    ini.EndUpdate();

    TIniFile again(path());
    QCOMPARE(again.ReadString("A", "long", {}), longValue);
    QStringList names;
    again.ReadSection("B", names);
    QCOMPARE(names.size(), 2000); // far over what a 16384-byte list holds
    QCOMPARE(names.last(), QStringLiteral("key1999"));
}

void TestTIniFile::dialect_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "*" when missing

    QTest::newRow("crlf") << QByteArray("[A]\r\nk=v\r\n") << "A"
                          << "k"
                          << "v";
    QTest::newRow("lf") << QByteArray("[A]\nk=v\n") << "A"
                        << "k"
                        << "v";
    QTest::newRow("cr only") << QByteArray("[A]\rk=v\rj=w") << "A"
                             << "j"
                             << "w";
    QTest::newRow("mixed") << QByteArray("[A]\n\rk=v\r\n\nj=w\r") << "A"
                           << "j"
                           << "w";
    QTest::newRow("blanks around") << QByteArray(" \t[ A ]\t\r\n\t k \t= \tv w \x1A\r\n") << "a"
                                   << "K"
                                   << "v w";
    QTest::newRow("text after header") << QByteArray("[A] old\r\nk=v\r\n") << "A"
                                       << "k"
                                       << "v";
    QTest::newRow("last bracket ends name")
        << QByteArray("[A]]\r\nk=v\r\n[x]y]\r\nk=w\r\n") << "x]y"
        << "k"
        << "w";
    QTest::newRow("bracket in header name") << QByteArray("[A]]\r\nk=v\r\n") << "A]"
                                            << "k"
                                            << "v";
    QTest::newRow("bracket without close") << QByteArray("[A]\r\n[B\r\nk=v\r\n") << "A"
                                           << "k"
                                           << "v";
    QTest::newRow("value keeps later equals") << QByteArray("[A]\r\nk = a=b\r\n") << "A"
                                              << "k"
                                              << "a=b";
    QTest::newRow("quotes removed") << QByteArray("[A]\r\nk=\" v \"\r\n") << "A"
                                    << "k"
                                    << " v ";
    QTest::newRow("single quotes removed") << QByteArray("[A]\r\nk='v'\r\n") << "A"
                                           << "k"
                                           << "v";
    QTest::newRow("unmatched quotes kept") << QByteArray("[A]\r\nk=\"v'\r\n") << "A"
                                           << "k"
                                           << "\"v'";
    QTest::newRow("one pair only") << QByteArray("[A]\r\nk=\"\"v\"\"\r\n") << "A"
                                   << "k"
                                   << "\"v\"";
    QTest::newRow("comment") << QByteArray("[A]\r\n;k=v\r\n") << "A"
                             << ";k"
                             << "*";
    QTest::newRow("indented comment") << QByteArray("[A]\r\n  ;k=v\r\n") << "A"
                                      << ";k"
                                      << "*";
    QTest::newRow("hash is no comment") << QByteArray("[A]\r\n#k=v\r\n") << "A"
                                        << "#k"
                                        << "v";
    QTest::newRow("line without equals") << QByteArray("[A]\r\nk\r\n") << "A"
                                         << "k"
                                         << "*";
    QTest::newRow("first duplicate key wins") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << "A"
                                              << "k"
                                              << "1";
    QTest::newRow("first duplicate section wins")
        << QByteArray("[A]\r\nk=1\r\n[a]\r\nk=2\r\nj=3\r\n") << "A"
        << "j"
        << "*";
    QTest::newRow("lines before first header") << QByteArray("k=0\r\n[A]\r\nj=1\r\n") << "A"
                                               << "k"
                                               << "*";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[A]\r\nk=v\r\n") << "A"
                                     << "k"
                                     << "v";
    QTest::newRow("no line end at end") << QByteArray("[A]\r\nk=v") << "A"
                                        << "k"
                                        << "v";
    QTest::newRow("windows-1252") << QByteArray("[A]\r\nk=Gr\xF6\xDF"
                                                "e \x80\r\n")
                                  << "A"
                                  << "k" << QStringLiteral("Größe €");
}

void TestTIniFile::dialect()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeBytes(path(), file);
    QCOMPARE(TIniFile(path()).ReadString(section, key, "*"), expected);
}

void TestTIniFile::sectionLists_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("file order")
        << QByteArray("[A]\r\nb=2\r\n; c=3\r\na=1\r\nnothing\r\n\r\nempty=\r\n[B]\r\nx=1\r\n")
        << QStringList{"b", "a", "empty"} << QStringList{"b=2", "a=1", "empty="};
    QTest::newRow("header without keys")
        << QByteArray("[A]\r\n; only=comment\r\n[B]\r\nx=1\r\n") << QStringList() << QStringList();
    QTest::newRow("first copy only")
        << QByteArray("[A]\r\nx=1\r\n[a]\r\ny=2\r\n") << QStringList{"x"} << QStringList{"x=1"};
    QTest::newRow("duplicate key listed twice, first value")
        << QByteArray("[A]\r\nx=1\r\nX=2\r\n") << QStringList{"x", "X"}
        << QStringList{"x=1", "X=1"};
}

void TestTIniFile::sectionLists()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, values);
    writeBytes(path(), file);
    TIniFile ini(path());
    QStringList list{"stale"};
    ini.ReadSection("A", list);
    QCOMPARE(list, keys);
    list = QStringList{"stale"};
    ini.ReadSectionValues("A", list);
    QCOMPARE(list, values);
    QCOMPARE(ini.SectionExists("A"), !keys.isEmpty());
}

void TestTIniFile::edits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("operation"); // write S K V | delete S K | erase S
    QTest::addColumn<QByteArray>("after");

    const QByteArray messy = "; Tarvik\r\n\r\n[A]\r\nRoot = Start  \r\n  ; note\r\n0b=Eins\r\n"
                             "\r\n; end of A\r\n[Config]\r\nTitle=Men\xFC\r\n";
    QTest::newRow("change keeps name and spacing")
        << messy << "write A root Anfang"
        << QByteArray("; Tarvik\r\n\r\n[A]\r\nRoot = Anfang\r\n  ; note\r\n0b=Eins\r\n"
                      "\r\n; end of A\r\n[Config]\r\nTitle=Men\xFC\r\n");
    QTest::newRow("new key after last key")
        << messy << "write a 0d x.exe"
        << QByteArray("; Tarvik\r\n\r\n[A]\r\nRoot = Start  \r\n  ; note\r\n0b=Eins\r\n"
                      "0d=x.exe\r\n\r\n; end of A\r\n[Config]\r\nTitle=Men\xFC\r\n");
    QTest::newRow("new section at end")
        << messy << "write B Root Zwei" << messy + "[B]\r\nRoot=Zwei\r\n";
    QTest::newRow("delete key") << messy << "delete A 0B"
                                << QByteArray(
                                       "; Tarvik\r\n\r\n[A]\r\nRoot = Start  \r\n  ; note\r\n"
                                       "\r\n; end of A\r\n[Config]\r\nTitle=Men\xFC\r\n");
    QTest::newRow("erase section with its comments")
        << messy << "erase a" << QByteArray("; Tarvik\r\n\r\n[Config]\r\nTitle=Men\xFC\r\n");
    QTest::newRow("erase every copy")
        << QByteArray("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n") << "erase A" << QByteArray("[B]\ny=2\n");
    QTest::newRow("lf file stays lf")
        << QByteArray("[A]\nx=1\n") << "write A y 2" << QByteArray("[A]\nx=1\ny=2\n");
    QTest::newRow("cr file stays cr")
        << QByteArray("[A]\rx=1\r") << "write C y 2" << QByteArray("[A]\rx=1\r[C]\ry=2\r");
    QTest::newRow("missing last line end")
        << QByteArray("[A]\r\nx=1") << "write A y 2" << QByteArray("[A]\r\nx=1\r\ny=2\r\n");
    QTest::newRow("missing last line end, new section")
        << QByteArray("[A]\nx=1") << "write B y 2" << QByteArray("[A]\nx=1\n[B]\ny=2\n");
    QTest::newRow("first of duplicates changed")
        << QByteArray("[A]\r\nx=1\r\n[A]\r\nx=2\r\n") << "write a X 3"
        << QByteArray("[A]\r\nx=3\r\n[A]\r\nx=2\r\n");
    QTest::newRow("new key into first copy")
        << QByteArray("[A]\r\nx=1\r\n[a]\r\ny=2\r\n") << "write a z 3"
        << QByteArray("[A]\r\nx=1\r\nz=3\r\n[a]\r\ny=2\r\n");
    QTest::newRow("key into section without keys")
        << QByteArray("[A]\r\n; c\r\n[B]\r\n") << "write A k v"
        << QByteArray("[A]\r\nk=v\r\n; c\r\n[B]\r\n");
    QTest::newRow("byte order mark kept")
        << QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n") << "write A x 2"
        << QByteArray("\xEF\xBB\xBF[A]\r\nx=2\r\n");
    QTest::newRow("value to quote")
        << QByteArray("[A]\r\nx=1\r\n") << "write A x 'q'" << QByteArray("[A]\r\nx=\"'q'\"\r\n");
}

void TestTIniFile::edits()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, operation);
    QFETCH(QByteArray, after);
    writeBytes(path(), before);
    const QStringList op = operation.split(QLatin1Char(' '));
    {
        TIniFile ini(path());
        if (op[0] == QLatin1String("write"))
            ini.WriteString(op[1], op[2], op[3]);
        else if (op[0] == QLatin1String("delete"))
            ini.DeleteKey(op[1], op[2]);
        else
            ini.EraseSection(op[1]);
    }
    QCOMPARE(readBytes(path()), after);
}

void TestTIniFile::unchangedValueLeavesFileUntouched()
{
    const QByteArray file = "[A]\r\nRoot = \"Start\"  \r\nx=\r\n";
    writeBytes(path(), file);
    const testfiles::FileId before = testfiles::fileId(path());
    {
        TIniFile ini(path());
        ini.WriteString("a", "ROOT", "Start");
        ini.WriteString("A", "x", "");
        ini.DeleteKey("A", "missing");
        ini.DeleteKey("B", "x");
        ini.EraseSection("B");
        ini.BeginUpdate();
        ini.WriteString("A", "x", "");
        ini.EndUpdate();
    }
    QCOMPARE(readBytes(path()), file);
    QVERIFY(testfiles::fileId(path()) == before);
}

void TestTIniFile::newFileIsCrlfWithoutBom()
{
    TIniFile ini(path(QStringLiteral("neu.Büro")));
    ini.WriteString("A", "Root", QStringLiteral("Büro"));
    ini.WriteString("A", "expand", "1");
    QCOMPARE(readBytes(path(QStringLiteral("neu.Büro"))),
             QByteArray("[A]\r\nRoot=B\xFCro\r\nexpand=1\r\n"));
}

void TestTIniFile::refusals_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("problem");

    QTest::newRow("value lf") << "A"
                              << "0p"
                              << "a\nb"
                              << "Der Wert von „0p“ enthält einen Zeilenumbruch";
    QTest::newRow("value cr") << "A"
                              << "0p"
                              << "a\rb"
                              << "Der Wert von „0p“ enthält einen Zeilenumbruch";
    QTest::newRow("value nul") << "A"
                               << "0p" << QString(QChar(0)) + "x"
                               << "Der Wert von „0p“ enthält ein Nullzeichen";
    QTest::newRow("value cjk") << "A"
                               << "0b" << QStringLiteral("日本")
                               << QStringLiteral("Der Wert von „0b“ enthält das Zeichen „日“ "
                                                 "(U+65E5), das es in Windows-1252 nicht gibt");
    QTest::newRow("value emoji") << "A"
                                 << "0b" << QStringLiteral("x😀")
                                 << QStringLiteral("Der Wert von „0b“ enthält das Zeichen „😀“ "
                                                   "(U+1F600), das es in Windows-1252 nicht gibt");
    QTest::newRow("key lf") << "A"
                            << "a\nb"
                            << "v"
                            << "Der Schlüsselname „a\nb“ enthält einen Zeilenumbruch";
    QTest::newRow("key equals") << "A"
                                << "a=b"
                                << "v"
                                << "Der Schlüsselname „a=b“ enthält „=“";
    QTest::newRow("key comment") << "A"
                                 << ";a"
                                 << "v"
                                 << "Der Schlüsselname „;a“ beginnt mit „;“";
    QTest::newRow("key bracket") << "A"
                                 << "[a]"
                                 << "v"
                                 << "Der Schlüsselname „[a]“ beginnt mit „[“";
    QTest::newRow("key blank") << "A"
                               << "a "
                               << "v"
                               << "Der Schlüsselname „a “ beginnt oder endet mit Leerraum";
    QTest::newRow("key empty") << "A"
                               << ""
                               << "v"
                               << "Der Schlüsselname „“ ist leer";
    QTest::newRow("section empty") << ""
                                   << "k"
                                   << "v"
                                   << "Der Abschnittsname „“ ist leer";
    QTest::newRow("section tab") << "\tA"
                                 << "k"
                                 << "v"
                                 << "Der Abschnittsname „\tA“ beginnt oder endet mit Leerraum";
    QTest::newRow("section cr") << "A\r"
                                << "k"
                                << "v"
                                << "Der Abschnittsname „A\r“ enthält einen Zeilenumbruch";
    QTest::newRow("section unencodable") << QStringLiteral("Ω") << "k"
                                         << "v"
                                         << QStringLiteral("Der Abschnittsname „Ω“ enthält das "
                                                           "Zeichen „Ω“ (U+03A9), das es in "
                                                           "Windows-1252 nicht gibt");
}

void TestTIniFile::refusals()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, problem);
    const QByteArray file = "[A]\r\n0p=alt\r\n0b=alt\r\n";
    writeBytes(path(), file);
    TIniFile ini(path());
    try {
        ini.WriteString(section, key, value);
        QFAIL("the write was not refused");
    } catch (const EIniFileException &e) {
        QCOMPARE(e.message(),
                 QStringLiteral("In %1 kann nicht geschrieben werden: %2").arg(path(), problem));
    }
    QCOMPARE(readBytes(path()), file);
    QCOMPARE(TIniFile(path()).ReadString("A", "0p", "*"), QStringLiteral("alt"));
}

void TestTIniFile::unwritable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("missing folder") << "fehlt/menu.ini" << false;
    QTest::newRow("read-only file") << "menu.ini" << true;
}

void TestTIniFile::unwritable()
{
    QFETCH(QString, name);
    QFETCH(bool, readOnly);
    const QString file = path(name);
    const QByteArray original = "[A]\r\nRoot=Start\r\n[B]\r\nRoot=Zwei\r\n";
    if (readOnly) {
        writeBytes(file, original);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
    }
    const QString expected = QStringLiteral("In %1 kann nicht geschrieben werden").arg(file);
    TIniFile ini(file);
    // Erasing what is not there needs no write, so only the read-only file can refuse it.
    for (int op = 0; op < (readOnly ? 3 : 2); ++op) {
        try {
            if (op == 0)
                ini.WriteString("A", "Root", "Neu");
            else if (op == 1)
                ini.WriteBool("A", "expand", true);
            else
                ini.EraseSection("B");
            QFAIL("no error raised");
        } catch (const EIniFileException &e) {
            QCOMPARE(e.message(), expected);
        }
    }
    ini.DeleteKey("A", "Root"); // reports nothing
    ini.UpdateFile();
    QCOMPARE(ini.ReadString("A", "Root", "*"), readOnly ? QStringLiteral("Start") : "*");
    if (readOnly) {
        QCOMPARE(readBytes(file), original);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"menu.ini"});
    } else {
        QVERIFY(!QFileInfo::exists(file));
    }
}

void TestTIniFile::unreadableFileIsNotOverwritten()
{
    if (!testfiles::hasPosixFiles())
        QSKIP("no permission bits here");
    if (testfiles::isSuperuser())
        QSKIP("the superuser reads every file");
    const QByteArray original = "[A]\r\nRoot=Start\r\n";
    writeBytes(path(), original);
    QVERIFY(QFile::setPermissions(path(), QFile::WriteOwner));
    TIniFile ini(path());
    QCOMPARE(ini.ReadString("A", "Root", "*"), QStringLiteral("*"));
    QVERIFY_THROWS_EXCEPTION(EIniFileException, ini.WriteString("A", "x", "1"));
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(readBytes(path()), original);
}

void TestTIniFile::lockedFolderRewritesInPlace()
{
    if (!testfiles::hasPosixFiles())
        QSKIP("no permission bits here");
    if (testfiles::isSuperuser())
        QSKIP("the superuser creates files in any folder");
    QVERIFY(QDir(m_dir->path()).mkdir("fest"));
    const QString file = path(QStringLiteral("fest/menu.ini"));
    writeBytes(file, "[A]\r\nRoot=Start\r\n");
    const auto inode = testfiles::fileId(file).inode;
    QVERIFY(QFile::setPermissions(path(QStringLiteral("fest")), QFile::ReadOwner | QFile::ExeOwner |
                                                                    QFile::ReadUser |
                                                                    QFile::ExeUser));
    TIniFile(file).WriteString("A", "Root", "Neu");
    TIniFile(file).DeleteKey("A", "Root");
    TIniFile(file).WriteString("A", "x", "1");
    QCOMPARE(readBytes(file), QByteArray("[A]\r\nx=1\r\n"));
    QCOMPARE(testfiles::fileId(file).inode, inode);
    QVERIFY(QFile::setPermissions(path(QStringLiteral("fest")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestTIniFile::symlinkStaysLink()
{
    if (!testfiles::hasPosixFiles())
        QSKIP("QFile::link makes a shortcut here");
    QVERIFY(QDir(m_dir->path()).mkdir("echt"));
    const QString target = path(QStringLiteral("echt/menu.ini"));
    writeBytes(target, "[A]\r\nRoot=Start\r\n");
    QVERIFY(QFile::link(QStringLiteral("echt/menu.ini"), path(QStringLiteral("link.ini"))));
    TIniFile(path(QStringLiteral("link.ini"))).WriteString("A", "Root", "Neu");
    QVERIFY(QFileInfo(path(QStringLiteral("link.ini"))).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("[A]\r\nRoot=Neu\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"link.ini"});
}

void TestTIniFile::permissionsKept()
{
    if (!testfiles::hasPosixFiles())
        QSKIP("no permission bits here");
    writeBytes(path(), "[A]\r\nRoot=Start\r\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                             QFile::ReadUser | QFile::WriteUser;
    QVERIFY(QFile::setPermissions(path(), permissions));
    TIniFile(path()).WriteString("A", "Root", "Neu");
    QCOMPARE(QFile::permissions(path()), permissions);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"menu.ini"});
}

void TestTIniFile::externalChangesNoticed_data()
{
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<bool>("keepTimes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("same size, in place") << QByteArray("[A]\r\nRoot=Zwei\r\n") << false << "Zwei";
    QTest::newRow("same size and times") << QByteArray("[A]\r\nRoot=Drei\r\n") << true << "Drei";
    QTest::newRow("longer") << QByteArray("[A]\r\nRoot=Noch mehr\r\n") << false << "Noch mehr";
    QTest::newRow("removed") << QByteArray() << false << "*";
}

void TestTIniFile::externalChangesNoticed()
{
    QFETCH(QByteArray, changed);
    QFETCH(bool, keepTimes);
    QFETCH(QString, expected);
    TIniFile(path()).WriteString("A", "Root", "Eins");
    QCOMPARE(TIniFile(path()).ReadString("A", "Root", "*"), QStringLiteral("Eins"));

    const qint64 written = testfiles::fileId(path()).mtimeNs;
    if (changed.isEmpty()) {
        QVERIFY(QFile::remove(path()));
    } else {
        writeBytes(path(), changed);
        if (keepTimes)
            QVERIFY(testfiles::setModificationTime(path(), written));
    }
    QCOMPARE(TIniFile(path()).ReadString("A", "Root", "*"), expected);

    // The next write builds on what the disk now holds.
    TIniFile(path()).WriteString("A", "expand", "1");
    QCOMPARE(TIniFile(path()).ReadString("A", "Root", "*"), expected);
    QCOMPARE(TIniFile(path()).ReadString("A", "expand", "*"), QStringLiteral("1"));
}

void TestTIniFile::writesVisibleToOtherObjects()
{
    TIniFile reader(path());
    QCOMPARE(reader.ReadString("A", "Root", "*"), QStringLiteral("*"));
    TIniFile writer(path());
    writer.WriteString("A", "Root", "Eins");
    QCOMPARE(reader.ReadString("A", "Root", "*"), QStringLiteral("Eins"));
    // The same file by another spelling of its path.
    TIniFile other(m_dir->path() + QStringLiteral("/./menu.ini"));
    QCOMPARE(other.ReadString("a", "root", "*"), QStringLiteral("Eins"));
    QCOMPARE(readBytes(path()), QByteArray("[A]\r\nRoot=Eins\r\n"));
}

void TestTIniFile::batchWritesOnceAtEnd()
{
    writeBytes(path(), "[A]\r\nRoot=Start\r\n");
    const testfiles::FileId before = testfiles::fileId(path());
    {
        TIniFile ini(path());
        ini.BeginUpdate();
        ini.WriteString("A", "0b", "Eins");
        ini.BeginUpdate();
        ini.WriteString("A", "1b", "Zwei");
        ini.DeleteKey("A", "Root");
        ini.EndUpdate();
        ini.UpdateFile();
        QCOMPARE(TIniFile(path()).ReadString("A", "1b", "*"), QStringLiteral("Zwei"));
        QCOMPARE(readBytes(path()), QByteArray("[A]\r\nRoot=Start\r\n"));
        QVERIFY(testfiles::fileId(path()) == before);
        ini.EndUpdate();
    }
    QCOMPARE(readBytes(path()), QByteArray("[A]\r\n0b=Eins\r\n1b=Zwei\r\n"));
}

void TestTIniFile::batchFailureDropsEverything()
{
    const QString file = path(QStringLiteral("fehlt/menu.ini"));
    TIniFile ini(file);
    ini.BeginUpdate();
    ini.WriteString("A", "Root", "Eins");
    QCOMPARE(TIniFile(file).ReadString("A", "Root", "*"), QStringLiteral("Eins"));
    try {
        ini.EndUpdate();
        QFAIL("no error raised");
    } catch (const EIniFileException &e) {
        QCOMPARE(e.message(), QStringLiteral("In %1 kann nicht geschrieben werden").arg(file));
    }
    QCOMPARE(TIniFile(file).ReadString("A", "Root", "*"), QStringLiteral("*"));
}

void TestTIniFile::releaseInsideBatchDropsChanges()
{
    writeBytes(path(), "[A]\r\nRoot=Start\r\n");
    {
        TIniFile ini(path());
        ini.BeginUpdate();
        ini.WriteString("A", "Root", "Neu");
        ini.EraseSection("A");
    }
    QCOMPARE(TIniFile(path()).ReadString("A", "Root", "*"), QStringLiteral("Start"));
    QCOMPARE(readBytes(path()), QByteArray("[A]\r\nRoot=Start\r\n"));
    // The next batch starts clean.
    TIniFile ini(path());
    ini.BeginUpdate();
    ini.WriteString("A", "x", "1");
    ini.EndUpdate();
    QCOMPARE(readBytes(path()), QByteArray("[A]\r\nRoot=Start\r\nx=1\r\n"));
}

void TestTIniFile::outline_data()
{
    // Sections as "[name]line", keys as "name=value|raw|line"; "~" marks a later copy, "!" a
    // key line without "=".
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("preamble not listed, blank and comment lines counted")
        << QByteArray("k=0\r\n; c\r\n[A]\r\n\r\n;x=1\r\n j = \" v \" \r\n")
        << QStringList{"[A]3", "j= v | \" v \" |6"};
    QTest::newRow("each line end counts once")
        << QByteArray("[A]\rx=1\n\ny=2\r\n\n\r[B]\n\rz=3")
        << QStringList{"[A]1", "x=1|1|2", "y=2|2|4", "[B]7", "z=3|3|9"};
    QTest::newRow("later copies, ASCII case ignored")
        << QByteArray("[A]\nx=1\nX=2\n[\xC4]\n[ a ]\nx=3\n[\xE4]\n")
        << QStringList{"[A]1", "x=1|1|2", "X=2|2|3~", "[\u00C4]4", "[a]5~", "x=3|3|6", "[\u00E4]7"};
    QTest::newRow("line without equals, empty header, NUL")
        << QByteArray("[A]\nk\nK=2\n[]\nx=1\n[B\0C]\nv=a\0b\n", 29)
        << QStringList{"[A]1",
                       "k=||2!",
                       "K=2|2|3~",
                       "[]4~",
                       "x=1|1|5",
                       "[B]6",
                       QStringLiteral("v=a|a") + QChar(0) + "b|7"};
    QTest::newRow("utf-16") << QByteArray("\xFF\xFE[\0\xA9\x03]\0\r\0k\0=\0\xE5\x65", 16)
                            << QStringList{QStringLiteral("[Ω]1"), QStringLiteral("k=日|日|2")};
    QTest::newRow("byte order mark is no line")
        << QByteArray("\xEF\xBB\xBF[A]\r\nk='q'\r\n") << QStringList{"[A]1", "k=q|'q'|2"};
}

void TestTIniFile::outline()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const profilefile::Document doc(file);
    QStringList actual;
    for (const profiletext::OutlineSection &s : profiletext::outline(doc)) {
        actual << QStringLiteral("[%1]%2%3").arg(s.name).arg(s.line).arg(s.first ? "" : "~");
        for (const profiletext::OutlineKey &k : s.keys) {
            actual << QStringLiteral("%1=%2|%3|%4%5")
                              .arg(k.name, k.value, k.rawValue)
                              .arg(k.line)
                              .arg(k.first ? "" : "~") +
                          (k.hasValue ? "" : "!");
        }
    }
    QCOMPARE(actual, expected);
}

QTEST_APPLESS_MAIN(TestTIniFile)
#include "tst_tinifile.moc"
