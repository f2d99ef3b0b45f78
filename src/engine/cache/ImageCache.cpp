#include "ImageCache.h"

#include "CacheFolder.h"
#include "ImageCacheFile.h"
#include "TableImage.h"

#include <QStandardPaths>
#include <QStringList>
#include <future>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <vector>

namespace ImageCache {

namespace {

// Raised whenever the cache files' layout changes: a key of one layout finds no file of another.
constexpr char kLayout[] = "layout 5";

// Each change of a table leaves the file of its former contents behind: files unused this long,
// and the least recently used beyond this size, are removed after a write.
constexpr std::chrono::hours kUnusedFor{24 * 30};
constexpr qint64 kBudget = qint64(1) << 30;
const QString kSuffix = QStringLiteral(".image");

// Writes that have not finished yet; the vector's end (at exit) waits for them.
struct PendingWrites {
    std::mutex lock;
    std::vector<std::shared_future<void>> writes;
    // The last write begun of each file: a later one waits for it, so the newest parts win.
    std::map<QString, std::shared_future<void>> lastOf;
    ~PendingWrites() { finish(); }
    void finish() {
        std::lock_guard<std::mutex> guard(lock);
        for (auto& w : writes)
            if (w.valid())
                w.wait();
        writes.clear();
        lastOf.clear();
    }
};

PendingWrites& pending() {
    static PendingWrites p;
    return p;
}

// A cache file serves later starts only: its write takes a core only while nothing else of this
// machine wants it, so that a key typed meanwhile is not kept waiting by tens of megabytes of
// checksums and copies.
void yieldToEverythingElse() {
#ifdef SCHED_IDLE
    const sched_param none{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &none);
#endif
}

QString fileOf(const QByteArray& key) {
    return QString::fromLatin1(key.toHex()) + kSuffix;
}

} // namespace

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/vantora");
}

QByteArray describe(const QString& table, const QStringList& fieldsWithTypes) {
    return QByteArray(kLayout) + '\n' + table.toUtf8() + '\n' +
           fieldsWithTypes.join(u'\n').toUtf8();
}

bool restore(const QByteArray& key, int fieldCount, TableImage& image) {
    if (key.isEmpty())
        return false;
    const std::unique_ptr<CacheFolder> cache = CacheFolder::open(folder());
    const int fd = cache ? cache->openFile(fileOf(key)) : -1;
    if (fd < 0)
        return false;
    std::optional<ImageCacheFile::Contents> contents = ImageCacheFile::read(fd, key, fieldCount);
    if (!contents)
        return false;
    CacheFolder::markUsed(fd);
    image.takeStored(std::move(*contents));
    return true;
}

void finishWrites() {
    pending().finish();
}

void store(const QByteArray& key, const std::shared_ptr<const TableImage>& image) {
    if (key.isEmpty())
        return;
    // Only the parts built so far, which never change once built, are written.
    auto snapshot = std::make_shared<ImageCacheFile::Snapshot>(image->snapshot());
    const QString name = fileOf(key);
    const QString place = folder();
    std::lock_guard<std::mutex> guard(pending().lock);
    const auto last = pending().lastOf.find(name);
    const std::shared_future<void> previous =
        last == pending().lastOf.end() ? std::shared_future<void>() : last->second;
    // The image is held until the write ends: the snapshot points into it.
    auto write = [image, snapshot, key, name, place, previous] {
        yieldToEverythingElse();
        if (previous.valid())
            previous.wait();
        const std::unique_ptr<CacheFolder> cache = CacheFolder::open(place);
        if (!cache)
            return;
        // What an earlier file of the same contents holds and this image lacks is kept on.
        if (const int fd = cache->openFile(name); fd >= 0)
            if (const auto earlier = ImageCacheFile::read(fd, key, image->fieldCount()))
                snapshot->addEarlier(*earlier);
        cache->replace(name,
                       [&](QIODevice& out) { return ImageCacheFile::write(key, *snapshot, out); });
        cache->prune(kSuffix, kBudget, kUnusedFor, name);
    };
    const auto ready = [](const std::shared_future<void>& w) {
        return !w.valid() || w.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    auto& writes = pending().writes;
    writes.erase(std::remove_if(writes.begin(), writes.end(), ready), writes.end());
    std::erase_if(pending().lastOf, [&](const auto& entry) { return ready(entry.second); });
    writes.push_back(std::async(std::launch::async, write).share());
    pending().lastOf[name] = writes.back();
}

} // namespace ImageCache
