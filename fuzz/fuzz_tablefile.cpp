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
    return 0;
}
