// Statement translation: any text either translates or raises EngineError, never worse;
// and a translated statement runs or is rejected by SQLite as an engine error.
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "SqlFunctions.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString statement =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const TranslatedStatement t = LocalSqlTranslator::translate(statement);
        (void)t.tail.size();
    } catch (const EngineError&) {
    }
    // The functions the translation relies on take any bytes.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype half = bytes.size() / 2;
    (void)SqlFunctions::likeMatch(bytes.first(half), bytes.sliced(half));
    (void)SqlFunctions::upperUtf8(bytes);
    (void)SqlFunctions::collate(bytes.first(half), bytes.sliced(half));
    return 0;
}
