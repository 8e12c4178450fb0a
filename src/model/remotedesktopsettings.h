// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The parameters of a remote-desktop entry: composed into a switch line for the launcher, and
// remembered per user for the next entry.
struct RemoteDesktopSettings
{
    QString host;
    qint32 colourDepth = 2; // position: 0 for 8, 1 for 16, 2 for 24 bits; -1 none
    QString user;
    QString domain;
    bool background = false;
    bool printer = false;
    bool drives = false;
    bool console = false;
    bool systemClient = false; // the launcher starts the system's own client
};

bool operator==(const RemoteDesktopSettings &a, const RemoteDesktopSettings &b);
inline bool operator!=(const RemoteDesktopSettings &a, const RemoteDesktopSettings &b)
{
    return !(a == b);
}

// Loads the values remembered per user into settings. A value not stored yet (the first use)
// keeps what settings holds; a stored depth is taken as it stands, also out of range. A value
// stored with the wrong type raises ERegistryException; the values loaded before it stay loaded.
// Nothing is loaded when the per-user key cannot be opened.
void loadRemoteDesktopSettings(RemoteDesktopSettings &settings);

// Stores all nine values, in the order they are loaded. A value the store refuses raises
// ERegistryException; the values stored before it stay stored. False when the per-user key
// cannot be opened: nothing stored.
bool storeRemoteDesktopSettings(const RemoteDesktopSettings &settings);

// "/H:host /f:depth+1 /u:user /d:domain /b:1 /p:1 /l:1 /c /rdp32"; an empty or unset field
// leaves its separating blank behind, and the line is trimmed at both ends.
QString buildSwitchLine(const RemoteDesktopSettings &settings);

// Reads a switch line as the launcher does: at most ten blank-separated pieces, each switch
// known by its second character in any letter case. Every switch found overrides its value in
// settings; absent ones and "/rdp32" leave theirs. A /f value outside 1..3 sets no depth (-1);
// one that is no number raises EConvertError "'%s' ist kein gültiger Integerwert", and settings
// then holds the switches read before it.
void readSwitchLine(const QString &line, RemoteDesktopSettings &settings);

// The value of one switch-line piece: after the first colon (or the whole piece), at most 55
// characters, trimmed of blanks and control characters.
QString valueAfterColon(const QString &piece);
