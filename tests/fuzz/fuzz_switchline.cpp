// SPDX-License-Identifier: MIT
// Reading a switch line back into the remote-desktop parameters: any text either fills the fields
// or raises the conversion error for a colour depth that is no number, and no field takes more
// than a value may hold.
#include "fuzzcheck.h"

#include "base/exception.h"
#include "model/remotedesktopsettings.h"

#include <cstring>
#include <vector>

namespace {

bool trimmedValue(const QString &value)
{
    return value.size() <= 55 &&
           (value.isEmpty() || (value.front().unicode() > 32 && value.back().unicode() > 32));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<char16_t> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    const QString line = QString::fromUtf16(units.data(), qsizetype(units.size()));

    FUZZ_CHECK(trimmedValue(valueAfterColon(line)));
    RemoteDesktopSettings settings;
    try {
        readSwitchLine(line, settings);
    } catch (const EConvertError &) {
        // A colour depth that is no number: the caller discards the dialog.
    }
    for (const QString &field : {settings.host, settings.user, settings.domain})
        FUZZ_CHECK(trimmedValue(field));
    FUZZ_CHECK(settings.colourDepth >= -1 && settings.colourDepth <= 2);
    return 0;
}
