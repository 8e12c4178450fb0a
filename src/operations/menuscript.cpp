// SPDX-License-Identifier: MIT
#include "menuscript.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "model/menufile.h"
#include "model/menuops.h"
#include "operations/filediff.h"
#include "operations/menuaddress.h"
#include "operations/menubatch.h"
#include "operations/menucheck.h"
#include "store/tinifile.h"

namespace menuscript {

using menuaddress::Kind;
using transaction::EChangedOutside;
using transaction::ERefused;
using transaction::Transaction;

namespace {

enum class Type { Text, Bool, List };

struct FieldRule
{
    const char *name;
    Type type;
    bool required;
};

struct OpRule
{
    Op op;
    const char *name;
    std::vector<FieldRule> fields;
};

const std::vector<OpRule> &opRules()
{
    static const std::vector<OpRule> rules = {
        {Op::AddNode, "add-node", {{"caption", Type::Text, true}, {"expand", Type::Bool, false}}},
        {Op::AddEntry,
         "add-entry",
         {{"node", Type::Text, true},
          {"caption", Type::Text, true},
          {"program", Type::Text, true},
          {"params", Type::Text, false},
          {"scrambled", Type::Bool, false},
          {"keepOpen", Type::Bool, false}}},
        {Op::Set,
         "set",
         {{"item", Type::Text, true},
          {"caption", Type::Text, false},
          {"program", Type::Text, false},
          {"params", Type::Text, false},
          {"scrambled", Type::Bool, false},
          {"keepOpen", Type::Bool, false},
          {"expand", Type::Bool, false}}},
        {Op::Delete, "delete", {{"item", Type::Text, true}}},
        {Op::Move,
         "move",
         {{"item", Type::Text, true},
          {"target", Type::Text, true},
          {"targetFile", Type::Text, false}}},
        {Op::Replace,
         "replace",
         {{"find", Type::Text, true},
          {"replace", Type::Text, true},
          {"in", Type::List, false},
          {"ignoreCase", Type::Bool, false},
          {"wholeWord", Type::Bool, false}}},
    };
    return rules;
}

const QStringList kSetFields = {QStringLiteral("caption"),  QStringLiteral("program"),
                                QStringLiteral("params"),   QStringLiteral("scrambled"),
                                QStringLiteral("keepOpen"), QStringLiteral("expand")};

QString jsonError(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("ein Objekt ist nicht abgeschlossen (fehlt „}“?)");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("nach einem Feldnamen fehlt „:“");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("eine Liste ist nicht abgeschlossen (fehlt „]“?)");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("zwischen zwei Werten fehlt „,“");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("ungültiger Wert");
    case QJsonParseError::IllegalNumber:
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("ungültige Zahl");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("ungültige Folge nach „\\“");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("kein gültiges UTF-8");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("ein Text ist nicht abgeschlossen (fehlt „\"“?)");
    case QJsonParseError::MissingObject:
        return QStringLiteral("ein Objekt oder eine Liste wird erwartet");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("zu tief verschachtelt");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("zu groß");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("nach dem Ende folgen weitere Zeichen");
    case QJsonParseError::NoError:
        break;
    }
    return QStringLiteral("ungültig");
}

std::optional<bool> boolOf(const QString &text)
{
    static const QStringList yes = {"1", "ja", "true", "wahr", "an", "yes"};
    static const QStringList no = {"0", "nein", "false", "falsch", "aus", "no"};
    if (yes.contains(text, Qt::CaseInsensitive))
        return true;
    if (no.contains(text, Qt::CaseInsensitive))
        return false;
    return std::nullopt;
}

void assign(Change &change, const QString &field, const QString &text, std::optional<bool> flag)
{
    if (field == QLatin1String("caption"))
        change.caption = text;
    else if (field == QLatin1String("program"))
        change.program = text;
    else if (field == QLatin1String("params"))
        change.params = text;
    else if (field == QLatin1String("scrambled"))
        change.scrambled = flag;
    else if (field == QLatin1String("keepOpen"))
        change.keepOpen = flag;
    else if (field == QLatin1String("expand"))
        change.expand = flag;
}

unsigned replaceFieldOf(const QString &name)
{
    if (name == QLatin1String("captions"))
        return menureplace::Captions;
    if (name == QLatin1String("programs"))
        return menureplace::Programs;
    if (name == QLatin1String("params"))
        return menureplace::Params;
    return 0;
}

Change changeOf(const QJsonValue &value, const QString &path)
{
    const auto refuse = [&](const QString &where, const QString &what) {
        throw ERefused(where + QStringLiteral(": ") + what);
    };
    if (!value.isObject())
        refuse(path, QStringLiteral("erwartet wird ein Objekt ({ … }) mit „op“"));
    const QJsonObject object = value.toObject();
    const QJsonValue opValue = object.value(QStringLiteral("op"));
    if (opValue.isUndefined())
        refuse(path, QStringLiteral("„op“ fehlt"));
    QStringList known;
    const OpRule *rule = nullptr;
    for (const OpRule &s : opRules()) {
        known << QString::fromLatin1(s.name);
        if (opValue.toString() == QLatin1String(s.name))
            rule = &s;
    }
    if (!rule)
        refuse(path + QStringLiteral(".op"),
               QStringLiteral("unbekannte Änderung „%1“; bekannt "
                              "sind %2")
                   .arg(opValue.toVariant().toString(), known.join(QStringLiteral(", "))));
    Change change;
    change.op = rule->op;
    change.place = path + QStringLiteral(" (") + QString::fromLatin1(rule->name) + QLatin1Char(')');
    QStringList names;
    for (const FieldRule &f : rule->fields)
        names << QString::fromLatin1(f.name);
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("op"))
            continue;
        const QString where = path + QLatin1Char('.') + it.key();
        const auto field = std::find_if(rule->fields.begin(), rule->fields.end(),
                                        [&](const FieldRule &f) { return it.key() == f.name; });
        if (field == rule->fields.end())
            refuse(where,
                   QStringLiteral("unbekanntes Feld für „%1“; bekannt sind %2")
                       .arg(QString::fromLatin1(rule->name), names.join(QStringLiteral(", "))));
        const QJsonValue v = it.value();
        switch (field->type) {
        case Type::Text:
            if (!v.isString())
                refuse(where, QStringLiteral("erwartet wird ein Text in Anführungszeichen"));
            checkText(where, v.toString());
            break;
        case Type::Bool:
            if (!v.isBool())
                refuse(where, QStringLiteral("erwartet wird true oder false"));
            break;
        case Type::List:
            if (!v.isArray())
                refuse(where, QStringLiteral("erwartet wird eine Liste, etwa [\"captions\", "
                                             "\"programs\", \"params\"]"));
            break;
        }
        const QString text = v.toString();
        switch (change.op) {
        case Op::AddEntry:
            if (it.key() == QLatin1String("node"))
                change.item = text;
            else
                assign(change, it.key(), text, v.toBool());
            break;
        case Op::Set:
        case Op::Delete:
        case Op::Move:
            if (it.key() == QLatin1String("item"))
                change.item = text;
            else if (it.key() == QLatin1String("target"))
                change.target = text;
            else if (it.key() == QLatin1String("targetFile"))
                change.targetFile = text;
            else
                assign(change, it.key(), text, v.toBool());
            break;
        case Op::AddNode:
            assign(change, it.key(), text, v.toBool());
            break;
        case Op::Replace:
            if (it.key() == QLatin1String("find")) {
                change.replace.find = text;
                if (text.isEmpty())
                    refuse(where, QStringLiteral("der Suchtext ist leer"));
            } else if (it.key() == QLatin1String("replace")) {
                change.replace.replacement = text;
            } else if (it.key() == QLatin1String("ignoreCase")) {
                change.replace.caseSensitivity =
                    v.toBool() ? Qt::CaseInsensitive : Qt::CaseSensitive;
            } else if (it.key() == QLatin1String("wholeWord")) {
                change.replace.wholeWords = v.toBool();
            } else {
                change.replace.fields = 0;
                const QJsonArray list = v.toArray();
                for (qsizetype i = 0; i < list.size(); ++i) {
                    const unsigned f = replaceFieldOf(list.at(i).toString());
                    if (!f)
                        refuse(where + QStringLiteral("[%1]").arg(i),
                               QStringLiteral("erwartet wird „captions“, „programs“ oder "
                                              "„params“"));
                    change.replace.fields |= f;
                }
                if (!change.replace.fields)
                    refuse(where, QStringLiteral("die Liste ist leer"));
            }
            break;
        }
    }
    for (const FieldRule &f : rule->fields) {
        if (f.required && !object.contains(QLatin1String(f.name)))
            refuse(path, QStringLiteral("„%1“ fehlt").arg(QString::fromLatin1(f.name)));
    }
    if (change.op == Op::Set && object.size() == 2)
        refuse(path, QStringLiteral("„set“ ändert nichts; nennen Sie mindestens eines der "
                                    "Felder %1")
                         .arg(kSetFields.join(QStringLiteral(", "))));
    return change;
}

QString nodeCaption(TCustomIniFile &file, const QString &letter)
{
    return file.ReadString(letter, menufile::kRootKey, QString());
}

// "»Mail« in »Büro« (A/0)" or "Knoten »Büro« (A)".
QString itemText(const QString &node, const QString &entry, const QString &letter, int index)
{
    if (index == menu::kNodeIndex)
        return QStringLiteral("Knoten »%1« (%2)").arg(node, letter);
    return QStringLiteral("»%1« in »%2« (%3/%4)").arg(entry, node, letter).arg(index);
}

Done itemDone(Op op, const QString &file, const QString &node, const QString &entry,
              const QString &letter, int index)
{
    Done done;
    done.op = nameOf(op);
    done.file = file;
    done.node = node;
    done.entry = entry;
    done.letter = letter;
    done.index = index;
    return done;
}

QString shownValue(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("ja") : QStringLiteral("nein");
    return QStringLiteral("„%1“").arg(value.toString());
}

class Runner
{
public:
    Runner(Transaction &t, const QString &file) : m_t(t), m_file(file), m_resolver(t) {}

    void run(const Change &c)
    {
        switch (c.op) {
        case Op::AddNode:
            addNode(c);
            break;
        case Op::AddEntry:
            addEntry(c);
            break;
        case Op::Set:
            set(c);
            break;
        case Op::Delete:
            remove(c);
            break;
        case Op::Move:
            move(c);
            break;
        case Op::Replace:
            replace(c);
            break;
        }
    }

    std::vector<Done> done;

private:
    void add(const QString &text, Done d)
    {
        d.text = text;
        done.push_back(std::move(d));
    }

    void addNode(const Change &c)
    {
        const menu::Result r = menu::createNode(m_t, m_file, *c.caption, false);
        if (c.expand.value_or(false))
            m_t.file(m_file).WriteBool(r.letter, menufile::kExpandKey, true);
        m_resolver.forget(m_file);
        add(QStringLiteral("Knoten »%1« angelegt (%2)").arg(*c.caption, r.letter),
            itemDone(c.op, m_file, *c.caption, {}, r.letter, menu::kNodeIndex));
    }

    void addEntry(const Change &c)
    {
        const menu::ItemRef node = m_resolver.item(m_file, c.item, Kind::Node);
        const menu::Fields fields{*c.caption,
                                  *c.program,
                                  c.params.value_or(QString()),
                                  c.scrambled.value_or(false),
                                  c.keepOpen.value_or(false),
                                  false};
        const menu::Result r = menu::saveNewEntry(m_t, node, fields);
        m_resolver.forget(m_file, node.letter);
        const QString caption = m_t.file(m_file).ReadString(
            r.letter, menufile::entryKey(r.index, menufile::EntryKey::Caption), QString());
        add(itemText(node.caption, caption, r.letter, r.index) + QStringLiteral(" angelegt"),
            itemDone(c.op, m_file, node.caption, caption, r.letter, r.index));
    }

    void set(const Change &c)
    {
        const menu::ItemRef item = m_resolver.item(m_file, c.item, Kind::Either);
        const QString node =
            item.isNode() ? item.caption : nodeCaption(m_t.file(m_file), item.letter);
        if (item.isNode() && (c.program || c.params || c.scrambled || c.keepOpen))
            throw ERefused(QStringLiteral("„%1“ ist ein Knoten; program, params, scrambled und "
                                          "keepOpen gelten nur für Einträge.")
                               .arg(c.item));
        if (!item.isNode() && c.expand)
            throw ERefused(
                QStringLiteral("„%1“ ist ein Eintrag; expand gilt nur für Knoten.").arg(c.item));
        const menu::Fields before = menu::fieldsOf(item);
        menu::Fields after = before;
        after.caption = c.caption.value_or(before.caption);
        after.program = c.program.value_or(before.program);
        after.params = c.params.value_or(before.params);
        after.scrambled = c.scrambled.value_or(before.scrambled);
        after.keepOpen = c.keepOpen.value_or(before.keepOpen);
        after.expand = c.expand.value_or(before.expand);
        menu::saveItem(m_t, item, after);
        // What the save stored: the fields as given, an empty caption as "(Unbenannt)".
        menu::Fields stored = after;
        if (stored.caption.isEmpty())
            stored.caption = QStringLiteral("(Unbenannt)");
        const QString where = itemText(node, item.caption, item.letter, item.index);
        const Done item0 = itemDone(c.op, m_file, node, item.caption, item.letter, item.index);
        bool changed = false;
        const auto field = [&](const char *name, const QJsonValue &old, const QJsonValue &now) {
            if (old == now)
                return;
            changed = true;
            Done line = item0;
            line.field = QLatin1String(name);
            line.before = old;
            line.after = now;
            add(QStringLiteral("%1: %2: %3 → %4")
                    .arg(where, QLatin1String(name), shownValue(old), shownValue(now)),
                std::move(line));
        };
        field("caption", before.caption, stored.caption);
        if (item.isNode()) {
            field("expand", before.expand, stored.expand);
        } else {
            field("program", before.program, stored.program);
            field("params", before.params, stored.params);
            field("scrambled", before.scrambled, stored.scrambled);
            field("keepOpen", before.keepOpen, stored.keepOpen);
        }
        if (!changed)
            add(where + QStringLiteral(": unverändert"), item0);
        if (before.caption != stored.caption)
            m_resolver.forget(m_file, item.isNode() ? QString() : item.letter);
    }

    void remove(const Change &c)
    {
        const menu::ItemRef item = m_resolver.item(m_file, c.item, Kind::Either);
        const QString node =
            item.isNode() ? item.caption : nodeCaption(m_t.file(m_file), item.letter);
        menu::deleteItem(m_t, item);
        m_resolver.forget(m_file, item.isNode() ? QString() : item.letter);
        add(itemText(node, item.caption, item.letter, item.index) + QStringLiteral(" gelöscht"),
            itemDone(c.op, m_file, node, item.caption, item.letter, item.index));
    }

    void move(const Change &c)
    {
        const QString targetFile = c.targetFile.isEmpty() ? m_file : c.targetFile;
        if (!m_t.exists(targetFile))
            throw ERefused(QStringLiteral("%1 gibt es nicht").arg(targetFile));
        const menu::ItemRef item = m_resolver.item(m_file, c.item, Kind::Entry);
        const menu::ItemRef target = m_resolver.item(targetFile, c.target, Kind::Node);
        const QString node = nodeCaption(m_t.file(m_file), item.letter);
        const menu::Result r = menu::moveItems(m_t, {item}, {targetFile, target});
        m_resolver.forget(m_file, item.letter);
        m_resolver.forget(targetFile, target.letter);
        const QString where = itemText(node, item.caption, item.letter, item.index);
        Done moved = itemDone(c.op, m_file, node, item.caption, item.letter, item.index);
        if (r.index == menu::kNodeIndex) {
            add(where + QStringLiteral(": steht schon dort; nichts verschoben"), moved);
            return;
        }
        moved.targetFile = targetFile;
        moved.targetLetter = r.letter;
        moved.targetIndex = r.index;
        add(QStringLiteral("%1 verschoben nach »%2«%3 (%4/%5)")
                .arg(where, target.caption,
                     targetFile == m_file
                         ? QString()
                         : QStringLiteral(" in ") + QFileInfo(targetFile).fileName(),
                     r.letter)
                .arg(r.index),
            moved);
    }

    void replace(const Change &c)
    {
        const std::vector<menureplace::Change> changes =
            menureplace::replaceIn(m_t, m_file, c.replace);
        m_resolver.forget(m_file);
        static const QHash<unsigned, QString> names = {
            {menureplace::Captions, QStringLiteral("caption")},
            {menureplace::Programs, QStringLiteral("program")},
            {menureplace::Params, QStringLiteral("params")}};
        for (const menureplace::Change &r : changes) {
            Done line = itemDone(c.op, m_file, r.node, r.entry, r.letter, r.index);
            line.field = names.value(r.field);
            line.before = r.before;
            line.after = r.after;
            add(QStringLiteral("%1: %2: „%3“ → „%4“")
                    .arg(itemText(r.node, r.entry, r.letter, r.index), names.value(r.field),
                         r.before, r.after),
                std::move(line));
        }
        if (changes.empty()) {
            Done none;
            none.op = nameOf(c.op);
            none.file = m_file;
            none.found = false;
            add(QStringLiteral("„%1“ nicht gefunden").arg(c.replace.find), std::move(none));
        }
    }

    Transaction &m_t;
    QString m_file;
    menuaddress::Resolver m_resolver;
};

} // namespace

QJsonObject Done::json() const
{
    QJsonObject json{{QStringLiteral("op"), op}, {QStringLiteral("file"), file}};
    if (!found) {
        json.insert(QStringLiteral("found"), 0);
        return json;
    }
    json.insert(QStringLiteral("letter"), letter);
    json.insert(QStringLiteral("node"), node);
    if (index != menu::kNodeIndex) {
        json.insert(QStringLiteral("index"), index);
        json.insert(QStringLiteral("entry"), entry);
    }
    if (!field.isEmpty()) {
        json.insert(QStringLiteral("field"), field);
        json.insert(QStringLiteral("before"), before);
        json.insert(QStringLiteral("after"), after);
    }
    if (!targetFile.isEmpty()) {
        json.insert(QStringLiteral("targetFile"), targetFile);
        json.insert(QStringLiteral("targetLetter"), targetLetter);
        json.insert(QStringLiteral("targetIndex"), targetIndex);
    }
    return json;
}

QString nameOf(Op op)
{
    for (const OpRule &s : opRules()) {
        if (s.op == op)
            return QString::fromLatin1(s.name);
    }
    return {};
}

void checkText(const QString &place, const QString &text)
{
    QString problem;
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        problem = QStringLiteral("enthält einen Zeilenumbruch, den keine Menüdatei fassen kann");
    else if (text.contains(QChar(0)))
        problem = QStringLiteral("enthält ein Nullzeichen, das keine Menüdatei fassen kann");
    else if (text.size() > menu::kMaxValueLength)
        problem = QStringLiteral("ist zu lang: %1 Zeichen, der Starter liest höchstens %2")
                      .arg(text.size())
                      .arg(menu::kMaxValueLength);
    if (!problem.isEmpty())
        throw ERefused(place + QStringLiteral(": ") + problem);
}

std::vector<Change> fromJson(const QByteArray &json, const QString &fileName)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = json.left(error.offset);
        const int line = int(before.count('\n')) + 1;
        const int column =
            int(QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size()) + 1;
        throw ERefused(QStringLiteral("%1:%2:%3: kein gültiges JSON: %4")
                           .arg(fileName)
                           .arg(line)
                           .arg(column)
                           .arg(jsonError(error.error)));
    }
    if (!doc.isArray())
        throw ERefused(fileName + QStringLiteral(": $: erwartet wird eine Liste von Änderungen "
                                                 "([ … ])"));
    std::vector<Change> changes;
    const QJsonArray list = doc.array();
    for (qsizetype i = 0; i < list.size(); ++i) {
        try {
            changes.push_back(changeOf(list.at(i), QStringLiteral("$[%1]").arg(i)));
        } catch (const ERefused &e) {
            throw ERefused(fileName + QStringLiteral(": ") + e.message());
        }
    }
    return changes;
}

void setField(Change &change, const QString &assignment)
{
    const QString place = QStringLiteral("Argument „%1“").arg(assignment);
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        throw ERefused(place + QStringLiteral(": erwartet wird FELD=WERT, etwa program=C:\\a.exe"));
    const QString name = assignment.left(eq);
    const QString value = assignment.mid(eq + 1);
    const auto field = std::find_if(kSetFields.begin(), kSetFields.end(), [&](const QString &f) {
        return f.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (field == kSetFields.end())
        throw ERefused(place + QStringLiteral(": unbekanntes Feld „%1“; bekannt sind %2")
                                   .arg(name, kSetFields.join(QStringLiteral(", "))));
    const bool isFlag = field - kSetFields.begin() >= 3;
    const std::optional<bool> flag = boolOf(value);
    if (isFlag && !flag)
        throw ERefused(place + QStringLiteral(": erwartet wird ja oder nein (1 oder 0)"));
    if (!isFlag)
        checkText(place, value);
    assign(change, *field, value, flag);
}

std::vector<Done> apply(Transaction &t, const QString &file, const std::vector<Change> &changes)
{
    // The files moves go to are used first, so that they are written first: a failure between
    // two files leaves an entry twice, never lost.
    for (const Change &c : changes) {
        if (c.op == Op::Move && !c.targetFile.isEmpty())
            t.exists(c.targetFile);
    }
    Runner runner(t, file);
    for (const Change &c : changes) {
        const QString prefix =
            QFileInfo(file).fileName() + QStringLiteral(", ") + c.place + QStringLiteral(": ");
        try {
            runner.run(c);
        } catch (const ERefused &e) {
            throw ERefused(prefix + e.message());
        } catch (const EChangedOutside &e) {
            throw EChangedOutside(prefix + e.message());
        } catch (const EIniFileException &e) {
            throw EIniFileException(prefix + e.message());
        }
    }
    return std::move(runner.done);
}

void refuseNonMenu(const QString &path)
{
    const QByteArray bytes = menucheck::readMenuFile(path);
    // Only the lines before the first section decide, so a large menu is decoded only as far.
    for (qsizetype prefix = 65536;; prefix *= 16) {
        const bool whole = prefix >= bytes.size();
        const QString text = filediff::textOf(whole ? bytes : bytes.left(prefix));
        const QList<QStringView> lines = QStringView(text).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!whole && i == lines.size() - 1)
                break; // cut off by the prefix
            QStringView l = lines[i];
            while (!l.isEmpty() && (l.front().isSpace() || l.front() == u'\x1A'))
                l = l.sliced(1);
            if (l.isEmpty() || l.startsWith(u';'))
                continue;
            if (l.startsWith(u'[') && l.indexOf(u']') > 0)
                return;
            throw EIniFileException(QStringLiteral("%1 ist keine Menüdatei: Zeile %2 steht vor "
                                                   "dem ersten Abschnitt und ist weder leer noch "
                                                   "ein Kommentar. Es wurde nichts geändert.")
                                        .arg(path)
                                        .arg(i + 1));
        }
        if (whole)
            return;
    }
}

} // namespace menuscript
