// SPDX-License-Identifier: MIT
#include "commandline.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "base/exception.h"
#include "model/menumodel.h"
#include "operations/menucheck.h"
#include "platform/platform.h"
#include "store/tinifile.h"

namespace commandline {

namespace {

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kFailed = 2;

const QString kProgram = QStringLiteral("tarvik-konfig");

// Kept in step with the man page resources/tarvik-konfig.1.
const QString kHelp = QStringLiteral(
    "Aufruf: tarvik-konfig [MENÜDATEI]\n"
    "       tarvik-konfig --check [--json] DATEI...\n"
    "       tarvik-konfig --show [--json] DATEI\n"
    "       tarvik-konfig --repair DATEI...\n"
    "       tarvik-konfig --add-node DATEI BESCHRIFTUNG [--dry-run] [--json]\n"
    "       tarvik-konfig --add-entry DATEI KNOTEN --name NAME --program PROGRAMM\n"
    "                     [--params PARAMETER] [--scramble] [--keep-open] [--dry-run] [--json]\n"
    "       tarvik-konfig --set DATEI ADRESSE FELD=WERT... [--dry-run] [--json]\n"
    "       tarvik-konfig --delete DATEI ADRESSE [--dry-run] [--json]\n"
    "       tarvik-konfig --move DATEI ADRESSE ZIELKNOTEN [--to ANDERE-DATEI] [--dry-run]\n"
    "                     [--json]\n"
    "       tarvik-konfig --replace ALT NEU DATEI... [--in FELDER] [--ignore-case]\n"
    "                     [--whole-word] [--dry-run] [--json]\n"
    "       tarvik-konfig --apply ÄNDERUNGEN.json DATEI... [--dry-run] [--json]\n"
    "\n"
    "Ohne Option öffnet das Programm das Fenster mit der Menüdatei (ein Name im Datenordner\n"
    "oder ein absoluter Pfad; ohne Angabe tarvik.ini).\n"
    "\n"
    "Der Starter liest die Knoten ab [A] und hört beim ersten fehlenden Buchstaben auf, die\n"
    "Einträge eines Knotens ab Index 0 bis zur ersten fehlenden oder leeren Beschriftung.\n"
    "Was dahinter steht, zeigt er nicht an. Die Befehle ohne Fenster brauchen keine Anzeige:\n"
    "\n"
    "  --check     prüft die Dateien und gibt je Befund eine Zeile DATEI:ZEILE: Meldung aus\n"
    "              (versteckte Knoten und Einträge, doppelte Abschnitte und Schlüssel,\n"
    "              Einträge ohne Programm oder mit fehlenden Schlüsseln, falsch verschlüsselte\n"
    "              Parameter, Anführungszeichen, die der Starter entfernt, Nullzeichen in\n"
    "              Werten, Schlüsselzeilen ohne \"=\", \"Root=*\", Schlüssel wie \"01b\", die\n"
    "              der Starter nie liest); nichts bei einer sauberen Datei.\n"
    "  --show      gibt das Menü aus, wie der Starter es zeigt: je Knoten eine Zeile mit\n"
    "              seiner Beschriftung, darunter je Eintrag eine Zeile\n"
    "              TAB Beschriftung TAB Programm TAB Parameter (unverschlüsselt).\n"
    "  --repair    schließt die Lücken, so dass der Starter jeden gespeicherten Knoten und\n"
    "              Eintrag in der gespeicherten Reihenfolge zeigt, und gibt aus, was\n"
    "              verschoben wurde; danach die verbleibenden Befunde wie bei --check. Es\n"
    "              wird nichts entfernt; doppelte Abschnitte und Schlüssel bleiben stehen.\n"
    "              Jede Datei wird in einem Schritt atomar geschrieben.\n"
    "  --json      mit --check oder --show: dasselbe als JSON.\n"
    "  -h, --help  zeigt diese Hilfe.\n"
    "  -v, --version\n"
    "              zeigt die Version.\n"
    "\n"
    "%1"
    "\n"
    "Rückgabewert: 0 alle Dateien sauber, geändert oder nichts zu ändern, 1 Befunde (--check,\n"
    "--repair), 2 eine Datei ist nicht lesbar, keine Menüdatei, gesperrt, währenddessen\n"
    "geändert oder nicht schreibbar, eine Änderung wurde abgelehnt (dann ist nichts\n"
    "geschrieben) oder der Aufruf ist falsch (Meldung auf der Standardfehlerausgabe).\n"
    "Dateinamen, die mit \"-\" beginnen, stehen nach \"--\".\n");

void write(FILE *stream, const QString &text)
{
    platform::writeText(stream, text);
}

void writeJson(const QJsonValue &value)
{
    const QByteArray bytes = value.isArray()
                                 ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                 : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    write(stdout, QString::fromUtf8(bytes));
}

void fail(const Exception &error)
{
    write(stderr, kProgram + QStringLiteral(": ") + error.message() + QLatin1Char('\n'));
}

QString lineOf(const menucheck::Finding &f)
{
    return f.file + QLatin1Char(':') + QString::number(f.line) + QStringLiteral(": ") + f.message +
           QLatin1Char('\n');
}

QJsonObject jsonOf(const menucheck::Finding &f)
{
    return {{QStringLiteral("file"), f.file},
            {QStringLiteral("line"), f.line},
            {QStringLiteral("kind"), menucheck::kindName(f.kind)},
            {QStringLiteral("section"), f.section},
            {QStringLiteral("index"), f.index},
            {QStringLiteral("node"), f.node},
            {QStringLiteral("entry"), f.entry},
            {QStringLiteral("message"), f.message}};
}

int check(const Request &request)
{
    int code = kClean;
    QString text;
    QJsonArray json;
    for (const QString &file : request.files) {
        try {
            for (const menucheck::Finding &f : menucheck::check(file)) {
                code = std::max(code, kFindings);
                if (request.json)
                    json.append(jsonOf(f));
                else
                    text += lineOf(f);
            }
        } catch (const Exception &error) {
            fail(error);
            code = kFailed;
        }
    }
    if (request.json)
        writeJson(json);
    else
        write(stdout, text);
    return code;
}

int show(const Request &request)
{
    const QString &file = request.files.first();
    menu::Menu menu;
    try {
        TMemIniFile ini(file, menucheck::readMenuFile(file));
        menu = menu::read(ini, true);
    } catch (const Exception &error) {
        fail(error);
        return kFailed;
    }
    if (!request.json) {
        QString text;
        for (const menu::Node &node : menu.nodes) {
            text += node.caption + QLatin1Char('\n');
            for (const menu::Entry &entry : node.entries) {
                text += QLatin1Char('\t') + entry.caption + QLatin1Char('\t') + entry.program +
                        QLatin1Char('\t') + entry.params + QLatin1Char('\n');
            }
        }
        write(stdout, text);
        return kClean;
    }
    QJsonArray nodes;
    for (const menu::Node &node : menu.nodes) {
        QJsonArray entries;
        for (const menu::Entry &entry : node.entries) {
            entries.append(QJsonObject{{QStringLiteral("index"), entry.index},
                                       {QStringLiteral("caption"), entry.caption},
                                       {QStringLiteral("program"), entry.program},
                                       {QStringLiteral("params"), entry.params},
                                       {QStringLiteral("scrambled"), entry.scrambled},
                                       {QStringLiteral("keepOpen"), entry.keepOpen}});
        }
        nodes.append(QJsonObject{{QStringLiteral("letter"), node.letter},
                                 {QStringLiteral("caption"), node.caption},
                                 {QStringLiteral("expand"), node.expand},
                                 {QStringLiteral("entries"), entries}});
    }
    writeJson(QJsonObject{{QStringLiteral("file"), file}, {QStringLiteral("nodes"), nodes}});
    return kClean;
}

int repair(const Request &request)
{
    int code = kClean;
    for (const QString &file : request.files) {
        try {
            const menucheck::RepairResult result = menucheck::repair(file);
            QString text;
            for (const QString &line : result.moved + result.skipped)
                text += file + QStringLiteral(": ") + line + QLatin1Char('\n');
            for (const menucheck::Finding &f : menucheck::check(file)) {
                code = std::max(code, kFindings);
                text += lineOf(f);
            }
            write(stdout, text);
        } catch (const Exception &error) {
            fail(error);
            code = kFailed;
        }
    }
    return code;
}

// Options QGuiApplication takes from the command line itself; with a value or without.
const QStringList kQtValueOptions = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("style"),
    QStringLiteral("stylesheet"),      QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
    QStringLiteral("title"),           QStringLiteral("name"),
    QStringLiteral("qmljsdebugger")};
const QStringList kQtFlagOptions = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                    QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                    QStringLiteral("visual"),  QStringLiteral("testability")};

} // namespace

QStringList arguments(int argc, char **argv)
{
    return platform::arguments(argc, argv);
}

Request parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform" is one option, as Qt's own options are written.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption checkOption(QStringLiteral("check"));
    const QCommandLineOption showOption(QStringLiteral("show"));
    const QCommandLineOption repairOption(QStringLiteral("repair"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption helpOption(
        QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions(
        {checkOption, showOption, repairOption, jsonOption, helpOption, versionOption});
    commandedit::addOptions(parser);
    for (const QString &name : kQtValueOptions) {
        // The window's "-name" and --add-entry's "--name" are one option with a value.
        if (name != QLatin1String("name"))
            parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("wert")));
    }
    for (const QString &name : kQtFlagOptions)
        parser.addOption(QCommandLineOption(name));

    Request request;
    auto error = [&](const QString &message) {
        request.mode = Mode::Error;
        request.error = message;
        return request;
    };
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            // Named as written: the parser reports the name without its dashes.
            QString written = unknown.first();
            for (const QString &argument : arguments.mid(1)) {
                if (argument.startsWith(u'-') && argument.section(u'=', 0, 0).endsWith(written)) {
                    written = argument.section(u'=', 0, 0);
                    break;
                }
            }
            return error(QStringLiteral("unbekannte Option „%1“").arg(written));
        }
        return error(parser.errorText());
    }
    request.files = parser.positionalArguments();
    request.json = parser.isSet(jsonOption);
    if (parser.isSet(helpOption)) {
        request.mode = Mode::Help;
        return request;
    }
    if (parser.isSet(versionOption)) {
        request.mode = Mode::Version;
        return request;
    }
    int modes = 0;
    for (const auto &[option, mode] :
         {std::pair{&checkOption, Mode::Check}, std::pair{&showOption, Mode::Show},
          std::pair{&repairOption, Mode::Repair}}) {
        if (parser.isSet(*option)) {
            request.mode = mode;
            ++modes;
        }
    }
    QString editError;
    request.edit = commandedit::fromParser(parser, &editError);
    if (!editError.isEmpty())
        return error(editError);
    if (!request.edit.command.isEmpty()) {
        request.mode = Mode::Edit;
        ++modes;
    }
    if (modes > 1)
        return error(QStringLiteral("--check, --show, --repair und die ändernden Befehle "
                                    "schließen einander aus"));
    if (request.json && request.mode != Mode::Check && request.mode != Mode::Show &&
        request.mode != Mode::Edit)
        return error(QStringLiteral("--json gilt nur mit --check, --show oder einem ändernden "
                                    "Befehl"));
    if (request.mode == Mode::Show && request.files.size() != 1)
        return error(QStringLiteral("--show erwartet genau eine Datei"));
    if ((request.mode == Mode::Check || request.mode == Mode::Repair) && request.files.isEmpty())
        return error(QStringLiteral("%1 erwartet mindestens eine Datei")
                         .arg(request.mode == Mode::Check ? QStringLiteral("--check")
                                                          : QStringLiteral("--repair")));
    return request;
}

int execWindow(char **argv)
{
    QString window;
    QString reason;
    if (platform::handOver(kWindowProgram, argv, &window, &reason))
        return kClean;
    write(stderr, kProgram + QStringLiteral(": das Fenster %1 kann nicht gestartet werden: %2\n")
                                 .arg(window, reason));
    return kFailed;
}

int run(const Request &request)
{
    switch (request.mode) {
    case Mode::Check:
        return check(request);
    case Mode::Show:
        return show(request);
    case Mode::Repair:
        return repair(request);
    case Mode::Edit: {
        const commandedit::Outcome outcome = commandedit::run(request.edit);
        write(stdout, outcome.out);
        if (!outcome.err.isEmpty())
            write(stderr, kProgram + QStringLiteral(": ") + outcome.err);
        return outcome.code;
    }
    case Mode::Help:
        write(stdout, kHelp.arg(commandedit::help()));
        return kClean;
    case Mode::Version:
        write(stdout,
              kProgram + QLatin1Char(' ') + QStringLiteral(TARVIK_VERSION) + QLatin1Char('\n'));
        return kClean;
    case Mode::Error:
        write(stderr, kProgram + QStringLiteral(": ") + request.error +
                          QStringLiteral("\nMehr mit: tarvik-konfig --help\n"));
        return kFailed;
    case Mode::Window:
        break;
    }
    return kFailed;
}

} // namespace commandline
