// SPDX-License-Identifier: MIT
#include "profilefile.h"

#include <QDir>
#include <QVarLengthArray>

#include "base/cp1252.h"
#include "base/namefold.h"
#include "platform/platform.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace profilefile {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView kUtf16LEBom("\xFF\xFE");
constexpr QByteArrayView kUtf16BEBom("\xFE\xFF");

// While the last look at the content is this close to the file's modification time, a change
// may have kept size and time (the time is only as fine as the kernel's clock tick, or
// coarser on some file systems), so the content itself is compared.
constexpr qint64 kRacyNs = 2'000'000'000;

// Files kept parsed although no object uses them.
constexpr qsizetype kMaxCached = 16;

// A name with ASCII letters folded, on the stack; key() refers to it and must not outlive it.
class Folded
{
public:
    explicit Folded(QByteArrayView name) : m_buffer(name.size())
    {
        for (qsizetype i = 0; i < name.size(); ++i)
            m_buffer[i] = char(namefold::fold(name[i]));
    }
    QByteArray key() const
    {
        return QByteArray::fromRawData(m_buffer.constData(), m_buffer.size());
    }

private:
    QVarLengthArray<char, 64> m_buffer;
};

enum class Kind { Other, Header, Key };

struct Parsed
{
    Kind kind = Kind::Other;
    QByteArrayView name;
    QByteArrayView rawValue;
    bool hasValue = false;
    qsizetype nameEnd = 0; // in the line, after the name as it stands (before a NUL cut)
};

// The launcher takes names and values as C strings: a NUL ends them.
QByteArrayView cutAtNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

// One line (without its line end) as the launcher reads it. A line without "=" is a key without
// a value, which hides later keys of its name; lines starting with ";" are comments.
Parsed classify(QByteArrayView content)
{
    const QByteArrayView line = trimmed(content);
    const qsizetype lineStart = line.data() - content.data();
    if (line.startsWith('[')) {
        const qsizetype close = line.lastIndexOf(']');
        if (close > 0)
            return {Kind::Header, cutAtNul(trimmed(line.sliced(1, close - 1))), {}, false, 0};
    }
    if (line.isEmpty() || line.front() == ';')
        return {};
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) {
        const QByteArrayView name = cutAtNul(line);
        if (name.isEmpty())
            return {};
        return {Kind::Key, name, {}, false, lineStart + line.size()};
    }
    const QByteArrayView name = trimmed(line.first(eq));
    const QByteArrayView shown = cutAtNul(name);
    if (shown.isEmpty())
        return {};
    // The raw value runs to the line end, trailing blanks included.
    return {Kind::Key, shown, content.sliced(lineStart + eq + 1), true,
            lineStart + (name.data() - line.data()) + name.size()};
}

// UTF-16 units to the 8-bit form and back: each unit as UTF-8 encodes a code point of its value.
void appendUnit(QByteArray &out, char16_t u)
{
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

QByteArray unitsToForm(QByteArrayView bytes, bool bigEndian)
{
    QByteArray out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        appendUnit(out, char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return out;
}

// Calls f with each unit of text in the 8-bit form; the form is only ever made by appendUnit.
template <typename F> void forEachUnit(QByteArrayView text, F f)
{
    for (qsizetype i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            f(char16_t(c));
            i += 1;
        } else if (c < 0xE0 && i + 1 < text.size()) {
            f(char16_t((c & 0x1F) << 6 | (text[i + 1] & 0x3F)));
            i += 2;
        } else if (i + 2 < text.size()) {
            f(char16_t((c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F)));
            i += 3;
        } else {
            f(u'\uFFFD');
            i += 1;
        }
    }
}

QByteArray formToUnits(QByteArrayView text, bool bigEndian)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    forEachUnit(text, [&](char16_t u) {
        const char hi = char(u >> 8);
        const char lo = char(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    });
    return out;
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

// The clock file times are on, so that a time read here compares with theirs.
qint64 nowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

Stamp stampOf(const platform::FileStamp &file)
{
    Stamp stamp;
    stamp.exists = file.exists;
    stamp.device = file.device;
    stamp.inode = file.inode;
    stamp.size = file.size;
    stamp.mtimeNs = file.mtimeNs;
    stamp.ctimeNs = file.ctimeNs;
    return stamp;
}

Stamp statPath(const QString &path)
{
    return stampOf(platform::fileStamp(path));
}

} // namespace

size_t qHash(const NameKey &key, size_t seed) noexcept
{
    // FNV-1a, then the final mix of MurmurHash3, so that the low bits QHash uses spread well.
    quint64 h = 14695981039346656037ULL ^ quint64(seed);
    for (const char c : key.bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return size_t(h);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QByteArrayView readValue(QByteArrayView raw)
{
    const QByteArrayView value = cutAtNul(trimmed(raw));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QByteArray writtenValue(QByteArrayView value)
{
    if (value.isEmpty())
        return {};
    const bool quote = isBlank(value.front()) || isBlank(value.back()) ||
                       (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front());
    if (!quote)
        return value.toByteArray();
    QByteArray out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

Document::Document(QByteArray bytes)
{
    if (bytes.startsWith(kUtf8Bom)) {
        m_encoding = Encoding::Utf8;
        m_prefix = bytes.first(kUtf8Bom.size());
        m_base = bytes.sliced(kUtf8Bom.size());
    } else if (bytes.startsWith(kUtf16LEBom) || bytes.startsWith(kUtf16BEBom)) {
        const bool bigEndian = bytes.startsWith(kUtf16BEBom);
        m_encoding = bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE;
        m_prefix = bytes.first(2);
        const QByteArrayView units = QByteArrayView(bytes).sliced(2);
        m_base = unitsToForm(units, bigEndian);
        if (units.size() % 2)
            m_tail = units.last(1).toByteArray();
    } else {
        m_base = std::move(bytes);
    }
    const char *d = m_base.constData();
    const qsizetype n = m_base.size();
    qsizetype pos = 0;
    bool eolSeen = false;
    Section *current = nullptr;
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && d[end] != '\r' && d[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < n) {
            next += (d[next] == '\r' && next + 1 < n && d[next + 1] == '\n') ? 2 : 1;
            if (!eolSeen) {
                m_eol = QByteArray(d + end, next - end);
                eolSeen = true;
            }
        }
        Line line;
        line.off = pos;
        line.len = next - pos;
        const Parsed parsed = classify(QByteArrayView(d + pos, end - pos));
        if (parsed.kind == Kind::Header) {
            // Sections of a menu are alike: sized as the one before, the index seldom grows.
            const qsizetype expected = current ? current->keyIndex.size() : 0;
            current = &m_sections.emplace_back();
            current->header = line;
            current->folded = keyFor(parsed.name);
            current->keyIndex.reserve(expected);
            current->body.reserve(size_t(expected));
        } else if (current) {
            if (parsed.kind == Kind::Key) {
                if (addKey(*current, keyFor(parsed.name), qsizetype(current->body.size())))
                    line.firstKey = true;
                current->lastKey = qsizetype(current->body.size());
            }
            current->body.push_back(line);
        } else {
            m_preamble.body.push_back(line);
        }
        pos = next;
    }
    indexKeys(m_preamble);
    indexSections();
}

std::optional<QByteArray> Document::encode(QStringView text) const
{
    switch (m_encoding) {
    case Encoding::Windows1252:
        return cp1252::fromUnicode(text);
    case Encoding::Utf8:
        if (hasLoneSurrogate(text))
            return std::nullopt;
        return text.toUtf8();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        break;
    }
    if (hasLoneSurrogate(text))
        return std::nullopt;
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text)
        appendUnit(out, c.unicode());
    return out;
}

QString Document::decode(QByteArrayView text) const
{
    switch (m_encoding) {
    case Encoding::Windows1252:
        return cp1252::toUnicode(text);
    case Encoding::Utf8:
        return QString::fromUtf8(text);
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        break;
    }
    QString out;
    out.reserve(text.size());
    forEachUnit(text, [&](char16_t u) { out += QChar(u); });
    return out;
}

QByteArrayView Document::text(const Line &line) const
{
    if (line.owned)
        return line.own;
    return QByteArrayView(m_base.constData() + line.off, line.len);
}

QByteArrayView Document::content(const Line &line) const
{
    QByteArrayView t = text(line);
    if (t.endsWith('\n'))
        t.chop(1);
    if (t.endsWith('\r'))
        t.chop(1);
    return t;
}

Document::Line Document::ownLine(QByteArray bytes)
{
    Line line;
    line.own = std::move(bytes);
    line.owned = true;
    return line;
}

QByteArray Document::keyFor(QByteArrayView name) const
{
    const auto begin = reinterpret_cast<std::uintptr_t>(m_base.constData());
    const auto at = reinterpret_cast<std::uintptr_t>(name.data());
    const bool inBase =
        at >= begin && at + std::uintptr_t(name.size()) <= begin + std::uintptr_t(m_base.size());
    const bool needsFold =
        std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    // Names of the original bytes that need no folding cost no copy: m_base never changes.
    if (inBase && !needsFold)
        return QByteArray::fromRawData(name.data(), name.size());
    return namefold::folded(name);
}

void Document::ensureLineEnd(Line &line)
{
    const QByteArrayView t = text(line);
    if (t.endsWith('\n') || t.endsWith('\r'))
        return;
    line = ownLine(t.toByteArray() + m_eol);
}

Document::Line *Document::lastLine()
{
    if (!m_sections.empty()) {
        Section &last = m_sections.back();
        return last.body.empty() ? &last.header : &last.body.back();
    }
    return m_preamble.body.empty() ? nullptr : &m_preamble.body.back();
}

qsizetype Document::sectionIndex(QByteArrayView section) const
{
    if (section.isEmpty())
        return -1; // the lines before the first header, or no section
    // Readers ask for one section many times in a row.
    if (m_lastSection >= 0 &&
        namefold::equal<QByteArrayView>(m_sections[m_lastSection].folded, section))
        return m_lastSection;
    const auto it = m_sectionIndex.constFind(NameKey{Folded(section).key()});
    if (it == m_sectionIndex.cend())
        return -1;
    m_lastSection = *it;
    return *it;
}

const Document::Section *Document::findSection(QByteArrayView section) const
{
    if (section.isEmpty())
        return &m_preamble;
    const qsizetype i = sectionIndex(section);
    return i < 0 ? nullptr : &m_sections[i];
}

Document::Section *Document::findSection(QByteArrayView section)
{
    if (section.isEmpty())
        return &m_preamble;
    const qsizetype i = sectionIndex(section);
    return i < 0 ? nullptr : &m_sections[i];
}

bool Document::addKey(Section &section, QByteArray key, qsizetype index)
{
    // One lookup: a new slot is what makes the hash grow.
    const qsizetype before = section.keyIndex.size();
    qsizetype &slot = section.keyIndex[NameKey{std::move(key)}];
    if (section.keyIndex.size() == before)
        return false;
    slot = index;
    return true;
}

void Document::indexKeys(Section &section)
{
    section.keyIndex.clear();
    section.lastKey = -1;
    section.cursor = -1;
    for (qsizetype i = 0; i < qsizetype(section.body.size()); ++i) {
        Line &line = section.body[i];
        line.firstKey = false;
        const Parsed parsed = classify(content(line));
        if (parsed.kind != Kind::Key)
            continue;
        if (addKey(section, keyFor(parsed.name), i))
            line.firstKey = true;
        section.lastKey = i;
    }
}

void Document::indexSections()
{
    m_sectionIndex.clear();
    m_lastSection = -1;
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        // "[]" is never read: the empty name means the lines before the first header.
        if (!m_sections[i].folded.isEmpty())
            if (!m_sectionIndex.contains(NameKey{m_sections[i].folded}))
                m_sectionIndex.insert(NameKey{m_sections[i].folded}, i);
    }
}

std::optional<QByteArrayView> Document::value(QByteArrayView section, QByteArrayView key) const
{
    const Section *s = findSection(section);
    if (!s)
        return std::nullopt;
    // Readers mostly go through a section in file order: try the key after the last one found
    // before the hash, whose table lies all over memory.
    for (qsizetype i = s->cursor + 1; i <= s->lastKey && i <= s->cursor + 2; ++i) {
        const Line &line = s->body[i];
        if (!line.firstKey)
            continue;
        const Parsed parsed = classify(content(line));
        if (!namefold::equal<QByteArrayView>(parsed.name, key))
            break;
        s->cursor = i;
        return parsed.hasValue ? std::optional(readValue(parsed.rawValue)) : std::nullopt;
    }
    const auto it = s->keyIndex.constFind(NameKey{Folded(key).key()});
    if (it == s->keyIndex.cend())
        return std::nullopt;
    s->cursor = *it;
    const Parsed parsed = classify(content(s->body[*it]));
    return parsed.hasValue ? std::optional(readValue(parsed.rawValue)) : std::nullopt;
}

std::vector<QByteArrayView> Document::keys(QByteArrayView section) const
{
    std::vector<QByteArrayView> names;
    const Section *s = findSection(section);
    if (!s)
        return names;
    for (qsizetype i = 0; i <= s->lastKey; ++i) {
        const Parsed parsed = classify(content(s->body[i]));
        if (parsed.kind == Kind::Key && parsed.hasValue)
            names.push_back(parsed.name);
    }
    return names;
}

bool Document::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (section.isEmpty())
        return false; // the launcher could never read a "[]" header; callers refuse it
    Section *s = findSection(section);
    if (!s) {
        if (Line *last = lastLine())
            ensureLineEnd(*last);
        Section added;
        added.header = ownLine("[" + section.toByteArray() + "]" + m_eol);
        added.folded = namefold::folded(section);
        added.body.push_back(ownLine(key.toByteArray() + "=" + writtenValue(value) + m_eol));
        added.body.back().firstKey = true;
        added.keyIndex.insert(NameKey{namefold::folded(key)}, 0);
        added.lastKey = 0;
        m_sections.push_back(std::move(added));
        indexSections();
        return true;
    }

    const auto it = s->keyIndex.constFind(NameKey{Folded(key).key()});
    if (it != s->keyIndex.cend()) {
        Line &line = s->body[*it];
        const QByteArrayView lineContent = content(line);
        const Parsed parsed = classify(lineContent);
        if (parsed.hasValue && readValue(parsed.rawValue) == value)
            return false;
        // Keep the name and the spacing before the value as they stand; a key line without "="
        // gets one, as the launcher's own writer does.
        QByteArray bytes;
        if (parsed.hasValue) {
            qsizetype start = lineContent.indexOf('=') + 1;
            while (start < lineContent.size() && isBlank(lineContent[start]))
                ++start;
            bytes = lineContent.first(start).toByteArray();
        } else {
            bytes = lineContent.first(parsed.nameEnd).toByteArray() + '=';
        }
        bytes += writtenValue(value);
        bytes += text(line).sliced(lineContent.size());
        line = ownLine(std::move(bytes));
        line.firstKey = true;
        return true;
    }

    // Right after the last key; every indexed key stands before it, so no index moves.
    const qsizetype pos = s->lastKey + 1;
    ensureLineEnd(pos == 0 ? s->header : s->body[pos - 1]);
    Line added = ownLine(key.toByteArray() + "=" + writtenValue(value) + m_eol);
    added.firstKey = true;
    s->body.insert(s->body.begin() + pos, std::move(added));
    s->keyIndex.insert(NameKey{namefold::folded(key)}, pos);
    s->lastKey = pos;
    return true;
}

bool Document::removeKey(QByteArrayView section, QByteArrayView key)
{
    if (section.isEmpty())
        return false;
    Section *s = findSection(section);
    if (!s)
        return false;
    const auto it = s->keyIndex.constFind(NameKey{Folded(key).key()});
    if (it == s->keyIndex.cend())
        return false;
    s->body.erase(s->body.begin() + *it);
    indexKeys(*s);
    return true;
}

bool Document::removeSection(QByteArrayView section)
{
    if (section.isEmpty())
        return false;
    const QByteArray folded = namefold::folded(section);
    const auto before = m_sections.size();
    m_sections.erase(std::remove_if(m_sections.begin(), m_sections.end(),
                                    [&](const Section &s) { return s.folded == folded; }),
                     m_sections.end());
    if (m_sections.size() == before)
        return false;
    indexSections();
    return true;
}

bool Document::renameSection(QByteArrayView source, QByteArrayView target)
{
    const QByteArray from = namefold::folded(source);
    const QByteArray to = namefold::folded(target);
    if (from == to || to.isEmpty() || !m_sectionIndex.contains(NameKey{from}))
        return false;
    m_sections.erase(std::remove_if(m_sections.begin(), m_sections.end(),
                                    [&](const Section &s) { return s.folded == to; }),
                     m_sections.end());
    for (Section &s : m_sections) {
        if (s.folded != from)
            continue;
        const QByteArrayView header = text(s.header);
        const QByteArrayView lineEnd = header.sliced(content(s.header).size());
        s.header = ownLine("[" + target.toByteArray() + "]" + lineEnd.toByteArray());
        s.folded = to;
    }
    indexSections();
    return true;
}

std::vector<OutlineSection> Document::outline() const
{
    std::vector<OutlineSection> list;
    int line = int(m_preamble.body.size());
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        const Section &s = m_sections[i];
        OutlineSection &out = list.emplace_back();
        out.name = classify(content(s.header)).name;
        out.line = ++line;
        out.first = !s.folded.isEmpty() && m_sectionIndex.value(NameKey{s.folded}, -1) == i;
        for (const Line &body : s.body) {
            ++line;
            const Parsed parsed = classify(content(body));
            if (parsed.kind != Kind::Key)
                continue;
            out.keys.push_back({parsed.name, readValue(parsed.rawValue), parsed.rawValue, line,
                                body.firstKey, parsed.hasValue});
        }
    }
    return list;
}

QByteArray Document::toBytes() const
{
    QByteArray out;
    out.reserve(m_base.size() + 256);
    for (const Line &line : m_preamble.body)
        out += text(line);
    for (const Section &s : m_sections) {
        out += text(s.header);
        for (const Line &line : s.body)
            out += text(line);
    }
    if (m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE)
        out = formToUnits(out, m_encoding == Encoding::Utf16BE);
    return m_prefix + out + m_tail;
}

bool Stamp::operator==(const Stamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && mtimeNs == other.mtimeNs && ctimeNs == other.ctimeNs;
}

std::optional<QByteArray> readFile(const QString &path, Stamp *stamp)
{
    platform::FileStamp file;
    std::optional<QByteArray> bytes = platform::readFile(path, &file);
    if (stamp) {
        *stamp = stampOf(file);
        stamp->readable = bytes.has_value();
    }
    return bytes;
}

Document &CachedFile::document()
{
    if (!m_doc)
        load();
    return *m_doc;
}

void CachedFile::load(std::optional<QByteArray> bytes, const Stamp &stamp, qint64 readAtNs)
{
    m_stamp = stamp;
    m_verifiedAtNs = readAtNs;
    m_bytes = bytes.value_or(QByteArray());
    m_doc = std::make_unique<Document>(m_bytes);
    batchDirty = false;
}

void CachedFile::load()
{
    const qint64 now = nowNs();
    Stamp stamp;
    auto bytes = readFile(m_path, &stamp);
    load(std::move(bytes), stamp, now);
}

void CachedFile::validate()
{
    if (batchDepth > 0)
        return;
    if (!m_doc) {
        load();
        return;
    }
    const qint64 now = nowNs();
    const Stamp current = statPath(m_path);
    if (current != m_stamp) {
        load();
        return;
    }
    if (!current.exists || m_verifiedAtNs - std::max(current.mtimeNs, current.ctimeNs) >= kRacyNs)
        return;
    Stamp stamp;
    auto bytes = readFile(m_path, &stamp);
    if (bytes && stamp == current && *bytes == m_bytes && m_stamp.readable) {
        m_verifiedAtNs = now;
        return;
    }
    load(std::move(bytes), stamp, now);
}

bool CachedFile::commit()
{
    if (!m_doc || (m_stamp.exists && !m_stamp.readable))
        return false; // never replace content that could not be read
    const QByteArray bytes = m_doc->toBytes();
    const qint64 now = nowNs();
    if (!platform::replaceFile(m_path, bytes))
        return false;
    m_bytes = bytes;
    m_stamp = statPath(m_path);
    m_stamp.readable = true;
    m_verifiedAtNs = now;
    return true;
}

void CachedFile::invalidate()
{
    m_doc.reset();
    m_bytes.clear();
    m_stamp = {};
    batchDirty = false;
}

std::shared_ptr<CachedFile> cachedFile(const QString &path)
{
    static QHash<QString, std::shared_ptr<CachedFile>> files;
    const QString key = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (const auto it = files.constFind(key); it != files.cend())
        return *it;
    if (files.size() >= kMaxCached) {
        for (auto it = files.begin(); it != files.end();)
            it = it->use_count() == 1 ? files.erase(it) : std::next(it);
    }
    auto file = std::make_shared<CachedFile>(key);
    files.insert(key, file);
    return file;
}

} // namespace profilefile
