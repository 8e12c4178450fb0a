// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace profilefile {
class Document;
}

// The profile operations in Unicode texts on one parsed file, shared by the store on disk
// (TIniFile) and the one in memory (TMemIniFile): how names and values are encoded for the file,
// and which texts are refused because the launcher could not read them back as written.
namespace profiletext {

// "In %s kann nicht geschrieben werden", the store's message for a write that failed.
QString cannotWrite(const QString &path);
// The same for a write to disk that just failed, with the reason when the system gave one that
// helps, such as another program holding the file open.
QString writeFailed(const QString &path);

// The value as the launcher reads it; nullopt when the key is missing or its line has no "=".
// Names are trimmed of blanks as the launcher does; a name that has no form in the file names
// nothing, and the empty section name means the lines before the first header.
std::optional<QString> value(const profilefile::Document &doc, QStringView section,
                             QStringView key);
// The value read as a number (parseProfileInteger); nullopt when missing or not a number. Reads
// the switches of every entry at each load, so it allocates nothing for a number's few characters.
std::optional<qint32> integer(const profilefile::Document &doc, QStringView section,
                              QStringView key);
// The names of the section's keys that have a value, in file order.
QStringList keys(const profilefile::Document &doc, QStringView section);

// Each returns whether the content changed. A write of text the launcher could not read back as
// written, and any change of a file the store does not write (big-endian UTF-16), raises
// EIniFileException naming path and the reason; nothing changes then. Deletes take names as they
// stand, as the launcher's own deletes do.
bool setValue(profilefile::Document &doc, const QString &path, const QString &section,
              const QString &key, const QString &value);
bool removeKey(profilefile::Document &doc, const QString &path, QStringView section,
               QStringView key);
bool removeSection(profilefile::Document &doc, const QString &path, QStringView section);

// A file's sections and key lines as the launcher reads them, for checks of a whole menu.
struct OutlineKey
{
    QString name;
    QString value;    // as read: trimmed, one pair of surrounding quotes removed
    QString rawValue; // the text after "=" as it stands in the file
    int line;         // 1-based; CR, LF and CRLF each end a line
    bool first;       // the first key of its name in the section: the one the launcher reads
    // False for a key line without "=": the launcher reads no value there, nor in any later
    // key of its name (value and rawValue are empty).
    bool hasValue = true;
};
struct OutlineSection
{
    QString name;
    int line;   // of the header
    bool first; // the first section of its name (ASCII case ignored): the one the launcher reads
    std::vector<OutlineKey> keys;
};

// Every section copy in file order, with its key lines; lines before the first header are not
// listed.
std::vector<OutlineSection> outline(const profilefile::Document &doc);

// Renames every copy of section source to target, after removing every section named target;
// the lines below the header stay byte for byte. Raises like setValue for a target name the
// launcher could not read.
bool renameSection(profilefile::Document &doc, const QString &path, QStringView source,
                   const QString &target);

} // namespace profiletext
