// SPDX-License-Identifier: MIT
#include "tinifile.h"

#include "conversion.h"
#include "cp1252.h"
#include "exception.h"
#include "profilefile.h"

#include <QVarLengthArray>

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

QString cannotWrite(const QString &path)
{
    return QStringLiteral("In %1 kann nicht geschrieben werden").arg(path);
}

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

qint32 TCustomIniFile::ReadInteger(const QString &section, const QString &ident, qint32 def)
{
    return StrToIntDef(ReadString(section, ident, QString()), def);
}

void TCustomIniFile::WriteInteger(const QString &section, const QString &ident, qint32 value)
{
    WriteString(section, ident, QString::number(value));
}

bool TCustomIniFile::ReadBool(const QString &section, const QString &ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const QString &section, const QString &ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TCustomIniFile::SectionExists(const QString &section)
{
    QStringList names;
    ReadSection(section, names);
    return !names.isEmpty();
}

TIniFile::TIniFile(QString fileName)
    : TCustomIniFile(std::move(fileName)), m_file(profilefile::cachedFile(FileName()))
{
}

TIniFile::~TIniFile()
{
    try {
        if (m_updateDepth > 0) {
            m_file->batchDepth -= m_updateDepth;
            m_updateDepth = 0;
            if (m_file->batchDirty)
                m_file->invalidate();
        }
        UpdateFile();
    } catch (...) {
    }
}

profilefile::Document &TIniFile::document()
{
    if (!m_validated) {
        m_file->validate();
        m_validated = true;
    }
    return m_file->document();
}

void TIniFile::change(const std::function<bool(profilefile::Document &)> &apply)
{
    m_file->validate();
    m_validated = true;
    if (!apply(m_file->document()))
        return;
    if (m_file->batchDepth > 0) {
        m_file->batchDirty = true;
        return;
    }
    if (!m_file->commit()) {
        m_file->invalidate();
        throw EIniFileException(cannotWrite(FileName()));
    }
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def)
{
    const Name s(section);
    const Name k(ident);
    if (!s || !k)
        return def;
    const auto value = document().value(*s, *k);
    return value ? cp1252::toUnicode(*value) : def;
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    const QByteArray s = encodeForWrite(FileName(), Field::Section, section, ident);
    const QByteArray k = encodeForWrite(FileName(), Field::Key, ident, ident);
    const QByteArray v = encodeForWrite(FileName(), Field::Value, value, ident);
    change([&](profilefile::Document &doc) { return doc.setValue(s, k, v); });
}

void TIniFile::ReadSection(const QString &section, QStringList &strings)
{
    strings.clear();
    const Name s(section);
    if (!s)
        return;
    for (const QByteArrayView name : document().keys(*s))
        strings.append(cp1252::toUnicode(name));
}

void TIniFile::ReadSectionValues(const QString &section, QStringList &strings)
{
    QStringList names;
    ReadSection(section, names);
    strings.clear();
    for (const QString &name : std::as_const(names))
        strings.append(name + QLatin1Char('=') + ReadString(section, name, QString()));
}

void TIniFile::EraseSection(const QString &section)
{
    const Name s(section);
    if (!s)
        return; // no such section can stand in the file
    change([&](profilefile::Document &doc) { return doc.removeSection(*s); });
}

void TIniFile::DeleteKey(const QString &section, const QString &ident)
{
    const Name s(section);
    const Name k(ident);
    if (!s || !k)
        return;
    try {
        change([&](profilefile::Document &doc) { return doc.removeKey(*s, *k); });
    } catch (const EIniFileException &) {
        // Deleting reports nothing; the file keeps the key.
    }
}

void TIniFile::UpdateFile()
{
    if (m_file->batchDepth == 0)
        m_file->sync();
}

bool TIniFile::ValueExists(const QString &section, const QString &ident)
{
    const Name s(section);
    const Name k(ident);
    return s && k && document().value(*s, *k).has_value();
}

void TIniFile::BeginUpdate()
{
    if (m_file->batchDepth == 0)
        m_file->validate();
    m_validated = true;
    ++m_file->batchDepth;
    ++m_updateDepth;
}

void TIniFile::EndUpdate()
{
    if (m_updateDepth == 0)
        return;
    --m_updateDepth;
    if (--m_file->batchDepth > 0)
        return;
    if (m_file->batchDirty) {
        m_file->batchDirty = false;
        if (!m_file->commit()) {
            m_file->invalidate();
            throw EIniFileException(cannotWrite(FileName()));
        }
    }
    m_file->sync();
}
