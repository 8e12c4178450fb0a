// SPDX-License-Identifier: MIT
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a chain of symbolic links ends at, so that writing keeps the links.
QString resolveLinks(const QString &path)
{
    QString target = path;
    for (int i = 0; i < 40; ++i) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

// Rewrites the file itself: not atomic, only for files whose folder takes no new file.
bool writeInPlace(const QByteArray &native, const QByteArray &bytes)
{
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0;
    ok = ::fsync(fd) == 0 && ok;
    return ::close(fd) == 0 && ok;
}

// Temporary files are named "." + file name + kTempInfix + six random characters.
constexpr char kTempInfix[] = ".tmp-";

// A new temporary file from the template, locked for as long as it is open; -1 on failure.
// Another writer's sweep may remove it between its creation and the lock: then it is made anew.
int lockedTemporary(QByteArray &temp)
{
    const QByteArray pattern = temp;
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp = pattern;
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        int locked = 0;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat st = {};
        // Without locks on this file system no sweep removes anything either.
        if (locked != 0 || (::fstat(fd, &st) == 0 && st.st_nlink > 0))
            return fd;
        ::close(fd);
    }
    return -1;
}

// A temporary file whose lock is free was left by a writer that was killed or crashed before
// its rename; each write removes those of its file, so crashes leave nothing behind for long.
void removeStaleTemporaries(const QByteArray &folder, QByteArrayView prefix)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QByteArray path = folder + "/" + name.toByteArray();
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened = {};
        struct stat named = {};
        // The name must still lead to the file locked here, not to one made since.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            S_ISREG(opened.st_mode) && ::lstat(path.constData(), &named) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
}

FileStamp stampOf(const struct stat &st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return stamp;
}

} // namespace

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(resolveLinks(path));
    struct stat st = {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode) || ::access(native.constData(), W_OK) != 0 ||
            (st.st_mode & 0222) == 0)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }

    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : native.first(slash);
    const QByteArray tempPrefix = "." + native.sliced(slash + 1) + kTempInfix;
    QByteArray temp = folder + "/" + tempPrefix + "XXXXXX";
    const int fd = lockedTemporary(temp);
    if (fd < 0)
        return exists && writeInPlace(native, bytes);

    bool ok = writeAll(fd, bytes);
    ok = ok && ::fchmod(fd, exists ? st.st_mode & 07777 : 0666 & ~currentUmask()) == 0;
    if (ok && exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Another owner cannot be kept without privileges; the content matters more.
    }
    ok = ok && ::fsync(fd) == 0;
    // Renamed while still open and locked, so that no other writer takes it for a leftover.
    if (ok && ::rename(temp.constData(), native.constData()) == 0) {
        ::close(fd);
        removeStaleTemporaries(folder, tempPrefix);
        syncFolder(folder);
        return true;
    }
    ::close(fd);
    ::unlink(temp.constData());
    // A file that cannot be replaced (a mount point, say) may still be writable.
    return ok && exists && writeInPlace(native, bytes);
}

bool removeFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::unlink(native.constData()) != 0)
        return errno == ENOENT;
    const qsizetype slash = native.lastIndexOf('/');
    syncFolder(slash < 0 ? QByteArray(".") : native.first(slash));
    return true;
}

FileLock::FileLock(const QString &path)
{
    const QByteArray native = QFile::encodeName(resolveLinks(path));
    for (int waited = 0; waited <= 5000; waited += 10) {
        const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            // A file system without locks cannot protect the file, but must not block it.
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            ::usleep(10'000);
            continue;
        }
        // A writer that replaced the file while this one waited left the lock on the old file.
        struct stat locked = {};
        struct stat named = {};
        if (::fstat(fd, &locked) == 0 && ::stat(native.constData(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            m_handle = fd;
            return;
        }
        ::close(fd);
    }
    m_busy = true;
}

FileLock::~FileLock()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
}

QString lastWriteFailure()
{
    // The system's reasons here are all "cannot be written"; nothing more helps the user.
    return {};
}

bool FileStamp::operator==(const FileStamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && mtimeNs == other.mtimeNs && ctimeNs == other.ctimeNs;
}

FileStamp fileStamp(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return stampOf(st);
}

std::optional<QByteArray> readFile(const QString &path, FileStamp *stamp)
{
    const QByteArray native = QFile::encodeName(path);
    FileStamp local;
    FileStamp &st = stamp ? *stamp : local;
    st = {};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        st = fileStamp(path);
        return std::nullopt;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        st = fileStamp(path);
        return std::nullopt;
    }
    st = stampOf(info);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.resize(info.st_size);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(got + 65536);
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    list.reserve(argc);
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

void writeText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

bool handOver(const char *program, char **argv, QString *path, QString *reason)
{
    // The folder of this program as the kernel ran it, links resolved, like Qt's
    // applicationDirPath(); argv[0] may name it through PATH or not at all.
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    QByteArray window;
    if (length > 0) {
        window = QByteArray(self, length);
        window.truncate(window.lastIndexOf('/') + 1);
        window += program;
        ::execv(window.constData(), argv);
    }
    *path = QString::fromLocal8Bit(window);
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

std::optional<QString> programVersionData()
{
    return std::nullopt;
}

} // namespace platform
