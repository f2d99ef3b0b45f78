#include "TableTextExport.h"

#include "ExchangeProgress.h"
#include "Table.h"
#include "TextExchange.h"

#include <QSaveFile>
#include <QStringList>

namespace TableTextExport {

namespace {

// Lines are collected up to this many bytes before they go to the file.
constexpr qsizetype kFlushBytes = 1 << 16;

enum class Encoding { Windows1252, Utf8 };

// Moves the table to its first record again on every way out.
struct BackToFirst {
    Table& table;
    ~BackToFirst() {
        try {
            if (table.isOpen())
                table.first();
        } catch (...) {
        }
    }
};

bool flush(QSaveFile& file, QByteArray& buffer) {
    const bool ok = file.write(buffer) == buffer.size();
    buffer.clear();
    return ok;
}

// One pass over the table. Returns false with an empty `error` when a field does not fit
// Windows-1252, false with the reason when the file failed, true when it is in place.
bool writePass(Table& table, const QString& path, Encoding encoding, QString& error,
               ExchangeProgress* progress) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    QByteArray buffer;
    if (encoding == Encoding::Utf8)
        buffer = TextExchange::kUtf8Bom;
    const int fields = table.fieldCount();
    QStringList texts;
    for (table.first(); !table.eof(); table.next()) {
        texts.clear();
        for (int f = 0; f < fields; ++f)
            texts.append(table.fieldText(f));
        const QString line = TextExchange::exportLine(texts);
        if (encoding == Encoding::Utf8) {
            buffer += line.toUtf8();
        } else if (const auto bytes = TextExchange::toWindows1252(line)) {
            buffer += *bytes;
        } else {
            file.cancelWriting();
            return false;
        }
        if (buffer.size() >= kFlushBytes && !flush(file, buffer))
            break;
        if (progress && !progress->advance(table.recNo() + 1, table.recordCount())) {
            file.cancelWriting();
            return false;
        }
    }
    if (!buffer.isEmpty())
        flush(file, buffer);
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString write(Table& table, const QString& path, ExchangeProgress* progress) {
    BackToFirst restore{table};
    table.first();
    QString error;
    if (writePass(table, path, Encoding::Windows1252, error, progress))
        return {};
    if (!error.isEmpty() || (progress && progress->cancelled()))
        return error;
    if (writePass(table, path, Encoding::Utf8, error, progress))
        return {};
    return error;
}

} // namespace TableTextExport
