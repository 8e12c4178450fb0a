// SPDX-License-Identifier: MIT
// The per-user store's file: whatever parses is written so that it parses to the same keys and
// values, and writing that again gives the same bytes.
#include "fuzzcheck.h"

#include "platform/registryfile.h"

namespace {

bool sameContents(const registryfile::Contents &a, const registryfile::Contents &b)
{
    if (a.keys.size() != b.keys.size())
        return false;
    for (qsizetype i = 0; i < a.keys.size(); ++i) {
        const registryfile::Key &x = a.keys[i];
        const registryfile::Key &y = b.keys[i];
        if (x.path != y.path || x.values.size() != y.values.size())
            return false;
        for (qsizetype j = 0; j < x.values.size(); ++j) {
            if (x.values[j].name != y.values[j].name || x.values[j].type != y.values[j].type ||
                x.values[j].data != y.values[j].data)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parsed = registryfile::parse(bytes);
    if (!parsed)
        return 0;
    const QByteArray written = registryfile::serialize(*parsed);
    const auto again = registryfile::parse(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(sameContents(*parsed, *again));
    FUZZ_CHECK(registryfile::serialize(*again) == written);
    return 0;
}
