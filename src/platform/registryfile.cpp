// SPDX-License-Identifier: MIT
#include "registryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/cp1252.h"
#include "platform/platform.h"

namespace registryfile {

Value *Key::findValue(const QString &name)
{
    for (Value &value : values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

Key *Contents::findKey(const QString &path)
{
    for (Key &key : keys) {
        if (key.path.compare(path, Qt::CaseInsensitive) == 0)
            return &key;
    }
    return nullptr;
}

Key &Contents::findOrAddKey(const QString &path)
{
    if (Key *key = findKey(path))
        return *key;
    keys.append(Key{path, {}});
    return keys.last();
}

bool Contents::keyExists(const QString &path) const
{
    const QString below = path + QLatin1Char('\\');
    for (const Key &key : keys) {
        if (key.path.compare(path, Qt::CaseInsensitive) == 0 ||
            key.path.startsWith(below, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

namespace {

const QByteArray kHeader = QByteArrayLiteral("REGEDIT4");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.append(bytes.mid(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

// A quoted token starting at pos: "\\" and "\"" are the only escapes regedit writes; any other
// backslash stands for itself. pos ends after the closing quote.
std::optional<QByteArray> parseQuoted(const QByteArray &line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray out;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            out += line[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<QByteArray> parseHexBytes(const QByteArray &list)
{
    QByteArray compact;
    for (char c : list) {
        if (!isBlank(c))
            compact += c;
    }
    QByteArray out;
    if (compact.isEmpty())
        return out;
    for (const QByteArray &item : compact.split(',')) {
        if (item.isEmpty() || item.size() > 2)
            return std::nullopt;
        bool ok = false;
        const uint byte = item.toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        out += char(byte);
    }
    return out;
}

struct ParsedData
{
    bool remove = false;
    quint32 type = RegNone;
    QByteArray data;
};

std::optional<ParsedData> parseData(const QByteArray &text)
{
    const QByteArray data = trimBlanks(text);
    if (data == "-")
        return ParsedData{true, RegNone, {}};
    if (data.startsWith('"')) {
        qsizetype pos = 0;
        const auto value = parseQuoted(data, pos);
        if (!value || pos != data.size())
            return std::nullopt;
        return ParsedData{false, RegSz, *value + '\0'};
    }
    const QByteArray lower = data.toLower();
    if (lower.startsWith("dword:")) {
        const QByteArray digits = data.mid(6);
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith('+') ||
            digits.startsWith('-'))
            return std::nullopt;
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((number >> (8 * i)) & 0xFF);
        return ParsedData{false, RegDword, bytes};
    }
    quint32 type = RegBinary;
    qsizetype listStart = 0;
    if (lower.startsWith("hex:")) {
        listStart = 4;
    } else if (lower.startsWith("hex(")) {
        const qsizetype close = data.indexOf("):");
        if (close < 0)
            return std::nullopt;
        bool ok = false;
        type = data.mid(4, close - 4).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        listStart = close + 2;
    } else {
        return std::nullopt;
    }
    const auto bytes = parseHexBytes(data.mid(listStart));
    if (!bytes)
        return std::nullopt;
    return ParsedData{false, type, *bytes};
}

QByteArray encoded(const QString &text)
{
    // Names come from the file or were checked by the writer, so they always encode.
    return cp1252::fromUnicode(text).value_or(QByteArray());
}

QByteArray quoted(const QByteArray &text)
{
    QByteArray out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// Text that a quoted token holds exactly: one closing zero byte, none inside, no line break.
bool isPlainText(const Value &value)
{
    if (value.type != RegSz || !value.data.endsWith('\0'))
        return false;
    const QByteArray text = value.data.chopped(1);
    return !text.contains('\0') && !text.contains('\r') && !text.contains('\n');
}

// Hex lists are wrapped as regedit wraps them: a trailing backslash, the next line indented.
void appendHex(QByteArray &out, qsizetype lineStart, const QByteArray &data)
{
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += QByteArray::number(uchar(data[i]), 16).rightJustified(2, '0');
        if (i + 1 < data.size()) {
            out += ',';
            if (out.size() - lineStart >= 76) {
                out += "\\\r\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
}

QByteArray serializeValue(const Value &value)
{
    QByteArray out = value.name.isEmpty() ? QByteArray("@") : quoted(encoded(value.name));
    out += '=';
    if (isPlainText(value)) {
        out += quoted(value.data.chopped(1));
    } else if (value.type == RegDword && value.data.size() == 4) {
        quint32 number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | uchar(value.data[i]);
        out += "dword:" + QByteArray::number(number, 16).rightJustified(8, '0');
    } else {
        out += value.type == RegBinary ? QByteArray("hex:")
                                       : "hex(" + QByteArray::number(value.type, 16) + "):";
        appendHex(out, 0, value.data);
    }
    return out;
}

void setValue(Key &key, const QString &name, quint32 type, const QByteArray &data)
{
    if (Value *value = key.findValue(name)) {
        value->type = type;
        value->data = data;
    } else {
        key.values.append(Value{name, type, data});
    }
}

void removeKeyTree(Contents &contents, const QString &path)
{
    const QString below = path + QLatin1Char('\\');
    contents.keys.removeIf([&](const Key &key) {
        return key.path.compare(path, Qt::CaseInsensitive) == 0 ||
               key.path.startsWith(below, Qt::CaseInsensitive);
    });
}

} // namespace

std::optional<Contents> parse(const QByteArray &bytes)
{
    const QList<QByteArray> lines = splitLines(bytes);
    qsizetype i = 0;
    while (i < lines.size() && trimBlanks(lines[i]).isEmpty())
        ++i;
    Contents contents;
    if (i == lines.size())
        return contents;
    if (trimBlanks(lines[i]) != kHeader)
        return std::nullopt;

    Key *current = nullptr;
    for (++i; i < lines.size(); ++i) {
        const QByteArray line = trimBlanks(lines[i]);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.lastIndexOf(']');
            if (close < 0) {
                current = nullptr;
                continue;
            }
            const QByteArray path = trimBlanks(line.mid(1, close - 1));
            if (path.startsWith('-')) {
                removeKeyTree(contents, cp1252::toUnicode(path.mid(1)));
                current = nullptr;
            } else {
                current = &contents.findOrAddKey(cp1252::toUnicode(path));
            }
            continue;
        }

        qsizetype pos = 0;
        QString name;
        if (line.startsWith('@')) {
            pos = 1;
        } else {
            const auto quotedName = parseQuoted(line, pos);
            if (!quotedName)
                continue;
            name = cp1252::toUnicode(*quotedName);
        }
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            continue;
        QByteArray data = trimBlanks(line.mid(pos + 1));
        if (data.toLower().startsWith("hex")) {
            while (data.endsWith('\\') && i + 1 < lines.size())
                data = data.chopped(1) + trimBlanks(lines[++i]);
        }
        if (!current)
            continue;
        const auto parsed = parseData(data);
        if (!parsed)
            continue;
        if (parsed->remove)
            current->values.removeIf([&](const Value &value) {
                return value.name.compare(name, Qt::CaseInsensitive) == 0;
            });
        else
            setValue(*current, name, parsed->type, parsed->data);
    }
    return contents;
}

QByteArray serialize(const Contents &contents)
{
    QByteArray out = kHeader + "\r\n\r\n";
    for (const Key &key : contents.keys) {
        out += '[' + encoded(key.path) + "]\r\n";
        for (const Value &value : key.values)
            out += serializeValue(value) + "\r\n";
        out += "\r\n";
    }
    return out;
}

QString storePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tarvik-konfig/registry.reg");
}

std::optional<Contents> load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Missing, also as the target of a link, is empty; present but unreadable is not.
        if (QFileInfo::exists(path))
            return std::nullopt;
        return Contents{};
    }
    return parse(file.readAll());
}

bool save(const QString &path, const Contents &contents)
{
    // A store that is a symbolic link (a managed dotfile) stays one: its target is replaced.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    return platform::replaceFile(target, serialize(contents));
}

} // namespace registryfile
