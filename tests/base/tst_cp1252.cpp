// SPDX-License-Identifier: MIT
#include <QTest>

#include "base/cp1252.h"

class TestCp1252 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void characters_data();
    void characters();
    void unencodable_data();
    void unencodable();
};

void TestCp1252::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = cp1252::toUnicode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(cp1252::fromUnicode(text), std::optional<QByteArray>(all));
    QVERIFY(!cp1252::firstUnencodable(text));
}

void TestCp1252::characters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("umlauts") << QStringLiteral("Größe Ä")
                             << QByteArray("Gr\xF6\xDF"
                                           "e \xC4");
    QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("quotes and dashes")
        << QStringLiteral("„x“ – y") << QByteArray("\x84x\x93 \x96 y");
    QTest::newRow("undefined bytes keep C1 code points")
        << QString(QChar(0x81)) + QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D)
        << QByteArray("\x81\x8D\x8F\x90\x9D");
    QTest::newRow("last of the high block") << QStringLiteral("Ÿž") << QByteArray("\x9F\x9E");
}

void TestCp1252::characters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp1252::toUnicode(bytes), text);
    QCOMPARE(cp1252::fromUnicode(text), std::optional<QByteArray>(bytes));
}

void TestCp1252::unencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("first");
    // U+0080 has no byte: 0x80 is the euro sign.
    QTest::newRow("C1 taken by a defined byte") << QString(QChar(0x80)) << QChar(0x80);
    QTest::newRow("cjk") << QStringLiteral("ab日c") << QChar(0x65E5);
    QTest::newRow("emoji surrogate") << QStringLiteral("x😀") << QStringLiteral("😀").at(0);
    QTest::newRow("greek after euro") << QStringLiteral("€α") << QChar(0x03B1);
}

void TestCp1252::unencodable()
{
    QFETCH(QString, text);
    QFETCH(QChar, first);
    QVERIFY(!cp1252::fromUnicode(text));
    QCOMPARE(cp1252::firstUnencodable(text), std::optional<QChar>(first));
}

QTEST_APPLESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
