// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// The profile-file dialect of the launcher, and the process-wide cache of parsed files behind
// TIniFile. A document works on 8-bit text: the file's own bytes for Windows-1252 and UTF-8
// files, and for UTF-16 files each 16-bit unit as one to three bytes in UTF-8's pattern (lone
// surrogates included), so that every character the dialect looks at stays one ASCII byte and
// the file's bytes come back exactly.
namespace profilefile {

// Space, TAB, VT, FF, CR, LF and 0x1A: what the launcher trims around lines, names and values.
bool isBlank(char c);
QByteArrayView trimmed(QByteArrayView text);

// The value as the launcher reads it from the text after "=": trimmed, cut at a NUL, and one
// pair of matching surrounding quotes removed.
QByteArrayView readValue(QByteArrayView raw);

// The text to put after "=" so that readValue gives value back.
QByteArray writtenValue(QByteArrayView value);

// One section copy of a parsed file as the launcher reads it, for a listing; views into the
// document, valid until it changes.
struct OutlineKey
{
    QByteArrayView name;
    QByteArrayView value;    // as read: trimmed, quotes removed
    QByteArrayView rawValue; // the text after "=", as it stands
    int line = 0;            // 1-based
    bool first = false;      // the key of its name the launcher reads
    bool hasValue = true;    // false for a line without "=": the launcher reads no value there
};
struct OutlineSection
{
    QByteArrayView name;
    int line = 0;
    bool first = false; // the copy of its name the launcher reads; never one without a name
    std::vector<OutlineKey> keys;
};

// A folded name as a hash key. Qt's hash of a byte array made building the key index cost seven
// times the rest of parsing a large menu; names are short, and this hash is seeded per process
// like Qt's, so a file cannot be made to collide on purpose as easily as with a fixed one.
struct NameKey
{
    QByteArray bytes;
    bool operator==(const NameKey &other) const { return bytes == other.bytes; }
};
size_t qHash(const NameKey &key, size_t seed = 0) noexcept;

// How a file stores its text, told by its first bytes.
enum class Encoding { Windows1252, Utf8, Utf16LE, Utf16BE };

// One parsed file. Every line keeps its bytes (line end included) until the store changes it,
// so whatever is not changed is written back byte for byte.
class Document
{
public:
    Document() = default;
    explicit Document(QByteArray bytes);
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    Encoding encoding() const { return m_encoding; }
    // Text in the document's 8-bit form; nullopt when the file's encoding cannot hold it.
    std::optional<QByteArray> encode(QStringView text) const;
    QString decode(QByteArrayView text) const;

    // Names and values are in the 8-bit form (encode()); names as the launcher looks them up,
    // without blanks at either end. The empty section name means the lines before the first
    // header, as it does to the launcher.

    // The value of the first key of that name in the first section of that name; nullopt also
    // when that key's line has no "=" (the launcher then reads no value, and no later key).
    std::optional<QByteArrayView> value(QByteArrayView section, QByteArrayView key) const;
    // The key names of the first section of that name that have a value, in file order.
    std::vector<QByteArrayView> keys(QByteArrayView section) const;

    // Each returns whether the content changed.
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    bool removeKey(QByteArrayView section, QByteArrayView key); // not before the first header
    bool removeSection(QByteArrayView section);                 // every copy
    // Removes every section named target, then renames every copy of source to target; the
    // lines below each renamed header stay as they are, byte for byte.
    bool renameSection(QByteArrayView source, QByteArrayView target);

    QByteArray toBytes() const;

    // Every section copy and its key lines, in file order; lines before the first header are
    // not listed.
    std::vector<OutlineSection> outline() const;

private:
    // Bytes of the original file (offset, length) or bytes of its own once changed.
    struct Line
    {
        QByteArray own;
        qsizetype off = 0;
        qsizetype len = 0;
        bool owned = false;
        bool firstKey = false; // the key of its name that reads and writes address
    };
    struct Section
    {
        Line header;
        QByteArray folded;
        std::vector<Line> body;
        QHash<NameKey, qsizetype> keyIndex; // folded name → body index of the first key
        qsizetype lastKey = -1;
        mutable qsizetype cursor = -1; // body index of the last key found
    };

    QByteArrayView text(const Line &line) const;
    QByteArrayView content(const Line &line) const;
    static Line ownLine(QByteArray bytes);
    QByteArray keyFor(QByteArrayView name) const;
    void ensureLineEnd(Line &line);
    Line *lastLine();
    qsizetype sectionIndex(QByteArrayView section) const;
    const Section *findSection(QByteArrayView section) const;
    Section *findSection(QByteArrayView section);
    // Indexes key as a section's first of its name at index; false when an earlier one is.
    static bool addKey(Section &section, QByteArray key, qsizetype index);
    void indexKeys(Section &section);
    void indexSections();

    Encoding m_encoding = Encoding::Windows1252;
    QByteArray m_base;   // the text after the byte-order mark, in the 8-bit form
    QByteArray m_prefix; // the byte-order mark: kept, never added
    QByteArray m_tail;   // an odd last byte of a UTF-16 file, which no reader sees
    QByteArray m_eol = QByteArrayLiteral("\r\n");
    Section m_preamble; // lines before the first header; the header is unused
    std::vector<Section> m_sections;
    QHash<NameKey, qsizetype> m_sectionIndex; // folded name → first section
    mutable qsizetype m_lastSection = -1;     // the section found last, from m_sectionIndex
};

// The stat data that tells whether a file changed since it was read.
struct Stamp
{
    bool exists = false;
    bool readable = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    bool operator==(const Stamp &other) const;
    bool operator!=(const Stamp &other) const { return !(*this == other); }
};

// One file as the whole process sees it. Every TIniFile on the same path shares it, so a write
// is visible to every later read at once; the disk is asked again only at validate().
class CachedFile
{
public:
    explicit CachedFile(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    Document &document();

    // Re-reads the file when it changed on disk since it was read or written here. Skipped
    // while a batch holds changes not yet written.
    void validate();

    // Writes the document to disk, replacing the file atomically and durably. False on
    // failure; the document then no longer matches the disk and must be dropped with
    // invalidate().
    bool commit();

    // Drops the parsed content; the next access reads the disk again.
    void invalidate();

    int batchDepth = 0;
    bool batchDirty = false;

private:
    void load();
    void load(std::optional<QByteArray> bytes, const Stamp &stamp, qint64 readAtNs);

    QString m_path;
    std::unique_ptr<Document> m_doc;
    QByteArray m_bytes; // what the disk held when last read or written
    Stamp m_stamp;
    qint64 m_verifiedAtNs = 0;
};

// The shared state of the file at path (made absolute, not resolved).
std::shared_ptr<CachedFile> cachedFile(const QString &path);

// Reads the whole file; nullopt when it cannot be read. The stamp describes what was read.
std::optional<QByteArray> readFile(const QString &path, Stamp *stamp = nullptr);

} // namespace profilefile
