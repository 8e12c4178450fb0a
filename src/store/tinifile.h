// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace profilefile {
class CachedFile;
class Document;
} // namespace profilefile

// Access to one profile (INI) file by path. Every operation goes to the file at once; objects
// are short-lived. Texts are Unicode here and on disk in the file's encoding (Windows-1252 unless
// it starts with a byte-order mark). GUI thread only.
class TCustomIniFile
{
public:
    explicit TCustomIniFile(QString fileName) : m_fileName(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile &) = delete;
    TCustomIniFile &operator=(const TCustomIniFile &) = delete;

    const QString &FileName() const { return m_fileName; }

    virtual QString ReadString(const QString &section, const QString &ident,
                               const QString &def) = 0;
    virtual void WriteString(const QString &section, const QString &ident,
                             const QString &value) = 0;
    virtual qint32 ReadInteger(const QString &section, const QString &ident, qint32 def);
    virtual void WriteInteger(const QString &section, const QString &ident, qint32 value);
    virtual bool ReadBool(const QString &section, const QString &ident, bool def);
    virtual void WriteBool(const QString &section, const QString &ident, bool value);
    virtual void ReadSection(const QString &section, QStringList &strings) = 0;
    virtual void ReadSectionValues(const QString &section, QStringList &strings) = 0;
    virtual void EraseSection(const QString &section) = 0;
    virtual void DeleteKey(const QString &section, const QString &ident) = 0;
    virtual void UpdateFile() = 0;

    // True when the section holds at least one key.
    bool SectionExists(const QString &section);

    // Existence probe: true when the key is present, whatever its value ("*" and the empty
    // text included). Commands use it to find free places instead of comparing with "*".
    virtual bool ValueExists(const QString &section, const QString &ident) = 0;

private:
    QString m_fileName;
};

// A profile file held in memory: the same reads and writes (and refusals) as TIniFile, on the
// bytes it was made from; bytes() gives the file as it now stands. FileName() only names the
// file in messages. Transactions edit files this way and write them once.
class TMemIniFile : public TCustomIniFile
{
public:
    TMemIniFile(QString fileName, const QByteArray &bytes);
    ~TMemIniFile() override;

    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    qint32 ReadInteger(const QString &section, const QString &ident, qint32 def) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    void ReadSection(const QString &section, QStringList &strings) override;
    void ReadSectionValues(const QString &section, QStringList &strings) override;
    void EraseSection(const QString &section) override;
    void DeleteKey(const QString &section, const QString &ident) override;
    void UpdateFile() override;
    bool ValueExists(const QString &section, const QString &ident) override;

    // Gives every copy of section source the name target, in place, after erasing target; the
    // section's lines stay byte for byte, also those the store would refuse to write.
    void RenameSection(const QString &source, const QString &target);

    QByteArray bytes() const;
    // True once any operation changed the content.
    bool changed() const { return m_changed; }
    // The parsed file, for readers that go through a whole menu and need its values only where
    // their bytes hold what they look for.
    const profilefile::Document &document() const { return *m_doc; }

private:
    std::unique_ptr<profilefile::Document> m_doc;
    bool m_changed = false;
};

// Writes refuse (EIniFileException, nothing written) text the launcher could not read back as
// written: line breaks, NUL, characters outside Windows-1252 (files in UTF-8 or UTF-16 take every
// character), empty names, key names with "=" or a leading ";" or "[", and names with blanks at
// either end; and every change of a big-endian UTF-16 file. Reads look names up as the launcher
// does, trimmed of blanks.
class TIniFile : public TCustomIniFile
{
public:
    explicit TIniFile(QString fileName);
    ~TIniFile() override; // release: drops an unfinished batch, writes nothing

    QString ReadString(const QString &section, const QString &ident, const QString &def) override;
    qint32 ReadInteger(const QString &section, const QString &ident, qint32 def) override;
    void WriteString(const QString &section, const QString &ident, const QString &value) override;
    void ReadSection(const QString &section, QStringList &strings) override;
    void ReadSectionValues(const QString &section, QStringList &strings) override;
    void EraseSection(const QString &section) override;
    void DeleteKey(const QString &section, const QString &ident) override;
    void UpdateFile() override;
    bool ValueExists(const QString &section, const QString &ident) override;

    // Writes between BeginUpdate and EndUpdate are applied at once for every reader in this
    // process but reach the disk together, in one atomic replacement, at the outermost
    // EndUpdate. That keeps a command's writes all-or-nothing and makes commands that write
    // thousands of keys cost one file write. EndUpdate raises EIniFileException when the file
    // cannot be written; the pending changes are then dropped and the file keeps its content.
    // An object released inside an update drops its pending changes the same way. Writes through
    // other objects on the same path while an update is open join it.
    void BeginUpdate();
    void EndUpdate();

private:
    profilefile::Document &document();
    void change(const std::function<bool(profilefile::Document &)> &apply);

    // The parsed file, shared by every object on the same path; checked against the disk at
    // this object's first operation and before each write.
    std::shared_ptr<profilefile::CachedFile> m_file;
    bool m_validated = false;
    int m_updateDepth = 0;
};
