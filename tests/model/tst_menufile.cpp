// SPDX-License-Identifier: MIT
#include <QTest>

#include "base/cp1252.h"
#include "base/mtools.h"
#include "model/menufile.h"

namespace {

// Bytes 0x00..0xFF over and over, so every Windows-1252 byte (0x80..0xFF included) is scrambled.
QString allBytesText(int length)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(char((i * 7 + 0x80) & 0xFF));
    return cp1252::toUnicode(bytes);
}

} // namespace

class TestMenuFile : public QObject
{
    Q_OBJECT

private slots:
    void tscPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("tsc");
        QTest::newRow("lower") << "?tsc" << true;
        QTest::newRow("upper") << "?TSC" << true;
        QTest::newRow("mixed") << "?tSc" << true;
        QTest::newRow("leading blank") << " ?tsc" << false;
        QTest::newRow("trailing blank") << "?tsc " << false;
        QTest::newRow("no marker") << "tsc" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("program") << "C:\\Windows\\notepad.exe" << false;
        // Full Unicode upper-casing turns the long s into "S".
        QTest::newRow("long s") << QString::fromUtf8("?t\u017Fc") << false;
    }
    void tscPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, tsc);
        QCOMPARE(menufile::isTscPath(path), tsc);
    }

    // Names as text and as file bytes give the same answer. "index" -1: no entry key.
    void entryName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("leadingZero");
        using menufile::EntryKey;
        QTest::newRow("caption") << "12b" << 12 << int(EntryKey::Caption) << false;
        QTest::newRow("upper case") << "3DC" << 3 << int(EntryKey::KeepOpen) << false;
        QTest::newRow("zero") << "0v" << 0 << int(EntryKey::Scrambled) << false;
        QTest::newRow("leading zero") << "01p" << 1 << int(EntryKey::Params) << true;
        QTest::newRow("largest index")
            << "2147483647d" << 2147483647 << int(EntryKey::Program) << false;
        QTest::newRow("beyond int") << "2147483648d" << -1 << 0 << false;
        QTest::newRow("many zeros")
            << "0000000000000000000001b" << 1 << int(EntryKey::Caption) << true;
        QTest::newRow("suffix alone") << "dc" << -1 << 0 << false;
        QTest::newRow("sign") << "-1b" << -1 << 0 << false;
        QTest::newRow("other suffix") << "1c" << -1 << 0 << false;
        QTest::newRow("Root") << "Root" << -1 << 0 << false;
        // Only ASCII letters fold, as in the store.
        QTest::newRow("full-width b") << QString::fromUtf8("1\uFF42") << -1 << 0 << false;
    }
    void entryName()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(int, key);
        QFETCH(bool, leadingZero);
        const QByteArray bytes = name.toUtf8();
        for (const auto &entry :
             {menufile::entryName(QStringView(name)), menufile::entryName(QByteArrayView(bytes))}) {
            QCOMPARE(entry.has_value(), index >= 0);
            if (!entry)
                continue;
            QCOMPARE(entry->index, index);
            QCOMPARE(int(entry->key), key);
            QCOMPARE(entry->leadingZero, leadingZero);
        }
    }

    // Key names are built by hand; they must be the index's digits and the suffix, read back as
    // such.
    void entryKeyRoundTrip()
    {
        using menufile::EntryKey;
        const std::pair<EntryKey, const char *> keys[] = {{EntryKey::Caption, "b"},
                                                          {EntryKey::Program, "d"},
                                                          {EntryKey::Params, "p"},
                                                          {EntryKey::Scrambled, "v"},
                                                          {EntryKey::KeepOpen, "dc"}};
        for (const int index : {0, 9, 10, 399, 2147483647, -1, -2147483647 - 1}) {
            for (const auto &[key, suffix] : keys) {
                const QString name = menufile::entryKey(index, key);
                QCOMPARE(name, QString::number(index) + QLatin1StringView(suffix));
                const auto read = menufile::entryName(QStringView(name));
                QCOMPARE(read.has_value(), index >= 0);
                if (read)
                    QVERIFY(read->index == index && read->key == key);
            }
        }
    }

    void scrambleKnownValues_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("scrambled");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("ascii") << "abc"
                               << "zyx";
        // The XOR works on the byte, not on the code point: 0x80 is the euro sign, 0x9B is U+203A.
        QTest::newRow("euro") << QString::fromUtf8("\u20AC") << QString::fromUtf8("\u203A");
        QTest::newRow("undefined byte") << QString(QChar(0x81)) << QString::fromUtf8("\u0161");
        QTest::newRow("umlaut") << QString::fromUtf8("\u00FC") << QString::fromUtf8("\u00E7");
        QTest::newRow("ampersand gives equals") << "&"
                                                << "=";
    }
    void scrambleKnownValues()
    {
        QFETCH(QString, plain);
        QFETCH(QString, scrambled);
        QCOMPARE(menufile::ScrambleParams(plain), scrambled);
        QCOMPARE(menufile::ScrambleParams(scrambled), plain);
    }

    void scrambleLengths_data()
    {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 255, 256, 257, 300, 511, 512})
            QTest::addRow("%d", length) << length;
    }
    void scrambleLengths()
    {
        QFETCH(int, length);
        const QString plain = allBytesText(length);
        const QString scrambled = menufile::ScrambleParams(plain);
        QCOMPARE(menufile::ScrambleParams(scrambled), plain);

        const QByteArray in = *cp1252::fromUnicode(plain);
        const std::optional<QByteArray> out = cp1252::fromUnicode(scrambled);
        QVERIFY(out);
        QCOMPARE(out->size(), in.size());
        const int changed = length % 256;
        for (int i = 0; i < length; ++i) {
            const char expected = i < changed ? char(in.at(i) ^ 0x1B) : in.at(i);
            QVERIFY2(out->at(i) == expected, qPrintable(QStringLiteral("byte %1").arg(i)));
        }
    }

    void scrambleUnencodableLeftAlone()
    {
        const QString text = QString::fromUtf8("abc\u4E2D");
        QCOMPARE(menufile::ScrambleParams(text), text);
    }

    void nodeLetters()
    {
        const QStringList &letters = menufile::nodeLetters();
        QCOMPARE(letters.size(), 28);
        QCOMPARE(letters.first(), QStringLiteral("A"));
        QCOMPARE(letters.last(), QStringLiteral("\\"));
        for (int i = 0; i < letters.size(); ++i) {
            QCOMPARE(letters.at(i).size(), 1);
            // The launcher reads consecutive codes, so any skipped code would hide what follows.
            QCOMPARE(letters.at(i).at(0).unicode(), char16_t(u'A' + i));
            QCOMPARE(menufile::nodeLetterIndex(letters.at(i)), i);
            // Would not survive in a section header, or would address another node.
            QVERIFY(letters.at(i) != QStringLiteral("]"));
            QVERIFY(letters.at(i).toUpper() == letters.at(i));
        }
        QCOMPARE(menufile::nodeLetterIndex(QStringLiteral("]")), -1);
        QCOMPARE(menufile::nodeLetterIndex(QStringLiteral("a")), -1);
        QCOMPARE(menufile::nodeLetterIndex(QStringLiteral("Config")), -1);
    }

    void removeSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << " a b  c "
                                 << "abc";
        QTest::newRow("no blanks") << "MeineTools"
                                   << "MeineTools";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only blanks") << QString(300, u' ') << "";
        QTest::newRow("tab and no-break space stay")
            << QString::fromUtf8("a\tb\u00A0c") << QString::fromUtf8("a\tb\u00A0c");
        QTest::newRow("255 without blank") << QString(255, u'x') << QString(255, u'x');
        QTest::newRow("blanks past 256")
            << QString(280, u'x') + QStringLiteral(" y ") << QString(280, u'x') + u'y';
        QTest::newRow("long mixed")
            << QStringLiteral("a b ").repeated(200) << QStringLiteral("ab").repeated(200);
    }
    void removeSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(RemoveSpaces(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestMenuFile)
#include "tst_menufile.moc"
