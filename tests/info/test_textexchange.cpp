// The text file format alone: encodings, line ends, field splitting.
#include "ImportReader.h"
#include "TextExchange.h"

#include <QBuffer>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using TextExchange::Record;

Q_DECLARE_METATYPE(Record)

namespace {
QList<QStringList> asLists(const QList<Record>& records) {
    QList<QStringList> out;
    for (const Record& r : records)
        out.append(QStringList(r.begin(), r.end()));
    return out;
}
} // namespace

class TestTextExchange : public QObject {
    Q_OBJECT
private slots:
    void exportLineJoinsWithTabsAndEndsInCrLf_data();
    void exportLineJoinsWithTabsAndEndsInCrLf();
    void windows1252TableAgreesWithTheSystemConverter();
    void windows1252RefusesWhatItCannotHold_data();
    void windows1252RefusesWhatItCannotHold();
    void splitFields_data();
    void splitFields();
    void parseImport_data();
    void parseImport();
    void encodingDetection_data();
    void encodingDetection();
    void readingInPiecesGivesWhatTheWholeFileGives_data();
    void readingInPiecesGivesWhatTheWholeFileGives();
};

void TestTextExchange::exportLineJoinsWithTabsAndEndsInCrLf_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("line");
    QTest::newRow("four fields") << QStringList{"Demo", "2002/05", "Demo", "CD"}
                                 << "Demo\t2002/05\tDemo\tCD\r\n";
    QTest::newRow("empty fields keep their tabs")
        << QStringList{"", "2002/05", "", ""} << "\t2002/05\t\t\r\n";
    QTest::newRow("a tab and a line break inside stay unchanged")
        << QStringList{"a\tb", "x\r\ny"} << "a\tb\tx\r\ny\r\n";
    QTest::newRow("one field") << QStringList{"85"} << "85\r\n";
}

void TestTextExchange::exportLineJoinsWithTabsAndEndsInCrLf() {
    QFETCH(QStringList, fields);
    QFETCH(QString, line);
    QCOMPARE(TextExchange::exportLine(fields), line);
}

void TestTextExchange::windows1252TableAgreesWithTheSystemConverter() {
    QStringDecoder system("windows-1252");
    if (!system.isValid())
        QSKIP("this Qt has no Windows-1252 converter to compare with");
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString ours = TextExchange::fromWindows1252(all);
    QCOMPARE(ours, system.decode(all));
    // And every character of the code page goes back to its byte.
    const auto bytes = TextExchange::toWindows1252(ours);
    QVERIFY(bytes.has_value());
    QCOMPARE(*bytes, all);
}

void TestTextExchange::windows1252RefusesWhatItCannotHold_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::newRow("umlauts and sharp s") << u"Lösung für Straße"_qs << true;
    QTest::newRow("euro sign") << u"Preis 5 €"_qs << true;
    QTest::newRow("Polish l with stroke") << u"Łódź"_qs << false;
    QTest::newRow("C1 control that 0x80 does not stand for") << u"\u0080"_qs << false;
    QTest::newRow("emoji (surrogate pair)") << u"Spiel 🎮"_qs << false;
    QTest::newRow("empty") << QString() << true;
}

void TestTextExchange::windows1252RefusesWhatItCannotHold() {
    QFETCH(QString, text);
    QFETCH(bool, fits);
    const auto bytes = TextExchange::toWindows1252(text);
    QCOMPARE(bytes.has_value(), fits);
    if (fits)
        QCOMPARE(TextExchange::fromWindows1252(*bytes), text);
}

void TestTextExchange::splitFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("three tabs") << "a\t2002/05\tDemo\tCD"
                                << QStringList{"a", "2002/05", "Demo", "CD"};
    QTest::newRow("no tab: the whole line is field 4") << "abc" << QStringList{"", "", "", "abc"};
    QTest::newRow("one tab") << "a\tb" << QStringList{"a", "", "", "b"};
    QTest::newRow("two tabs: field 3 empty") << "a\tb\tc" << QStringList{"a", "b", "", "c"};
    QTest::newRow("more tabs stay in field 4")
        << "a\tb\tc\td\te" << QStringList{"a", "b", "c", "d\te"};
    QTest::newRow("tabs only") << "\t\t\t" << QStringList{"", "", "", ""};
    QTest::newRow("two tabs only") << "\t\t" << QStringList{"", "", "", ""};
}

void TestTextExchange::splitFields() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    const Record r = TextExchange::splitFields(line);
    QCOMPARE(QStringList(r.begin(), r.end()), fields);
}

void TestTextExchange::parseImport_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QStringList>>("records");
    using L = QList<QStringList>;
    QTest::newRow("one line with CR LF")
        << QByteArray("a\t2002/05\tDemo\tCD\r\n") << L{{"a", "2002/05", "Demo", "CD"}};
    QTest::newRow("final line without a line end")
        << QByteArray("a\tb\tc\td\r\ne\tf\tg\th") << L{{"a", "b", "c", "d"}, {"e", "f", "g", "h"}};
    QTest::newRow("CR alone ends a line")
        << QByteArray("a\r\tb\r") << L{{"", "", "", "a"}, {"", "", "", "b"}};
    QTest::newRow("LF-only file splits at LF")
        << QByteArray("x\t1\n y\t2\n z\t3\n")
        << L{{"x", "", "", "1"}, {" y", "", "", "2"}, {" z", "", "", "3"}};
    QTest::newRow("lone LF inside a CR LF file stays in the text")
        << QByteArray("a\t2002/05\tDemo\tzwei\nZeilen\r\nb\t\t\tc\r\n")
        << L{{"a", "2002/05", "Demo", "zwei\nZeilen"}, {"b", "", "", "c"}};
    QTest::newRow("one LF right after CR belongs to the line end, a second does not")
        << QByteArray("a\r\n\nb\r\n") << L{{"", "", "", "a"}, {"", "", "", "\nb"}};
    QTest::newRow("empty lines between and after records are skipped")
        << QByteArray("a\tb\tc\td\r\n\r\n\r\ne\tf\tg\th\r\n\r\n")
        << L{{"a", "b", "c", "d"}, {"e", "f", "g", "h"}};
    QTest::newRow("empty lines of an LF file are skipped")
        << QByteArray("\n\na\n\n") << L{{"", "", "", "a"}};
    QTest::newRow("a line of tabs is a record")
        << QByteArray("\t\r\n\t\t\t\r\n") << L{{"", "", "", ""}, {"", "", "", ""}};
    QTest::newRow("Ctrl-Z mid-line ends the input")
        << QByteArray("a\tb\tc\td\r\ne\tf\x1ag\th\r\ni\tj\tk\tl\r\n")
        << L{{"a", "b", "c", "d"}, {"e", "", "", "f"}};
    QTest::newRow("Ctrl-Z first: nothing") << QByteArray("\x1a"
                                                         "a\tb\r\n")
                                           << L{};
    QTest::newRow("empty file") << QByteArray() << L{};
    QTest::newRow("only line ends") << QByteArray("\r\n\r\n") << L{};
}

void TestTextExchange::parseImport() {
    QFETCH(QByteArray, file);
    QFETCH(QList<QStringList>, records);
    QCOMPARE(asLists(TextExchange::parseImport(file)), records);
}

void TestTextExchange::encodingDetection_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("Windows-1252 umlaut") << QByteArray("L\xf6sung") << u"Lösung"_qs;
    QTest::newRow("Windows-1252 euro") << QByteArray("5 \x80") << u"5 €"_qs;
    QTest::newRow("UTF-8 without mark") << QByteArray("L\xc3\xb6sung") << u"Lösung"_qs;
    QTest::newRow("UTF-8 with mark, mark dropped") << QByteArray("\xef\xbb\xbf\xc5\x81\xc3\xb3"
                                                                 "d\xc5\xba")
                                                   << u"Łódź"_qs;
    QTest::newRow("mark only") << QByteArray("\xef\xbb\xbf") << QString();
    QTest::newRow("plain ASCII") << QByteArray("Demo") << u"Demo"_qs;
    QTest::newRow("invalid UTF-8 is Windows-1252") << QByteArray("\xc3\x28") << u"Ã("_qs;
    QTest::newRow("detection sees only what comes before Ctrl-Z")
        << QByteArray("\xc3\xb6\x1a\xff") << u"ö"_qs;
}

void TestTextExchange::encodingDetection() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextExchange::decodeImport(bytes), text);
}

void TestTextExchange::readingInPiecesGivesWhatTheWholeFileGives_data() {
    QTest::addColumn<QByteArray>("file");
    const auto utf16 = [](const QString& text, QStringConverter::Encoding encoding) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    const QString unicode = u"Über\t2002/05\tSpiel 🎮\tCD\r\n\nzwei\rdrei\u1a1a\t\r\n"
                            u"vier\u001a\tverloren\r\n"_qs;
    QTest::newRow("UTF-8: sequences of two to four bytes")
        << QByteArray("L\xc3\xb6sung\t2002/05\t\xe2\x82\xac\t\xf0\x9f\x8e\xae\r\n\xc3\x9c\r\n");
    QTest::newRow("UTF-8 with a mark: broken sequences, one cut off at the end")
        << QByteArray("\xef\xbb\xbf"
                      "a\xe2\x82\tb\xc3\r\n\xf0\x9f\x8e\r\xed\xa0\x80\xc3");
    QTest::newRow("UTF-8 with two marks, the first line nothing else")
        << QByteArray("\xef\xbb\xbf\xef\xbb\xbf\r\n\xef\xbb\xbfx\r\n");
    QTest::newRow("Windows-1252: valid UTF-8 until a late invalid byte")
        << QByteArray("\xc3\xb6\t2002/05\r\n\xc3\xb6\xc3\xb6\r\n\x80\xff\r\n");
    QTest::newRow("UTF-8 before the end mark, invalid bytes after it")
        << QByteArray("\xc3\xb6\tx\r\n\x1a\xff\xfe");
    QTest::newRow("CR LF pairs and empty lines")
        << QByteArray("a\tb\tc\td\r\n\r\n\r\ne\tf\r\n\r\n");
    QTest::newRow("lone CR and LF mixed") << QByteArray("a\r\n\nb\rc\n\rd\n\n\r\r\ne");
    QTest::newRow("LF only, with empty lines") << QByteArray("\n\nx\t1\n\ny\t2\n");
    QTest::newRow("LF only, one last line without end") << QByteArray("x\ny");
    QTest::newRow("Ctrl-Z mid-line before more text") << QByteArray("a\tb\r\nc\x1a"
                                                                    "d\r\ne\tf\r\n");
    QTest::newRow("Ctrl-Z after a line end before more text") << QByteArray("a\tb\r\n\x1a"
                                                                            "verloren\r\n");
    QTest::newRow("Ctrl-Z followed by line ends and marks only")
        << QByteArray("a\tb\r\n\x1a\r\n\x1a\x1a\n");
    QTest::newRow("Ctrl-Z first") << QByteArray("\x1a"
                                                "a\r\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("UTF-16 LE") << utf16(unicode, QStringConverter::Utf16LE);
    QTest::newRow("UTF-16 BE") << utf16(unicode, QStringConverter::Utf16BE);
    QTest::newRow("UTF-16 LE, an odd byte at the end")
        << utf16(u"a\tb\nc"_qs, QStringConverter::Utf16LE) + '\x0d';
    QTest::newRow("UTF-16 BE, a lone surrogate and a mark only in a later byte")
        << utf16(u"a\r"_qs, QStringConverter::Utf16BE) + QByteArray("\xd8\x3d\x00z\x1a\x00", 6);
}

void TestTextExchange::readingInPiecesGivesWhatTheWholeFileGives() {
    QFETCH(QByteArray, file);
    const TextExchange::ImportText whole = TextExchange::readImport(file);
    // Pieces of one to a few bytes end inside every sequence, line end and mark.
    for (const qsizetype piece : {1, 2, 3, 5, 7, 1 << 20}) {
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TextExchange::ImportReader reader(buffer, piece);
        QVERIFY(reader.scan());
        TextExchange::ImportText streamed;
        Record record;
        int line = 0;
        while (reader.next(record, line)) {
            streamed.records.append(record);
            streamed.lines.append(line);
        }
        QVERIFY(!reader.failed());
        const QByteArray where = "piece size " + QByteArray::number(piece);
        QVERIFY2(asLists(streamed.records) == asLists(whole.records), where.constData());
        QVERIFY2(streamed.lines == whole.lines, where.constData());
        QVERIFY2(reader.cutAtLine() == whole.cutAtLine, where.constData());
        QVERIFY2(reader.recordCount() == whole.records.size(), where.constData());
    }
}

QTEST_APPLESS_MAIN(TestTextExchange)
#include "test_textexchange.moc"
