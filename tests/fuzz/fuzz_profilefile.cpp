// SPDX-License-Identifier: MIT
// The profile-file parser and writer: a file reads back byte for byte, and after writes of what
// the store accepts the written file reads back exactly as the changed one did.
#include "fuzzcheck.h"

#include "base/cp1252.h"
#include "store/profilefile.h"

#include <QByteArray>
#include <QList>

#include <vector>

namespace {

using profilefile::Document;
using profilefile::isBlank;

const QList<QByteArray> kSections = {"A", "a", "B", "Config", "config", "[x", "Neu 1", ""};
const QList<QByteArray> kKeys = {"Root", "root", "0b", "0d", "expand", "k", "K", "a b"};

QByteArray withoutLineBreaks(QByteArray text)
{
    text.removeIf([](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

// A name from the input, made into one the store would write: no line break or NUL, no blank at
// either end, "=" not in a key name, which also may not start with ";" or "["; only the empty
// section name of the pool stays, to show that it is never written.
QByteArray nameFrom(InputReader &in, bool section)
{
    const std::uint8_t choice = in.byte();
    const QList<QByteArray> &pool = section ? kSections : kKeys;
    if (choice < 200)
        return pool[choice % pool.size()];
    std::size_t length = choice % 12;
    const char *bytes = in.take(length);
    QByteArray name = withoutLineBreaks(QByteArray(bytes, qsizetype(length)));
    if (!section)
        name.removeIf([](char c) { return c == '='; });
    while (!name.isEmpty() && isBlank(name.front()))
        name.remove(0, 1);
    while (!name.isEmpty() && isBlank(name.back()))
        name.chop(1);
    if (section && name.isEmpty())
        name = "s";
    if (!section && (name.isEmpty() || name.front() == ';' || name.front() == '['))
        name.prepend('k');
    return name;
}

struct Touched
{
    QByteArray section;
    QByteArray key;
};

// Keys and values of a section as a reader sees them; a listed key reads no value when an
// earlier line of its name has no "=".
QList<QByteArray> readerView(const Document &document, const QByteArray &section)
{
    QList<QByteArray> view;
    for (const QByteArrayView key : document.keys(section)) {
        view << key.toByteArray();
        const auto value = document.value(section, key);
        view << (value ? "=" + value->toByteArray() : QByteArray("!"));
    }
    return view;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputReader in(data, size);
    const int operations = in.byte() % 8;
    struct Operation
    {
        int kind;
        QByteArray section;
        QByteArray key;
        QByteArray value;
    };
    std::vector<Operation> planned;
    for (int i = 0; i < operations; ++i) {
        Operation op;
        op.kind = in.byte() % 4;
        op.section = nameFrom(in, true);
        op.key = nameFrom(in, false);
        std::size_t length = in.byte();
        const char *bytes = in.take(length);
        op.value = withoutLineBreaks(QByteArray(bytes, qsizetype(length)));
        planned.push_back(op);
    }
    std::size_t fileSize = 0;
    const char *file = in.rest(fileSize);
    const QByteArray original(file, qsizetype(fileSize));

    Document document(original);
    FUZZ_CHECK(document.toBytes() == original);
    // Names and values in the document's own form: a UTF-16 file takes no stray bytes.
    for (Operation &op : planned) {
        for (QByteArray *text : {&op.section, &op.key, &op.value})
            *text = *document.encode(cp1252::toUnicode(*text));
    }

    for (const Operation &op : planned) {
        switch (op.kind) {
        case 0:
        case 1:
            if (op.section.isEmpty()) {
                FUZZ_CHECK(!document.setValue(op.section, op.key, op.value));
                break;
            }
            document.setValue(op.section, op.key, op.value);
            FUZZ_CHECK(document.value(op.section, op.key) == QByteArrayView(op.value));
            break;
        case 2:
            document.removeKey(op.section, op.key);
            break;
        case 3:
            if (op.section.isEmpty()) {
                FUZZ_CHECK(!document.removeSection(op.section));
                break;
            }
            document.removeSection(op.section);
            FUZZ_CHECK(document.keys(op.section).empty());
            FUZZ_CHECK(!document.value(op.section, op.key));
            break;
        }
    }

    const QByteArray written = document.toBytes();
    const Document reread(written);
    FUZZ_CHECK(reread.toBytes() == written);
    QList<QByteArray> sections = kSections;
    for (const Operation &op : planned)
        sections << op.section;
    for (const QByteArray &section : std::as_const(sections))
        FUZZ_CHECK(readerView(reread, section) == readerView(document, section));
    return 0;
}
