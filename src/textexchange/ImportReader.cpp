#include "ImportReader.h"

#include <QIODevice>
#include <utility>

namespace TextExchange {

namespace {

// The records of a text under both line-end rules at once: which one applies is known only
// once the whole text has been seen (any CR makes it the CR rule).
class LineCount {
public:
    void add(char16_t c) {
        if (c == kCr) {
            m_anyCr = true;
            m_crLines += m_crFilled ? 1 : 0;
            m_crFilled = false;
            m_afterCr = true;
            return;
        }
        if (c == kLf) {
            m_lfLines += m_lfFilled ? 1 : 0;
            m_lfFilled = false;
            if (!std::exchange(m_afterCr, false))
                m_crFilled = true; // a lone LF is text under the CR rule
            return;
        }
        m_afterCr = false;
        m_crFilled = m_lfFilled = true;
    }
    bool anyCr() const { return m_anyCr; }
    // The lines that hold anything, the last one without a line end included.
    qsizetype records() const {
        return m_anyCr ? m_crLines + (m_crFilled ? 1 : 0) : m_lfLines + (m_lfFilled ? 1 : 0);
    }

private:
    bool m_anyCr = false;
    bool m_afterCr = false;
    bool m_crFilled = false;
    bool m_lfFilled = false;
    qsizetype m_crLines = 0;
    qsizetype m_lfLines = 0;
};

template <typename Text> bool onlyLineEndsAndMarks(const Text& rest) {
    for (const auto c : rest)
        if (c != u'\r' && c != u'\n' && c != u'\x1a')
            return false;
    return true;
}

// UTF-8 bytes cut into stretches that decode on their own exactly as they do within the
// whole text: a stretch ends before an ASCII byte, which neither belongs to a sequence nor
// is taken along by a broken one. `carry` keeps the bytes after the last such cut.
QByteArray stretchBeforeLastAscii(QByteArray& carry, QByteArrayView more) {
    carry.append(more);
    qsizetype cut = carry.size() - 1;
    while (cut > 0 && static_cast<unsigned char>(carry[cut]) >= 0x80)
        --cut;
    if (cut <= 0)
        return {};
    QByteArray stretch = carry.first(cut);
    carry = carry.sliced(cut);
    return stretch;
}

} // namespace

ImportReader::ImportReader(QIODevice& device, qsizetype pieceSize)
    : m_device(device), m_pieceSize(qMax<qsizetype>(1, pieceSize)) {}

bool ImportReader::fail() {
    m_error = m_device.errorString();
    if (m_error.isEmpty())
        m_error = QStringLiteral("Lesefehler");
    return false;
}

bool ImportReader::readPiece(QByteArray& piece, qint64 max) {
    piece.resize(max);
    const qint64 got = m_device.read(piece.data(), max);
    if (got < 0) {
        piece.clear();
        return fail();
    }
    piece.resize(got);
    return true;
}

bool ImportReader::scan() {
    if (m_device.isSequential()) {
        m_error = QStringLiteral("Die Datei lässt sich nur einmal lesen (keine gewöhnliche Datei)");
        return false;
    }
    if (!m_device.seek(0))
        return fail();
    const QByteArray head = m_device.peek(6);
    if (head.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16LE;
        return scanUtf16();
    }
    if (head.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16BE;
        return scanUtf16();
    }
    return scanBytes(head);
}

bool ImportReader::scanBytes(const QByteArray& head) {
    // A UTF-8 byte-order mark declares the encoding and is dropped, and the decoding drops a
    // second one right after it.
    const bool marked = head.startsWith(kUtf8Bom);
    m_textStart = marked ? kUtf8Bom.size() : 0;
    const qint64 countFrom = marked && head.sliced(3).startsWith(kUtf8Bom) ? 6 : m_textStart;

    LineCount count;
    bool nonAscii = false;
    bool invalidUtf8 = false;
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray carry;
    const auto check = [&](const QByteArray& stretch) {
        if (!stretch.isEmpty() && !invalidUtf8) {
            const QString ignored = strict.decode(stretch);
            invalidUtf8 = strict.hasError();
        }
    };

    bool ended = false;
    qint64 offset = 0;
    QByteArray piece;
    while (readPiece(piece, m_pieceSize) && !piece.isEmpty()) {
        QByteArrayView view(piece);
        if (!ended) {
            const qsizetype end = view.indexOf(kCtrlZ);
            const QByteArrayView text = end < 0 ? view : view.first(end);
            for (qsizetype i = 0; i < text.size(); ++i) {
                const auto b = static_cast<unsigned char>(text[i]);
                nonAscii = nonAscii || b >= 0x80;
                if (offset + i >= countFrom)
                    count.add(b);
            }
            if (!marked)
                check(stretchBeforeLastAscii(carry, text));
            if (end >= 0) {
                ended = true;
                m_textEnd = offset + end;
                view = view.sliced(end);
            }
        }
        offset += piece.size();
        if (ended && !onlyLineEndsAndMarks(view)) {
            m_restLeft = true;
            break; // what follows is not read
        }
    }
    if (failed())
        return false;
    if (!ended)
        m_textEnd = offset;
    if (!marked)
        check(std::exchange(carry, {}));
    m_encoding = marked || (nonAscii && !invalidUtf8) ? Encoding::Utf8 : Encoding::Windows1252;
    m_crEnds = count.anyCr();
    m_records = count.records();
    return true;
}

bool ImportReader::scanUtf16() {
    // The byte 0x1A occurs inside ordinary UTF-16 characters: the mark is a character.
    QStringDecoder decoder(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                           : QStringConverter::Utf16BE);
    LineCount count;
    bool ended = false;
    QByteArray piece;
    while (readPiece(piece, m_pieceSize) && !piece.isEmpty()) {
        const QString chars = decoder.decode(piece);
        QStringView view(chars);
        if (!ended) {
            const qsizetype end = view.indexOf(QChar(kCtrlZ));
            for (const QChar c : end < 0 ? view : view.first(end))
                count.add(c.unicode());
            if (end >= 0) {
                ended = true;
                view = view.sliced(end);
            }
        }
        if (ended && !onlyLineEndsAndMarks(view)) {
            m_restLeft = true;
            break;
        }
    }
    if (failed())
        return false;
    m_crEnds = count.anyCr();
    m_records = count.records();
    return true;
}

bool ImportReader::refill() {
    m_text.clear();
    m_at = 0;
    while (m_text.isEmpty()) {
        if (m_textDone)
            return false;
        const qint64 max =
            utf16() ? m_pieceSize : qMin<qint64>(m_pieceSize, m_textEnd - m_position);
        QByteArray piece;
        if (max <= 0 || !readPiece(piece, max) || piece.isEmpty()) {
            m_textDone = true;
            if (failed())
                return false;
            if (m_encoding == Encoding::Utf8)
                m_text = QString::fromUtf8(std::exchange(m_carry, {}));
            continue;
        }
        m_position += piece.size();
        switch (m_encoding) {
        case Encoding::Windows1252:
            m_text = fromWindows1252(piece);
            break;
        case Encoding::Utf8:
            m_text = QString::fromUtf8(stretchBeforeLastAscii(m_carry, piece));
            break;
        case Encoding::Utf16LE:
        case Encoding::Utf16BE: {
            m_text = m_decoder->decode(piece);
            const qsizetype end = m_text.indexOf(QChar(kCtrlZ));
            if (end >= 0) {
                m_text.truncate(end);
                m_textDone = true;
            }
            break;
        }
        }
    }
    m_anyText = true;
    m_lastChar = m_text.back();
    return true;
}

bool ImportReader::emitLine(QStringView line, Record& record, int& lineNumber) {
    ++m_lines;
    if (line.isEmpty())
        return false;
    record = splitFields(line);
    lineNumber = m_lines;
    return true;
}

void ImportReader::finish() {
    m_finished = true;
    if (!m_restLeft)
        return;
    // The line the end mark stands on.
    const bool lineEnded = !m_anyText || m_lastChar == QChar(kCr) || m_lastChar == QChar(kLf);
    m_cutAtLine = m_lines + (lineEnded ? 1 : 0);
}

bool ImportReader::next(Record& record, int& line) {
    if (!m_started) {
        m_started = true;
        if (!m_device.seek(m_textStart)) {
            m_finished = true;
            return fail();
        }
        m_position = m_textStart;
        if (utf16())
            m_decoder.emplace(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                              : QStringConverter::Utf16BE);
    }
    const QChar lineEnd(m_crEnds ? kCr : kLf);
    while (!m_finished) {
        if (m_at >= m_text.size()) {
            if (refill())
                continue;
            if (failed()) {
                m_finished = true;
                return false;
            }
            // The last line needs no line end.
            const bool last = !m_line.isEmpty() && emitLine(m_line, record, line);
            finish();
            return last;
        }
        const QStringView text(m_text);
        if (std::exchange(m_afterCr, false) && text[m_at] == QChar(kLf)) {
            ++m_at; // the LF right after a CR belongs to the line end
            continue;
        }
        const qsizetype end = text.indexOf(lineEnd, m_at);
        if (end < 0) {
            m_line += text.sliced(m_at);
            m_at = text.size();
            continue;
        }
        const QStringView rest = text.sliced(m_at, end - m_at);
        m_at = end + 1;
        m_afterCr = m_crEnds;
        bool got = false;
        if (m_line.isEmpty()) {
            got = emitLine(rest, record, line);
        } else {
            m_line += rest;
            got = emitLine(m_line, record, line);
            m_line.resize(0);
        }
        if (got)
            return true;
    }
    return false;
}

} // namespace TextExchange
