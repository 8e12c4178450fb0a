// SPDX-License-Identifier: MIT
#include "menureplace.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>

#include "base/conversion.h"
#include "model/menufile.h"
#include "model/menuops.h"
#include "store/profilefile.h"
#include "store/tinifile.h"

namespace menureplace {

using transaction::ERefused;
using transaction::Transaction;

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The text with every match replaced; nullopt when nothing matched. Whole words: a match that
// begins (ends) with a word character must not follow (precede) one.
std::optional<QString> replaced(const QString &text, const Options &o)
{
    const qsizetype n = o.find.size();
    const bool wordStart = o.wholeWords && isWordChar(o.find.front());
    const bool wordEnd = o.wholeWords && isWordChar(o.find.back());
    QString out;
    qsizetype copied = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(o.find, from, o.caseSensitivity);
        if (at < 0)
            break;
        if ((wordStart && at > 0 && isWordChar(text[at - 1])) ||
            (wordEnd && at + n < text.size() && isWordChar(text[at + n]))) {
            from = at + 1;
            continue;
        }
        out += QStringView(text).sliced(copied, at - copied);
        out += o.replacement;
        copied = from = at + n;
    }
    if (copied == 0)
        return std::nullopt;
    out += QStringView(text).sliced(copied);
    return out;
}

// Key names of an entry as the parsed file holds them: ASCII, so the same in every encoding.
struct EntryNames
{
    QByteArray caption, program, params, scrambled;
};

// Built once for the first entries and shared by the searching threads (see entryKeyNames in
// menumodel.cpp for why not per thread).
EntryNames namesOf(int index)
{
    constexpr int kBuilt = 1024;
    const auto build = [](int n) {
        const auto name = [n](menufile::EntryKey key) {
            return menufile::entryKey(n, key).toLatin1();
        };
        return EntryNames{name(menufile::EntryKey::Caption), name(menufile::EntryKey::Program),
                          name(menufile::EntryKey::Params), name(menufile::EntryKey::Scrambled)};
    };
    static const std::vector<EntryNames> table = [&build] {
        std::vector<EntryNames> names;
        names.reserve(kBuilt);
        for (int n = 0; n < kBuilt; ++n)
            names.push_back(build(n));
        return names;
    }();
    return index >= 0 && index < kBuilt ? table[size_t(index)] : build(index);
}

// Every change in the file as it stands, in the launcher's order: the nodes from "A" to the
// first gap, each node's entries from 0 to the first missing or empty caption. The stored bytes
// are looked at first and only what may hold the search text is made text, which spares
// decoding some 50,000 values of a large menu.
std::vector<Change> find(const TMemIniFile &file, const QString &path, const Options &o)
{
    const profilefile::Document &doc = file.document();
    const std::optional<QByteArray> needle = doc.encode(o.find);
    const bool asciiNeedle = needle && std::all_of(needle->begin(), needle->end(),
                                                   [](char c) { return uchar(c) < 0x80; });
    // Letter case aside, only ASCII is compared as bytes; other characters fold in ways bytes
    // do not show (the long s folds to "s"), so a value holding any is made text.
    const bool bytewise = o.caseSensitivity == Qt::CaseSensitive || asciiNeedle;
    const auto mayHold = [&](QByteArrayView raw) {
        if (o.caseSensitivity == Qt::CaseSensitive)
            return needle && raw.contains(*needle);
        if (!asciiNeedle ||
            std::any_of(raw.begin(), raw.end(), [](char c) { return uchar(c) >= 0x80; }))
            return true;
        for (qsizetype i = 0; i + needle->size() <= raw.size(); ++i) {
            if (qstrnicmp(raw.data() + i, needle->constData(), size_t(needle->size())) == 0)
                return true;
        }
        return false;
    };
    static const QByteArray root = menufile::kRootKey.toLatin1();
    std::vector<Change> changes;
    const auto add = [&](const QString &letter, int index, const QString &node,
                         const QString &entry, Field field, const QString &text) {
        if (std::optional<QString> after = replaced(text, o))
            changes.push_back({path, letter, index, node, entry, field, text, *after, {}});
    };
    for (const QString &letter : menufile::nodeLetters()) {
        const QByteArray section = *doc.encode(letter);
        const std::optional<QByteArrayView> caption = doc.value(section, root);
        if (!caption || *caption == "*")
            break;
        const QString node = doc.decode(*caption);
        if (o.fields & Captions)
            add(letter, menu::kNodeIndex, node, {}, Captions, node);
        for (int n = 0;; ++n) {
            const EntryNames names = namesOf(n);
            const std::optional<QByteArrayView> entryCaption = doc.value(section, names.caption);
            if (!entryCaption || entryCaption->isEmpty())
                break;
            const QString entry = doc.decode(*entryCaption);
            if ((o.fields & Captions) && mayHold(*entryCaption))
                add(letter, n, node, entry, Captions, entry);
            if (o.fields & Programs) {
                const QByteArrayView program =
                    doc.value(section, names.program).value_or(QByteArrayView());
                if (mayHold(program))
                    add(letter, n, node, entry, Programs, doc.decode(program));
            }
            if (!(o.fields & Params))
                continue;
            const QByteArrayView params =
                doc.value(section, names.params).value_or(QByteArrayView());
            const std::optional<QByteArrayView> flag = doc.value(section, names.scrambled);
            const bool scrambled = flag && StrToIntDef(doc.decode(*flag), 0) != 0;
            if (!scrambled) {
                if (mayHold(params))
                    add(letter, n, node, entry, Params, doc.decode(params));
                continue;
            }
            // Scrambling works on Windows-1252 bytes; a file of those bytes is unscrambled as
            // it stands, any other as text.
            if (bytewise && doc.encoding() == profilefile::Encoding::Windows1252) {
                QByteArray plain = params.toByteArray();
                const qsizetype scrambledPart = plain.size() % 256;
                for (qsizetype i = 0; i < scrambledPart; ++i)
                    plain[i] = char(plain[i] ^ 0x1B);
                if (!mayHold(plain))
                    continue;
            }
            add(letter, n, node, entry, Params, menufile::ScrambleParams(doc.decode(params)));
        }
    }
    return changes;
}

// Writes one change as the window's save would write the item, with the save's refusals, and
// refuses what would hide the item from the launcher.
void write(TMemIniFile &file, const Change &c)
{
    if (c.index == menu::kNodeIndex) {
        menu::refuseLong(QStringLiteral("Die Beschriftung"), c.after);
        menu::refuseHiddenNode(c.after);
        file.WriteString(c.letter, menufile::kRootKey, c.after);
        return;
    }
    menu::Fields fields = menu::fieldsOf(menuops::readEntryKeys(file, c.letter, c.index));
    switch (c.field) {
    case Captions:
        if (c.after.isEmpty())
            throw ERefused(QStringLiteral("Die Beschriftung wäre leer; der Starter zeigte dann "
                                          "weder diesen Eintrag noch die folgenden."));
        fields.caption = c.after;
        break;
    case Programs:
        fields.program = c.after;
        break;
    case Params:
    case AllFields:
        fields.params = c.after;
        break;
    }
    menu::writeEntry(file, c.letter, c.index, fields);
}

QString placeOf(const Change &c)
{
    if (c.index == menu::kNodeIndex)
        return QStringLiteral("Knoten »%1« in %2").arg(c.node, c.file);
    return QStringLiteral("»%1« in »%2« (%3)").arg(c.entry, c.node, c.file);
}

void writeOrRefuse(TMemIniFile &file, const Change &c)
{
    if (!c.problem.isEmpty())
        throw ERefused(placeOf(c) + QStringLiteral(": ") + c.problem);
    try {
        write(file, c);
    } catch (const ERefused &e) {
        throw ERefused(placeOf(c) + QStringLiteral(": ") + e.message());
    } catch (const EIniFileException &e) {
        throw ERefused(placeOf(c) + QStringLiteral(": ") + e.message());
    }
}

void refuseEmpty(const Options &options)
{
    if (options.find.isEmpty())
        throw ERefused(QStringLiteral("Geben Sie den Text ein, der ersetzt werden soll."));
}

} // namespace

QStringList withSubLists(const QString &menuFile)
{
    const QFileInfo info(menuFile);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    QStringList files{menuFile};
    for (const QString &other : info.dir().entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        if (other != name && (other.compare(base, Qt::CaseInsensitive) == 0 ||
                              other.startsWith(base + QLatin1Char('.'), Qt::CaseInsensitive)))
            files.append(info.dir().filePath(other));
    }
    return files;
}

Plan plan(const QStringList &files, const Options &options)
{
    refuseEmpty(options);
    struct Found
    {
        QByteArray bytes;
        std::vector<Change> changes;
        std::exception_ptr error;
    };
    std::vector<Found> found(size_t(files.size()));
    const auto search = [&](qsizetype first, qsizetype end) {
        for (qsizetype i = first; i < end; ++i) {
            Found &f = found[size_t(i)];
            try {
                const QString &path = files[i];
                Transaction t;
                if (!t.exists(path))
                    throw EIniFileException(QStringLiteral("%1 gibt es nicht").arg(path));
                f.bytes = *t.original(path);
                TMemIniFile &file = t.file(path);
                // Each change is tried on the file in memory, which is then dropped.
                for (Change &c : find(file, path, options)) {
                    try {
                        write(file, c);
                    } catch (const Exception &e) {
                        c.problem = e.message();
                    }
                    f.changes.push_back(std::move(c));
                }
            } catch (...) {
                f.error = std::current_exception();
            }
        }
    };
    // The files have nothing in common: half of them are read and searched on a second thread.
    const qsizetype half = files.size() / 2;
    std::thread second;
    if (half > 0)
        second = std::thread(search, files.size() - half, files.size());
    search(0, files.size() - half);
    if (second.joinable())
        second.join();

    Plan result{options, {}, {}};
    for (qsizetype i = 0; i < files.size(); ++i) {
        Found &f = found[size_t(i)];
        if (f.error)
            std::rethrow_exception(f.error);
        result.files.emplace_back(files[i], f.bytes);
        for (Change &c : f.changes)
            result.changes.push_back(std::move(c));
    }
    return result;
}

Outcome apply(const Plan &plan, const std::vector<size_t> &chosen, bool dryRun)
{
    std::vector<const Change *> picked;
    if (chosen.empty()) {
        for (const Change &c : plan.changes)
            picked.push_back(&c);
    } else {
        for (const size_t i : chosen)
            picked.push_back(&plan.changes.at(i));
    }
    Outcome outcome;
    const auto skip = [&](const QString &path) {
        outcome.skipped << QStringLiteral("%1 wurde seit der Liste geändert; darin wurde nichts "
                                          "ersetzt.")
                               .arg(path);
    };
    // Every file's changes are made in memory first, so a refusal writes nothing anywhere.
    std::vector<std::pair<QString, std::unique_ptr<Transaction>>> prepared;
    for (const auto &[path, bytes] : plan.files) {
        std::vector<const Change *> mine;
        for (const Change *c : picked) {
            if (c->file == path)
                mine.push_back(c);
        }
        if (mine.empty())
            continue;
        auto t = std::make_unique<Transaction>();
        if (t->original(path) != bytes) {
            skip(path);
            continue;
        }
        TMemIniFile &file = t->file(path);
        for (const Change *c : mine)
            writeOrRefuse(file, *c);
        prepared.emplace_back(path, std::move(t));
    }
    for (auto &[path, t] : prepared) {
        std::optional<transaction::Changes> written = dryRun ? t->pending() : t->commit();
        if (!written) {
            skip(path);
            continue;
        }
        if (!written->empty() && outcome.result.file.isEmpty()) {
            const QString &file = path; // a structured binding cannot be captured before C++20
            const Change &first = **std::find_if(picked.begin(), picked.end(),
                                                 [&](const Change *c) { return c->file == file; });
            outcome.result.file = path;
            outcome.result.letter = first.letter;
            outcome.result.index = first.index;
        }
        for (transaction::FileChange &change : *written)
            outcome.result.changes.push_back(std::move(change));
    }
    return outcome;
}

std::vector<Change> replaceIn(Transaction &t, const QString &path, const Options &options)
{
    refuseEmpty(options);
    TMemIniFile &file = t.file(path);
    std::vector<Change> changes = find(file, path, options);
    for (const Change &c : changes)
        writeOrRefuse(file, c);
    return changes;
}

} // namespace menureplace
