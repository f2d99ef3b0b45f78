#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QIODevice;

// The cache folder, made and checked before anything in it is used: a real folder (not a
// link) of this user's own that no one else may write into. Files in it are opened without
// following links and without blocking, and only regular files of the user's own are read;
// a file is written under a fresh name, created exclusively, and renamed into place, so the
// cache never writes through a link or outside the folder.
class CacheFolder {
public:
    // The folder at `path`, made with mode 0700 when missing; null, said once on stderr, when
    // it is not fit to use.
    static std::unique_ptr<CacheFolder> open(const QString& path);
    ~CacheFolder();
    CacheFolder(const CacheFolder&) = delete;
    CacheFolder& operator=(const CacheFolder&) = delete;

    // A regular file of the user's own named `name`, open for reading; -1 when there is none.
    int openFile(const QString& name) const;
    // Writes a fresh file through `write` and puts it in place of `name`; false, leaving
    // nothing behind, when that fails.
    bool replace(const QString& name, const std::function<bool(QIODevice&)>& write) const;

    // Marks the file open at `fd` as used now: pruning goes by the time of last use.
    static void markUsed(int fd);
    // Removes the files named `*suffix` that are no longer wanted: those not used for
    // `unusedFor`, then the least recently used while the rest is larger than `budget` bytes,
    // and fresh names of writes that never ended (a killed program's) an hour old. `keep` stays,
    // and nothing but regular files of the user's own is touched.
    void prune(const QString& suffix, qint64 budget, std::chrono::seconds unusedFor,
               const QString& keep) const;

private:
    CacheFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    QString m_path;
};
