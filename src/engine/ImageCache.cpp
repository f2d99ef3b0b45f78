#include "ImageCache.h"

#include "TableImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <future>
#include <map>
#include <mutex>
#include <vector>

namespace ImageCache {

namespace {

constexpr int kSampledPages = 64;
constexpr qint64 kPage = 4096;

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

QString fileOf(const QByteArray& key) {
    return folder() + u'/' + QString::fromLatin1(key.toHex()) + QStringLiteral(".image");
}

} // namespace

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/vantora");
}

QByteArray contentKey(const QString& databaseFile, const QString& table,
                      const QStringList& fields) {
    QFile f(databaseFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = f.size();
    const QByteArray header = f.read(100);
    // Bytes 18 and 19 are 2 in WAL mode, where the change counter stands still.
    if (header.size() < 100 || header[18] == 2 || header[19] == 2)
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(table.toUtf8() + '\n' + fields.join(u'\n').toUtf8() + '\n');
    hash.addData(QByteArray::number(size) + '\n');
    hash.addData(header);
    const qint64 pages = size / kPage;
    for (int i = 0; i < kSampledPages && pages > 0; ++i) {
        f.seek((pages - 1) * i / (kSampledPages - 1) * kPage);
        hash.addData(f.read(kPage));
    }
    return hash.result();
}

bool restore(const QByteArray& key, TableImage& image) {
    if (key.isEmpty())
        return false;
    return image.readFrom(fileOf(key));
}

void finishWrites() {
    pending().finish();
}

void store(const QByteArray& key, const std::shared_ptr<const TableImage>& image) {
    if (key.isEmpty())
        return;
    // Only the parts built so far, which never change once built, are written.
    auto snapshot = std::make_shared<TableImage::Snapshot>(image->snapshot());
    const QString path = fileOf(key);
    std::lock_guard<std::mutex> guard(pending().lock);
    const auto last = pending().lastOf.find(path);
    const std::shared_future<void> previous =
        last == pending().lastOf.end() ? std::shared_future<void>() : last->second;
    auto write = [image, snapshot, path, previous] {
        if (previous.valid())
            previous.wait();
        image->addEarlierParts(*snapshot, path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return;
        if (TableImage::writeTo(*snapshot, out))
            out.commit();
    };
    const auto ready = [](const std::shared_future<void>& w) {
        return !w.valid() || w.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    auto& writes = pending().writes;
    writes.erase(std::remove_if(writes.begin(), writes.end(), ready), writes.end());
    std::erase_if(pending().lastOf, [&](const auto& entry) { return ready(entry.second); });
    writes.push_back(std::async(std::launch::async, write).share());
    pending().lastOf[path] = writes.back();
}

} // namespace ImageCache
