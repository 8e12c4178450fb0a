// SPDX-License-Identifier: MIT
#include "platform/platform.h"

#include <QDir>
#include <QRandomGenerator>

#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <iterator>
#include <string>
#include <utility>

namespace platform {

namespace {

// How long a file that another program (the launcher, a virus scanner) holds open is waited for.
constexpr DWORD kSharingWaitMs = 2000;
constexpr DWORD kSharingStepMs = 50;

// The lock between editors on the file "name" is the file ".name.lock" beside it.
constexpr wchar_t kLockSuffix[] = L".lock";

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether the last write of this thread failed because another program holds the file open. A
// plain flag: MinGW's runtime runs destructors of thread_local objects after freeing the
// thread's storage.
thread_local bool t_heldOpen = false;

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString fromNative(const wchar_t *path)
{
    return QDir::fromNativeSeparators(QString::fromWCharArray(path));
}

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

bool isSharingError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Runs attempt until it succeeds or fails for another reason than a file held open elsewhere,
// at most kSharingWaitMs.
template <typename Attempt> bool retrySharing(Attempt &&attempt)
{
    for (DWORD waited = 0;; waited += kSharingStepMs) {
        if (attempt())
            return true;
        if (!isSharingError(GetLastError()) || waited >= kSharingWaitMs)
            return false;
        Sleep(kSharingStepMs);
    }
}

// The message when the file is still held open by another program after the wait.
void noteIfHeldOpen(const std::wstring &path)
{
    const Handle probe(CreateFileW(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION)
        t_heldOpen = true;
}

qint64 unixNs(LARGE_INTEGER fileTime)
{
    // File times count 100 ns from 1601; the editor's clock counts from 1970.
    constexpr qint64 k1601To1970 = 116444736000000000;
    return (fileTime.QuadPart - k1601To1970) * 100;
}

qint64 unixNs(FILETIME fileTime)
{
    LARGE_INTEGER time;
    time.LowPart = fileTime.dwLowDateTime;
    time.HighPart = LONG(fileTime.dwHighDateTime);
    return unixNs(time);
}

FileStamp stampOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.mtimeNs = unixNs(info.ftLastWriteTime);
    // The change time covers attribute changes too, as the POSIX one does.
    FILE_BASIC_INFO basic = {};
    stamp.ctimeNs = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)
                        ? unixNs(basic.ChangeTime)
                        : stamp.mtimeNs;
    return stamp;
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const DWORD chunk = DWORD(qMin<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// The file a chain of links ends at, so that writing keeps the links; the path itself when it
// names no file yet.
std::wstring resolveLinks(const std::wstring &path)
{
    const Handle file(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid())
        return path;
    DWORD reparse = GetFileAttributesW(path.c_str());
    if (reparse == INVALID_FILE_ATTRIBUTES || !(reparse & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    std::wstring target(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file.get(), target.data(),
                                                       DWORD(target.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            return path;
        if (length < target.size()) {
            target.resize(length);
            break;
        }
        target.resize(length + 1);
    }
    return target;
}

// Rewrites the file itself: not atomic, only for files whose folder takes no new file.
bool writeInPlace(const std::wstring &path, const QByteArray &bytes)
{
    Handle file;
    retrySharing([&] {
        file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.valid();
    });
    if (!file.valid()) {
        noteIfHeldOpen(path);
        return false;
    }
    return writeAll(file.get(), bytes) && SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
}

// Temporary files are named "." + file name + kTempInfix + six random characters.
constexpr wchar_t kTempInfix[] = L".tmp-";
constexpr int kTempRandom = 6;

// A new temporary file beside the target. It is open with no sharing but delete (which the
// rename needs) as long as the writer lives, which tells other writers that it is no leftover.
Handle createTemporary(const std::wstring &folder, const std::wstring &prefix, DWORD attributes,
                       std::wstring *path)
{
    static const wchar_t letters[] =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::wstring name = prefix;
        for (int i = 0; i < kTempRandom; ++i)
            name += letters[QRandomGenerator::global()->bounded(int(std::size(letters)) - 1)];
        *path = folder + L'\\' + name;
        Handle file(CreateFileW(path->c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, attributes, nullptr));
        if (file.valid() || GetLastError() != ERROR_FILE_EXISTS)
            return file.valid() ? Handle(file.release()) : Handle();
    }
    return Handle();
}

// A temporary file that nobody holds open was left by a writer that was killed or crashed
// before its rename; each write removes those of its file, so crashes leave nothing behind for
// long. Opening it without sharing proves that no writer still has it.
void removeStaleTemporaries(const std::wstring &folder, const std::wstring &prefix)
{
    WIN32_FIND_DATAW found;
    const std::wstring pattern = folder + L'\\' + prefix + L'*';
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() != prefix.size() + kTempRandom ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        const std::wstring path = folder + L'\\' + name;
        const Handle stale(CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!stale.valid())
            continue;
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(stale.get(), &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        FILE_DISPOSITION_INFO remove = {TRUE};
        SetFileInformationByHandle(stale.get(), FileDispositionInfo, &remove, sizeof remove);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    t_heldOpen = false;
    const std::wstring target = resolveLinks(native(path));
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        if (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY))
            return false;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }

    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
    const std::wstring prefix =
        L'.' + (slash == std::wstring::npos ? target : target.substr(slash + 1)) + kTempInfix;
    // The new file takes the old one's hidden, system and archive marks with its place.
    const DWORD kept =
        exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
               : 0;
    std::wstring temp;
    Handle file = createTemporary(folder, prefix, kept ? kept : FILE_ATTRIBUTE_NORMAL, &temp);
    if (!file.valid())
        return exists && writeInPlace(target, bytes);

    const bool written = writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    // Renamed while still open, so that no other writer takes it for a leftover.
    const bool renamed =
        written && retrySharing([&] {
            return MoveFileExW(temp.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        });
    if (renamed) {
        file.reset();
        removeStaleTemporaries(folder, prefix);
        return true;
    }
    const DWORD error = GetLastError();
    FILE_DISPOSITION_INFO remove = {TRUE};
    SetFileInformationByHandle(file.get(), FileDispositionInfo, &remove, sizeof remove);
    file.reset();
    if (written && exists && isSharingError(error)) {
        // Held open by another program: writing in place would not be atomic, nor get further.
        noteIfHeldOpen(target);
        return false;
    }
    // A file that cannot be replaced may still be writable.
    return written && exists && writeInPlace(target, bytes);
}

bool removeFile(const QString &path)
{
    t_heldOpen = false;
    const std::wstring target = native(path);
    if (retrySharing([&] { return DeleteFileW(target.c_str()) != 0; }))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    if (isSharingError(error))
        noteIfHeldOpen(target);
    return false;
}

QString lastWriteFailure()
{
    return t_heldOpen ? QStringLiteral("Ein anderes Programm hält die Datei geöffnet") : QString();
}

FileLock::FileLock(const QString &path)
{
    // Windows cannot rename a file over one that is open, even for sharing, and the holder of
    // this lock replaces the menu file. So the lock is a file of its own beside it, opened
    // without sharing: held while open, and deleted when closed, also when its holder is killed.
    if (!fileStamp(path).exists)
        return;
    const std::wstring target = resolveLinks(native(path));
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring lock =
        slash == std::wstring::npos
            ? L'.' + target + kLockSuffix
            : target.substr(0, slash + 1) + L'.' + target.substr(slash + 1) + kLockSuffix;
    for (int waited = 0; waited <= 5000; waited += 10) {
        Handle file(CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.valid()) {
            m_handle = qintptr(file.release());
            return;
        }
        // Held by another editor, or its file is just being deleted. A folder that takes no
        // new file cannot hold the lock, but must not block the write.
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION &&
            (error != ERROR_ACCESS_DENIED ||
             GetFileAttributesW(lock.c_str()) == INVALID_FILE_ATTRIBUTES))
            return;
        Sleep(10);
    }
    m_busy = true;
}

FileLock::~FileLock()
{
    if (m_handle != -1)
        CloseHandle(HANDLE(m_handle));
}

bool FileStamp::operator==(const FileStamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && mtimeNs == other.mtimeNs && ctimeNs == other.ctimeNs;
}

FileStamp fileStamp(const QString &path)
{
    const Handle file(CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? stampOf(file.get()) : FileStamp();
}

std::optional<QByteArray> readFile(const QString &path, FileStamp *stamp)
{
    FileStamp local;
    FileStamp &st = stamp ? *stamp : local;
    st = {};
    const Handle file(CreateFileW(native(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        st = fileStamp(path);
        return std::nullopt;
    }
    st = stampOf(file.get());
    // Devices (NUL, CON, pipes) are no menu files.
    if (!st.exists || GetFileType(file.get()) != FILE_TYPE_DISK)
        return std::nullopt;
    QByteArray bytes;
    bytes.resize(st.size);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(got + 65536);
        DWORD n = 0;
        const DWORD want = DWORD(qMin<qsizetype>(bytes.size() - got, 1 << 30));
        if (!ReadFile(file.get(), bytes.data() + got, want, &n, nullptr))
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

QStringList arguments(int, char **)
{
    // argv holds the arguments in the ANSI code page, which loses what it lacks.
    int count = 0;
    wchar_t **list = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList result;
    for (int i = 0; list && i < count; ++i)
        result.append(QString::fromWCharArray(list[i]));
    LocalFree(list);
    return result;
}

void writeText(std::FILE *stream, const QString &text)
{
    std::fflush(stream);
    const HANDLE handle = HANDLE(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        // A console shows characters, not bytes of some code page: written as such.
        const wchar_t *data = reinterpret_cast<const wchar_t *>(text.utf16());
        qsizetype left = text.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = DWORD(qMin<qsizetype>(left, 8192));
            if (!WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0)
                return;
            data += written;
            left -= written;
        }
        return;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool handOver(const char *program, char **, QString *path, QString *reason)
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    std::wstring window(self, length);
    window.resize(window.find_last_of(L'\\') + 1);
    window += QString::fromLatin1(program).toStdWString() + L".exe";
    *path = fromNative(window.c_str());

    // This program's own arguments, as they were written, after the window program's name.
    const wchar_t *rest = GetCommandLineW();
    if (*rest == L'"') {
        rest = wcschr(rest + 1, L'"');
        rest = rest ? rest + 1 : L"";
    } else {
        while (*rest && *rest != L' ' && *rest != L'\t')
            ++rest;
    }
    std::wstring line = L'"' + window + L'"' + rest;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(window.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        wchar_t *text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, GetLastError(), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
        *reason = text ? QString::fromWCharArray(text).trimmed() : QString();
        LocalFree(text);
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::optional<QString> programVersionData()
{
    static const QString block = QStringLiteral("StringFileInfo\\040704E4");
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    if (length == 0 || length == std::size(self))
        return QString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
    if (size == 0)
        return QString();
    QByteArray data(size, '\0');
    if (!GetFileVersionInfoW(self, 0, size, data.data()))
        return QString();
    QString text;
    for (const char *name : {"FileVersion", "FileDescription", "LegalCopyright"}) {
        const std::wstring query =
            (QLatin1Char('\\') + block + QLatin1Char('\\') + QLatin1String(name)).toStdWString();
        void *value = nullptr;
        UINT characters = 0;
        if (VerQueryValueW(data.constData(), query.c_str(), &value, &characters) && value)
            text += QLatin1String(name) + QLatin1Char('=') +
                    QString::fromWCharArray(static_cast<const wchar_t *>(value)) +
                    QLatin1Char('\n');
    }
    // Without any of its values the block counts as missing, as the query cannot tell.
    return text.isEmpty() ? QString() : QLatin1Char('[') + block + QStringLiteral("]\n") + text;
}

} // namespace platform
