// Opening a table file: any file content either opens as a table or is an engine error.
#include "Connection.h"
#include "EngineError.h"
#include "Query.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    // Paradox inputs leave their SQLite copies in the cache folder: use ours.
    static const bool cacheInDir = qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path()));
    (void)cacheInDir;
    const QString path = dir.path() + QStringLiteral("/GameData.DB");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        Query q;
        q.setSql({QStringLiteral("SELECT * FROM \"") + path + u'"',
                  QStringLiteral("WHERE UPPER(TITEL) LIKE \"%A%\" "),
                  QStringLiteral("ORDER BY TITEL")});
        q.setCachedFields({QStringLiteral("RUBRIK"), QStringLiteral("AUSGABE")});
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            (void)q.fieldText(0);
            (void)q.cachedBytes(0);
        }
    } catch (const EngineError&) {
    }
    QFile::remove(path);
    // The copy of a Paradox table is known by the table's path, size and time, which the
    // next input, written within the same millisecond, may share: it goes with its input.
    QDir(dir.path() + QStringLiteral("/vantora-paradox")).removeRecursively();
    return 0;
}
