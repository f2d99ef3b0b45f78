#pragma once

#include "TextExchange.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <optional>

class QIODevice;

namespace TextExchange {

// Reads an import file piece by piece and gives what readImport() gives for the whole file:
// the same records with their file lines, and the same line of a cut-off rest. It holds one
// piece of the file and one line of text at a time, whatever the file's size.
//
// What the reading depends on as a whole (the encoding, where the end mark stands, whether
// the text holds any CR) is learnt by scan(), a first pass that keeps no text; next() then
// reads the file again from its start and hands out one record at a time.
class ImportReader {
public:
    static constexpr qsizetype kPieceSize = 1 << 20;

    // `device` is open for reading and can go back to its start; it must outlive the reader.
    explicit ImportReader(QIODevice& device, qsizetype pieceSize = kPieceSize);

    // The first pass. False when the file cannot be read; errorString() says why.
    bool scan();
    // The records next() hands out, as the first pass counted them.
    qsizetype recordCount() const { return m_records; }

    // The next record and its file line (counted from 1); false at the end of the text, and
    // when the file cannot be read (failed()). Completely empty lines are skipped.
    bool next(Record& record, int& line);
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Once next() has returned false at the end: as ImportText::cutAtLine.
    int cutAtLine() const { return m_cutAtLine; }

private:
    enum class Encoding { Windows1252, Utf8, Utf16LE, Utf16BE };

    bool utf16() const {
        return m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE;
    }
    // Reads up to `max` bytes into `piece`; false on a read error (recorded).
    bool readPiece(QByteArray& piece, qint64 max);
    bool scanBytes(const QByteArray& head);
    bool scanUtf16();
    // Decodes the next stretch of text into m_text; false when no text is left.
    bool refill();
    bool emitLine(QStringView line, Record& record, int& lineNumber);
    void finish();
    bool fail();

    QIODevice& m_device;
    qsizetype m_pieceSize;

    // Learnt by the first pass.
    Encoding m_encoding = Encoding::Windows1252;
    qint64 m_textStart = 0; // the first byte of text (after a UTF-8 byte-order mark)
    qint64 m_textEnd = 0;   // the end mark's byte, or the file's size (bytes encodings)
    bool m_crEnds = false;  // lines end at CR, else at LF
    bool m_restLeft = false;
    qsizetype m_records = 0;

    // The second pass.
    bool m_started = false;
    qint64 m_position = 0;
    std::optional<QStringDecoder> m_decoder; // UTF-16
    QByteArray m_carry;                      // UTF-8 bytes after the last ASCII byte decoded so far
    bool m_textDone = false;
    QString m_text;     // the stretch of text being split
    qsizetype m_at = 0; // where in m_text the next line starts
    QString m_line;     // the start of a line that goes on in the next stretch
    bool m_afterCr = false;
    bool m_anyText = false;
    QChar m_lastChar;
    int m_lines = 0;
    bool m_finished = false;
    int m_cutAtLine = 0;
    QString m_error;
};

} // namespace TextExchange
