#include "RecordStore.h"

#include "EngineError.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace {

QMutex g_lock;

QHash<QString, std::shared_ptr<RecordStore>>& stores() {
    static QHash<QString, std::shared_ptr<RecordStore>> s;
    return s;
}

QString keyOf(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// A file being written may not exist yet, or an older one may stand in its place: it is named
// by its folder and its name, in any case, as the views name it.
QString arrivingKeyOf(QString path) {
    const QFileInfo info(path.replace(u'\\', u'/'));
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName().toLower();
}

struct Arriving {
    quint64 id = 0;
    QString path; // as attached: the file's own name
    std::shared_future<std::shared_ptr<RecordStore>> store;
};

QHash<QString, Arriving>& arriving() {
    static QHash<QString, Arriving> a;
    return a;
}

} // namespace

std::shared_ptr<RecordStore> RecordStore::of(const QString& path) {
    awaitFile(path);
    const QMutexLocker locker(&g_lock);
    if (stores().isEmpty())
        return {};
    return stores().value(keyOf(path));
}

void RecordStore::attach(const QString& path, std::shared_ptr<RecordStore> store) {
    const QMutexLocker locker(&g_lock);
    arriving().remove(arrivingKeyOf(path));
    if (store)
        stores().insert(keyOf(path), std::move(store));
    else
        stores().remove(keyOf(path));
}

void RecordStore::attachLater(const QString& path,
                              std::shared_future<std::shared_ptr<RecordStore>> store) {
    static quint64 lastId = 0;
    const QMutexLocker locker(&g_lock);
    stores().remove(keyOf(path));
    arriving().insert(arrivingKeyOf(path), {++lastId, path, std::move(store)});
}

void RecordStore::awaitFile(const QString& path) {
    Arriving awaited;
    QString key;
    {
        const QMutexLocker locker(&g_lock);
        if (arriving().isEmpty())
            return;
        key = arrivingKeyOf(path);
        awaited = arriving().value(key);
    }
    if (!awaited.store.valid())
        return;
    std::shared_ptr<RecordStore> arrived;
    try {
        arrived = awaited.store.get();
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& e) {
        throw EngineError(QString::fromLocal8Bit(e.what()));
    }
    const QMutexLocker locker(&g_lock);
    // The first to see it arrive puts it in place; a store attached or ended since stays so.
    if (const auto it = arriving().constFind(key);
        it != arriving().cend() && it->id == awaited.id) {
        arriving().erase(it);
        stores().insert(keyOf(awaited.path), std::move(arrived));
    }
}
