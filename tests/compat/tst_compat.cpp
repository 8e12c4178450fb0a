// SPDX-License-Identifier: MIT
// The store against the Windows profile functions as Wine implements them: what the store says
// it wrote reads back exactly, a refused operation leaves the bytes as they were, and nothing
// else reads differently. Rows found by the random runs stay below as fixed rows, also checked
// against the store alone where Wine is missing.
//
// TARVIK_COMPAT_SEED, TARVIK_COMPAT_WRITES and TARVIK_COMPAT_READS set the random run
// (scripts/compat sets them for longer runs).
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "base/cp1252.h"
#include "base/exception.h"
#include "menufixtures.h"
#include "operations/menuclip.h"
#include "operations/menureplace.h"
#include "operations/menuscript.h"
#include "store/profilefile.h"
#include "store/profiletext.h"
#include "store/tinifile.h"
#include "testfiles.h"

#include <optional>
#include <random>

namespace {

const QString kMissing = QStringLiteral("<missing>");

// With its byte-order mark.
QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray out(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const QChar c : text) {
        out += char(bigEndian ? c.unicode() >> 8 : c.unicode() & 0xFF);
        out += char(bigEndian ? c.unicode() & 0xFF : c.unicode() >> 8);
    }
    return out;
}

QByteArray utf16le(const QString &text)
{
    return utf16(text, false);
}

enum class Enc { Ansi, Utf8, Utf16LE, Utf16BE };

QByteArray encoded(Enc enc, const QString &text)
{
    switch (enc) {
    case Enc::Ansi:
        return *cp1252::fromUnicode(text);
    case Enc::Utf8:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case Enc::Utf16LE:
    case Enc::Utf16BE:
        return utf16(text, enc == Enc::Utf16BE);
    }
    return {};
}

bool isBlank(QChar c)
{
    return QStringView(u" \t\v\f\r\n\x1A").contains(c);
}

// A name as the launcher looks it up: trimmed, ASCII letters folded.
QString lookupForm(QString name)
{
    while (!name.isEmpty() && isBlank(name.front()))
        name.remove(0, 1);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    for (QChar &c : name) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    }
    return name;
}

QString hex(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QStringLiteral(".") : QString::fromLatin1(bytes.toHex());
}

// The profile functions under Wine, through tests/compat/refprofile.c.
class Reference
{
public:
    struct Query
    {
        char op; // G read, K key list, D delete, W write
        QString path;
        QString section;
        QString key;
        bool wide;          // the W functions and UTF-8; else the A functions and Windows-1252
        QString value = {}; // of a write
    };

    static Reference *get(QString *whyNot)
    {
        static std::optional<Reference> instance;
        static QString reason;
        if (!instance && reason.isEmpty()) {
            const QString helper = qEnvironmentVariable("TARVIK_REFPROFILE");
            const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
            if (helper.isEmpty() || !QFile::exists(helper))
                reason = QStringLiteral("no MinGW cross compiler: run scripts/deps, reconfigure");
            else if (wine.isEmpty())
                reason = QStringLiteral("no Wine: run scripts/deps");
            else
                instance.emplace(wine, helper);
        }
        *whyNot = reason;
        return instance ? &*instance : nullptr;
    }

    Reference(QString wine, QString helper) : m_wine(std::move(wine)), m_helper(std::move(helper))
    {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("WINEPREFIX"), qEnvironmentVariable("TARVIK_WINEPREFIX"));
        m_env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
        m_env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
        m_env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // code page 1252
        m_env.remove(QStringLiteral("DISPLAY"));
        // The first Wine process sets up a new prefix; two starting at once on a new prefix
        // would both set it up, and one of them fails.
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("requests.txt"));
        testfiles::writeBytes(empty, {});
        QProcess setUp;
        start(setUp, empty);
        setUp.waitForFinished(-1);
    }

    // One answer a query: nullopt for a missing value, else the value or the list joined by NULs.
    // Queries run in two Wine processes at once, split between groups (a group's queries run in
    // order in one process: a delete comes before the reads of its file).
    std::vector<std::optional<QString>> run(const std::vector<Query> &queries,
                                            const std::vector<size_t> &groupStarts)
    {
        std::vector<std::optional<QString>> answers;
        const size_t cut =
            groupStarts.empty() ? queries.size() : groupStarts[groupStarts.size() / 2];
        QTemporaryDir dir;
        QProcess procs[2];
        for (int p = 0; p < 2; ++p) {
            QByteArray requests;
            for (size_t i = p == 0 ? 0 : cut; i < (p == 0 ? cut : queries.size()); ++i) {
                const Query &q = queries[i];
                auto text = [&](const QString &s) {
                    return q.wide ? s.toUtf8() : *cp1252::fromUnicode(s);
                };
                const QString winPath = QStringLiteral("Z:") + QString(q.path).replace('/', '\\');
                requests += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                                .arg(QChar::fromLatin1(q.op), q.wide ? "W" : "A",
                                     hex(winPath.toUtf8()), hex(text(q.section)),
                                     q.op == 'K' ? QStringLiteral("-") : hex(text(q.key)),
                                     q.op == 'W' ? hex(text(q.value)) : QString())
                                .toLatin1();
            }
            const QString file = dir.filePath(QStringLiteral("requests%1.txt").arg(p));
            testfiles::writeBytes(file, requests);
            start(procs[p], file);
        }
        QByteArray errors;
        for (QProcess &proc : procs) {
            proc.waitForFinished(-1);
            errors += proc.readAllStandardError();
            for (const QByteArray &line : proc.readAllStandardOutput().split('\n')) {
                const QByteArray l = line.trimmed();
                if (l.isEmpty())
                    continue;
                if (l == "M") {
                    answers.emplace_back();
                    continue;
                }
                const QByteArray bytes = QByteArray::fromHex(l.mid(1));
                const bool wide = queries[answers.size()].wide;
                answers.emplace_back(wide ? QString::fromUtf8(bytes) : cp1252::toUnicode(bytes));
            }
        }
        if (answers.size() != queries.size())
            qFatal("the profile helper answered %zu of %zu queries: %s", answers.size(),
                   queries.size(), errors.constData());
        return answers;
    }

private:
    void start(QProcess &process, const QString &requests) const
    {
        process.setProcessEnvironment(m_env);
        process.start(
            m_wine, {m_helper, QStringLiteral("Z:") +
                                   QString(requests).replace(QLatin1Char('/'), QLatin1Char('\\'))});
    }

    QString m_wine;
    QString m_helper;
    QProcessEnvironment m_env;
};

// The store's answer to a query, in the form of the reference's.
std::optional<QString> storeAnswer(TMemIniFile &ini, const Reference::Query &q)
{
    if (q.op == 'K') {
        QStringList names;
        ini.ReadSection(q.section, names);
        if (ini.SectionExists(q.section) == names.isEmpty())
            return QStringLiteral("SectionExists disagrees with ReadSection");
        return names.isEmpty() ? QString() : names.join(QChar(0)) + QChar(0);
    }
    const QString value = ini.ReadString(q.section, q.key, kMissing);
    if (ini.ValueExists(q.section, q.key) == (value == kMissing))
        return QStringLiteral("ValueExists disagrees with ReadString");
    if (value == kMissing)
        return std::nullopt;
    return value;
}

QString shown(const std::optional<QString> &answer)
{
    if (!answer)
        return kMissing;
    QString s;
    for (const QChar c : *answer)
        s += c.unicode() < 0x20 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar('0')) : c;
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Random menu files in every dialect, and operations with awkward names and values.
class Generator
{
public:
    explicit Generator(quint32 seed) : m_rng(seed) {}

    struct File
    {
        Enc enc;
        QByteArray bytes;
        QStringList sections; // names the file uses, to ask about
        QStringList keys;
        bool nameless = false;    // holds a key line without a name ("=v")
        bool emptyHeader = false; // holds a "[]" header
        bool nul = false;         // holds a NUL
        bool odd = false;         // UTF-16 with an odd last byte
    };

    File file()
    {
        File f;
        const int e = pick(20);
        f.enc = e < 11 ? Enc::Ansi : e < 14 ? Enc::Utf8 : e < 19 ? Enc::Utf16LE : Enc::Utf16BE;
        const bool unicode = f.enc != Enc::Ansi;
        for (int i = 0; i < 3; ++i)
            f.sections << oneOf(unicode ? kSectionsU : kSections);
        for (int i = 0; i < 4; ++i)
            f.keys << oneOf(unicode ? kKeysU : kKeys);
        const QStringList ends = {"\r\n", "\n", "\r"};
        const int style = pick(5); // CRLF, LF, CR, or mixed
        QString text;
        const int lines = pick(14);
        for (int i = 0; i < lines; ++i) {
            text += line(f, unicode);
            if (i + 1 < lines || pick(3))
                text += style < 3 ? ends[style] : oneOf(ends);
        }
        f.bytes = encoded(f.enc, text);
        f.odd = f.enc == Enc::Utf16LE && pick(12) == 0;
        if (f.odd)
            f.bytes += char(pick(2) ? 'x' : '\n');
        return f;
    }

    // A name a caller might ask for: one of the file's, or padded, or a new one.
    QString section(const File &f)
    {
        const int c = pick(12);
        if (c == 0)
            return pad() + oneOf(f.sections) + pad();
        if (c == 1)
            return oneOf(f.enc == Enc::Ansi ? kSections : kSectionsU);
        return oneOf(f.sections);
    }
    QString key(const File &f)
    {
        const int c = pick(12);
        if (c == 0)
            return pad() + oneOf(f.keys) + pad();
        if (c == 1)
            return oneOf(f.enc == Enc::Ansi ? kKeys : kKeysU);
        return oneOf(f.keys);
    }
    QString writeName(const File &f, bool isSection)
    {
        switch (pick(24)) {
        case 0:
            return QString();
        case 1:
            return pad() + (isSection ? section(f) : key(f));
        case 2:
            return oneOf(kAwkwardNames);
        default:
            return isSection ? section(f) : key(f);
        }
    }
    QString value(bool unicode)
    {
        if (pick(3) == 0)
            return oneOf(kValues) + oneOf(kValues);
        return oneOf(pick(6) == 0 || !unicode ? kValues : kValuesU);
    }
    int pick(int n) { return int(m_rng() % quint32(n)); }
    template <typename T> const T &oneOf(const QList<T> &list) { return list[pick(list.size())]; }

private:
    QString pad() { return oneOf(QStringList{" ", "\t", "  ", "\x1A", " \t"}); }

    QString line(File &f, bool unicode)
    {
        const QString s = oneOf(f.sections);
        const QString k = oneOf(f.keys);
        const QString v = value(unicode);
        const auto maybe = [&](const QString &t) { return pick(4) == 0 ? t : QString(); };
        switch (pick(16)) {
        case 0:
        case 1:
        case 2:
            return maybe(pad()) + "[" + maybe(pad()) + s + maybe(pad()) + "]" + maybe(" old");
        case 3:
            return maybe(pad()) + k; // no "="
        case 4:
            return oneOf(QStringList{";", "  ;", "#"}) + k + "=" + v;
        case 5: {
            const QString odd = oneOf(QStringList{"", " ", "[]", "[", "=" + v, "[" + s, "\x1A"});
            f.nameless = f.nameless || odd.startsWith('=');
            f.emptyHeader = f.emptyHeader || odd == QLatin1String("[]");
            return odd;
        }
        case 6:
            f.nul = true;
            return k + QChar(0) + oneOf(QStringList{"x", " ", "=w"}) + "=" + v; // NUL in the name
        case 7:
            f.nul = true;
            return k + "=" + v + QChar(0) + maybe(v); // NUL in the value
        case 8:
            return k + "=" + oneOf(QStringList{"\"", "'"}) + v + oneOf(QStringList{"\"", "'"});
        default:
            return maybe(pad()) + k + maybe(pad()) + "=" + maybe(pad()) + v + maybe(pad());
        }
    }

    std::mt19937 m_rng;
    const QStringList kSections = {"A",      "a",      "B",     "Config", "x]y",
                                   "\u00C4", "\u00E4", "Neu 1", "["};
    const QStringList kSectionsU = kSections + QStringList{"Ω", "日本", "Ü😀"};
    const QStringList kKeys = {"k", "K", "0b", "Root", "a b", "#h", "x]", "\u00E4", "k\u00A0"};
    const QStringList kKeysU = kKeys + QStringList{"日", "😀", "Ωk"};
    const QStringList kValues = {"",         "v",    " v ", "\"q\"", "'q'",    "\"",
                                 "a=b",      ";c",   "[A]", "x\ty",  "\u20AC", "\u00FF\u00E4",
                                 "\x01\x1F", "\x1A", "'",   "\"a'",  " "};
    const QStringList kValuesU = kValues + QStringList{"日本😀", "Ω ", "\u3000"};
    const QStringList kAwkwardNames = {
        "a=b",  ";c",     "[x",   "a]b", "]",
        "x\ny", "\u00A0", "\x01", "日",  QStringLiteral("k") + QChar(0xD800)};
};

} // namespace

class TestCompat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rows_data();
    void rows();
    void randomReads();
    void randomWrites();
    void menuCommands_data();
    void menuCommands();

private:
    QString fileFor(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1.ini").arg(m_files++));
        testfiles::writeBytes(path, bytes);
        return path;
    }
    static quint32 setting(const char *name, quint32 fallback)
    {
        bool ok = false;
        const quint32 v = qEnvironmentVariable(name).toUInt(&ok);
        return ok ? v : fallback;
    }

    QTemporaryDir m_dir;
    int m_files = 0;
    Reference *m_ref = nullptr;
    QString m_whyNot;
};

void TestCompat::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_ref = Reference::get(&m_whyNot);
}

void TestCompat::rows_data()
{
    // An operation, then the value read at section/key and the bytes the file then holds;
    // "refused": an exception, and the bytes stay as they were.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("op"); // "write", "delete", "erase", "read"
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QByteArray>("after");
    const auto row = [](const char *name, const QByteArray &before, const char *op,
                        const QString &section, const QString &key, const QString &value,
                        const QString &read, const QByteArray &after) {
        QTest::newRow(name) << before << QString::fromLatin1(op) << section << key << value << read
                            << after;
    };
    const auto read = [&](const char *name, const QByteArray &file, const QString &section,
                          const QString &key, const QString &value) {
        row(name, file, "read", section, key, {}, value, file);
    };
    const QByteArray refused = "refused";
    const QString euro = QStringLiteral("\u0081\u008D\u008F\u0090\u009D\u20AC\u00FF");

    read("line without equals hides a later key", "[A]\r\nk\r\nk=2\r\n", "A", "k", kMissing);
    row("write to a line without equals", "[A]\r\n  k \r\nx=1\r\n", "write", "A", "K", "v", "v",
        "[A]\r\n  k=v\r\nx=1\r\n");
    row("write to a line without equals cut by a NUL", QByteArray("[A]\nk\0x\n", 9), "write", "A",
        "k", "v", "v", QByteArray("[A]\nk\0x=v\n", 11));
    row("empty section name refused", "p=0\r\n", "write", "", "p", "v", "0", refused);
    read("empty section name reads the lines before the first header", "p=0\r\n[]\r\np=1\r\n", "",
         "p", "0");
    read("blanks around names in a read", "[A]\r\nk=v\r\n", " A\t", "\vk\x1A", "v");
    read("NUL ends a value", QByteArray("[A]\r\nk=\"a\"\0b\r\n", 14), "A", "k", "a");
    row("NUL ends a name after a blank", QByteArray("[A]\r\nk \0x=1\r\nk=2\r\n", 17), "write", "A",
        "k", "3", "3", QByteArray("[A]\r\nk \0x=1\r\nk=3\r\n", 17));
    row("bracket in a section name", {}, "write", "a]b", "k", "v", "v", "[a]b]\r\nk=v\r\n");
    read("utf-16 read", utf16le("[A]\r\nk=日ä\r\n"), "A", "k", "日ä");
    row("utf-16 write keeps line ends", utf16le("[Ω]\nk=1\n"), "write", "ω", "😀", " 日 ", " 日 ",
        utf16le("[Ω]\nk=1\n[ω]\n😀=\" 日 \"\n"));
    row("utf-16 scrambled parameter bytes", utf16le("[A]\r\n"), "write", "A", "0p", euro, euro,
        utf16le("[A]\r\n0p=" + euro + "\r\n"));
    row("utf-16 odd last byte kept at the end", utf16le("[A]\r\nk=1\r\n") + "x", "write", "A", "k",
        "2", "2", utf16le("[A]\r\nk=2\r\n") + "x");
    row("utf-8 write", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "write", "A", "j", "Ω", "Ω",
        "\xEF\xBB\xBF[A]\r\nk=1\r\nj=\xCE\xA9\r\n");
    read("utf-8 read", "\xEF\xBB\xBF[\xC3\x84]\r\nk=\xE2\x82\xAC\r\n", "Ä", "k", "€");
    row("utf-8 half a surrogate refused", "\xEF\xBB\xBF", "write", "A", "k", QChar(0xDC00),
        kMissing, refused);
    row("windows-1252 file refuses other characters", "[A]\r\n", "write", "A", "k", "Ω", kMissing,
        refused);
    // A line without "=" is the key: a write puts the value on that line, also in a file whose
    // lines end in LF alone and where the name holds blanks or a letter outside ASCII; a delete
    // takes that line and leaves a later "k=v" readable, as Wine's own writer does. In each
    // encoding the launcher's files come in.
    const std::pair<const char *, std::function<QByteArray(const QString &)>> encodings[] = {
        {"windows-1252", [](const QString &t) { return *cp1252::fromUnicode(t); }},
        {"utf-8", [](const QString &t) { return "\xEF\xBB\xBF" + t.toUtf8(); }},
        {"utf-16", [](const QString &t) { return utf16le(t); }}};
    for (const auto &[encoding, bytes] : encodings) {
        const auto bare = [&, encoding = encoding, bytes = bytes](
                              const char *what, const QString &before, const char *op,
                              const QString &key, const QString &read, const QString &after) {
            const QByteArray name = QByteArray(encoding) + ": " + what;
            row(name.constData(), bytes(before), op, "A", key, "v", read, bytes(after));
        };
        bare("write to a bare line, LF", "[A]\nk\nx=1\n", "write", "k", "v", "[A]\nk=v\nx=1\n");
        bare("write to a bare line with blanks, LF", "[A]\na b\nx=1\n", "write", "a b", "v",
             "[A]\na b=v\nx=1\n");
        bare("write to a bare non-ASCII line", "[A]\r\n\u00e4\r\nx=1\r\n", "write", "\u00e4", "v",
             "[A]\r\n\u00e4=v\r\nx=1\r\n");
        bare("write to a bare last line without line end, LF", "[A]\nx=1\na b", "write", "a b", "v",
             "[A]\nx=1\na b=v");
        bare("delete takes the bare line before k=v", "[A]\r\nk\r\nk=w\r\n", "delete", "k", "w",
             "[A]\r\nk=w\r\n");
        bare("delete takes the bare line before k=v, LF", "[A]\na b\na b=w\n", "delete", "a b", "w",
             "[A]\na b=w\n");
        // A NUL ends the name or value it stands in, not the file: later keys and sections read.
        const QString nul(QChar(0));
        const auto readIn = [&, encoding = encoding, bytes = bytes](
                                const char *what, const QString &file, const QString &section,
                                const QString &key, const QString &value) {
            const QByteArray name = QByteArray(encoding) + ": " + what;
            row(name.constData(), bytes(file), "read", section, key, {}, value, bytes(file));
        };
        readIn("NUL line before a section", "[A]\r\nk=1\r\n" + nul + "\r\n[B]\r\nj=2\r\n", "B", "j",
               "2");
        readIn("key after a value cut by a NUL", "[A]\r\nk=1" + nul + "x\r\nm=4\r\n", "A", "m",
               "4");
        readIn("key after a name cut by a NUL", "[A]\r\nx" + nul + "y=3\r\nm=4\r\n", "A", "m", "4");
        readIn("section name cut by a NUL", "[A" + nul + "C]\r\nk=1\r\n", "A", "k", "1");
    }

    // Wine reads big-endian UTF-16 too, which Windows is not known to do: the store reads it,
    // but never writes it.
    read("big-endian utf-16 read", utf16("[A]\r\nk=Ω\r\n", true), "A", "k", "Ω");
    row("big-endian utf-16 never written", utf16("[A]\r\nk=1\r\n", true), "erase", "A", "k", {},
        "1", refused);
}

void TestCompat::rows()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, op);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, read);
    QFETCH(QByteArray, after);

    TMemIniFile ini(QStringLiteral("menu.ini"), before);
    try {
        if (op == QLatin1String("write"))
            ini.WriteString(section, key, value);
        else if (op == QLatin1String("delete"))
            ini.DeleteKey(section, key);
        else if (op == QLatin1String("erase"))
            ini.EraseSection(section);
        QVERIFY2(after != "refused", "not refused");
    } catch (const EIniFileException &e) {
        QVERIFY2(after == "refused", qPrintable(e.message()));
        QVERIFY(
            e.message().startsWith(QStringLiteral("In menu.ini kann nicht geschrieben werden: ")));
        after = before;
    }
    QCOMPARE(ini.bytes(), after);
    QCOMPARE(ini.ReadString(section, key, kMissing), read);
    if (!m_ref)
        QSKIP(
            qPrintable(QStringLiteral("The store agrees; not checked against Wine: ") + m_whyNot));
    const bool wide = !before.isEmpty() && static_cast<unsigned char>(before[0]) >= 0xEF;
    const QString path = fileFor(after);
    std::vector<Reference::Query> queries = {{'G', path, section, key, wide}};
    // The launcher asks through the Windows-1252 functions, also in a Unicode file.
    if (wide && cp1252::fromUnicode(section + key + read))
        queries.push_back({'G', path, section, key, false});
    const auto expected = read == kMissing ? std::nullopt : std::optional(read);
    for (const auto &answer : m_ref->run(queries, {}))
        QCOMPARE(shown(answer), shown(expected));
}

void TestCompat::randomReads()
{
    if (!m_ref)
        QSKIP(qPrintable(m_whyNot));
    const quint32 seed = setting("TARVIK_COMPAT_SEED", 1);
    const quint32 count = setting("TARVIK_COMPAT_READS", 400);
    Generator gen(seed);
    std::vector<Generator::File> files;
    std::vector<Reference::Query> queries;
    std::vector<size_t> groups;
    std::vector<size_t> owner;
    for (quint32 i = 0; i < count; ++i) {
        Generator::File f = gen.file();
        const QString path = fileFor(f.bytes);
        const bool wide = f.enc != Enc::Ansi;
        groups.push_back(queries.size());
        QStringList sections = f.sections;
        sections << QString() << gen.section(f);
        QStringList keys = f.keys;
        keys << gen.key(f);
        for (const QString &s : std::as_const(sections)) {
            queries.push_back({'K', path, s, {}, wide});
            owner.push_back(files.size());
            for (const QString &k : std::as_const(keys)) {
                queries.push_back({'G', path, s, k, wide});
                owner.push_back(files.size());
            }
        }
        files.push_back(std::move(f));
    }
    const auto answers = m_ref->run(queries, groups);
    QStringList mismatches;
    std::vector<std::unique_ptr<TMemIniFile>> stores;
    for (const Generator::File &f : files)
        stores.push_back(std::make_unique<TMemIniFile>(QStringLiteral("menu.ini"), f.bytes));
    for (size_t i = 0; i < queries.size(); ++i) {
        const Reference::Query &q = queries[i];
        // Wine lists a key line without a name as an empty name, which ends the list for any
        // caller (and when it comes first, the default comes back instead). The store lists every
        // key that has a name: it has no reason to hide the keys after such a line.
        if (q.op == 'K' && files[owner[i]].nameless)
            continue;
        // Wine reads the odd last byte of a UTF-16 file as a character, with a byte from beyond
        // the end of its buffer; the store leaves the half character out (and keeps it).
        if (files[owner[i]].odd)
            continue;
        // Wine's key list compares the section name as given, blanks and all, unlike the value
        // reads of the same functions, which trim it; the store trims for both, so that
        // SectionExists and ReadSection agree with ReadString.
        if (q.op == 'K' && lookupForm(q.section).size() != q.section.size())
            continue;
        const auto mine = storeAnswer(*stores[owner[i]], q);
        const auto &theirs = answers[i];
        if (mine != theirs) {
            mismatches << QStringLiteral("file %1 (%2) %3 [%4] %5: store %6, Wine %7")
                              .arg(owner[i])
                              .arg(QString::fromLatin1(files[owner[i]].bytes.toHex()))
                              .arg(QChar::fromLatin1(q.op), q.section, q.key, shown(mine),
                                   shown(theirs));
        }
    }
    qInfo("seed %u: %u files, %zu queries, %lld mismatches", seed, count, queries.size(),
          qlonglong(mismatches.size()));
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 20).join('\n')));
}

void TestCompat::randomWrites()
{
    if (!m_ref)
        QSKIP(qPrintable(m_whyNot));
    const quint32 seed = setting("TARVIK_COMPAT_SEED", 1);
    const quint32 count = setting("TARVIK_COMPAT_WRITES", 800);
    Generator gen(seed ^ 0x5EED);
    struct Case
    {
        Generator::File file;
        int op; // 0 write, 1 delete, 2 erase, 3 rename section to target
        QString section, key, value, target;
        QString before, after, oracle; // paths: as it was, as the store left it, as Wine's own
                                       // write or delete left it
        size_t first = 0;              // its first query
    };
    std::vector<Case> cases;
    std::vector<Reference::Query> queries;
    std::vector<size_t> groups;
    int refusedCount = 0;
    int unchangedCount = 0;
    QStringList mismatches;
    for (quint32 i = 0; i < count; ++i) {
        Case c;
        c.file = gen.file();
        const int kind = gen.pick(10);
        c.op = kind < 6 ? 0 : kind < 8 ? 1 : kind < 9 ? 2 : 3;
        c.section = gen.writeName(c.file, true);
        c.key = gen.writeName(c.file, false);
        c.value = gen.value(c.file.enc != Enc::Ansi);
        c.target = gen.writeName(c.file, true);
        TMemIniFile ini(QStringLiteral("menu.ini"), c.file.bytes);
        try {
            if (c.op == 0)
                ini.WriteString(c.section, c.key, c.value);
            else if (c.op == 1)
                ini.DeleteKey(c.section, c.key);
            else if (c.op == 2)
                ini.EraseSection(c.section);
            else
                ini.RenameSection(c.section, c.target);
        } catch (const EIniFileException &) {
            ++refusedCount;
            if (ini.bytes() != c.file.bytes || ini.changed())
                mismatches
                    << QStringLiteral("case %1: a refused operation changed the file").arg(i);
            continue;
        }
        if (!ini.changed()) {
            ++unchangedCount;
            if (ini.bytes() != c.file.bytes)
                mismatches
                    << QStringLiteral("case %1: changed() is false but the bytes differ").arg(i);
        }
        if (c.op != 0 && !ini.changed())
            continue; // the same bytes: nothing to ask
        // Names the functions cannot be asked for; the store changed nothing for them.
        const bool wide = c.file.enc != Enc::Ansi;
        const QString names = c.section + c.key + c.target;
        if (wide ? !QStringView(names).isValidUtf16() : !cp1252::fromUnicode(names))
            continue;
        c.before = fileFor(c.file.bytes);
        c.after = fileFor(ini.bytes());
        c.oracle = fileFor(c.file.bytes);
        groups.push_back(queries.size());
        c.first = queries.size();
        queries.push_back({c.op == 0 ? 'W' : 'D', c.oracle, c.section, c.key, wide, c.value});
        QStringList sections = c.file.sections;
        sections << c.section << QString() << c.target; // the source stays at sourceAt
        QStringList keys = c.file.keys;
        keys << c.key;
        for (const QString &path : {c.before, c.after, c.oracle}) {
            for (const QString &s : std::as_const(sections)) {
                queries.push_back({'K', path, s, {}, wide});
                for (const QString &k : std::as_const(keys))
                    queries.push_back({'G', path, s, k, wide});
            }
        }
        cases.push_back(std::move(c));
    }
    const auto answers = m_ref->run(queries, groups);
    for (size_t n = 0; n < cases.size(); ++n) {
        const Case &c = cases[n];
        const size_t end = n + 1 < cases.size() ? cases[n + 1].first : queries.size();
        const size_t each = (end - c.first - 1) / 3; // queries per file version
        const size_t perSection = c.file.keys.size() + 2;
        const size_t sourceAt = c.file.sections.size() * perSection;
        const QString where = QStringLiteral("case %1 (%2), %3 [%4] %5 = %6")
                                  .arg(n)
                                  .arg(QString::fromLatin1(c.file.bytes.toHex()))
                                  .arg(QStringList{"write", "delete", "erase", "rename"}[c.op],
                                       c.section, c.key, shown(c.value));
        for (size_t j = 0; j < each; ++j) {
            const Reference::Query &q = queries[c.first + 1 + j];
            const auto before = answers[c.first + 1 + j];
            const auto after = answers[c.first + 1 + each + j];
            const auto oracle = answers[c.first + 1 + 2 * each + j];
            const bool sameSection = lookupForm(q.section) == lookupForm(c.section);
            const bool sameKey = q.op == 'G' && lookupForm(q.key) == lookupForm(c.key);
            std::optional<QString> expected = before;
            // As above, the last line of a file of odd length reads as Wine's memory happens to
            // be; only the value written is sure to read back.
            if (c.file.odd && !(c.op == 0 && sameSection && sameKey))
                continue;
            // Wine's own delete rewrites the whole file: the lines after a "[]" header join the
            // section before it, and a value cut by a NUL is trimmed again. The store keeps
            // those lines as they are, so Wine's result is a yardstick for the deleted key only,
            // and not after a "[]" header.
            if (c.op == 1 && (c.file.emptyHeader || (c.file.nul && sameKey)) && sameSection &&
                (sameKey || q.op == 'K'))
                continue;
            // Wine's own write rewrites the whole file too; where that rewrite changes nothing of
            // the section's key list, the store must put the key where Wine does: in place of a
            // line of its name (one without "=" included), else after the section's last key.
            const bool wineWrote = answers[c.first] == QStringLiteral("1");
            const bool rewriteKeepsKeys = !c.file.emptyHeader && !c.file.nul && !c.file.nameless;
            if (c.op == 0 && sameSection && sameKey)
                expected = c.value;
            else if (c.op == 0 && sameSection && q.op == 'K' && wineWrote && rewriteKeepsKeys)
                expected = oracle;
            else if (c.op == 0 && sameSection && q.op == 'K')
                continue;
            else if (c.op == 1 && sameSection && (sameKey || q.op == 'K'))
                expected = oracle; // the first of its name goes, as Wine's own delete does
            else if (c.op >= 2 && sameSection)
                expected = q.op == 'K' ? std::optional(QString()) : std::nullopt; // every copy
            else if (c.op == 3 && lookupForm(q.section) == lookupForm(c.target))
                expected = answers[c.first + 1 + sourceAt + j % perSection]; // as the source read
            if (after != expected) {
                mismatches << QStringLiteral("%1: %2 [%3] %4 reads %5, expected %6")
                                  .arg(where, QChar::fromLatin1(q.op), q.section, q.key,
                                       shown(after), shown(expected));
            }
        }
    }
    qInfo("seed %u: %u write cases (%d refused, %d unchanged), %zu queries, %lld mismatches", seed,
          count, refusedCount, unchangedCount, queries.size(), qlonglong(mismatches.size()));
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 20).join('\n')));
}

void TestCompat::menuCommands_data()
{
    QTest::addColumn<int>("enc");
    QTest::newRow("windows-1252") << int(Enc::Ansi);
    QTest::newRow("utf-8") << int(Enc::Utf8);
    QTest::newRow("utf-16") << int(Enc::Utf16LE);
}

// What a paste, a find and replace and a script write, in each encoding: the profile functions
// read every value of the file as the store does, also through the Windows-1252 functions the
// launcher uses.
void TestCompat::menuCommands()
{
    if (!m_ref)
        QSKIP(qPrintable(m_whyNot));
    QFETCH(int, enc);
    const bool unicode = Enc(enc) != Enc::Ansi;
    const QString odd = unicode ? QStringLiteral("Ω 日本") : QStringLiteral("€ äß");
    const QString path = fileFor(
        encoded(Enc(enc), QStringLiteral("[Config]\r\nTitle=x\r\n[A]\r\nRoot=Büro\r\n"
                                         "0b=Mail\r\n0d=mail.exe\r\n0p=-a\r\n0v=0\r\n0dc=0\r\n")));
    const menuclip::Clip clip =
        menuclip::fromText(QStringLiteral("; Parameter im Klartext\n0b=\" Leer vorn\"\n0d='q.exe'\n"
                                          "0p=-x=1 ;kein Kommentar [A]\n0v=1\n0dc=1\n1b=%1\n1d=x\n")
                               .arg(odd));
    menuclip::paste(clip, {path, menufixtures::itemOf(path, QStringLiteral("Büro"))});
    menureplace::apply(
        menureplace::plan({path}, {QStringLiteral("X"), QStringLiteral("y ä€"),
                                   menureplace::AllFields, Qt::CaseInsensitive, false}));
    transaction::run([&](transaction::Transaction &t) {
        menuscript::apply(t, path,
                          menuscript::fromJson(R"([{"op": "add-node", "caption": "Neu"},
            {"op": "add-entry", "node": "Neu", "caption": "'zitiert'", "program": "\"p\"",
             "params": "  ", "scrambled": true}])",
                                               QStringLiteral("c.json")));
    });

    const profilefile::Document doc(testfiles::readBytes(path));
    std::vector<Reference::Query> queries;
    std::vector<QString> expected;
    for (const profiletext::OutlineSection &s : profiletext::outline(doc)) {
        for (const profiletext::OutlineKey &k : s.keys) {
            if (!s.first || !k.first || !k.hasValue)
                continue;
            const QString value = *profiletext::value(doc, s.name, k.name);
            queries.push_back({'G', path, s.name, k.name, unicode});
            expected.push_back(value);
            if (unicode && cp1252::fromUnicode(s.name + k.name + value)) {
                queries.push_back({'G', path, s.name, k.name, false});
                expected.push_back(value);
            }
        }
    }
    QVERIFY(queries.size() > 20);
    const auto answers = m_ref->run(queries, {});
    for (size_t i = 0; i < queries.size(); ++i) {
        QVERIFY2(answers[i] == expected[i],
                 qPrintable(QStringLiteral("[%1] %2: Wine %3, store %4")
                                .arg(queries[i].section, queries[i].key, shown(answers[i]),
                                     shown(expected[i]))));
    }
    const menu::Menu menu = menu::load(path);
    QCOMPARE(menu.nodes.size(), size_t(2));
    QCOMPARE(menu.nodes[0].entries[1].caption, QStringLiteral(" Leer vorn"));
    QCOMPARE(menu.nodes[0].entries[1].params, QStringLiteral("-y ä€=1 ;kein Kommentar [A]"));
    QCOMPARE(menu.nodes[0].entries[2].caption, odd);
    QCOMPARE(menu.nodes[1].entries[0].caption, QStringLiteral("'zitiert'"));
}

QTEST_APPLESS_MAIN(TestCompat)
#include "tst_compat.moc"
