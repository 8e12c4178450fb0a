// SPDX-License-Identifier: MIT
#include "commandedit.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/exception.h"
#include "operations/filediff.h"
#include "operations/menuscript.h"
#include "store/tinifile.h"

namespace commandedit {

namespace {

using menuscript::Change;
using menuscript::Op;
using transaction::ERefused;

constexpr int kDone = 0;
constexpr int kFailed = 2;

const QStringList kCommands = {QStringLiteral("add-node"), QStringLiteral("add-entry"),
                               QStringLiteral("set"),      QStringLiteral("delete"),
                               QStringLiteral("move"),     QStringLiteral("replace"),
                               QStringLiteral("apply")};

struct ValueOption
{
    const char *name;
    const char *value;
};
constexpr ValueOption kValueOptions[] = {{"name", "name"},
                                         {"program", "programm"},
                                         {"params", "parameter"},
                                         {"to", "datei"},
                                         {"in", "felder"}};
constexpr const char *kFlags[] = {"scramble", "keep-open", "ignore-case", "whole-word", "dry-run"};

// The command an option belongs to; empty: every changing command.
QString ownerOf(const QString &option)
{
    if (option == QLatin1String("to"))
        return QStringLiteral("move");
    if (option == QLatin1String("in") || option == QLatin1String("ignore-case") ||
        option == QLatin1String("whole-word"))
        return QStringLiteral("replace");
    if (option == QLatin1String("dry-run"))
        return {};
    return QStringLiteral("add-entry");
}

// The changes and the files the request names; ERefused for a wrong call.
struct Plan
{
    std::vector<Change> changes;
    QStringList files;
    QStringList others; // files moves go to
};

void count(const Request &r, qsizetype least, qsizetype most, const QString &usage)
{
    const qsizetype n = r.arguments.size();
    if (n < least || (most >= 0 && n > most))
        throw ERefused(QStringLiteral("--%1 erwartet %2").arg(r.command, usage));
}

Plan planOf(const Request &r)
{
    Plan plan;
    Change c;
    c.place = QStringLiteral("--") + r.command;
    const auto text = [&](const QString &what, const QString &value) {
        menuscript::checkText(what, value);
        return value;
    };
    if (r.command == QLatin1String("add-node")) {
        count(r, 2, 2, QStringLiteral("DATEI BESCHRIFTUNG"));
        c.op = Op::AddNode;
        c.caption = text(QStringLiteral("BESCHRIFTUNG"), r.arguments[1]);
    } else if (r.command == QLatin1String("add-entry")) {
        count(r, 2, 2, QStringLiteral("DATEI KNOTEN --name NAME --program PROGRAMM"));
        if (!r.hasName || !r.hasProgram)
            throw ERefused(QStringLiteral("--add-entry braucht --name und --program"));
        c.op = Op::AddEntry;
        c.item = r.arguments[1];
        c.caption = text(QStringLiteral("--name"), r.name);
        c.program = text(QStringLiteral("--program"), r.program);
        if (r.hasParams)
            c.params = text(QStringLiteral("--params"), r.params);
        c.scrambled = r.scramble;
        c.keepOpen = r.keepOpen;
    } else if (r.command == QLatin1String("set")) {
        count(r, 3, -1, QStringLiteral("DATEI ADRESSE FELD=WERT..."));
        c.op = Op::Set;
        c.item = r.arguments[1];
        for (const QString &assignment : r.arguments.mid(2))
            menuscript::setField(c, assignment);
    } else if (r.command == QLatin1String("delete")) {
        count(r, 2, 2, QStringLiteral("DATEI ADRESSE"));
        c.op = Op::Delete;
        c.item = r.arguments[1];
    } else if (r.command == QLatin1String("move")) {
        count(r, 3, 3, QStringLiteral("DATEI ADRESSE ZIELKNOTEN [--to ANDERE-DATEI]"));
        c.op = Op::Move;
        c.item = r.arguments[1];
        c.target = r.arguments[2];
        c.targetFile = r.to;
        if (!r.to.isEmpty())
            plan.others << r.to;
    } else if (r.command == QLatin1String("replace")) {
        count(r, 3, -1, QStringLiteral("ALT NEU DATEI..."));
        c.op = Op::Replace;
        c.replace.find = text(QStringLiteral("ALT"), r.arguments[0]);
        c.replace.replacement = text(QStringLiteral("NEU"), r.arguments[1]);
        if (c.replace.find.isEmpty())
            throw ERefused(QStringLiteral("--replace: ALT ist leer"));
        c.replace.caseSensitivity = r.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        c.replace.wholeWords = r.wholeWord;
        if (!r.in.isEmpty()) {
            c.replace.fields = 0;
            for (const QString &field : r.in.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const QString f = field.trimmed();
                if (f == QLatin1String("captions"))
                    c.replace.fields |= menureplace::Captions;
                else if (f == QLatin1String("programs"))
                    c.replace.fields |= menureplace::Programs;
                else if (f == QLatin1String("params"))
                    c.replace.fields |= menureplace::Params;
                else
                    throw ERefused(QStringLiteral("--in: unbekanntes Feld „%1“; bekannt sind "
                                                  "captions, programs, params")
                                       .arg(f));
            }
        }
        plan.changes.push_back(c);
        plan.files = r.arguments.mid(2);
        return plan;
    } else {
        count(r, 2, -1, QStringLiteral("ÄNDERUNGEN.json DATEI..."));
        QFile json(r.arguments[0]);
        if (!json.open(QIODevice::ReadOnly))
            throw EIniFileException(
                QStringLiteral("%1 kann nicht gelesen werden").arg(r.arguments[0]));
        plan.changes = menuscript::fromJson(json.readAll(), r.arguments[0]);
        plan.files = r.arguments.mid(1);
        for (const Change &change : plan.changes) {
            if (!change.targetFile.isEmpty())
                plan.others << change.targetFile;
        }
        return plan;
    }
    plan.changes.push_back(c);
    plan.files = r.arguments.mid(0, 1);
    return plan;
}

QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace

QString help()
{
    return QStringLiteral(
        "Menüs ändern, mit denselben Prüfungen und Meldungen wie im Fenster. Jede Datei wird\n"
        "einmal geschrieben, atomar und unter derselben Sperre wie im Fenster, mit allen\n"
        "Änderungen oder, bei der ersten Ablehnung, mit keiner:\n"
        "\n"
        "  --add-node  legt einen Knoten mit der BESCHRIFTUNG an.\n"
        "  --add-entry legt im KNOTEN einen Eintrag an: --name Beschriftung, --program\n"
        "              Programm, --params Parameter; --scramble speichert sie verschlüsselt,\n"
        "              --keep-open lässt den Starter nach dem Start offen.\n"
        "  --set       ändert Felder eines Knotens oder Eintrags: caption, program, params,\n"
        "              scrambled, keepOpen (Einträge), expand (Knoten); ja/nein oder 1/0.\n"
        "  --delete    löscht einen Knoten samt Einträgen oder einen Eintrag; die Lücke füllt\n"
        "              der letzte, wie im Fenster.\n"
        "  --move      verschiebt einen Eintrag mit allen Feldern in den ZIELKNOTEN, mit --to\n"
        "              in einen Knoten einer anderen Datei (die zuerst geschrieben wird).\n"
        "  --replace   ersetzt ALT durch NEU in den DATEIen: in Beschriftungen, Programmen und\n"
        "              Parametern (--in captions,programs,params wählt aus), verschlüsselte\n"
        "              Parameter im Klartext; --ignore-case ohne Rücksicht auf Groß- und\n"
        "              Kleinschreibung, --whole-word nur ganze Wörter.\n"
        "  --apply     wendet die Änderungen der JSON-Liste auf jede DATEI an, der Reihe nach;\n"
        "              das Format steht in „man tarvik-konfig“.\n"
        "  --dry-run   schreibt nichts und zeigt je Datei, was sich ändern würde, als Unified\n"
        "              Diff (Text in UTF-8).\n"
        "  --json      mit einem ändernden Befehl: was sich geändert hat, als JSON.\n"
        "\n"
        "ADRESSE: „Büro“ ist der Knoten dieser Beschriftung, „Büro/Mail“ sein Eintrag „Mail“.\n"
        "Tragen zwei dieselbe Beschriftung, sagen Buchstabe und Index, welcher gemeint ist:\n"
        "„B/3“, oder „[B]/#3“, wenn ein Knoten „B“ oder ein Eintrag „3“ heißt. Trifft eine\n"
        "Adresse nichts oder mehreres, nennt die Meldung die Kandidaten. Die Dateien müssen\n"
        "Menüdateien sein; eine leere Datei ist ein leeres Menü.\n"
        "\n"
        "Beispiel: ein Server zieht um, in allen Menüs eines Shares, erst zur Probe:\n"
        "  tarvik-konfig --replace ts1.firma.local ts7.firma.local --dry-run /srv/tarvik/*\n"
        "  tarvik-konfig --replace ts1.firma.local ts7.firma.local /srv/tarvik/* || exit\n"
        "  tarvik-konfig --add-entry /srv/tarvik/tarvik.ini Büro --name Zeiterfassung \\\n"
        "      --program '\\\\server\\zeit\\zeit.exe' --params=-m\n");
}

void addOptions(QCommandLineParser &parser)
{
    for (const QString &command : kCommands)
        parser.addOption(QCommandLineOption(command));
    for (const ValueOption &o : kValueOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(o.name), QString(),
                                            QString::fromLatin1(o.value)));
    for (const char *flag : kFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
}

Request fromParser(const QCommandLineParser &parser, QString *error)
{
    Request r;
    for (const QString &command : kCommands) {
        if (!parser.isSet(command))
            continue;
        if (!r.command.isEmpty()) {
            *error = QStringLiteral("--%1 und --%2 schließen einander aus").arg(r.command, command);
            return r;
        }
        r.command = command;
    }
    QStringList options;
    for (const ValueOption &o : kValueOptions) {
        if (parser.isSet(QString::fromLatin1(o.name)))
            options << QString::fromLatin1(o.name);
    }
    for (const char *flag : kFlags) {
        if (parser.isSet(QString::fromLatin1(flag)))
            options << QString::fromLatin1(flag);
    }
    for (const QString &option : std::as_const(options)) {
        const QString owner = ownerOf(option);
        if (!r.command.isEmpty() && (owner.isEmpty() || owner == r.command))
            continue;
        *error = QStringLiteral("--%1 gilt nur mit %2")
                     .arg(option, owner.isEmpty() ? QStringLiteral("einem ändernden Befehl")
                                                  : QStringLiteral("--") + owner);
        return r;
    }
    r.arguments = parser.positionalArguments();
    r.name = parser.value(QStringLiteral("name"));
    r.program = parser.value(QStringLiteral("program"));
    r.params = parser.value(QStringLiteral("params"));
    r.to = parser.value(QStringLiteral("to"));
    r.in = parser.value(QStringLiteral("in"));
    r.hasName = parser.isSet(QStringLiteral("name"));
    r.hasProgram = parser.isSet(QStringLiteral("program"));
    r.hasParams = parser.isSet(QStringLiteral("params"));
    r.scramble = parser.isSet(QStringLiteral("scramble"));
    r.keepOpen = parser.isSet(QStringLiteral("keep-open"));
    r.ignoreCase = parser.isSet(QStringLiteral("ignore-case"));
    r.wholeWord = parser.isSet(QStringLiteral("whole-word"));
    r.dryRun = parser.isSet(QStringLiteral("dry-run"));
    r.json = parser.isSet(QStringLiteral("json"));
    return r;
}

Outcome run(const Request &request)
{
    Outcome outcome;
    try {
        const Plan plan = planOf(request);
        for (const QString &file : plan.files + plan.others)
            menuscript::refuseNonMenu(file);
        transaction::Transaction t;
        // Locked before anything is read: scripts that run at once take turns, as editors do.
        if (!request.dryRun)
            t.lock(plan.files + plan.others);
        std::vector<menuscript::Done> done;
        for (const QString &file : plan.files) {
            for (menuscript::Done &d : menuscript::apply(t, file, plan.changes))
                done.push_back(std::move(d));
        }
        transaction::Changes changes;
        if (request.dryRun) {
            changes = t.pending();
        } else if (std::optional<transaction::Changes> written = t.commit()) {
            changes = std::move(*written);
        } else {
            // The changes were made on what was read; another program's change since would be
            // lost or mixed in, so nothing is written and the script may simply run again.
            throw transaction::EChangedOutside(
                QStringLiteral("Eine Datei wurde während der Änderung von einem anderen Programm "
                               "geändert. Es wurde nichts gespeichert; versuchen Sie es erneut."));
        }
        if (request.json) {
            QJsonArray lines;
            for (const menuscript::Done &d : done)
                lines.append(d.json());
            QJsonArray files;
            for (const transaction::FileChange &change : changes) {
                QJsonObject file{{QStringLiteral("file"), change.path},
                                 {QStringLiteral("written"), !request.dryRun}};
                if (request.dryRun)
                    file.insert(QStringLiteral("diff"), filediff::unified(change));
                files.append(file);
            }
            outcome.out = jsonText({{QStringLiteral("dryRun"), request.dryRun},
                                    {QStringLiteral("changes"), lines},
                                    {QStringLiteral("files"), files}});
        } else if (request.dryRun) {
            for (const transaction::FileChange &change : changes)
                outcome.out += filediff::unified(change);
        } else {
            for (const menuscript::Done &d : done) {
                outcome.out += d.file + QStringLiteral(": ") + d.text + QLatin1Char('\n');
            }
        }
        outcome.code = kDone;
    } catch (const Exception &error) {
        outcome.code = kFailed;
        outcome.out.clear();
        outcome.err = error.message() + QLatin1Char('\n');
    }
    return outcome;
}

} // namespace commandedit
