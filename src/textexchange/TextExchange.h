#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

// The tab-separated text format of the export and the import, without any window or table:
// bytes in, records out, and texts out to bytes.
namespace TextExchange {

// The four field texts of one import line, in table order.
using Record = std::array<QString, 4>;

inline constexpr char16_t kTab = u'\t';
inline constexpr char16_t kCr = u'\r';
inline constexpr char16_t kLf = u'\n';
inline constexpr char kCtrlZ = '\x1a';

// The byte-order mark that starts a UTF-8 export.
inline const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// --- Export ---------------------------------------------------------------------------

// One export line: the field texts joined by TAB, then CR LF; nothing quoted or escaped.
QString exportLine(const QStringList& fields);

// The Windows-1252 bytes of `text`, or nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> toWindows1252(QStringView text);

// --- Import ---------------------------------------------------------------------------

// The text of Windows-1252 bytes; the five unassigned bytes stand for the control
// characters of the same number.
QString fromWindows1252(const QByteArray& bytes);

// The text of an import file: everything before the first end-of-file mark (Ctrl-Z). A
// file starting with a UTF-16 byte-order mark (either byte order) is UTF-16 and its mark
// is the character U+001A; any other file ends at the byte 0x1A and is read as UTF-8 when
// it starts with a UTF-8 byte-order mark or is valid UTF-8 with at least one non-ASCII
// byte, else as Windows-1252. Byte-order marks are dropped.
QString decodeImport(const QByteArray& bytes);

// An import file as the import reads it.
struct ImportText {
    QList<Record> records; // in file order; completely empty lines are skipped
    QList<int> lines;      // the file line of each record, counted from 1
    // The line of the first end-of-file mark when anything but line ends and further marks
    // follows it (that rest is not read), else 0.
    int cutAtLine = 0;
};
ImportText readImport(const QByteArray& bytes);

// The lines of an import text. In a text holding any CR a line ends at each CR, one LF
// right after it belongs to the line end and a lone LF stays in the line; a text without
// CR ends its lines at LF. A line end after the last line adds no line.
QStringList splitLines(QStringView text);

// The four field texts of one line: the texts before the first, second and third TAB,
// and the rest. A step that finds no TAB gives an empty field and leaves the rest whole.
Record splitFields(QStringView line);

// Every record of an import file, in file order; completely empty lines are skipped.
QList<Record> parseImport(const QByteArray& bytes);

} // namespace TextExchange
