#include "TableTextExport.h"

#include "EngineError.h"
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

// Holds the table at one snapshot for the whole export.
struct Snapshot {
    Table& table;
    explicit Snapshot(Table& t) : table(t) { table.beginSnapshot(); }
    ~Snapshot() { table.endSnapshot(); }
};

// Writes the collected lines. Every byte must go: a short write leaves no error in the
// file object, so the count is checked, and any shortfall cancels the whole file.
bool flush(QSaveFile& file, QByteArray& buffer, QString& error) {
    const qint64 written = file.write(buffer);
    if (written != buffer.size()) {
        error = file.error() != QFileDevice::NoError
                    ? file.errorString()
                    : QStringLiteral("Nur %1 von %2 Bytes geschrieben (Datenträger voll?)")
                          .arg(qMax<qint64>(written, 0))
                          .arg(buffer.size());
        return false;
    }
    buffer.clear();
    return true;
}

// One pass over the table. Returns false with an empty `error` when a field does not fit
// Windows-1252, false with the reason when the file failed, true when it is in place. The
// older file is replaced only by a complete export: every way out before the commit
// discards the new one.
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
    for (table.first(); !table.eof(); table.next()) {
        // A row that cannot be read ends the export (EngineError), never an empty line.
        const QString line = TextExchange::exportLine(table.readCurrent());
        if (encoding == Encoding::Utf8) {
            buffer += line.toUtf8();
        } else if (const auto bytes = TextExchange::toWindows1252(line)) {
            buffer += *bytes;
        } else {
            file.cancelWriting();
            return false;
        }
        if (buffer.size() >= kFlushBytes && !flush(file, buffer, error))
            return false;
        if (progress && !progress->advance(table.recNo() + 1, table.recordCount())) {
            file.cancelWriting();
            return false;
        }
    }
    if (!buffer.isEmpty() && !flush(file, buffer, error))
        return false;
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString writeTable(Table& table, const QString& path, ExchangeProgress* progress) {
    QString error;
    if (writePass(table, path, Encoding::Windows1252, error, progress))
        return {};
    if (!error.isEmpty() || (progress && progress->cancelled()))
        return error;
    if (writePass(table, path, Encoding::Utf8, error, progress))
        return {};
    return error;
}

} // namespace

QString write(Table& table, const QString& path, ExchangeProgress* progress) {
    // A damaged file can hand out rows whose lost bytes read as empty fields without any
    // error: nothing of it is exported.
    if (table.damaged())
        return table.damagedMessage();
    BackToFirst restore{table};
    table.first();
    try {
        // Every record as it stood at one moment, on a server as in a folder: a change made
        // meanwhile never gives a file that is half old and half new.
        const Snapshot snapshot(table);
        return writeTable(table, path, progress);
    } catch (const EngineError& e) {
        // The unfinished file was discarded with its writer.
        return e.message();
    }
}

} // namespace TableTextExport
