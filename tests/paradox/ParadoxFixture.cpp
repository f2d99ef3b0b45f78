#include "ParadoxFixture.h"

#include <QFile>
#include <QStringEncoder>
#include <vector>

// pxlib's header declares C functions without a C++ linkage block of its own.
extern "C" {
#include <paradox.h>
}

namespace ParadoxFixture {

namespace {

struct FieldSpec {
    const char* name;
    char type;  // pxfAlpha, or pxfShort for the number fields
    int length; // bytes in the record
};

// The field layout of the archive's tables: names spelt as the edit mode expects them,
// alpha widths generous enough for the longest texts the archive holds.
std::vector<FieldSpec> fieldsOf(Schema schema) {
    switch (schema) {
    case Schema::Games:
        return {{"TITEL", pxfAlpha, 80},      {"Rubrik", pxfAlpha, 15}, {"Genre", pxfAlpha, 30},
                {"HERSTELLER", pxfAlpha, 60}, {"WERTUNG", pxfShort, 2}, {"Ausgabe", pxfAlpha, 7},
                {"KOMMENTAR", pxfAlpha, 255}};
    case Schema::Disc:
        return {{"TITEL", pxfAlpha, 80},
                {"Ausgabe", pxfAlpha, 7},
                {"Art", pxfAlpha, 20},
                {"Medium", pxfAlpha, 10}};
    case Schema::Tips:
        return {{"TITEL", pxfAlpha, 80},
                {"Ausgabe", pxfAlpha, 7},
                {"Art", pxfAlpha, 20},
                {"COUNTER", pxfShort, 2}};
    }
    return {};
}

const char* codecFor(int codePage) {
    switch (codePage) {
    case 850:
        return "IBM850";
    case 437:
        return "IBM437";
    default:
        return "windows-1252";
    }
}

bool isEmpty(const QString& value) {
    return value.isEmpty() || value == QLatin1String("\\N");
}

// Closes and frees the document on every way out.
struct Document {
    pxdoc_t* doc = nullptr;
    bool created = false;
    ~Document() {
        if (!doc)
            return;
        if (created)
            PX_close(doc);
        PX_delete(doc);
    }
};

} // namespace

QString fileName(Schema schema) {
    return tableName(schema) + QStringLiteral(".DB");
}

QString tableName(Schema schema) {
    switch (schema) {
    case Schema::Games:
        return QStringLiteral("GameData");
    case Schema::Disc:
        return QStringLiteral("CDData");
    case Schema::Tips:
        return QStringLiteral("TipsData");
    }
    return {};
}

QString sqliteSchema(Schema schema) {
    QStringList columns;
    for (const FieldSpec& f : fieldsOf(schema))
        columns << QString::fromLatin1(f.name) +
                       (f.type == pxfShort ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
    return columns.join(QStringLiteral(", "));
}

QString writeTable(const QString& path, Schema schema, const QList<QStringList>& rows, int codePage,
                   NumberType numbers) {
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);

    std::vector<FieldSpec> specs = fieldsOf(schema);
    for (FieldSpec& f : specs) {
        if (f.type != pxfShort || numbers == NumberType::Short)
            continue;
        f.type = numbers == NumberType::Long ? pxfLong : pxfNumber;
        f.length = numbers == NumberType::Long ? 4 : 8;
    }
    QStringEncoder encode(codecFor(codePage));
    if (!encode.isValid())
        return QStringLiteral("no encoder for code page %1").arg(codePage);

    Document px;
    px.doc = PX_new();
    if (!px.doc)
        return QStringLiteral("PX_new failed");
    // pxlib takes the field list over and frees it with the document.
    auto* fields = static_cast<pxfield_t*>(
        px.doc->malloc(px.doc, sizeof(pxfield_t) * specs.size(), "ParadoxFixture fields"));
    int recordSize = 0;
    for (size_t i = 0; i < specs.size(); ++i) {
        fields[i].px_fname = PX_strdup(px.doc, specs[i].name);
        fields[i].px_ftype = specs[i].type;
        fields[i].px_flen = specs[i].length;
        fields[i].px_fdc = 0;
        recordSize += specs[i].length;
    }
    QFile::remove(path);
    if (PX_create_file(px.doc, fields, int(specs.size()), QFile::encodeName(path).constData(),
                       pxfFileTypNonIndexDB) < 0)
        return QStringLiteral("PX_create_file failed for %1").arg(path);
    px.created = true;
    PX_set_parameter(px.doc, "tablename", tableName(schema).toLatin1().constData());
    if (PX_set_value(px.doc, "codepage", float(codePage)) < 0)
        return QStringLiteral("code page %1 refused").arg(codePage);

    std::vector<char> record(static_cast<size_t>(recordSize));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        if (row.size() != int(specs.size()))
            return QStringLiteral("row %1 has %2 fields").arg(r).arg(row.size());
        std::fill(record.begin(), record.end(), 0);
        char* field = record.data();
        for (size_t i = 0; i < specs.size(); ++i) {
            const QString& value = row[int(i)];
            if (!isEmpty(value)) {
                if (specs[i].type != pxfAlpha) {
                    bool ok = false;
                    const double number = value.toDouble(&ok);
                    const bool whole = ok && number == int(number);
                    if (!ok || (specs[i].type != pxfNumber && !whole) ||
                        (specs[i].type == pxfShort && (number < -32767 || number > 32767)))
                        return QStringLiteral("%1 does not fit field %2")
                            .arg(value, QLatin1String(specs[i].name));
                    if (specs[i].type == pxfShort)
                        PX_put_data_short(px.doc, field, specs[i].length, short(number));
                    else if (specs[i].type == pxfLong)
                        PX_put_data_long(px.doc, field, specs[i].length, int(number));
                    else
                        PX_put_data_double(px.doc, field, specs[i].length, number);
                } else {
                    QByteArray bytes = encode(value);
                    if (encode.hasError())
                        return QStringLiteral("code page %1 cannot hold \"%2\"")
                            .arg(codePage)
                            .arg(value);
                    if (bytes.size() > specs[i].length)
                        return QStringLiteral("\"%1\" is longer than %2 bytes")
                            .arg(value)
                            .arg(specs[i].length);
                    PX_put_data_alpha(px.doc, field, specs[i].length, bytes.data());
                }
            }
            field += specs[i].length;
        }
        if (PX_put_record(px.doc, record.data()) < 0)
            return QStringLiteral("PX_put_record failed at row %1").arg(r);
    }
    return {};
}

} // namespace ParadoxFixture
