// The import file reader: any bytes give records, no field holds a Ctrl-Z or the line end
// that split its file, and reading the file in pieces gives what reading it whole gives.
#include "ImportReader.h"
#include "TextExchange.h"

#include <QBuffer>

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
    // Read in pieces of a few bytes, the file gives the same records, lines and cut.
    const TextExchange::ImportText whole = TextExchange::readImport(bytes);
    for (const qsizetype piece : {1, 3, 4096}) {
        QByteArray file = bytes;
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        TextExchange::ImportReader reader(buffer, piece);
        if (!reader.scan() || reader.recordCount() != whole.records.size())
            std::abort();
        TextExchange::Record record;
        int line = 0;
        qsizetype at = 0;
        while (reader.next(record, line)) {
            if (at >= whole.records.size() || record != whole.records[at] ||
                line != whole.lines[at])
                std::abort();
            ++at;
        }
        if (reader.failed() || at != whole.records.size() || reader.cutAtLine() != whole.cutAtLine)
            std::abort();
    }
    // What was read can be written again.
    for (const TextExchange::Record& r : records) {
        const QString line = TextExchange::exportLine(QStringList(r.begin(), r.end()));
        (void)TextExchange::toWindows1252(line);
    }
    return 0;
}
