// SPDX-License-Identifier: MIT
#include "generalsettings.h"

#include "model/menufile.h"
#include "store/tinifile.h"
#include "store/tregistry.h"

namespace {

const QString &kConfig = menufile::kConfigSection;
// The reads of update kind and font size have always been spelled in lower case.
const QString kConfigLower = QStringLiteral("config");

const QString kTitle = QStringLiteral("Title");
const QString kUpdate = QStringLiteral("Update");
const QString kOnTop = QStringLiteral("onTop");
const QString kFade = QStringLiteral("fade");
const QString kScreenSize = QStringLiteral("TSsize");
const QString kSizeBox = QStringLiteral("tsbox");
const QString kLastSize = QStringLiteral("lastsize");
const QString kUpdateKindRead = QStringLiteral("updatetyp");
const QString kUpdateKindWritten = QStringLiteral("Updatetyp");
const QString kFontSizeRead = QStringLiteral("fontsize");
const QString kFontSizeWritten = QStringLiteral("Fontsize");

// Spelled with a capital T, unlike the remote-desktop values' key; the store matches without case.
const QString kClientKey = QStringLiteral("\\Software\\Orvane\\Tarvik");
const QString kClientFolder = QStringLiteral("mstscpath");

} // namespace

GeneralSettings readGeneralSettings(TCustomIniFile &file)
{
    const GeneralSettings defaults;
    GeneralSettings s;
    s.title = file.ReadString(kConfig, kTitle, defaults.title);
    s.updateFolder = file.ReadString(kConfig, kUpdate, defaults.updateFolder);
    s.onTop = file.ReadBool(kConfig, kOnTop, defaults.onTop);
    s.fade = file.ReadBool(kConfig, kFade, defaults.fade);
    s.screenSize = file.ReadInteger(kConfig, kScreenSize, defaults.screenSize);
    s.sizeBox = file.ReadBool(kConfig, kSizeBox, defaults.sizeBox);
    s.lastSize = file.ReadBool(kConfig, kLastSize, defaults.lastSize);
    s.updateKind = file.ReadInteger(kConfigLower, kUpdateKindRead, defaults.updateKind);
    s.fontSize = file.ReadInteger(kConfigLower, kFontSizeRead, defaults.fontSize);
    return s;
}

void writeGeneralSettings(TCustomIniFile &file, const GeneralSettings &s)
{
    file.WriteString(kConfig, kTitle, s.title);
    file.WriteString(kConfig, kUpdate, s.updateFolder);
    file.WriteBool(kConfig, kOnTop, s.onTop);
    file.WriteBool(kConfig, kFade, s.fade);
    file.WriteBool(kConfig, kSizeBox, s.sizeBox);
    file.WriteBool(kConfig, kLastSize, s.lastSize);
    file.WriteInteger(kConfig, kScreenSize, s.screenSize);
    file.WriteInteger(kConfig, kFontSizeWritten, s.fontSize);
    file.WriteInteger(kConfig, kUpdateKindWritten, s.updateKind);
}

transaction::Changes saveGeneralSettings(const QString &menuFile, const GeneralSettings &settings)
{
    return transaction::run(
        [&](transaction::Transaction &t) { writeGeneralSettings(t.file(menuFile), settings); });
}

bool storeClientFolder(const QString &folder)
{
    TRegistry reg;
    reg.SetRootKey(TRegistry::RootKey::CurrentUser);
    if (!reg.OpenKey(kClientKey, true))
        return false;
    reg.WriteString(kClientFolder, folder);
    reg.CloseKey();
    return true;
}
