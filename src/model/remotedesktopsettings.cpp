// SPDX-License-Identifier: MIT
#include "remotedesktopsettings.h"

#include <QStringList>

#include <tuple>

#include "base/conversion.h"
#include "store/tregistry.h"

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvane\\tarvik");
const QString kHost = QStringLiteral("Host");
const QString kColourDepth = QStringLiteral("Farbtiefe");
const QString kUser = QStringLiteral("Benutzer");
const QString kDomain = QStringLiteral("Domaene");
const QString kBackground = QStringLiteral("Bild");
const QString kPrinter = QStringLiteral("Drucker");
const QString kDrives = QStringLiteral("Laufwerke");
const QString kConsole = QStringLiteral("Console");
const QString kSystemClient = QStringLiteral("RDPstandard");

// The five flags in the order they are loaded and stored.
struct Flag
{
    const QString &name;
    bool RemoteDesktopSettings::*value;
};
const Flag kFlags[] = {{kBackground, &RemoteDesktopSettings::background},
                       {kPrinter, &RemoteDesktopSettings::printer},
                       {kDrives, &RemoteDesktopSettings::drives},
                       {kConsole, &RemoteDesktopSettings::console},
                       {kSystemClient, &RemoteDesktopSettings::systemClient}};

// The launcher reads at most this many pieces of a switch line.
constexpr int kMaxPieces = 10;
constexpr int kMaxValueLength = 55;
// The launcher knows three colour depths, given as 1..3.
constexpr qint64 kColourDepths = 3;

// Blanks and control characters, as the launcher trims them; a no-break space is kept.
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QStringList splitSwitchLine(QString rest)
{
    QStringList pieces;
    while (!rest.isEmpty() && pieces.size() < kMaxPieces) {
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        if (blank < 0) {
            pieces << rest;
            break;
        }
        pieces << rest.left(blank + 1);
        rest = trimControls(rest.mid(blank + 1));
    }
    return pieces;
}

QChar asciiUpper(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
}

bool openKey(TRegistry &reg)
{
    reg.SetRootKey(TRegistry::RootKey::CurrentUser);
    return reg.OpenKey(kKey, true);
}

} // namespace

bool operator==(const RemoteDesktopSettings &a, const RemoteDesktopSettings &b)
{
    auto tied = [](const RemoteDesktopSettings &s) {
        return std::tie(s.host, s.colourDepth, s.user, s.domain, s.background, s.printer, s.drives,
                        s.console, s.systemClient);
    };
    return tied(a) == tied(b);
}

void loadRemoteDesktopSettings(RemoteDesktopSettings &s)
{
    TRegistry reg;
    if (!openKey(reg))
        return;
    if (reg.ValueExists(kHost))
        s.host = reg.ReadString(kHost);
    if (reg.ValueExists(kColourDepth))
        s.colourDepth = reg.ReadInteger(kColourDepth);
    if (reg.ValueExists(kUser))
        s.user = reg.ReadString(kUser);
    if (reg.ValueExists(kDomain))
        s.domain = reg.ReadString(kDomain);
    for (const Flag &flag : kFlags) {
        if (reg.ValueExists(flag.name))
            s.*flag.value = reg.ReadBool(flag.name);
    }
    reg.CloseKey();
}

bool storeRemoteDesktopSettings(const RemoteDesktopSettings &s)
{
    TRegistry reg;
    if (!openKey(reg))
        return false;
    reg.WriteString(kHost, s.host);
    reg.WriteInteger(kColourDepth, s.colourDepth);
    reg.WriteString(kUser, s.user);
    reg.WriteString(kDomain, s.domain);
    for (const Flag &flag : kFlags)
        reg.WriteBool(flag.name, s.*flag.value);
    reg.CloseKey();
    return true;
}

QString buildSwitchLine(const RemoteDesktopSettings &s)
{
    auto field = [](bool present, const QString &text) { return present ? text : QString(); };
    // Empty fields leave their separating blank behind; the launcher relies on nothing else.
    const QString line = QStringLiteral("/H:") + s.host + QStringLiteral(" /f:") +
                         QString::number(qint64(s.colourDepth) + 1) + QLatin1Char(' ') +
                         field(!s.user.isEmpty(), QStringLiteral("/u:") + s.user) +
                         QLatin1Char(' ') +
                         field(!s.domain.isEmpty(), QStringLiteral("/d:") + s.domain) +
                         QLatin1Char(' ') + field(s.background, QStringLiteral("/b:1")) +
                         QLatin1Char(' ') + field(s.printer, QStringLiteral("/p:1")) +
                         QLatin1Char(' ') + field(s.drives, QStringLiteral("/l:1")) +
                         QLatin1Char(' ') + field(s.console, QStringLiteral("/c")) +
                         QLatin1Char(' ') + field(s.systemClient, QStringLiteral("/rdp32"));
    return trimControls(line);
}

void readSwitchLine(const QString &line, RemoteDesktopSettings &s)
{
    for (const QString &rawPiece : splitSwitchLine(line)) {
        const QString piece = trimControls(rawPiece);
        if (piece.size() < 2)
            continue;
        const QString value = valueAfterColon(piece);
        switch (asciiUpper(piece[1]).unicode()) {
        case 'H':
            s.host = value;
            break;
        case 'F': {
            const qint64 position = qint64(StrToInt(value)) - 1;
            s.colourDepth = position >= 0 && position < kColourDepths ? qint32(position) : -1;
            break;
        }
        case 'U':
            s.user = value;
            break;
        case 'D':
            s.domain = value;
            break;
        case 'B':
            s.background = value == QLatin1String("1");
            break;
        case 'P':
            s.printer = value == QLatin1String("1");
            break;
        case 'L':
            s.drives = value == QLatin1String("1");
            break;
        case 'C':
            s.console = !piece.contains(QLatin1Char(':')) || value == QLatin1String("1");
            break;
        default:
            break; // "/rdp32" among them: the system client is not read back
        }
    }
}

QString valueAfterColon(const QString &piece)
{
    const qsizetype colon = piece.indexOf(QLatin1Char(':'));
    return trimControls(piece.mid(colon < 0 ? 0 : colon + 1, kMaxValueLength));
}
