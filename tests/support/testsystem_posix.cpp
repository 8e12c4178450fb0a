// SPDX-License-Identifier: MIT
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/registryfile.h"

#include <csignal>
#include <grp.h>
#include <sys/file.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfiles {

QByteArray readStore()
{
    return readBytes(registryfile::storePath());
}

void writeStore(const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(registryfile::storePath()).absolutePath());
    writeBytes(registryfile::storePath(), bytes);
}

void clearStore()
{
    QFile::remove(registryfile::storePath());
}

bool storeIsAFile()
{
    return true;
}

bool hasPosixFiles()
{
    return true;
}

bool holdAsWriter(int handle)
{
    return ::flock(handle, LOCK_EX) == 0;
}

FileId fileId(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool setModificationTime(const QString &path, qint64 mtimeNs)
{
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time_t(mtimeNs / 1'000'000'000), long(mtimeNs % 1'000'000'000)}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

bool isSuperuser()
{
    return ::geteuid() == 0;
}

bool dropPrivileges()
{
    constexpr uid_t kNobody = 65534;
    constexpr gid_t kNogroup = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNogroup) == 0 && ::setuid(kNobody) == 0;
}

bool withFileSizeLimit(qint64 maxBytes, const std::function<void()> &command)
{
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = rlim_t(maxBytes);
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
        command();
    } catch (...) {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        throw;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return true;
}

} // namespace testfiles
