#include "TextExchange.h"

#include <QStringDecoder>

namespace TextExchange {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves unassigned.
// Every other byte is the Latin-1 character of the same number.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // 98-9F
};

char16_t charOfByte(unsigned char b) {
    if (b < 0x80 || b > 0x9F)
        return b;
    const char16_t c = kHighControls[b - 0x80];
    return c ? c : char16_t(b);
}

// The byte of a character, or -1 when Windows-1252 has none.
int byteOfChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    if (c <= 0x9F)
        return kHighControls[c - 0x80] == 0 ? c : -1;
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return 0x80 + i;
    return -1;
}

bool hasNonAscii(const QByteArray& bytes) {
    for (const char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return true;
    return false;
}

// The UTF-8 text of `bytes`, or nothing when they are not valid UTF-8.
std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString exportLine(const QStringList& fields) {
    return fields.join(QChar(kTab)) + QChar(kCr) + QChar(kLf);
}

std::optional<QByteArray> toWindows1252(QStringView text) {
    QByteArray out;
    out.resize(text.size());
    char* p = out.data();
    for (const QChar ch : text) {
        const int b = byteOfChar(ch.unicode());
        if (b < 0)
            return std::nullopt;
        *p++ = char(b);
    }
    return out;
}

QString fromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* p = text.data();
    for (const char b : bytes)
        *p++ = QChar(charOfByte(static_cast<unsigned char>(b)));
    return text;
}

namespace {

// Whether only line ends and further end marks follow the first mark.
template <typename Rest> bool onlyLineEndsAndMarks(const Rest& rest) {
    for (const auto c : rest)
        if (c != u'\r' && c != u'\n' && c != u'\x1a')
            return false;
    return true;
}

struct Decoded {
    QString text;          // up to the first end mark
    bool restLeft = false; // more than line ends and marks followed it
};

std::optional<QStringConverter::Encoding> utf16Mark(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

Decoded decode(const QByteArray& bytes) {
    Decoded out;
    if (const auto utf16 = utf16Mark(bytes)) {
        // The byte 0x1A occurs inside ordinary UTF-16 characters: the mark is a character.
        QStringDecoder decoder(*utf16);
        const QString all = decoder.decode(bytes);
        const qsizetype end = all.indexOf(QChar(kCtrlZ));
        out.text = end < 0 ? all : all.left(end);
        out.restLeft = end >= 0 && !onlyLineEndsAndMarks(QStringView(all).sliced(end));
        return out;
    }
    const qsizetype end = bytes.indexOf(kCtrlZ);
    const QByteArray read = end < 0 ? bytes : bytes.left(end);
    out.restLeft = end >= 0 && !onlyLineEndsAndMarks(QByteArrayView(bytes).sliced(end));
    if (read.startsWith(kUtf8Bom)) {
        // The mark declares the encoding; a broken sequence becomes a replacement character.
        out.text = QString::fromUtf8(read.mid(kUtf8Bom.size()));
    } else if (auto utf8 = hasNonAscii(read) ? strictUtf8(read) : std::nullopt) {
        out.text = *utf8;
    } else {
        out.text = fromWindows1252(read);
    }
    return out;
}

// The line an end mark right after `text` stands on.
int lineAfter(const QString& text) {
    const int lines = int(splitLines(text).size());
    const bool lineEnded = text.isEmpty() || text.endsWith(QChar(kCr)) || text.endsWith(QChar(kLf));
    return lines + (lineEnded ? 1 : 0);
}

} // namespace

QString decodeImport(const QByteArray& bytes) {
    return decode(bytes).text;
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    const bool crEnds = text.contains(QChar(kCr));
    const QChar lineEnd(crEnds ? kCr : kLf);
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != lineEnd)
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (crEnds && i + 1 < n && text[i + 1] == QChar(kLf))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start).toString());
    return lines;
}

Record splitFields(QStringView line) {
    Record record;
    QStringView rest = line;
    for (int field = 0; field < 3; ++field) {
        const qsizetype tab = rest.indexOf(QChar(kTab));
        if (tab < 0)
            continue; // this field stays empty; the rest stays whole
        record[field] = rest.first(tab).toString();
        rest = rest.sliced(tab + 1);
    }
    record[3] = rest.toString();
    return record;
}

ImportText readImport(const QByteArray& bytes) {
    ImportText out;
    const Decoded decoded = decode(bytes);
    const QStringList lines = splitLines(decoded.text);
    out.records.reserve(lines.size());
    out.lines.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        out.records.append(splitFields(lines[i]));
        out.lines.append(i + 1);
    }
    if (decoded.restLeft)
        out.cutAtLine = lineAfter(decoded.text);
    return out;
}

QList<Record> parseImport(const QByteArray& bytes) {
    return readImport(bytes).records;
}

} // namespace TextExchange
