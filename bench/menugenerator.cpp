// SPDX-License-Identifier: MIT
#include "menugenerator.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "base/cp1252.h"
#include "model/menufile.h"

namespace bench {

namespace {

// A fixed sequence, so runs compare.
class Random
{
public:
    int below(int n)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((m_state >> 33) % quint64(n));
    }
    template <typename T> const T &pick(const QList<T> &list)
    {
        return list[below(int(list.size()))];
    }

private:
    quint64 m_state = 0x5eed;
};

const QStringList kNodes = {
    "Büro",           "Buchhaltung",      "Vertrieb",    "Lager",        "Technik",    "Personal",
    "Einkauf",        "Geschäftsführung", "Außendienst", "Kundendienst", "Verwaltung", "Fertigung",
    "Qualität",       "Logistik",         "Marketing",   "Entwicklung",  "Schulung",   "Werkstatt",
    "Filialen",       "Zentrale",         "Prüfstand",   "Archiv",       "Empfang",    "Versand",
    "Rechnungswesen", "Hilfsmittel"};
const QStringList kThings = {"Rechnungsprüfung",    "Lagerübersicht",    "Zeiterfassung",
                             "Auftragsbestätigung", "Kundenstamm",       "Störungsmeldung",
                             "Urlaubsplanung",      "Preisänderung",     "Gehaltsabrechnung",
                             "Wareneingang",        "Übergabeprotokoll", "Fahrtenbuch"};
const QStringList kPlaces = {"Köln",   "München", "Düsseldorf", "Nürnberg",
                             "Lübeck", "Görlitz", "Würzburg",   "Saarbrücken"};
const QStringList kPrograms = {
    "C:\\Office\\winword.exe",     "C:\\Programme\\Warenwirtschaft\\ww.exe",
    "\\\\server\\zeit\\zeit.exe",  "C:\\Windows\\notepad.exe",
    "D:\\Lohn & Gehalt\\lohn.exe", "C:\\Programme\\Prüfsoftware\\pruef.exe"};
const QStringList kArguments = {"/nologo",
                                "-m \"Übersicht\"",
                                "/p:Gruppe=Süd",
                                "--datei=\"D:\\Daten\\Jahresabschluß.xls\"",
                                "",
                                "",
                                ""};

} // namespace

QString writeMenu(const QString &dir, int nodes, int entries, const QString &fileName)
{
    using menufile::EntryKey;
    Random random;
    QStringList lines = {"[Config]",
                         "Title=Tarvik – Anwendungen",
                         "Update=\\\\server\\tarvik",
                         "onTop=1",
                         "fade=0",
                         "TSsize=3",
                         "width=180",
                         "Fontsize=9",
                         "Updatetyp=1",
                         ""};
    for (int node = 0; node < nodes; ++node) {
        lines << QStringLiteral("[%1]").arg(menufile::nodeLetters().value(node, "?"))
              << QStringLiteral("Root=%1").arg(kNodes[node % kNodes.size()])
              << QStringLiteral("expand=%1").arg(node % 3 == 0 ? 1 : 0);
        for (int n = 0; n < entries; ++n) {
            const bool remote = random.below(4) == 0;
            const bool scramble = remote && random.below(2) == 0;
            const QString place = random.pick(kPlaces);
            QString program = QStringLiteral("?tsc");
            QString params;
            if (remote) {
                params = QStringLiteral("/v:ts%1.firma.local /u:%username%%2")
                             .arg(random.below(40))
                             .arg(random.below(3) ? QString() : QStringLiteral(" /f"));
            } else {
                program = random.pick(kPrograms);
                params = random.pick(kArguments);
            }
            const QString caption = random.below(2)
                                        ? random.pick(kThings) + QLatin1Char(' ') + place
                                        : random.pick(kThings);
            lines << menufile::entryKey(n, EntryKey::Caption) + QLatin1Char('=') + caption
                  << menufile::entryKey(n, EntryKey::Program) + QLatin1Char('=') + program
                  << menufile::entryKey(n, EntryKey::Params) + QLatin1Char('=') +
                         (scramble ? menufile::ScrambleParams(params) : params)
                  << menufile::entryKey(n, EntryKey::Scrambled) + (scramble ? "=1" : "=0")
                  << menufile::entryKey(n, EntryKey::KeepOpen) + (random.below(5) ? "=0" : "=1");
        }
        lines << QString();
    }
    const QString path = QDir(dir).filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    const auto bytes = cp1252::fromUnicode(lines.join(QStringLiteral("\r\n")));
    if (!bytes)
        qFatal("menu text outside Windows-1252");
    file.write(*bytes);
    return path;
}

} // namespace bench
