// SPDX-License-Identifier: MIT
// Every command that asks, with the file changed by another program while its question or dialog
// is open: it writes nothing the question did not name, says that the file changed, and the
// window then shows the file as it stands. The window itself does not change under the question.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "gui/dialogs/menucheckdialog.h"
#include "gui/editor/menutree.h"
#include "gui/editor/tfmain.h"
#include "menufixtures.h"
#include "operations/menuclip.h"
#include "scriptedrunner.h"
#include "testfiles.h"
#include "windowprobe.h"

using menufixtures::entry;
using testfiles::crlf;
using testfiles::folderSnapshot;
using testfiles::readBytes;
using testfiles::writeBytes;
using windowprobe::clickItem;
using windowprobe::setField;
using windowprobe::treeTexts;
using windowprobe::trigger;

using Lines = QList<QByteArray>;

namespace {

const Lines kNodeA = Lines{"[A]", "Root=B\xfcro"};
const Lines kNodeB = Lines{"[B]", "Root=Rest"} + entry(0, "r") + Lines{"2b=versteckt"};
// B's entry behind a gap gives the menu check a finding to repair.
const Lines kMenu = kNodeA + entry(0, "Notiz") + entry(1, "Mail") + entry(2, "Post") + kNodeB;

// What another program does to the file while the question is open.
enum class Change { OtherEntrySamePlace, EntryRemoved, NodeRemoved, FileRemoved, ReplacedByRename };

void change(const QString &path, Change what)
{
    // Another editor deleted "Notiz": the last entry, "Post", moved into its place.
    const Lines compacted = kNodeA + entry(0, "Post") + entry(1, "Mail") + kNodeB;
    switch (what) {
    case Change::OtherEntrySamePlace:
        writeBytes(path, crlf(kNodeA + entry(0, "Notiz") + entry(1, "Mail") + entry(2, "Wichtig") +
                              kNodeB));
        return;
    case Change::EntryRemoved:
        writeBytes(path, crlf(compacted));
        return;
    case Change::NodeRemoved:
        writeBytes(path, crlf(Lines{"[A]", "Root=Rest"} + entry(0, "r") + Lines{"2b=versteckt"}));
        return;
    case Change::FileRemoved:
        QVERIFY(QFile::remove(path));
        return;
    case Change::ReplacedByRename: {
        const QString temporary = path + QStringLiteral(".neu");
        writeBytes(temporary, crlf(compacted));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(temporary, path));
        return;
    }
    }
}

// Long enough for the file watch to have told the window, had it not been held.
constexpr int kWatchMs = 400;

} // namespace

class TestAskedCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void changedUnderTheQuestion_data();
    void changedUnderTheQuestion();

private:
    QTemporaryDir m_dir;
    QString m_data;
    QString m_menu;
};

void TestAskedCommands::init()
{
    m_data = m_dir.path() + QStringLiteral("/prog/daten");
    QDir(m_data).removeRecursively();
    QVERIFY(QDir().mkpath(m_data));
    m_menu = m_data + QStringLiteral("/tarvik.ini");
    writeBytes(m_menu, crlf(kMenu));
}

// How each command is brought to its question, and the answer that goes on.
struct Asking
{
    std::function<void(Tfmain &)> prepare;
    std::function<void(Tfmain &)> start;
    QString answer; // the button that goes on; empty: the dialog itself is driven (Ersetzen)
};

Q_DECLARE_METATYPE(Change)

void TestAskedCommands::changedUnderTheQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Change>("what");
    const std::pair<const char *, Change> changes[] = {
        {"another entry at the same place", Change::OtherEntrySamePlace},
        {"an earlier entry removed", Change::EntryRemoved},
        {"the node removed", Change::NodeRemoved},
        {"the file removed", Change::FileRemoved},
        {"the file replaced by rename", Change::ReplacedByRename}};
    for (const char *command :
         {"Löschen eines Eintrags", "Löschen eines Knotens", "Löschen mehrerer", "Export",
          "Speichern beim Verlassen", "Einfügen", "Ablegen", "Ersetzen", "Reparieren"}) {
        for (const auto &[name, what] : changes)
            QTest::newRow(qPrintable(
                QStringLiteral("%1, %2").arg(QString::fromUtf8(command), QLatin1String(name))))
                << QString::fromUtf8(command) << what;
    }
}

void TestAskedCommands::changedUnderTheQuestion()
{
    QFETCH(QString, command);
    QFETCH(Change, what);

    // Leaves "Post" with an edit, so that the next command asks whether to save it.
    auto editPost = [](Tfmain &w) {
        clickItem(w, QStringLiteral("Post"));
        setField(w, "Name", QStringLiteral("Post neu"));
    };
    auto copyRest = [](Tfmain &w) {
        clickItem(w, QStringLiteral("r"));
        trigger(w, QStringLiteral("Kopieren1"));
    };
    const QMap<QString, Asking> commands = {
        {QStringLiteral("Löschen eines Eintrags"),
         {[](Tfmain &w) { clickItem(w, QStringLiteral("Post")); },
          [](Tfmain &w) { trigger(w, QStringLiteral("btdelete")); }, QStringLiteral("&Ja")}},
        {QStringLiteral("Löschen eines Knotens"),
         {[](Tfmain &w) { clickItem(w, QStringLiteral("Büro")); },
          [](Tfmain &w) { trigger(w, QStringLiteral("btdelete")); }, QStringLiteral("&Ja")}},
        {QStringLiteral("Löschen mehrerer"),
         {[](Tfmain &w) {
              clickItem(w, QStringLiteral("Notiz"));
              clickItem(w, QStringLiteral("Post"), Qt::ControlModifier);
          },
          [](Tfmain &w) { trigger(w, QStringLiteral("btdelete")); }, QStringLiteral("&Ja")}},
        {QStringLiteral("Export"),
         {[](Tfmain &w) { clickItem(w, QStringLiteral("Büro")); },
          [](Tfmain &w) { trigger(w, QStringLiteral("ToolButton4")); }, QStringLiteral("&Ja")}},
        {QStringLiteral("Speichern beim Verlassen"),
         {editPost, [](Tfmain &w) { clickItem(w, QStringLiteral("Rest")); },
          QStringLiteral("Speichern")}},
        {QStringLiteral("Einfügen"),
         {[&](Tfmain &w) {
              copyRest(w);
              editPost(w);
          },
          [](Tfmain &w) { trigger(w, QStringLiteral("Einfuegen1")); },
          QStringLiteral("Speichern")}},
        {QStringLiteral("Ablegen"),
         {[&](Tfmain &w) {
              copyRest(w);
              editPost(w);
          },
          [](Tfmain &w) {
              const QMimeData *data = QGuiApplication::clipboard()->mimeData();
              const std::optional<menuclip::Clip> clip =
                  menuclip::fromMime(data->data(menuclip::kMimeType));
              QVERIFY(clip);
              emit windowprobe::control<MenuTree>(w, "Tree")->dropped(
                  *clip, ItemPlace{QStringLiteral("A"), menu::kNodeIndex}, true);
          },
          QStringLiteral("Speichern")}},
        {QStringLiteral("Ersetzen"),
         {[](Tfmain &) {}, [](Tfmain &w) { trigger(w, QStringLiteral("Ersetzen1")); }, {}}},
        {QStringLiteral("Reparieren"),
         {[](Tfmain &w) { trigger(w, QStringLiteral("Menuepruefen1")); },
          [](Tfmain &w) { windowprobe::control<MenuCheckDialog>(w, "MenuCheck")->repairClicked(); },
          QStringLiteral("&Ja")}},
    };
    const Asking asking = commands.value(command);

    Tfmain w({}, m_dir.path() + QStringLiteral("/prog"));
    windowprobe::showWindow(w);
    asking.prepare(w);
    const QStringList before = treeTexts(w);

    ScriptedRunner runner;
    QMap<QString, QByteArray> changed;
    QStringList underTheQuestion;
    QString summary;
    runner.then([&](QDialog &dialog) {
        if (asking.answer.isEmpty()) {
            windowprobe::control<QLineEdit>(dialog, "find")->setText(QStringLiteral("Post"));
            windowprobe::control<QLineEdit>(dialog, "replacement")->setText(QStringLiteral("X"));
            windowprobe::control<QPushButton>(dialog, "search")->click();
        }
        change(m_menu, what);
        changed = folderSnapshot(m_data);
        QTest::qWait(kWatchMs);
        underTheQuestion = treeTexts(w);
        if (!asking.answer.isEmpty())
            return ScriptedRunner::clickButton(asking.answer)(dialog);
        const QString listed = windowprobe::control<QLabel>(dialog, "summary")->text();
        windowprobe::control<QPushButton>(dialog, "replace")->click();
        summary = windowprobe::control<QLabel>(dialog, "summary")->text();
        if (summary == listed)
            summary.clear();
        dialog.reject();
        return int(QDialog::Rejected);
    });
    runner.then(ScriptedRunner::clickButton(QStringLiteral("OK")));
    asking.start(w);

    QCOMPARE(folderSnapshot(m_data), changed);
    // The user is told: by a message after the answer, or in the dialog that stays open.
    QVERIFY2(runner.shown().size() == 2 || !summary.isEmpty(),
             qPrintable(runner.shownTexts().join(QLatin1Char('|'))));
    QCOMPARE(underTheQuestion, before);
    QTest::qWait(kWatchMs);
    Tfmain fresh({m_menu}, m_dir.path() + QStringLiteral("/prog"));
    QCOMPARE(treeTexts(w), treeTexts(fresh));
}

QTEST_MAIN(TestAskedCommands)
#include "tst_askedcommands.moc"
