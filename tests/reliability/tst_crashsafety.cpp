// SPDX-License-Identifier: MIT
// A writer is killed at random moments while it replaces a large file; the file must always be
// exactly the state before or after the interrupted write, and what a kill leaves beside it must
// be cleaned up by the next write.
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "crashstates.h"
#include "store/tinifile.h"
#include "testfiles.h"

#include <functional>

namespace {

int killCount()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("TARVIK_CRASH_KILLS");
    return fromEnvironment > 0 ? fromEnvironment : 100;
}

struct Tally
{
    int kills = 0;
    int before = 0; // the file was still the state before the announced write
    int after = 0;
    int leftovers = 0; // kills that left a temporary file behind
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// What the probe announced last: the state it was writing when it died.
int lastAnnounced(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    bool ok = false;
    const int n = lines.isEmpty() ? 0 : lines.last().toInt(&ok);
    return ok ? n : -1;
}

class Killer
{
public:
    Killer(QStringList arguments, QProcessEnvironment environment)
        : m_arguments(std::move(arguments)), m_environment(std::move(environment))
    {
    }

    // Starts the writer, lets it write for up to maxDelayUs after its first announcement, kills
    // it and returns the state it was writing; -1 on failure.
    int runAndKill(int maxDelayUs)
    {
        QProcess probe;
        probe.setProcessEnvironment(m_environment);
        probe.start(QStringLiteral(TARVIK_PROBE), m_arguments);
        if (!probe.waitForStarted(10000))
            return -1;
        while (probe.bytesAvailable() == 0 && probe.state() == QProcess::Running)
            probe.waitForReadyRead(10000);
        QThread::usleep(m_random.bounded(maxDelayUs));
        probe.kill();
        probe.waitForFinished(10000);
        if (probe.exitStatus() != QProcess::CrashExit) {
            qWarning("probe ended on its own (%d): %s", probe.exitCode(),
                     probe.readAllStandardError().constData());
            return -1;
        }
        return lastAnnounced(probe.readAllStandardOutput());
    }

    // Lets the writer make count states and end by itself; the microseconds one write took, or
    // -1 when it failed.
    int run(int count)
    {
        QProcess probe;
        probe.setProcessEnvironment(m_environment);
        QStringList arguments = m_arguments;
        arguments.last() = QString::number(count);
        probe.start(QStringLiteral(TARVIK_PROBE), arguments);
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            return -1;
        const QByteArray report = probe.readAllStandardError();
        const qsizetype at = report.lastIndexOf("us-per-write ");
        return at < 0 ? -1 : report.mid(at + 13).trimmed().toInt();
    }

    // Microseconds over which the kills are spread after the writer's first announcement: about
    // four writes, the first of which also checks the file it read at start.
    int killSpread()
    {
        const int perWrite = run(11);
        return perWrite < 0 ? -1 : qMax(2000, 4 * perWrite);
    }

    quint32 seed() const { return m_seed; }

private:
    QStringList m_arguments;
    QProcessEnvironment m_environment;
    quint32 m_seed = QRandomGenerator::global()->generate();
    QRandomGenerator m_random{m_seed};
};

} // namespace

class CrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killedWriters_data();
    void killedWriters();
    void onlyLeftoversAreRemoved();
};

void CrashSafety::killedWriters_data()
{
    QTest::addColumn<bool>("registry");
    QTest::newRow("menu file") << false;
    // The registry, where there is one, is the system's own business.
    if (testfiles::storeIsAFile())
        QTest::newRow("per-user store") << true;
}

void CrashSafety::killedWriters()
{
    QFETCH(bool, registry);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    QString folder;
    QString file;
    QRegularExpression temporary;
    QStringList mayStay;
    QStringList arguments;
    std::function<QByteArray(int)> stateBytes;
    if (registry) {
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("cfg")));
        folder = dir.filePath(QStringLiteral("cfg/tarvik-konfig"));
        file = QStringLiteral("registry.reg");
        // The store's lock of a killed writer is stale; the next writer takes it over.
        mayStay << QStringLiteral("registry.reg.lock");
        arguments = {QStringLiteral("registry-writer"), QStringLiteral("0")};
        stateBytes = [](int n) { return crashstates::registryBytes(n); };
    } else {
        folder = dir.filePath(QStringLiteral("daten"));
        file = QStringLiteral("tarvik.ini");
        arguments = {QStringLiteral("menu-writer"), QDir(folder).filePath(file),
                     QStringLiteral("0")};
        const QByteArray state0 = crashstates::menuBytes(crashstates::initialMenu(), 0);
        stateBytes = [state0](int n) { return crashstates::menuBytes(state0, n); };
    }
    temporary.setPattern(
        QStringLiteral("^\\.%1\\.tmp-\\w{6}$").arg(QRegularExpression::escape(file)));
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(file);
    testfiles::writeBytes(path, stateBytes(0));

    Killer killer(arguments, environment);
    const int spread = killer.killSpread();
    QVERIFY2(spread > 0, "the writer failed");
    // The measuring wrote states 1 to 11 without interruption.
    int state = 11;
    QVERIFY(testfiles::readBytes(path) == stateBytes(state));

    Tally tally;
    for (; tally.kills < killCount(); ++tally.kills) {
        const int n = killer.runAndKill(spread);
        QVERIFY2(n > state, "the writer announced no new state");
        const QByteArray onDisk = testfiles::readBytes(path);
        if (onDisk == stateBytes(n)) {
            ++tally.after;
        } else {
            QVERIFY2(onDisk == stateBytes(n - 1),
                     qPrintable(QStringLiteral("kill %1: the file is neither state %2 nor %3")
                                    .arg(tally.kills)
                                    .arg(n - 1)
                                    .arg(n)));
            ++tally.before;
        }
        state = onDisk == stateBytes(n) ? n : n - 1;

        bool left = false;
        for (const QString &name : entriesOf(folder)) {
            if (name == file || mayStay.contains(name))
                continue;
            QVERIFY2(temporary.match(name).hasMatch(), qPrintable(name));
            left = true;
        }
        tally.leftovers += left;
    }

    // One write that is not interrupted removes whatever the kills left.
    QVERIFY(killer.run(1) >= 0);
    QCOMPARE(testfiles::readBytes(path), stateBytes(state + 1));
    QStringList remaining = entriesOf(folder);
    for (const QString &name : std::as_const(mayStay))
        remaining.removeOne(name);
    QCOMPARE(remaining, QStringList{file});

    qInfo("%d kills within %d us of the first write (seed %u): %d before the write, %d after "
          "it, %d left a "
          "temporary file; "
          "%d states written",
          tally.kills, spread, killer.seed(), tally.before, tally.after, tally.leftovers,
          state + 1);
    // Kills that left a temporary file hit a write in the middle: the case this test is about.
    QVERIFY(tally.leftovers > 0);
}

// A write removes the temporary files of writers that died, but neither one that another writer
// still holds nor files of similar names that are not its own.
void CrashSafety::onlyLeftoversAreRemoved()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tarvik.ini"));
    testfiles::writeBytes(path, "[A]\r\nRoot=Eins\r\n");
    const QStringList names = {
        QStringLiteral(".tarvik.ini.tmp-abc123"), QStringLiteral(".tarvik.ini.tmp-inUse1"),
        QStringLiteral(".tarvik.ini.backup"), QStringLiteral(".tarvik.ini.tmp-toolong"),
        QStringLiteral(".andere.ini.tmp-abc123")};
    for (const QString &name : names)
        testfiles::writeBytes(dir.filePath(name), "alt");
    QFile inUse(dir.filePath(names[1]));
    QVERIFY(inUse.open(QIODevice::ReadOnly));
    QVERIFY(testfiles::holdAsWriter(inUse.handle()));

    {
        TIniFile ini(path);
        ini.WriteString(QStringLiteral("A"), QStringLiteral("Root"), QStringLiteral("Zwei"));
    }
    QStringList expected = names.mid(1);
    expected << QStringLiteral("tarvik.ini");
    expected.sort();
    QCOMPARE(entriesOf(dir.path()), expected);
}

QTEST_GUILESS_MAIN(CrashSafety)
#include "tst_crashsafety.moc"
