// SPDX-License-Identifier: MIT
// What the main window shows, without a window: every transition from every kind of state the
// window can be in, with the file shown, the items selected, the panel and the note afterwards.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "gui/state/captionorder.h"
#include "gui/state/windowstate.h"
#include "model/undo.h"
#include "testfiles.h"

using testfiles::crlf;
using testfiles::readBytes;
using testfiles::writeBytes;

namespace {

const QString kMovePrompt =
    QStringLiteral("Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben.");
const QString kNewFile =
    QStringLiteral("Die Datei gibt es noch nicht; sie wird mit dem ersten Knoten angelegt.");
const QString kRemoved = QStringLiteral("Die Datei wurde außerhalb des Editors entfernt.");

// tarvik.ini holds A "Büro" (0 Textverarbeitung, 1 Rechner) and B "Lager" (0 Wareneingang).
const QStringList kStarts = {"first node",   "entry",   "edited entry", "new entry", "move pending",
                             "width stored", "several", "file removed", "new file"};

ItemPlace place(const char *letter, int index = menu::kNodeIndex)
{
    return {QLatin1String(letter), index};
}

// "file | selection | panel | note"; the panel as its caption, "*" when edited, "neu:" before
// a new entry's caption, "-" when empty.
QString shown(const WindowState &state)
{
    QStringList selection;
    for (const ItemPlace &item : state.selection())
        selection << item.letter + QLatin1Char('|') +
                         (item.isNode() ? QStringLiteral("-") : QString::number(item.index));
    const PanelState &panel = state.panel();
    QString text = panel.fields.caption + (state.edited() ? QStringLiteral("*") : QString());
    if (panel.kind == PanelState::Kind::Empty)
        text = QStringLiteral("-");
    else if (panel.kind == PanelState::Kind::NewEntry)
        text = QStringLiteral("neu:") + text;
    else if (panel.kind == PanelState::Kind::Several)
        text = QStringLiteral("%1 ausgewählt").arg(panel.count);
    return QStringList{QFileInfo(state.file()).fileName(), selection.join(QLatin1Char(',')), text,
                       state.note()}
        .join(QStringLiteral(" | "));
}

// What holds after every transition.
void checkWhole(const WindowState &state)
{
    const PanelState &panel = state.panel();
    switch (panel.kind) {
    case PanelState::Kind::Empty:
        QVERIFY(state.selection().isEmpty());
        break;
    case PanelState::Kind::Item:
    case PanelState::Kind::NewEntry:
        QCOMPARE(state.selection(), QList<ItemPlace>{panel.place});
        QVERIFY(panel.ref);
        break;
    case PanelState::Kind::Several:
        QCOMPARE(int(state.selection().size()), panel.count);
        break;
    }
    if (!QFileInfo::exists(state.file()) && !state.move())
        QCOMPARE(state.note(), state.openedAsNew() ? kNewFile : kRemoved);
}

} // namespace

class TestWindowState : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_menu;
    QString m_kasse;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    menu::ItemRef refAt(const QString &file, const ItemPlace &at) const
    {
        const menu::Menu shown = menu::load(file);
        for (const menu::Node &node : shown.nodes) {
            if (node.letter != at.letter)
                continue;
            if (at.isNode())
                return menu::refOf(shown, node);
            return menu::refOf(shown, node, node.entries[size_t(at.index)]);
        }
        qFatal("no item %s in %s", qPrintable(at.letter), qPrintable(file));
    }

    void start(WindowState &state, const QString &name)
    {
        if (name == QLatin1String("new file")) {
            state.open(path("neu.ini"));
            return;
        }
        if (name == QLatin1String("file removed")) {
            writeBytes(path("weg.ini"), crlf({"[A]", "Root=weg"}));
            state.open(path("weg.ini"));
            QFile::remove(path("weg.ini"));
            QVERIFY(state.changedOutside());
            return;
        }
        state.open(m_menu);
        if (name == QLatin1String("width stored"))
            state.storedWidth(200);
        if (name == QLatin1String("several"))
            state.choose({place("A", 0), place("B", 0)});
        if (name.contains(QLatin1String("entry")) || name == QLatin1String("move pending"))
            state.choose({place("A", 1)});
        if (name == QLatin1String("edited entry")) {
            menu::Fields fields = state.panel().fields;
            fields.params = QStringLiteral("-x");
            state.edit(fields);
        }
        if (name == QLatin1String("new entry")) {
            state.choose({place("B")});
            state.prepareEntry(1);
            menu::Fields fields = state.panel().fields;
            fields.caption = QStringLiteral("Neu");
            state.edit(fields);
        }
        if (name == QLatin1String("move pending")) {
            state.startMove();
            state.choose({place("B")});
        }
    }

    // A step of the history made, undone and, for redo, done again on the files.
    Step madeStep(const QString &name, bool back)
    {
        Step step;
        if (name.contains(QLatin1String("export"))) {
            step.changes =
                menu::exportNode(refAt(m_menu, place("A")), QStringLiteral("Büro"), true, true)
                    .changes;
            step.before = {m_menu, place("A")};
            step.after = {m_menu, std::nullopt};
        } else if (name.contains(QLatin1String("move"))) {
            const menu::Fields fields{QStringLiteral("Rechner"),
                                      QStringLiteral("calc.exe"),
                                      QString(),
                                      false,
                                      false,
                                      false};
            step.changes =
                menu::moveEntry(refAt(m_menu, place("A", 1)), refAt(m_kasse, place("A")), fields)
                    .changes;
            step.before = {m_menu, place("A", 1)};
            step.after = {m_kasse, place("A", 1)};
        } else {
            step.changes = menu::createNode(path("erst.ini"), QStringLiteral("X"), true).changes;
            step.before = {path("erst.ini"), std::nullopt};
            step.after = {path("erst.ini"), place("A")};
        }
        undo::revert(step.changes);
        if (!back)
            undo::reapply(step.changes);
        return step;
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_menu = path("tarvik.ini");
        m_kasse = path("tarvik.Kasse");
        QVERIFY(QFile::copy(testfiles::dataDir() + QStringLiteral("/menu-clean.ini"), m_menu));
        QFile::setPermissions(m_menu, QFile::ReadOwner | QFile::WriteOwner);
        writeBytes(m_kasse, crlf({"[A]", "Root=Kasse", "0b=Bon", "0d=bon.exe"}));
    }

    // Steps that show another file or item: what they show does not depend on what was shown
    // before, except that a pending move goes on and keeps its note.
    void everyStepFromEveryState_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("expected"); // "=": as before the step

        const std::pair<const char *, QString> steps[] = {
            {"open the menu", "tarvik.ini | A|- | Büro | "},
            {"open a missing file", "fehlt.ini |  | - | " + kNewFile},
            {"switch to the sub-list", "tarvik.Kasse | A|- | Kasse | "},
            {"command result", "tarvik.ini | B|0 | Wareneingang | "},
            {"undo an export", "tarvik.ini | A|- | Büro | "},
            {"undo a move between files", "tarvik.ini | A|1 | Rechner | "},
            {"redo a move between files", "tarvik.Kasse | A|1 | Rechner | "},
            {"undo the first node of a new menu", "erst.ini |  | - | " + kNewFile},
            {"find", "="}};
        for (const QString &start : kStarts) {
            for (const auto &[step, expected] : steps) {
                QString shownAfter = expected;
                if (start == QLatin1String("move pending") && expected != QLatin1String("="))
                    shownAfter = shownAfter.section(QStringLiteral(" | "), 0, 2) +
                                 QStringLiteral(" | ") + kMovePrompt;
                QTest::addRow("%s, %s", qPrintable(start), step)
                    << start << QString::fromLatin1(step) << shownAfter;
            }
        }
    }

    void everyStepFromEveryState()
    {
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(QString, expected);
        WindowState state;
        this->start(state, start);
        const QString before = shown(state);
        if (step == QLatin1String("open the menu"))
            state.open(m_menu);
        else if (step == QLatin1String("open a missing file"))
            state.open(path("fehlt.ini"));
        else if (step == QLatin1String("switch to the sub-list"))
            state.open(m_kasse);
        else if (step == QLatin1String("command result"))
            state.show({m_menu, place("B", 0)}, true);
        else if (step == QLatin1String("find"))
            state.setFind(QStringLiteral("rech"));
        else
            state.showStep(madeStep(step, step.startsWith(QLatin1String("undo"))),
                           step.startsWith(QLatin1String("undo")));
        QCOMPARE(shown(state), expected == QLatin1String("=") ? before : expected);
        QCOMPARE(bool(state.move()), start == QLatin1String("move pending"));
        checkWhole(state);
    }

    // Steps within the file shown.
    void withinTheFile_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("expected");

        const QString menu = QStringLiteral("tarvik.ini | ");
        // Another program: the item stays, and so do edits not yet saved.
        QTest::newRow("entry, outside change of it")
            << "entry"
            << "change Rechner" << menu + "A|1 | Taschenrechner | ";
        QTest::newRow("edited entry, outside change elsewhere")
            << "edited entry"
            << "change Lager" << menu + "A|1 | Rechner* | ";
        QTest::newRow("edited entry, outside change of it")
            << "edited entry"
            << "change Rechner" << menu + "A|1 | Rechner* | ";
        QTest::newRow("new entry, outside change elsewhere")
            << "new entry"
            << "change Rechner" << menu + "B|- | neu:Neu* | ";
        QTest::newRow("edited entry, removed outside")
            << "edited entry"
            << "remove Rechner" << menu + "A|- | Büro | ";
        QTest::newRow("entry, file removed outside")
            << "entry"
            << "remove file" << menu + " | - | " + kRemoved;
        QTest::newRow("move pending, file removed outside")
            << "move pending"
            << "remove file" << menu + " | - | " + kMovePrompt;
        // The user's own steps.
        QTest::newRow("edited entry, edits discarded") << "edited entry"
                                                       << "discard" << menu + "A|1 | Rechner | ";
        QTest::newRow("edited entry, another chosen") << "edited entry"
                                                      << "choose" << menu + "B|0 | Wareneingang | ";
        QTest::newRow("new entry, another chosen") << "new entry"
                                                   << "choose" << menu + "B|0 | Wareneingang | ";
        QTest::newRow("width stored, another chosen") << "width stored"
                                                      << "choose" << menu + "B|0 | Wareneingang | ";
        QTest::newRow("move pending, ended") << "move pending"
                                             << "end move" << menu + "B|- | Lager | ";
        QTest::newRow("several, one chosen") << "several"
                                             << "choose" << menu + "B|0 | Wareneingang | ";
        QTest::newRow("first node, entry prepared") << "first node"
                                                    << "prepare" << menu + "A|- | neu: | ";
        QTest::newRow("entry, no entry prepared") << "entry"
                                                  << "prepare" << menu + "A|1 | Rechner | ";
        // A command found the file changed: it shows the file as it stands, edits dropped.
        QTest::newRow("edited entry, refreshed") << "edited entry"
                                                 << "refresh" << menu + "A|1 | Rechner | ";
        QTest::newRow("new file, reloaded") << "new file"
                                            << "reload"
                                            << "neu.ini |  | - | " + kNewFile;
        // An undone step's file removed by another program meanwhile: the window stays.
        QTest::newRow("entry, undo into a removed file")
            << "entry"
            << "undo into removed" << menu + "A|1 | Rechner | ";
    }

    void withinTheFile()
    {
        QFETCH(QString, start);
        QFETCH(QString, step);
        QFETCH(QString, expected);
        WindowState state;
        this->start(state, start);
        const QByteArray bytes = readBytes(m_menu);
        if (step.startsWith(QLatin1String("change "))) {
            const QByteArray caption = step.mid(7).toLatin1();
            writeBytes(m_menu,
                       QByteArray(bytes).replace("=" + caption, "=Taschen" + caption.toLower()));
            QVERIFY(state.changedOutside());
        } else if (step == QLatin1String("remove Rechner")) {
            writeBytes(m_menu, QByteArray(bytes).replace("1b=Rechner", "; 1b=Rechner"));
            QVERIFY(state.changedOutside());
        } else if (step == QLatin1String("remove file")) {
            QFile::remove(m_menu);
            QVERIFY(state.changedOutside());
        } else if (step == QLatin1String("discard")) {
            state.discardEdits();
        } else if (step == QLatin1String("choose")) {
            state.choose({place("B", 0)});
        } else if (step == QLatin1String("end move")) {
            state.endMove();
        } else if (step == QLatin1String("prepare")) {
            state.prepareEntry(2);
        } else if (step == QLatin1String("refresh")) {
            state.refresh();
        } else if (step == QLatin1String("reload")) {
            state.show({state.file(), std::nullopt}, false);
        } else if (step == QLatin1String("undo into removed")) {
            state.showStep({QStringLiteral("x"), {}, {path("weg.ini"), place("A")}, {}}, true);
        }
        QCOMPARE(shown(state), expected);
        checkWhole(state);
    }

    // The edits kept over another program's change of the item stay bound to the item as it
    // was shown: a save writes nothing over the change.
    void editsKeptOverOutsideChangeStayChecked()
    {
        WindowState state;
        start(state, QStringLiteral("edited entry"));
        writeBytes(m_menu, readBytes(m_menu).replace("1b=Rechner", "1b=Anders"));
        QVERIFY(state.changedOutside());
        const QByteArray changed = readBytes(m_menu);
        QVERIFY_THROWS_EXCEPTION(transaction::EChangedOutside,
                                 menu::saveItem(state.shownOrGone(), state.panel().fields));
        QCOMPARE(readBytes(m_menu), changed);
        QVERIFY(!state.changedOutside()); // unchanged since: nothing to reload
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("need");
        QTest::addColumn<QString>("message"); // empty: the command runs

        using Need = WindowState::Need;
        const QString branch = QStringLiteral("Wählen Sie erst einen Zweig aus!");
        const QString notStored = QStringLiteral("Speichern Sie den neuen Eintrag erst!");
        QTest::newRow("empty, save") << "new file" << int(Need::Item) << branch;
        QTest::newRow("node, save") << "first node" << int(Need::Item) << "";
        QTest::newRow("node, move")
            << "first node" << int(Need::EntryToMove) << "Knoten können nicht verschoben werden!";
        QTest::newRow("node, duplicate") << "first node" << int(Need::EntryToDuplicate)
                                         << "Wählen Sie erst einen Eintrag zum Duplizieren aus!";
        QTest::newRow("entry, export") << "entry" << int(Need::Node) << branch;
        QTest::newRow("entry, move") << "entry" << int(Need::EntryToMove) << "";
        QTest::newRow("new entry, save") << "new entry" << int(Need::Item) << "";
        QTest::newRow("new entry, delete") << "new entry" << int(Need::Stored) << notStored;
        QTest::newRow("new entry, move") << "new entry" << int(Need::EntryToMove) << notStored;
        QTest::newRow("new entry, new entry") << "new entry" << int(Need::Node) << branch;
        QTest::newRow("several, delete") << "several" << int(Need::Stored)
                                         << "Wählen Sie dafür nur einen Knoten oder Eintrag aus!";
    }

    void refusals()
    {
        QFETCH(QString, start);
        QFETCH(int, need);
        QFETCH(QString, message);
        WindowState state;
        this->start(state, start);
        QCOMPARE(state.refusal(WindowState::Need(need)).value_or(QString()), message);
    }

    // The tree keeps the order it found for a caption list; a changed list or another locale
    // must still be sorted anew.
    void captionOrderKeptOnlyForTheSameListAndLocale()
    {
        const auto sorted = [](const QStringList &texts) {
            QStringList out;
            for (const qsizetype i : CaptionOrder().order(texts))
                out.append(texts[i]);
            return out;
        };
        const QStringList texts = {"Zubehör", "Ämter", "Buero"};
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(sorted(texts), (QStringList{"Ämter", "Buero", "Zubehör"}));
        QCOMPARE(sorted(texts), (QStringList{"Ämter", "Buero", "Zubehör"}));
        QCOMPARE(sorted({"Zubehör", "Ämter", "Abbau"}), (QStringList{"Abbau", "Ämter", "Zubehör"}));
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden)); // Ä after Z
        QCOMPARE(sorted(texts), (QStringList{"Buero", "Zubehör", "Ämter"}));
        QLocale::setDefault(before);
    }
};

QTEST_GUILESS_MAIN(TestWindowState)
#include "tst_windowstate.moc"
