// SPDX-License-Identifier: MIT
// Reading a switch line back into the remote-desktop dialog: any text either fills the fields or
// raises the conversion error for a colour depth that is no number, and no field takes more than
// a value may hold.
#include "fuzzcheck.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include "exception.h"
#include "tfmstsc.h"

#include <cstring>
#include <vector>

namespace {

Tfmstsc *dialog = nullptr;

bool trimmedValue(const QString &value)
{
    return value.size() <= 55 &&
           (value.isEmpty() || (value.front().unicode() > 32 && value.back().unicode() > 32));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The dialog reads its last values from the per-user store: an empty one of its own.
    static QTemporaryDir store;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(store.path()));
    static QApplication app(*argc, *argv);
    dialog = new Tfmstsc(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<char16_t> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    const QString line = QString::fromUtf16(units.data(), qsizetype(units.size()));

    FUZZ_CHECK(trimmedValue(ValueAfterColon(line)));
    try {
        dialog->ReadSwitchLine(line);
    } catch (const EConvertError &) {
        // A colour depth that is no number: the caller discards the dialog.
    }
    for (const char *name : {"Host", "Username", "Domain"}) {
        const QLineEdit *field = dialog->findChild<QLineEdit *>(QLatin1String(name));
        FUZZ_CHECK(field && trimmedValue(field->text()));
    }
    return 0;
}
