// SPDX-License-Identifier: MIT
// Find and replace: what matches, scrambled parameters in plain form, changes the store cannot
// hold refused before any write, a file changed since the plan left alone, one undo for all.
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

#include "base/cp1252.h"
#include "menufixtures.h"
#include "model/menufile.h"
#include "model/undo.h"
#include "operations/menureplace.h"
#include "testfiles.h"

using menufixtures::entry;
using testfiles::readBytes;
using testfiles::writeBytes;
using Lines = QList<QByteArray>;

namespace {

QStringList describe(const std::vector<menureplace::Change> &changes)
{
    QStringList out;
    for (const menureplace::Change &c : changes) {
        out << QStringLiteral("%1/%2 %3: %4 → %5%6")
                   .arg(c.letter)
                   .arg(c.index)
                   .arg(c.field)
                   .arg(c.before, c.after, c.problem.isEmpty() ? QString() : QStringLiteral(" !"));
    }
    return out;
}

} // namespace

class TestMenuReplace : public QObject
{
    Q_OBJECT

private:
    // Entry 1's parameters "-srv1 /v:srv1" are stored scrambled.
    static QByteArray menuIn(menufixtures::Encoding encoding)
    {
        Lines scrambled = entry(1, "srv10", true);
        scrambled[2] = "1p=" + *cp1252::fromUnicode(menufile::ScrambleParams("-srv1 /v:srv1"));
        return menufixtures::file(Lines{"[A]", "Root=srv1 Server"} + entry(0, "srv1") + scrambled,
                                  encoding);
    }

    QTemporaryDir m_dir;
    QString m_menu;
    QString m_sub;

private Q_SLOTS:
    void init()
    {
        m_menu = m_dir.filePath(QStringLiteral("tarvik.ini"));
        m_sub = m_dir.filePath(QStringLiteral("tarvik.Kasse"));
        writeBytes(m_menu, menuIn(menufixtures::Encoding::Windows1252));
        writeBytes(m_sub, menufixtures::file(Lines{"[A]", "Root=Kasse"} + entry(0, "Srv1_Bon"),
                                             menufixtures::Encoding::Utf8));
    }

    void matches_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<bool>("wholeWords");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("everywhere, letter case counts")
            << "srv1" << false << false
            << QStringList{"A/-1 1: srv1 Server → neu Server",
                           "A/0 1: srv1 → neu",
                           "A/0 2: srv1.exe → neu.exe",
                           "A/0 4: -srv1 → -neu",
                           "A/1 1: srv10 → neu0",
                           "A/1 2: srv10.exe → neu0.exe",
                           "A/1 4: -srv1 /v:srv1 → -neu /v:neu"};
        QTest::newRow("whole words, any letter case")
            << "SRV1" << true << true
            << QStringList{"A/-1 1: srv1 Server → neu Server", "A/0 1: srv1 → neu",
                           "A/0 2: srv1.exe → neu.exe", "A/0 4: -srv1 → -neu",
                           "A/1 4: -srv1 /v:srv1 → -neu /v:neu"};
        QTest::newRow("a text that starts with no word character")
            << "/v:" << false << true << QStringList{"A/1 4: -srv1 /v:srv1 → -srv1 neusrv1"};
    }
    void matches()
    {
        QFETCH(QString, find);
        QFETCH(bool, ignoreCase);
        QFETCH(bool, wholeWords);
        QFETCH(QStringList, expected);
        menureplace::Options options;
        options.find = find;
        options.replacement = QStringLiteral("neu");
        options.caseSensitivity = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        options.wholeWords = wholeWords;
        // The stored bytes are searched in each file's own encoding.
        for (const menufixtures::Encoding encoding : menufixtures::kEncodings) {
            writeBytes(m_menu, menuIn(encoding));
            const menureplace::Plan plan = menureplace::plan({m_menu}, options);
            QCOMPARE(describe(plan.changes), expected);
        }
        // A file that cannot be read refuses the plan, also when another thread searched it.
        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 menureplace::plan({m_menu, m_dir.filePath("fehlt.ini")}, options));
    }

    // Written as planned: the scrambled parameters stored scrambled again, one step for both
    // files, undone byte for byte.
    void applyAndUndo()
    {
        const QByteArray menuBefore = readBytes(m_menu);
        const QByteArray subBefore = readBytes(m_sub);
        menureplace::Options options{QStringLiteral("srv1"), QStringLiteral("host7"),
                                     menureplace::Params | menureplace::Captions,
                                     Qt::CaseInsensitive, false};
        const menureplace::Plan plan =
            menureplace::plan(menureplace::withSubLists(m_menu), options);
        QCOMPARE(plan.files.size(), size_t(2));
        const menureplace::Outcome done = menureplace::apply(plan);
        QVERIFY(done.skipped.isEmpty());
        QCOMPARE(done.result.changes.size(), size_t(2));
        const menu::Entry scrambled = menu::load(m_menu).nodes[0].entries[1];
        QVERIFY(scrambled.scrambled);
        QCOMPARE(scrambled.params, QStringLiteral("-host7 /v:host7"));
        QVERIFY(!readBytes(m_menu).contains("host7 /v"));
        QCOMPARE(menu::load(m_sub).nodes[0].entries[0].caption, QStringLiteral("host7_Bon"));
        undo::revert(done.result.changes);
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_sub), subBefore);
    }

    // A replacement the store cannot hold is listed with its reason; chosen, it is refused before
    // any file is written.
    void problemsRefuseBeforeAnyWrite_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("line break") << "srv"
                                    << "a\nb";
        // The sub-list, in UTF-8, takes it; the menu does not.
        QTest::newRow("outside Windows-1252") << "srv"
                                              << "Ω";
        // Only the parameters "-srv1 /v:srv1", with two matches, grow too long.
        QTest::newRow("too long") << "srv" << QString(menu::kMaxValueLength - 10, u'x');
        QTest::newRow("caption that would hide the entry") << "srv10"
                                                           << "";
    }
    void problemsRefuseBeforeAnyWrite()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        const QByteArray menuBefore = readBytes(m_menu);
        const QByteArray subBefore = readBytes(m_sub);
        const menureplace::Options options{find, replacement,
                                           menureplace::Captions | menureplace::Params,
                                           Qt::CaseInsensitive, false};
        const menureplace::Plan plan = menureplace::plan({m_sub, m_menu}, options);
        QVERIFY(std::any_of(plan.changes.begin(), plan.changes.end(),
                            [](const menureplace::Change &c) { return !c.problem.isEmpty(); }));
        QVERIFY_THROWS_EXCEPTION(transaction::ERefused, menureplace::apply(plan));
        QCOMPARE(readBytes(m_menu), menuBefore);
        QCOMPARE(readBytes(m_sub), subBefore);
    }

    // Another program changed the sub-list since the plan: it is left alone and named; the menu
    // is written.
    void fileChangedSinceThePlanIsSkipped()
    {
        const menureplace::Plan plan =
            menureplace::plan({m_menu, m_sub}, {QStringLiteral("Bon"), QStringLiteral("Beleg"),
                                                menureplace::AllFields, Qt::CaseSensitive, false});
        menureplace::Options options = plan.options;
        options.find = QStringLiteral("Server");
        const menureplace::Plan other = menureplace::plan({m_menu, m_sub}, options);
        const QByteArray outside = readBytes(m_sub) + "[Config]\r\nTitle=x\r\n";
        writeBytes(m_sub, outside);
        std::vector<size_t> all(plan.changes.size());
        std::iota(all.begin(), all.end(), 0);
        const menureplace::Outcome done = menureplace::apply(plan, all);
        QCOMPARE(done.skipped.size(), 1);
        QVERIFY(done.skipped.front().contains(m_sub));
        QVERIFY(done.result.changes.empty());
        QCOMPARE(readBytes(m_sub), outside);
        QCOMPARE(menureplace::apply(other).result.changes.size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestMenuReplace)
#include "tst_menureplace.moc"
