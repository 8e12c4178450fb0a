// SPDX-License-Identifier: MIT
#include "tinifile.h"

#include "base/conversion.h"
#include "base/exception.h"
#include "store/profilefile.h"
#include "store/profiletext.h"

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

TMemIniFile::TMemIniFile(QString fileName, const QByteArray &bytes)
    : TCustomIniFile(std::move(fileName)), m_doc(std::make_unique<profilefile::Document>(bytes))
{
}

TMemIniFile::~TMemIniFile() = default;

QString TMemIniFile::ReadString(const QString &section, const QString &ident, const QString &def)
{
    return profiletext::value(*m_doc, section, ident).value_or(def);
}

qint32 TMemIniFile::ReadInteger(const QString &section, const QString &ident, qint32 def)
{
    return profiletext::integer(document(), section, ident).value_or(def);
}

void TMemIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    m_changed = profiletext::setValue(*m_doc, FileName(), section, ident, value) || m_changed;
}

void TMemIniFile::ReadSection(const QString &section, QStringList &strings)
{
    strings = profiletext::keys(*m_doc, section);
}

void TMemIniFile::ReadSectionValues(const QString &section, QStringList &strings)
{
    strings.clear();
    for (const QString &name : profiletext::keys(*m_doc, section))
        strings.append(name + QLatin1Char('=') + ReadString(section, name, QString()));
}

void TMemIniFile::EraseSection(const QString &section)
{
    m_changed = profiletext::removeSection(*m_doc, FileName(), section) || m_changed;
}

void TMemIniFile::DeleteKey(const QString &section, const QString &ident)
{
    m_changed = profiletext::removeKey(*m_doc, FileName(), section, ident) || m_changed;
}

void TMemIniFile::UpdateFile() {}

bool TMemIniFile::ValueExists(const QString &section, const QString &ident)
{
    return profiletext::value(*m_doc, section, ident).has_value();
}

void TMemIniFile::RenameSection(const QString &source, const QString &target)
{
    m_changed = profiletext::renameSection(*m_doc, FileName(), source, target) || m_changed;
}

QByteArray TMemIniFile::bytes() const
{
    return m_doc->toBytes();
}

TIniFile::TIniFile(QString fileName)
    : TCustomIniFile(std::move(fileName)), m_file(profilefile::cachedFile(FileName()))
{
}

TIniFile::~TIniFile()
{
    // Nothing is flushed here, where a failure could not be reported: every write reached the
    // disk, or raised, in the call that made it, and a batch reaches it at its EndUpdate. A batch
    // still open is a command that did not finish; its changes are dropped, the file unchanged.
    if (m_updateDepth > 0) {
        m_file->batchDepth -= m_updateDepth;
        m_updateDepth = 0;
        if (m_file->batchDirty)
            m_file->invalidate();
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
        throw EIniFileException(profiletext::writeFailed(FileName()));
    }
}

QString TIniFile::ReadString(const QString &section, const QString &ident, const QString &def)
{
    return profiletext::value(document(), section, ident).value_or(def);
}

qint32 TIniFile::ReadInteger(const QString &section, const QString &ident, qint32 def)
{
    return profiletext::integer(document(), section, ident).value_or(def);
}

void TIniFile::WriteString(const QString &section, const QString &ident, const QString &value)
{
    change([&](profilefile::Document &doc) {
        return profiletext::setValue(doc, FileName(), section, ident, value);
    });
}

void TIniFile::ReadSection(const QString &section, QStringList &strings)
{
    strings = profiletext::keys(document(), section);
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
    change([&](profilefile::Document &doc) {
        return profiletext::removeSection(doc, FileName(), section);
    });
}

void TIniFile::DeleteKey(const QString &section, const QString &ident)
{
    try {
        change([&](profilefile::Document &doc) {
            return profiletext::removeKey(doc, FileName(), section, ident);
        });
    } catch (const EIniFileException &) {
        // Deleting reports nothing; the file keeps the key.
    }
}

void TIniFile::UpdateFile()
{
    // Every write is on disk, durably, when it returns; nothing is pending here.
}

bool TIniFile::ValueExists(const QString &section, const QString &ident)
{
    return profiletext::value(document(), section, ident).has_value();
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
            throw EIniFileException(profiletext::writeFailed(FileName()));
        }
    }
}
