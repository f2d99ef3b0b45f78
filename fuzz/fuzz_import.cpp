// The import file reader: any bytes give records, and no field holds a Ctrl-Z or the line
// end that split its file.
#include "TextExchange.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<TextExchange::Record> records = TextExchange::parseImport(bytes);
    // No record holds a line end of the kind that split the file, nor a Ctrl-Z.
    const QString text = TextExchange::decodeImport(bytes);
    const bool crFile = text.contains(u'\r');
    for (const TextExchange::Record& r : records)
        for (const QString& f : r)
            if (f.contains(u'\x1a') || (crFile ? f.contains(u'\r') : f.contains(u'\n')))
                std::abort();
    // What was read can be written again.
    for (const TextExchange::Record& r : records) {
        const QString line = TextExchange::exportLine(QStringList(r.begin(), r.end()));
        (void)TextExchange::toWindows1252(line);
    }
    return 0;
}
