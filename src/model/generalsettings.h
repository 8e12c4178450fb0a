// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "model/transaction.h"

class TCustomIniFile;

// The launcher's general settings in section "Config" of a menu file, as stored: positions are
// kept as read, also outside the choices an editor offers, so that a value the editor does not
// change is written back unchanged.
struct GeneralSettings
{
    QString title = QStringLiteral("Start-Menü");
    QString updateFolder;
    bool onTop = false;
    bool fade = true;
    qint32 screenSize = 2; // position in the launcher's table of window sizes, -1 none
    bool sizeBox = false;
    bool lastSize = false;
    qint32 updateKind = 3; // 0 none, 1 program, 2 configuration, 3 both, -1 none chosen
    qint32 fontSize = 8;
};

// Missing keys give the defaults above. Update kind and font size have always been read as
// "updatetyp" and "fontsize" in section "config" (names match without case).
GeneralSettings readGeneralSettings(TCustomIniFile &file);

// Writes the nine keys to section "Config" in the order the launcher's own tools write them.
// A key already in the file keeps its spelling there. Raises EIniFileException for a text the
// file cannot hold; on a TMemIniFile the keys written before it stay written.
void writeGeneralSettings(TCustomIniFile &file, const GeneralSettings &settings);

// writeGeneralSettings as one transaction on the menu file as it stands: all nine keys or none.
transaction::Changes saveGeneralSettings(const QString &menuFile, const GeneralSettings &settings);

// Stores the folder of the remote-desktop client for programs that look it up per user; nothing
// in this program reads it back. False when the per-user key cannot be opened: nothing stored.
bool storeClientFolder(const QString &folder);
