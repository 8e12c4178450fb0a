// SPDX-License-Identifier: MIT
// Menu files that are broken, huge, strange or protected, opened in the real main window: the
// window loads what it can or says in German why it cannot write, and never damages the file.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "gui/editor/tfmain.h"
#include "probeclient.h"
#include "scriptedrunner.h"
#include "testfiles.h"

#include <sys/stat.h>

using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

QByteArray smallMenu()
{
    return crlf({"[Config]",
                 "width=180",
                 "[A]",
                 "Root=B\xfcro",
                 "expand=1",
                 "0b=Brief",
                 "0d=C:\\Office\\winword.exe",
                 "0p=/n",
                 "0v=0",
                 "0dc=0",
                 "1b=Rechner",
                 "1d=calc.exe",
                 "1p=",
                 "1v=0",
                 "1dc=0",
                 "[B]",
                 "Root=Lager",
                 "0b=Bestand",
                 "0d=lager.exe",
                 "0p=",
                 "0v=0",
                 "0dc=0"});
}

QString cannotWrite(const QString &path)
{
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(path);
}

// The main window over one file, with every modal box answered from a script.
class Editor
{
public:
    explicit Editor(const QString &path) : window(QStringList{path}, QFileInfo(path).path()) {}

    QStringList tree() const
    {
        QStringList texts;
        const auto *t = window.findChild<QTreeWidget *>(QStringLiteral("Tree"));
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            texts << t->topLevelItem(i)->text(0);
            for (int j = 0; j < t->topLevelItem(i)->childCount(); ++j)
                texts << QStringLiteral("  ") + t->topLevelItem(i)->child(j)->text(0);
        }
        return texts;
    }

    bool click(const QString &caption)
    {
        auto *t = window.findChild<QTreeWidget *>(QStringLiteral("Tree"));
        const auto found = t->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.size() != 1)
            return false;
        t->setCurrentItem(found.first());
        window.TreeClick();
        return true;
    }

    QLineEdit *field(const char *name) const
    {
        return window.findChild<QLineEdit *>(QLatin1String(name));
    }

    void trigger(const char *action)
    {
        window.findChild<QAction *>(QLatin1String(action))->trigger();
    }

    // Texts of the boxes shown since the last call.
    QStringList shown()
    {
        const QStringList all = runner.shownTexts();
        const QStringList fresh = all.mid(m_seen);
        m_seen = int(all.size());
        return fresh;
    }

    ScriptedRunner runner;
    Tfmain window;

private:
    int m_seen = 0;
};

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

class HostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void binaryFile();
    void nulBytes();
    void fiftyMegabytes();
    void tenMegabyteLine();
    void hundredThousandSections();
    void folderAsMenuFile();
    void symlinkedMenuFile();
    void readOnlyFile();
    void protectedFiles_data();
    void protectedFiles();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void HostileFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("tarvik.ini"));
}

// Nothing in it is a menu; a new node is added after it and its bytes stay as they were.
void HostileFiles::binaryFile()
{
    const QByteArray original = randomBytes(256 * 1024, 7);
    writeBytes(m_path, original);
    Editor editor(m_path);
    QCOMPARE(editor.tree(), QStringList());
    QCOMPARE(editor.shown(), QStringList());

    editor.runner.then(ScriptedRunner::enterText(QStringLiteral("Neu")));
    editor.trigger("Knotenanlegen1");
    QCOMPARE(editor.shown(), QStringList{QStringLiteral("Beschriftung:")});
    QCOMPARE(editor.tree(), QStringList{QStringLiteral("Neu")});
    const QByteArray after = readBytes(m_path);
    QVERIFY(after.startsWith(original));
    QVERIFY(after.endsWith("[A]\r\nRoot=Neu\r\n") || after.endsWith("[A]\nRoot=Neu\n") ||
            after.endsWith("[A]\rRoot=Neu\r"));
}

// A NUL byte inside a caption and a parameter: the entries load, saving another entry keeps
// those bytes, and saving the entry itself either keeps them or is refused with a message.
void HostileFiles::nulBytes()
{
    const QByteArray original =
        crlf({"[A]", "Root=B\xfcro", "0b=Br" + QByteArray(1, '\0') + "ief", "0d=winword.exe",
              "0p=/a" + QByteArray(1, '\0') + "/b", "0v=0", "0dc=0", "1b=Rechner", "1d=calc.exe",
              "1p=", "1v=0", "1dc=0"});
    writeBytes(m_path, original);
    Editor editor(m_path);
    QCOMPARE(editor.tree().size(), 3);

    QVERIFY(editor.click(QStringLiteral("Rechner")));
    editor.field("param")->setText(QStringLiteral("/x"));
    editor.trigger("Esave");
    QCOMPARE(editor.shown(), QStringList());
    QByteArray expected = original;
    expected.replace("1p=\r\n", "1p=/x\r\n");
    QCOMPARE(readBytes(m_path), expected);

    // The launcher ends a value at its NUL byte; saving what it reads changes nothing stored.
    QVERIFY(editor.click(QStringLiteral("Br")));
    editor.trigger("Esave");
    QCOMPARE(editor.shown(), QStringList());
    QCOMPARE(readBytes(m_path), expected);
}

// Loads, and a save changes the one line it writes and nothing else of the 50 MB.
void HostileFiles::fiftyMegabytes()
{
    QByteArray original = smallMenu();
    original += "[Archiv]\r\n";
    const QByteArray line = "Eintrag=" + QByteArray(90, 'x') + "\r\n";
    original.reserve(50 * 1024 * 1024 + line.size());
    while (original.size() < 50 * 1024 * 1024)
        original += line;
    writeBytes(m_path, original);

    QElapsedTimer timer;
    timer.start();
    Editor editor(m_path);
    const qint64 loadMs = timer.elapsed();
    QCOMPARE(editor.tree().size(), 5);
    QVERIFY(editor.click(QStringLiteral("Rechner")));
    editor.field("Name")->setText(QStringLiteral("Taschenrechner"));
    timer.restart();
    editor.trigger("Esave");
    const qint64 saveMs = timer.elapsed();
    QCOMPARE(editor.shown(), QStringList());
    QByteArray expected = original;
    expected.replace("1b=Rechner\r\n", "1b=Taschenrechner\r\n");
    QVERIFY(readBytes(m_path) == expected);
    qInfo("50 MB: loaded in %lld ms, saved and reloaded in %lld ms", loadMs, saveMs);
}

// A parameter of 10 MB in one line survives a save of its entry that changes something else.
void HostileFiles::tenMegabyteLine()
{
    const QByteArray params = "/daten:" + QByteArray(10 * 1024 * 1024, 'p');
    const QByteArray original =
        crlf({"[A]", "Root=B\xfcro", "0b=Lang", "0d=lang.exe", "0p=" + params, "0v=0", "0dc=0"});
    writeBytes(m_path, original);
    Editor editor(m_path);
    QVERIFY(editor.click(QStringLiteral("Lang")));
    editor.window.findChild<QCheckBox *>(QStringLiteral("NichtSchliessen"))->setChecked(true);
    editor.trigger("Esave");
    QCOMPARE(editor.shown(), QStringList());
    QByteArray expected = original;
    expected.replace("0dc=0", "0dc=1");
    QVERIFY2(readBytes(m_path) == expected, "the long parameter changed");
}

void HostileFiles::hundredThousandSections()
{
    QByteArray original = smallMenu();
    for (int i = 0; i < 100'000; ++i)
        original += "[Abschnitt" + QByteArray::number(i) + "]\r\nSchluessel=Wert\r\n";
    writeBytes(m_path, original);
    QElapsedTimer timer;
    timer.start();
    Editor editor(m_path);
    const qint64 loadMs = timer.elapsed();
    QCOMPARE(editor.tree().size(), 5);

    editor.runner.then(ScriptedRunner::enterText(QStringLiteral("Neu")));
    timer.restart();
    editor.trigger("Knotenanlegen1");
    editor.shown();
    QVERIFY(readBytes(m_path) == original + "[C]\r\nRoot=Neu\r\n");

    // Deleting node A moves B and C down: every other section stays.
    QVERIFY(editor.click(QStringLiteral("B\u00fcro")));
    editor.runner.then(ScriptedRunner::clickButton(QStringLiteral("&Ja")));
    editor.trigger("btdelete");
    const qint64 commandsMs = timer.elapsed();
    QCOMPARE(editor.shown().size(), 1);
    QCOMPARE(editor.tree(), (QStringList{QStringLiteral("Lager"), QStringLiteral("  Bestand"),
                                         QStringLiteral("Neu")}));
    QCOMPARE(readBytes(m_path).count("Schluessel=Wert\r\n"), 100'000);
    qInfo("100,000 sections: loaded in %lld ms, node created and deleted in %lld ms", loadMs,
          commandsMs);
}

// A folder where the menu file should be: it cannot be read, so nothing is shown and nothing
// written.
void HostileFiles::folderAsMenuFile()
{
    QVERIFY(QDir().mkpath(m_path));
    writeBytes(m_path + QStringLiteral("/inhalt.txt"), "bleibt");
    const QString cannotRead = QStringLiteral("%1 kann nicht gelesen werden.").arg(m_path);
    Editor editor(m_path);
    QCOMPARE(editor.tree(), QStringList());
    QCOMPARE(editor.shown(), QStringList{cannotRead});

    editor.runner.then(ScriptedRunner::enterText(QStringLiteral("Neu")));
    editor.trigger("Knotenanlegen1");
    QCOMPARE(editor.shown(), (QStringList{QStringLiteral("Beschriftung:"), cannotRead}));
    QVERIFY(QFileInfo(m_path).isDir());
    QCOMPARE(QDir(m_path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("inhalt.txt")});
}

// The link stays a link; its target gets the change.
void HostileFiles::symlinkedMenuFile()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ziel")));
    const QString target = m_dir->filePath(QStringLiteral("ziel/echt.ini"));
    writeBytes(target, smallMenu());
    QVERIFY(QFile::link(QStringLiteral("ziel/echt.ini"), m_path));
    Editor editor(m_path);
    QVERIFY(editor.click(QStringLiteral("Rechner")));
    editor.field("Name")->setText(QStringLiteral("Taschenrechner"));
    editor.trigger("Esave");
    QCOMPARE(editor.shown(), QStringList());

    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(QFile::symLinkTarget(m_path), target);
    QVERIFY(readBytes(target).contains("1b=Taschenrechner\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{QStringLiteral("tarvik.ini"), QStringLiteral("ziel")}));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("ziel")))
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("echt.ini")});
}

// Without write bits the file is not written, by the superuser neither.
void HostileFiles::readOnlyFile()
{
    writeBytes(m_path, smallMenu());
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Editor editor(m_path);
    QVERIFY(editor.click(QStringLiteral("Rechner")));
    editor.field("Name")->setText(QStringLiteral("Taschenrechner"));
    editor.trigger("Esave");
    QCOMPARE(editor.shown(), QStringList{cannotWrite(m_path) + QLatin1Char('.')});
    QCOMPARE(readBytes(m_path), smallMenu());
    QCOMPARE(editor.tree().size(), 5);
}

// Permissions that only bind an ordinary user: the editor runs in a process of its own, as
// "nobody" when the tests run as the superuser.
void HostileFiles::protectedFiles_data()
{
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("changed");

    // %1 stands for the folder of the menu file.
    const QString unwritable = QStringLiteral("In %1/tarvik.ini kann nicht geschrieben werden.");
    const QString unreadable = QStringLiteral("%1/tarvik.ini kann nicht gelesen werden.");
    QTest::newRow("unreadable file")
        << 0 << 0777 << QStringList{"answer text Neu", "trigger Knotenanlegen1"}
        << QStringList{unreadable, "Beschriftung:", unreadable} << false;
    QTest::newRow("read-only folder, save rewrites the file in place")
        << 0666 << 0555 << QStringList{"click Rechner", "set Name Taschenrechner", "trigger Esave"}
        << QStringList() << true;
    QTest::newRow("read-only folder, export needs a new file")
        << 0666 << 0555 << QStringList{"click Lager", "trigger ToolButton4"}
        << QStringList{"Sind Sie sicher, dass Sie den Knoten >> Lager << inklusive aller "
                       "Untereinträge löschen wollen?",
                       "In %1/tarvik.Lager kann nicht geschrieben werden."}
        << false;
    QTest::newRow("read-only folder and file")
        << 0444 << 0555 << QStringList{"click Rechner", "set Name Taschenrechner", "trigger Esave"}
        << QStringList{unwritable} << false;
}

void HostileFiles::protectedFiles()
{
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, shown);
    QFETCH(bool, changed);

    const QString folder = m_dir->filePath(QStringLiteral("daten"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/tarvik.ini");
    writeBytes(path, smallMenu());
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(fileMode)) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)) == 0);

    {
        ProbeEditor editor(path, runningAsRoot());
        QVERIFY(editor.isRunning());
        for (const QString &command : std::as_const(commands))
            QCOMPARE(editor.command(command), QStringLiteral("ok"));
        for (QString &text : shown)
            text.replace(QLatin1String("%1"), folder);
        QCOMPARE(editor.list(QStringLiteral("shown")), shown);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(path).constData(), 0644);

    QByteArray expected = smallMenu();
    if (changed)
        expected.replace("1b=Rechner\r\n", "1b=Taschenrechner\r\n");
    QCOMPARE(readBytes(path), expected);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("tarvik.ini")});
}

QTEST_MAIN(HostileFiles)
#include "tst_hostilefiles.moc"
