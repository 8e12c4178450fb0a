// SPDX-License-Identifier: MIT
#include "undo.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

#include "model/menufile.h"
#include "platform/platform.h"
#include "store/profilefile.h"
#include "store/profiletext.h"

namespace undo {

namespace {

using transaction::Changes;
using transaction::EChangedOutside;
using transaction::FileChange;
using Bytes = std::optional<QByteArray>;

constexpr int kAttempts = 5;

enum class Direction { Back, Forward };

// Names compare without ASCII letter case, as the launcher's lookups do.
QString folded(QStringView name)
{
    QString out = name.toString();
    for (QChar &c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

// No name holds a line break, so this joins section and key without ambiguity.
QString idOf(QStringView section, QStringView key)
{
    return folded(section) + u'\n' + folded(key);
}

struct Key
{
    QString section;
    QString name;
    QString value;
};

// What the launcher reads from a file: of the first copy of each section, the first key line of
// each name, when it has a value.
struct View
{
    QHash<QString, Key> keys;     // by idOf
    std::vector<QString> order;   // ids in file order
    QHash<QString, int> keyLines; // folded section → key lines in all its copies
};

View viewOf(const profilefile::Document &doc)
{
    View view;
    for (const profiletext::OutlineSection &s : profiletext::outline(doc)) {
        view.keyLines[folded(s.name)] += int(s.keys.size());
        if (!s.first)
            continue;
        for (const profiletext::OutlineKey &k : s.keys) {
            if (!k.first || !k.hasValue)
                continue;
            const QString id = idOf(s.name, k.name);
            view.keys.insert(id, {s.name, k.name, k.value});
            view.order.push_back(id);
        }
    }
    return view;
}

std::optional<QString> valueIn(const View &view, const QString &id)
{
    const auto it = view.keys.constFind(id);
    if (it == view.keys.cend())
        return std::nullopt;
    return it->value;
}

// The item the key belongs to, as the user knows it, for the sentence "… wurde geändert".
QString changedItem(const QString &path, const Key &key, std::initializer_list<const View *> views)
{
    auto lookup = [&](const QString &id) -> std::optional<QString> {
        for (const View *view : views) {
            if (std::optional<QString> value = valueIn(*view, id))
                return value;
        }
        return std::nullopt;
    };
    if (folded(key.section) == folded(menufile::kConfigSection))
        return QStringLiteral("Die allgemeinen Einstellungen in %1 wurden").arg(path);
    if (menufile::nodeLetterIndex(key.section.toUpper()) >= 0) {
        static const QRegularExpression entryKey(QStringLiteral("^(\\d+)(?:b|d|p|v|dc)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = entryKey.match(key.name);
        if (match.hasMatch()) {
            if (std::optional<QString> caption =
                    lookup(idOf(key.section, match.captured(1) + QLatin1Char('b'))))
                return QStringLiteral("Der Eintrag »%1« wurde").arg(*caption);
        } else if (std::optional<QString> caption = lookup(idOf(key.section, menufile::kRootKey))) {
            return QStringLiteral("Der Knoten »%1« wurde").arg(*caption);
        }
    }
    return QStringLiteral("Der Wert »%1« im Abschnitt [%2] von %3 wurde")
        .arg(key.name, key.section, path);
}

QString changedMessage(const QString &subject, const QString &nothingDone)
{
    return subject + QStringLiteral(" außerhalb des Editors geändert. ") + nothingDone;
}

// The keys the step changed, taken from the side it is undone from (expected) to the other
// (target) in the file as it stands now, which another program changed elsewhere.
QByteArray merged(const QString &path, const QByteArray &now, const QByteArray &expected,
                  const QByteArray &target, const QString &nothingDone)
{
    const View from = viewOf(profilefile::Document(expected));
    const View to = viewOf(profilefile::Document(target));
    profilefile::Document doc(now);
    const View current = viewOf(doc);

    // Set in the target's order, so that keys and sections that come back keep their order.
    std::vector<QString> sets;
    for (const QString &id : to.order) {
        if (valueIn(from, id) != to.keys.value(id).value)
            sets.push_back(id);
    }
    std::vector<QString> removals;
    for (const QString &id : from.order) {
        if (!to.keys.contains(id))
            removals.push_back(id);
    }

    // Each key must still hold what the step left, or already what it is taken back to.
    auto refuseChanged = [&](const QString &id) {
        const Key key = to.keys.contains(id) ? to.keys.value(id) : from.keys.value(id);
        throw EChangedOutside(
            changedMessage(changedItem(path, key, {&from, &to, &current}), nothingDone));
    };
    auto check = [&](const QString &id) {
        const std::optional<QString> value = valueIn(current, id);
        if (value != valueIn(from, id) && value != valueIn(to, id))
            refuseChanged(id);
    };
    for (const QString &id : sets)
        check(id);
    for (const QString &id : removals)
        check(id);

    for (const QString &id : sets) {
        const Key key = to.keys.value(id);
        if (valueIn(current, id) != key.value)
            profiletext::setValue(doc, path, key.section, key.name, key.value);
    }

    // A section the target lacks goes as a whole when nothing but the step's keys is left in it;
    // otherwise key by key, and its header with its last key.
    QHash<QString, QSet<QString>> removedBySection;
    for (const QString &id : removals)
        removedBySection[folded(from.keys.value(id).section)].insert(id);
    QHash<QString, int> keyLines = current.keyLines;
    const std::vector<profiletext::OutlineSection> outline = profiletext::outline(doc);
    for (auto it = removedBySection.cbegin(); it != removedBySection.cend(); ++it) {
        if (to.keyLines.contains(it.key()))
            continue;
        bool onlyStepKeys = true;
        for (const profiletext::OutlineSection &s : outline) {
            if (folded(s.name) != it.key())
                continue;
            for (const profiletext::OutlineKey &k : s.keys)
                onlyStepKeys = onlyStepKeys && it->contains(idOf(s.name, k.name));
        }
        if (onlyStepKeys) {
            profiletext::removeSection(doc, path, from.keys.value(*it->cbegin()).section);
            keyLines.remove(it.key());
        }
    }
    for (const QString &id : removals) {
        const Key key = from.keys.value(id);
        const QString section = folded(key.section);
        if (!keyLines.contains(section))
            continue;
        // Later lines of the same name would be read once the first is gone.
        while (profiletext::value(doc, key.section, key.name) &&
               profiletext::removeKey(doc, path, key.section, key.name))
            --keyLines[section];
        if (keyLines.value(section) == 0 && !to.keyLines.contains(section)) {
            profiletext::removeSection(doc, path, key.section);
            keyLines.remove(section);
        }
    }

    // Duplicate lines or names the store reads differently could still leave another value.
    const View result = viewOf(doc);
    for (const QString &id : sets) {
        if (valueIn(result, id) != valueIn(to, id))
            refuseChanged(id);
    }
    for (const QString &id : removals) {
        if (valueIn(result, id))
            refuseChanged(id);
    }
    return doc.toBytes();
}

// What the file is to hold; raises when that would overwrite another program's change.
Bytes planned(const QString &path, const Bytes &now, const Bytes &expected, const Bytes &target,
              const QString &nothingDone)
{
    if (now == target)
        return now;
    if (now == expected)
        return target;
    if (!now)
        throw EChangedOutside(
            QStringLiteral("Die Datei %1 wurde außerhalb des Editors entfernt. ").arg(path) +
            nothingDone);
    // A file the step created or removed is only taken back as a whole.
    if (!expected)
        throw EChangedOutside(
            QStringLiteral("Die Datei %1 wurde außerhalb des Editors angelegt. ").arg(path) +
            nothingDone);
    if (!target)
        throw EChangedOutside(
            changedMessage(QStringLiteral("Die Datei %1 wurde").arg(path), nothingDone));
    return merged(path, *now, *expected, *target, nothingDone);
}

Bytes current(const QString &path)
{
    profilefile::Stamp stamp;
    Bytes bytes = profilefile::readFile(path, &stamp);
    if (!bytes && stamp.exists)
        throw EIniFileException(QStringLiteral("%1 kann nicht gelesen werden").arg(path));
    return bytes;
}

struct Write
{
    QString path;
    Bytes now;
    Bytes next;
};

Changes apply(const Changes &step, Direction direction)
{
    const QString nothingDone = direction == Direction::Back
                                    ? QStringLiteral("Es wurde nichts rückgängig gemacht.")
                                    : QStringLiteral("Es wurde nichts wiederhergestellt.");
    // The step wrote its files in the order that keeps a copy on failure; its undo takes them
    // back in reverse, so that a failure again leaves a copy rather than a loss.
    std::vector<const FileChange *> files;
    for (const FileChange &change : step)
        files.push_back(&change);
    if (direction == Direction::Back)
        std::reverse(files.begin(), files.end());

    for (int attempt = 1;; ++attempt) {
        std::vector<Write> writes;
        for (const FileChange *change : files) {
            const Bytes &expected = direction == Direction::Back ? change->after : change->before;
            const Bytes &target = direction == Direction::Back ? change->before : change->after;
            const Bytes now = current(change->path);
            Bytes next = planned(change->path, now, expected, target, nothingDone);
            if (next != now)
                writes.push_back({change->path, now, std::move(next)});
        }
        if (writes.empty())
            return {};

        // The lock order of transaction::commit, so that no two writers wait for each other.
        std::vector<const Write *> lockOrder;
        for (const Write &write : writes)
            lockOrder.push_back(&write);
        auto absolute = [](const QString &path) {
            return QDir::cleanPath(QDir::current().absoluteFilePath(path));
        };
        std::sort(lockOrder.begin(), lockOrder.end(), [&](const Write *a, const Write *b) {
            return absolute(a->path) < absolute(b->path);
        });
        std::vector<std::unique_ptr<platform::FileLock>> locks;
        for (const Write *write : lockOrder)
            locks.push_back(std::make_unique<platform::FileLock>(write->path));
        const bool unchanged = std::all_of(writes.begin(), writes.end(), [](const Write &write) {
            return current(write.path) == write.now;
        });
        if (!unchanged) {
            if (attempt == kAttempts)
                throw EChangedOutside(QStringLiteral("Die Datei wird gerade von einem anderen "
                                                     "Programm geändert. Versuchen Sie es "
                                                     "erneut."));
            continue;
        }

        Changes done;
        for (const Write &write : writes) {
            const bool ok = write.next ? platform::replaceFile(write.path, *write.next)
                                       : platform::removeFile(write.path);
            if (!ok)
                throw EIniFileException(profiletext::writeFailed(write.path));
            done.push_back({write.path, write.now, write.next});
        }
        return done;
    }
}

} // namespace

Changes revert(const Changes &step)
{
    return apply(step, Direction::Back);
}

Changes reapply(const Changes &step)
{
    return apply(step, Direction::Forward);
}

} // namespace undo
