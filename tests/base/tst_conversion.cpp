// SPDX-License-Identifier: MIT
#include <QTest>

#include "base/conversion.h"
#include "base/exception.h"

class TestConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void integers_data();
    void integers();
    void strToIntRaises();
};

void TestConversion::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("0x") << "0x1F" << true << 31;
    QTest::newRow("0X lower digits") << "0X1f" << true << 31;
    QTest::newRow("dollar") << "$1f" << true << 31;
    QTest::newRow("x alone") << "x1F" << true << 31;
    QTest::newRow("X alone") << "X1F" << true << 31;
    QTest::newRow("leading space") << " 42" << true << 42;
    QTest::newRow("leading tab") << "\t42" << false << 0;
    QTest::newRow("trailing space") << "42 " << false << 0;
    QTest::newRow("space after sign") << "- 4" << false << 0;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("minus") << "-5" << true << -5;
    QTest::newRow("sign before prefix") << "-0x10" << false << 0;
    QTest::newRow("prefix without digits") << "0x" << false << 0;
    QTest::newRow("dollar without digits") << "$" << false << 0;
    QTest::newRow("sign without digits") << "-" << false << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("max plus one") << "2147483648" << false << 0;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("min minus one") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("all ones") << "$FFFFFFFF" << true << -1;
    QTest::newRow("sign bit") << "0x80000000" << true << int(-2147483647 - 1);
    QTest::newRow("nine digits") << "$100000000" << false << 0;
    QTest::newRow("leading zeros not significant") << "$00000000FF" << true << 255;
    QTest::newRow("bad hex digit") << "0x1G" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank only") << "   " << false << 0;
    QTest::newRow("word") << "abc" << false << 0;
    QTest::newRow("decimal point") << "1.0" << false << 0;
    QTest::newRow("arabic-indic digit") << QStringLiteral("٣") << false << 0;
}

void TestConversion::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = parseProfileInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
    QCOMPARE(StrToIntDef(text, -99), valid ? value : -99);
}

void TestConversion::strToIntRaises()
{
    QCOMPARE(StrToInt(QStringLiteral("12")), 12);
    try {
        StrToInt(QStringLiteral("1x"));
        QFAIL("no error raised");
    } catch (const EConvertError &e) {
        QCOMPARE(e.message(), QStringLiteral("'1x' ist kein gültiger Integerwert"));
    }
}

QTEST_APPLESS_MAIN(TestConversion)
#include "tst_conversion.moc"
