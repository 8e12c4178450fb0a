// SPDX-License-Identifier: MIT
#include "profiletext.h"

#include <QVarLengthArray>

#include "base/conversion.h"
#include "base/cp1252.h"
#include "base/exception.h"
#include "platform/platform.h"
#include "store/profilefile.h"

namespace profiletext {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() < 0x80 && profilefile::isBlank(char(c.unicode()));
}

// The launcher looks names up without blanks at either end.
QStringView trimmedName(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

enum class Lookup { Read, Change };

// A section or key name for a lookup, encoded for the file; a Windows-1252 file's names are
// encoded on the stack, so reading every key of a menu allocates nothing but the values it
// returns. Reads trim the name as the launcher's reads do; deletes take it as it stands, as the
// launcher's own deletes do (no name in the file has blanks at an end, so they change nothing).
class Name
{
public:
    Name(const profilefile::Document &doc, QStringView text, Lookup lookup = Lookup::Read)
    {
        if (lookup == Lookup::Read)
            text = trimmedName(text);
        if (doc.encoding() == profilefile::Encoding::Windows1252) {
            m_bytes.resize(text.size());
            m_valid = cp1252::encodeInto(text, m_bytes.data());
        } else if (const auto bytes = doc.encode(text)) {
            m_bytes.append(bytes->constData(), bytes->size());
            m_valid = true;
        }
    }
    explicit operator bool() const { return m_valid; }
    QByteArrayView operator*() const { return QByteArrayView(m_bytes.constData(), m_bytes.size()); }

private:
    QVarLengthArray<char, 64> m_bytes;
    bool m_valid = false;
};

enum class Field { Section, Key, Value };

// What the launcher could not read back as written, in words; empty when the text is fine.
// Files in UTF-8 or UTF-16 hold every character; the rest are Windows-1252.
QString problemOf(Field field, const QString &text, const profilefile::Document &doc)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return QStringLiteral("enthält einen Zeilenumbruch");
        if (c.isNull())
            return QStringLiteral("enthält ein Nullzeichen");
    }
    const bool unicode = doc.encoding() != profilefile::Encoding::Windows1252;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (unicode) {
            if (!text[i].isSurrogate())
                continue;
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            return QStringLiteral("enthält ein halbes Unicode-Zeichen (U+%1)")
                .arg(QString::number(text[i].unicode(), 16).toUpper());
        }
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
    // An empty section name means the lines before the first header to the launcher: a "[]"
    // header is never read.
    if (text.isEmpty())
        return QStringLiteral("ist leer");
    if (isBlank(text.front()) || isBlank(text.back()))
        return QStringLiteral("beginnt oder endet mit Leerraum");
    if (field == Field::Key) {
        if (text.contains(QLatin1Char('=')))
            return QStringLiteral("enthält „=“");
        if (text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('[')))
            return QStringLiteral("beginnt mit „%1“").arg(text.front());
    }
    return {};
}

// The bytes to write, or EIniFileException naming the problem; nothing is written then.
QByteArray encodeForWrite(const profilefile::Document &doc, const QString &path, Field field,
                          const QString &text, const QString &ident)
{
    const QString problem = problemOf(field, text, doc);
    if (problem.isEmpty())
        return *doc.encode(text);
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

// A file in big-endian UTF-16 is never written: the launcher's profile functions are only
// known to read little-endian UTF-16 ("Unicode"), so what it reads of it is uncertain.
void refuseUnwritable(const profilefile::Document &doc, const QString &path)
{
    if (doc.encoding() == profilefile::Encoding::Utf16BE) {
        throw EIniFileException(cannotWrite(path) +
                                QStringLiteral(": Die Datei ist in UTF-16 Big-Endian gespeichert "
                                               "(Bytes FE FF am Anfang), was der Starter nicht "
                                               "sicher liest. Bitte als ANSI oder Unicode "
                                               "speichern."));
    }
}

// The raw value as the launcher reads it, in the file's bytes.
std::optional<QByteArrayView> rawValue(const profilefile::Document &doc, QStringView section,
                                       QStringView key)
{
    const Name s(doc, section);
    const Name k(doc, key);
    if (!s || !k)
        return std::nullopt;
    return doc.value(*s, *k);
}

} // namespace

QString cannotWrite(const QString &path)
{
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(path);
}

QString writeFailed(const QString &path)
{
    const QString reason = platform::lastWriteFailure();
    return reason.isEmpty() ? cannotWrite(path) : cannotWrite(path) + QStringLiteral(": ") + reason;
}

std::optional<QString> value(const profilefile::Document &doc, QStringView section, QStringView key)
{
    const auto found = rawValue(doc, section, key);
    if (!found)
        return std::nullopt;
    return doc.decode(*found);
}

std::optional<qint32> integer(const profilefile::Document &doc, QStringView section,
                              QStringView key)
{
    const auto found = rawValue(doc, section, key);
    if (!found)
        return std::nullopt;
    if (doc.encoding() == profilefile::Encoding::Utf16LE ||
        doc.encoding() == profilefile::Encoding::Utf16BE)
        return parseProfileInteger(doc.decode(*found));
    // A number is ASCII, which both byte encodings keep as it is; any other byte makes the text
    // no number, whatever character it stands for.
    QVarLengthArray<char16_t, 32> text(found->size());
    for (qsizetype i = 0; i < found->size(); ++i) {
        const auto b = static_cast<unsigned char>((*found)[i]);
        text[i] = b < 0x80 ? char16_t(b) : u'\uFFFD';
    }
    return parseProfileInteger(
        QString::fromRawData(reinterpret_cast<const QChar *>(text.constData()), text.size()));
}

QStringList keys(const profilefile::Document &doc, QStringView section)
{
    QStringList names;
    const Name s(doc, section);
    if (!s)
        return names;
    for (const QByteArrayView name : doc.keys(*s))
        names.append(doc.decode(name));
    return names;
}

std::vector<OutlineSection> outline(const profilefile::Document &doc)
{
    std::vector<OutlineSection> list;
    for (const profilefile::OutlineSection &s : doc.outline()) {
        OutlineSection &out = list.emplace_back();
        out.name = doc.decode(s.name);
        out.line = s.line;
        out.first = s.first;
        out.keys.reserve(s.keys.size());
        for (const profilefile::OutlineKey &k : s.keys) {
            out.keys.push_back({doc.decode(k.name), doc.decode(k.value), doc.decode(k.rawValue),
                                k.line, k.first, k.hasValue});
        }
    }
    return list;
}

bool setValue(profilefile::Document &doc, const QString &path, const QString &section,
              const QString &key, const QString &value)
{
    refuseUnwritable(doc, path);
    const QByteArray s = encodeForWrite(doc, path, Field::Section, section, key);
    const QByteArray k = encodeForWrite(doc, path, Field::Key, key, key);
    const QByteArray v = encodeForWrite(doc, path, Field::Value, value, key);
    return doc.setValue(s, k, v);
}

bool removeKey(profilefile::Document &doc, const QString &path, QStringView section,
               QStringView key)
{
    refuseUnwritable(doc, path);
    const Name s(doc, section, Lookup::Change);
    const Name k(doc, key, Lookup::Change);
    return s && k && doc.removeKey(*s, *k);
}

bool removeSection(profilefile::Document &doc, const QString &path, QStringView section)
{
    refuseUnwritable(doc, path);
    const Name s(doc, section, Lookup::Change);
    return s && doc.removeSection(*s);
}

bool renameSection(profilefile::Document &doc, const QString &path, QStringView source,
                   const QString &target)
{
    refuseUnwritable(doc, path);
    const QByteArray t = encodeForWrite(doc, path, Field::Section, target, QString());
    const Name s(doc, source, Lookup::Change);
    return s && doc.renameSection(*s, t);
}

} // namespace profiletext
