#include "ParadoxReader.h"

#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "SqliteMessage.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sqlite3.h>

// pxlib's header declares C functions without a C++ linkage block of its own.
extern "C" {
#include <paradox.h>
}

namespace {

// pxlib must be booted once per process.
void bootLibrary() {
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);
}

QString lastError;

void recordError(pxdoc_t*, int, const char* msg, void*) {
    lastError = QString::fromLocal8Bit(msg);
}

struct Document {
    pxdoc_t* doc = nullptr;
    ~Document() {
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
        }
    }
};

QString codecName(int codePage) {
    switch (codePage) {
    case 437:
        return QStringLiteral("IBM437");
    case 850:
        return QStringLiteral("IBM850");
    case 1252:
        return QStringLiteral("windows-1252");
    default:
        return codePage > 0 ? QStringLiteral("windows-%1").arg(codePage)
                            : QStringLiteral("windows-1252");
    }
}

enum class Kind { Text, Integer, Real, Unsupported };

// A number field of the format holds nothing when all its bytes are zero; pxlib reports
// that for short fields only and reads a long or a number as a value.
bool isNullField(const char* data, int length) {
    return std::all_of(data, data + length, [](char c) { return c == 0; });
}

bool isWholeNumber(double d) {
    return std::isfinite(d) && std::abs(d) < 9.0e15 && d == std::trunc(d);
}

Kind kindOf(const pxfield_t& f) {
    switch (f.px_ftype) {
    case pxfAlpha:
        return Kind::Text;
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
    case pxfLogical:
        return Kind::Integer;
    case pxfNumber:
    case pxfCurrency:
        return Kind::Real;
    default:
        return Kind::Unsupported;
    }
}

quint32 littleEndian(const uchar* p, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// The length a field of `type` has in every table, 0 for types of any length. pxlib copies
// such a field into a variable of that size, trusting the length the header gives.
int fixedLength(int type) {
    switch (type) {
    case pxfLogical:
        return 1;
    case pxfShort:
        return 2;
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return 4;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return 8;
    case pxfBCD:
        return 17;
    default:
        return 0;
    }
}

// What keeps a table from being handed to pxlib, which trusts the header and the block
// chain and can loop for ever over a damaged file; empty when the layout holds together.
QString structureFault(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const qint64 size = file.size();
    if (size < 0x78)
        return QStringLiteral("der Dateikopf ist abgeschnitten");
    const uchar* data = file.map(0, size);
    if (!data)
        return file.errorString();
    const auto u16 = [&](qint64 at) { return littleEndian(data + at, 2); };
    const auto u32 = [&](qint64 at) { return littleEndian(data + at, 4); };

    const qint64 recordSize = u16(0x00);
    const qint64 headerSize = u16(0x02);
    const qint64 blockSize = qint64(data[0x05]) * 0x400;
    const qint64 recordCount = u32(0x06);
    const qint64 fileBlocks = u16(0x0C);
    const qint64 firstBlock = u16(0x0E);
    const int fieldCount = int(u16(0x21));
    const int version = data[0x39];
    if (recordSize == 0 || blockSize == 0)
        return QStringLiteral("der Dateikopf nennt keine Satz- oder Blockgröße");
    if (headerSize + fileBlocks * blockSize > size)
        return QStringLiteral("die Datei ist kürzer als ihre Blöcke");
    // pxlib reads the header's extension (0x58 to 0x77) from version byte 5 on. The key
    // stands at 0x25; FF00FF00 there sends pxlib to the extension's key at 0x5C, which an
    // older table does not have (pxlib then decrypts with whatever its stack holds).
    const bool extended = version >= 5;
    quint32 key = u32(0x25);
    if (key == 0xFF00FF00 && extended)
        key = u32(0x5C);
    if (key != 0)
        return QStringLiteral("die Tabelle ist kennwortgeschützt");

    // Field types and lengths must make up the record.
    const qint64 fieldInfo = extended ? 0x78 : 0x58;
    if (fieldCount <= 0 || fieldInfo + 2 * qint64(fieldCount) > headerSize)
        return QStringLiteral("die Feldliste passt nicht zum Dateikopf");
    qint64 lengths = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const uchar type = data[fieldInfo + 2 * i];
        const uchar length = data[fieldInfo + 2 * i + 1];
        if (type == 0 || type > 0x18 || length == 0)
            return QStringLiteral("Feld %1 hat keinen gültigen Typ").arg(i + 1);
        if (const int fixed = fixedLength(type); fixed > 0 && length != fixed)
            return QStringLiteral("Feld %1 hat nicht die Länge seines Typs").arg(i + 1);
        lengths += length;
    }
    if (lengths != recordSize)
        return QStringLiteral("die Felder ergeben nicht die Satzgröße");

    // The data blocks form one chain without loops, each within the file.
    const qint64 perBlock = (blockSize - 6) / recordSize;
    qint64 inBlocks = 0, visited = 0;
    for (qint64 block = recordCount > 0 ? firstBlock : 0; block != 0; ++visited) {
        if (block > fileBlocks || visited >= fileBlocks)
            return QStringLiteral("die Kette der Datenblöcke ist unterbrochen");
        const uchar* head = data + headerSize + (block - 1) * blockSize;
        const qint64 used = qint16(littleEndian(head + 4, 2));
        if (used >= 0) {
            if (used / recordSize + 1 > perBlock)
                return QStringLiteral("ein Datenblock enthält mehr, als hineinpasst");
            inBlocks += used / recordSize + 1;
        }
        block = littleEndian(head, 2);
    }
    if (inBlocks < recordCount)
        return QStringLiteral("die Datenblöcke enthalten weniger Sätze, als der Dateikopf zählt");
    return {};
}

} // namespace

namespace ParadoxReader {

bool looksLikeParadox(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(0x78);
    if (h.size() < 0x58)
        return false;
    const auto u8 = [&](int i) { return static_cast<unsigned char>(h[i]); };
    const int recordSize = u8(0) | (u8(1) << 8);
    const int headerSize = u8(2) | (u8(3) << 8);
    const int fileType = u8(4);
    const int maxTableSize = u8(5);
    const int fileVersion = u8(0x39);
    return recordSize > 0 && headerSize >= 0x58 && headerSize % 0x800 == 0 &&
           (fileType == 0 || fileType == 2) && maxTableSize >= 1 && maxTableSize <= 32 &&
           fileVersion >= 3 && fileVersion <= 12 && headerSize <= f.size();
}

long convertToSqlite(const QString& paradoxPath, const QString& sqlitePath,
                     const QString& tableName, const QStringList& fieldOrder) {
    if (const QString fault = structureFault(paradoxPath); !fault.isEmpty())
        throw EngineError(QStringLiteral("Die Paradox-Tabelle %1 kann nicht gelesen werden: %2")
                              .arg(paradoxPath, fault));
    bootLibrary();
    Document px;
    px.doc = PX_new2(recordError, nullptr, nullptr, nullptr);
    lastError.clear();
    if (!px.doc || PX_open_file(px.doc, QFile::encodeName(paradoxPath).constData()) < 0)
        throw EngineError(QStringLiteral("Die Paradox-Tabelle %1 kann nicht gelesen werden: \"%2\"")
                              .arg(paradoxPath, lastError));
    pxhead_t* head = px.doc->px_head;
    const int fieldCount = PX_get_num_fields(px.doc);
    pxfield_t* fields = PX_get_fields(px.doc);
    if (fieldCount <= 0 || !fields)
        throw EngineError(
            QStringLiteral("Die Paradox-Tabelle %1 hat keine Felder").arg(paradoxPath));
    QStringDecoder decode(codecName(head->px_doscodepage).toLatin1().constData());
    if (!decode.isValid())
        decode = QStringDecoder("windows-1252");

    // Which Paradox field goes to which column, in output order.
    QList<int> source;
    QStringList names;
    if (fieldOrder.isEmpty()) {
        for (int i = 0; i < fieldCount; ++i) {
            source << i;
            names << QString(decode(QByteArray(fields[i].px_fname)));
        }
    } else {
        for (const QString& wanted : fieldOrder) {
            int found = -1;
            for (int i = 0; i < fieldCount; ++i)
                if (QString::fromLatin1(fields[i].px_fname).compare(wanted, Qt::CaseInsensitive) ==
                    0)
                    found = i;
            if (found < 0)
                throw EngineError(QStringLiteral("Die Paradox-Tabelle %1 hat kein Feld %2")
                                      .arg(paradoxPath, wanted));
            source << found;
            names << wanted;
        }
    }

    // Offsets of the fields inside a record.
    QList<int> offsets;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        offsets << offset;
        offset += fields[i].px_flen;
    }
    const int recordSize = PX_get_recordsize(px.doc);
    std::unique_ptr<char[]> record(new char[size_t(qMax(recordSize, offset)) + 1]);
    const int recordCount = PX_get_num_records(px.doc);
    // Both passes read every record that can be read: `visit(k, field, data, length)` for
    // each output column k, then `recordDone()`.
    const auto eachRecord = [&](const auto& visit, const auto& recordDone) {
        for (int r = 0; r < recordCount; ++r) {
            if (!PX_get_record(px.doc, r, record.get()))
                continue;
            for (int k = 0; k < source.size(); ++k) {
                const int i = source[k];
                visit(k, fields[i], record.get() + offsets[i], fields[i].px_flen);
            }
            recordDone();
        }
    };

    // A number field holding whole numbers only (a rating, a counter) becomes an integer
    // column, so that its values read "85", not "85.0".
    QList<bool> wholeNumbers(source.size(), false);
    for (int k = 0; k < source.size(); ++k)
        wholeNumbers[k] = kindOf(fields[source[k]]) == Kind::Real;
    if (wholeNumbers.contains(true)) {
        eachRecord(
            [&](int k, const pxfield_t&, char* data, int len) {
                double d = 0;
                if (wholeNumbers[k] && !isNullField(data, len) &&
                    PX_get_data_double(px.doc, data, len, &d) > 0 && !isWholeNumber(d))
                    wholeNumbers[k] = false;
            },
            [] {});
    }

    QFile::remove(sqlitePath);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(sqlitePath).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw EngineError(QStringLiteral("%1 kann nicht geschrieben werden").arg(sqlitePath));
    }
    // The insert is finalized before the file closes: an open statement keeps it open.
    PreparedStatement insert;
    const auto fail = [&](const QString& what) {
        const QString msg = what + QStringLiteral(": ") + SqliteMessage::lastError(db);
        insert.finalize();
        sqlite3_close(db);
        QFile::remove(sqlitePath);
        throw EngineError(msg);
    };
    QStringList columns, marks;
    for (int k = 0; k < source.size(); ++k) {
        const Kind kind = kindOf(fields[source[k]]);
        columns << LocalSqlTranslator::sqlIdentifier(names[k]) +
                       (kind == Kind::Integer || wholeNumbers[k] ? QStringLiteral(" INTEGER")
                        : kind == Kind::Real                     ? QStringLiteral(" REAL")
                                                                 : QStringLiteral(" TEXT"));
        marks << QStringLiteral("?");
    }
    const QString create =
        QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                       "CREATE TABLE %1 (%2); BEGIN;")
            .arg(LocalSqlTranslator::sqlIdentifier(tableName), columns.join(u','));
    if (sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Die Tabelle kann nicht angelegt werden"));
    insert = PreparedStatement(
        db, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                .arg(LocalSqlTranslator::sqlIdentifier(tableName), marks.join(u',')));
    if (!insert)
        fail(QStringLiteral("Die Kopie kann nicht vorbereitet werden"));

    long written = 0;
    const auto bind = [&](int k, const pxfield_t& field, char* data, int len) {
        const int slot = k + 1;
        switch (kindOf(field)) {
        case Kind::Text: {
            char* value = nullptr;
            if (PX_get_data_alpha(px.doc, data, len, &value) > 0 && value) {
                const QByteArray utf8 = QString(decode(QByteArray(value))).toUtf8();
                px.doc->free(px.doc, value);
                sqlite3_bind_text(insert, slot, utf8.constData(), int(utf8.size()),
                                  SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(insert, slot);
            }
            break;
        }
        case Kind::Integer: {
            if (isNullField(data, len)) {
                sqlite3_bind_null(insert, slot);
                break;
            }
            long v = 0;
            short s = 0;
            char b = 0;
            int ok = 0;
            if (field.px_ftype == pxfShort) {
                ok = PX_get_data_short(px.doc, data, len, &s);
                v = s;
            } else if (field.px_ftype == pxfLogical) {
                ok = PX_get_data_byte(px.doc, data, len, &b);
                v = b;
            } else {
                ok = PX_get_data_long(px.doc, data, len, &v);
            }
            if (ok > 0)
                sqlite3_bind_int64(insert, slot, v);
            else
                sqlite3_bind_null(insert, slot);
            break;
        }
        case Kind::Real: {
            double d = 0;
            if (isNullField(data, len) || PX_get_data_double(px.doc, data, len, &d) <= 0)
                sqlite3_bind_null(insert, slot);
            else if (wholeNumbers[k])
                sqlite3_bind_int64(insert, slot, qint64(d));
            else
                sqlite3_bind_double(insert, slot, d);
            break;
        }
        case Kind::Unsupported:
            sqlite3_bind_null(insert, slot);
            break;
        }
    };
    eachRecord(bind, [&] {
        if (sqlite3_step(insert) != SQLITE_DONE)
            fail(QStringLiteral("Eine Zeile kann nicht geschrieben werden"));
        sqlite3_reset(insert);
        ++written;
    });
    insert.finalize();
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Die Kopie kann nicht abgeschlossen werden"));
    sqlite3_close(db);
    return written;
}

QString cachedCopy(const QString& paradoxPath) {
    const QFileInfo info(paradoxPath);
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    const QString folder = base + QStringLiteral("/vantora-paradox");
    QDir().mkpath(folder);
    // Named after the table's path, size and time: a changed table gets a new copy.
    const QByteArray key = (info.canonicalFilePath() + u'|' + QString::number(info.size()) + u'|' +
                            QString::number(info.lastModified().toMSecsSinceEpoch()))
                               .toUtf8();
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(24));
    const QString copy = folder + u'/' + name + QStringLiteral(".sqlite");
    if (QFileInfo::exists(copy))
        return copy;
    // Two programs opening the same table at once each write a copy of their own; the
    // rename puts a whole copy in place, also over one that the other finished first.
    const QString partial =
        copy + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
    convertToSqlite(paradoxPath, partial, info.completeBaseName());
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                            QFile::encodeName(copy).toStdString(), ec);
    if (ec) {
        QFile::remove(partial);
        throw EngineError(QStringLiteral("Die Kopie von %1 kann nicht in %2 abgelegt werden")
                              .arg(paradoxPath, QDir::toNativeSeparators(folder)));
    }
    return copy;
}

} // namespace ParadoxReader
