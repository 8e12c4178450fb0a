// SPDX-License-Identifier: MIT
#include "profiletext.h"

#include <QVarLengthArray>

#include "cp1252.h"
#include "exception.h"
#include "profilefile.h"

namespace profiletext {

namespace {

// A section or key name for a lookup, encoded on the stack: reading every key of a menu then
// allocates nothing but the values it returns.
class Name
{
public:
    explicit Name(QStringView text) : m_bytes(text.size())
    {
        m_valid = cp1252::encodeInto(text, m_bytes.data());
    }
    explicit operator bool() const { return m_valid; }
    QByteArrayView operator*() const { return QByteArrayView(m_bytes.constData(), m_bytes.size()); }

private:
    QVarLengthArray<char, 64> m_bytes;
    bool m_valid = false;
};

enum class Field { Section, Key, Value };

// What the launcher could not read back as written, in words; empty when the text is fine.
QString problemOf(Field field, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return QStringLiteral("enthält einen Zeilenumbruch");
        if (c.isNull())
            return QStringLiteral("enthält ein Nullzeichen");
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!cp1252::firstUnencodable(QStringView(text).sliced(i, 1)))
            continue;
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        return QStringLiteral("enthält das Zeichen „%1“ (U+%2), das es in Windows-1252 nicht gibt")
            .arg(text.mid(i, pair ? 2 : 1),
                 QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    if (field == Field::Value)
        return {};
    const QByteArray bytes = *cp1252::fromUnicode(text);
    if (field == Field::Key && bytes.isEmpty())
        return QStringLiteral("ist leer");
    if (!bytes.isEmpty() &&
        (profilefile::isBlank(bytes.front()) || profilefile::isBlank(bytes.back())))
        return QStringLiteral("beginnt oder endet mit Leerraum");
    if (field == Field::Section && bytes.contains(']'))
        return QStringLiteral("enthält „]“");
    if (field == Field::Key) {
        if (bytes.contains('='))
            return QStringLiteral("enthält „=“");
        if (bytes.startsWith(';') || bytes.startsWith('['))
            return QStringLiteral("beginnt mit „%1“").arg(QLatin1Char(bytes.front()));
    }
    return {};
}

// The bytes to write, or EIniFileException naming the problem; nothing is written then.
QByteArray encodeForWrite(const QString &path, Field field, const QString &text,
                          const QString &ident)
{
    const QString problem = problemOf(field, text);
    if (problem.isEmpty())
        return *cp1252::fromUnicode(text);
    QString subject;
    switch (field) {
    case Field::Section:
        subject = QStringLiteral("Der Abschnittsname „%1“").arg(text);
        break;
    case Field::Key:
        subject = QStringLiteral("Der Schlüsselname „%1“").arg(text);
        break;
    case Field::Value:
        subject = QStringLiteral("Der Wert von „%1“").arg(ident);
        break;
    }
    throw EIniFileException(cannotWrite(path) + QStringLiteral(": ") + subject + QLatin1Char(' ') +
                            problem);
}

} // namespace

QString cannotWrite(const QString &path)
{
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(path);
}

std::optional<QString> value(const profilefile::Document &doc, QStringView section, QStringView key)
{
    const Name s(section);
    const Name k(key);
    if (!s || !k)
        return std::nullopt;
    const auto found = doc.value(*s, *k);
    if (!found)
        return std::nullopt;
    return cp1252::toUnicode(*found);
}

QStringList keys(const profilefile::Document &doc, QStringView section)
{
    QStringList names;
    const Name s(section);
    if (!s)
        return names;
    for (const QByteArrayView name : doc.keys(*s))
        names.append(cp1252::toUnicode(name));
    return names;
}

std::vector<OutlineSection> outline(const profilefile::Document &doc)
{
    std::vector<OutlineSection> list;
    for (const profilefile::OutlineSection &s : doc.outline()) {
        OutlineSection &out = list.emplace_back();
        out.name = cp1252::toUnicode(s.name);
        out.line = s.line;
        out.first = s.first;
        out.keys.reserve(s.keys.size());
        for (const profilefile::OutlineKey &k : s.keys) {
            out.keys.push_back({cp1252::toUnicode(k.name), cp1252::toUnicode(k.value),
                                cp1252::toUnicode(k.rawValue), k.line, k.first});
        }
    }
    return list;
}

bool setValue(profilefile::Document &doc, const QString &path, const QString &section,
              const QString &key, const QString &value)
{
    const QByteArray s = encodeForWrite(path, Field::Section, section, key);
    const QByteArray k = encodeForWrite(path, Field::Key, key, key);
    const QByteArray v = encodeForWrite(path, Field::Value, value, key);
    return doc.setValue(s, k, v);
}

bool removeKey(profilefile::Document &doc, QStringView section, QStringView key)
{
    const Name s(section);
    const Name k(key);
    return s && k && doc.removeKey(*s, *k);
}

bool removeSection(profilefile::Document &doc, QStringView section)
{
    const Name s(section);
    return s && doc.removeSection(*s);
}

bool renameSection(profilefile::Document &doc, const QString &path, QStringView source,
                   const QString &target)
{
    const QByteArray t = encodeForWrite(path, Field::Section, target, QString());
    const Name s(source);
    return s && doc.renameSection(*s, t);
}

} // namespace profiletext
