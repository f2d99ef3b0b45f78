#include "CacheFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Whether `info` is of this user's own and no one else may write it.
bool ownedAlone(const struct stat& info) {
    return info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Says once per run and place that the cache is not used there.
void sayOnce(const QString& path, const char* what) {
    static std::mutex lock;
    static QSet<QString> said;
    const std::lock_guard<std::mutex> guard(lock);
    if (said.contains(path))
        return;
    said.insert(path);
    std::fprintf(stderr, "Vantora: %s %s; die Tabellen werden nur im Speicher gehalten.\n", what,
                 QFile::encodeName(path).constData());
}

} // namespace

std::unique_ptr<CacheFolder> CacheFolder::open(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ::mkdir(name.constData(), 0700);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || !ownedAlone(info)) {
        if (fd >= 0)
            ::close(fd);
        // A folder that cannot be made at all (a read-only place) is no one's doing.
        struct stat there {};
        if (::lstat(name.constData(), &there) == 0)
            sayOnce(path, "Der Zwischenspeicher gehört nicht diesem Benutzer allein:");
        return nullptr;
    }
    // One made by an earlier version may be readable by others: the images are the user's.
    if ((info.st_mode & 077) != 0)
        ::fchmod(fd, 0700);
    return std::unique_ptr<CacheFolder>(new CacheFolder(fd, path));
}

CacheFolder::~CacheFolder() {
    ::close(m_fd);
}

int CacheFolder::openFile(const QString& name) const {
    const int fd = ::openat(m_fd, QFile::encodeName(name).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !ownedAlone(info)) {
        if (S_ISREG(info.st_mode))
            sayOnce(m_path + u'/' + name, "Die Datei gehört nicht diesem Benutzer allein:");
        ::close(fd);
        return -1;
    }
    // Reads need not be told apart from blocking ones any more.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool CacheFolder::replace(const QString& name, const std::function<bool(QIODevice&)>& write) const {
    QByteArray fresh;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        fresh = QFile::encodeName(name) + ".new-" +
                QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::openat(m_fd, fresh.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok;
    {
        QFile out;
        ok = out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) && write(out) &&
             out.flush();
    }
    if (ok && ::renameat(m_fd, fresh.constData(), m_fd, QFile::encodeName(name).constData()) == 0)
        return true;
    ::unlinkat(m_fd, fresh.constData(), 0);
    return false;
}

void CacheFolder::markUsed(int fd) {
    ::futimens(fd, nullptr);
}

void CacheFolder::prune(const QString& suffix, qint64 budget, std::chrono::seconds unusedFor,
                        const QString& keep) const {
    const int listed = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    struct Entry {
        QByteArray name;
        time_t used;
        qint64 size;
    };
    std::vector<Entry> files;
    const QByteArray tail = QFile::encodeName(suffix);
    const QByteArray freshMark = tail + ".new-";
    const QByteArray kept = QFile::encodeName(keep);
    const time_t now = std::time(nullptr);
    constexpr time_t kUnfinishedWrite = 3600;
    while (const dirent* d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        const bool fresh = name.contains(freshMark);
        if ((!fresh && !name.endsWith(tail)) || name == kept)
            continue;
        struct stat info {};
        if (::fstatat(m_fd, d->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != geteuid())
            continue;
        const time_t age = now - info.st_mtime;
        if (fresh ? age > kUnfinishedWrite : age > time_t(unusedFor.count()))
            ::unlinkat(m_fd, d->d_name, 0);
        else if (!fresh)
            files.push_back({name, info.st_mtime, qint64(info.st_size)});
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end(),
              [](const Entry& a, const Entry& b) { return a.used > b.used; });
    qint64 total = 0;
    for (const Entry& f : files) {
        total += f.size;
        if (total > budget)
            ::unlinkat(m_fd, f.name.constData(), 0);
    }
}
