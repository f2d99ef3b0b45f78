#include "RecordStore.h"

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

} // namespace

std::shared_ptr<RecordStore> RecordStore::of(const QString& path) {
    const QMutexLocker locker(&g_lock);
    if (stores().isEmpty())
        return {};
    return stores().value(keyOf(path));
}

void RecordStore::attach(const QString& path, std::shared_ptr<RecordStore> store) {
    const QMutexLocker locker(&g_lock);
    if (store)
        stores().insert(keyOf(path), std::move(store));
    else
        stores().remove(keyOf(path));
}
