// Odd and hostile import files, and a disk that fails while an import is written, all
// through the info window's import in edit mode on the disc-content view: the message the
// user sees and the rows that end up in the table file.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataSource.h"
#include "FaultVfs.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Table.h"
#include "TableChecks.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

using TestSupport::joined;
using TestSupport::Rows;

namespace {

using TestSupport::kDiscSchema;

const Rows kBaseRows = {{"Völkerball", "2002/05", "Demo", "CD"},
                        {"Aqua Rennen", "2001/11", "Patch", "DVD"}};

// The bytes of a literal, NULs included.
template <size_t N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, qsizetype(N - 1));
}

QString successMessage(int count) {
    return QStringLiteral("message: Import erfolgreich abgeschlossen.\r%1 Datensätze eingefügt.")
        .arg(count);
}

// The success box with its lines for a rest after the end mark and for refused lines.
QString importBox(int count, int cutLine, const QList<int>& refused) {
    QString box = successMessage(count);
    if (cutLine > 0)
        box += QStringLiteral("\rDer Rest der Datei nach dem Dateiende-Zeichen in Zeile %1 wurde "
                              "nicht gelesen.")
                   .arg(cutLine);
    if (!refused.isEmpty()) {
        QStringList named;
        for (int line : refused.mid(0, 10))
            named << QString::number(line);
        box += QStringLiteral("\r%1 Zeilen mit fehlerhafter Ausgabe wurden nicht übernommen "
                              "(Zeile %2%3).")
                   .arg(refused.size())
                   .arg(named.join(QStringLiteral(", ")))
                   .arg(refused.size() > 10 ? QStringLiteral(" …") : QString());
    }
    return box;
}

// The UTF-16 bytes of `text` with its byte-order mark.
QByteArray utf16(const QString& text, bool bigEndian) {
    QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray importLine(int i) {
    return "Import " + QByteArray::number(i) + "\t2002/05\tDemo\tCD\r\n";
}

QString importedRow(int i) {
    return QStringLiteral("Import %1|2002/05|Demo|CD").arg(i);
}

} // namespace

class TestImportFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oddFiles_data();
    void oddFiles();
    void tenMegabyteLine_data();
    void tenMegabyteLine();
    void twoHundredThousandLines();
    void diskFailsDuringTheImport_data();
    void diskFailsDuringTheImport();

private:
    void startInDiscEditMode();
    void importFile(const QString& path) {
        m_app->openFileAnswer = path;
        Form2->Button3Click();
    }
    QString discFile() const { return m_app->dataDir() + QStringLiteral("/CDData.DB"); }
    QStringList discRows() const {
        return TestSupport::readTable(discFile(), QStringLiteral("CDData"));
    }

    AppFixture* m_app = nullptr;
};

void TestImportFiles::initTestCase() {
    FaultVfs::install();
}

void TestImportFiles::init() {
    m_app = new AppFixture;
}

void TestImportFiles::cleanup() {
    FaultVfs::disarm();
    delete m_app;
    m_app = nullptr;
}

void TestImportFiles::startInDiscEditMode() {
    const QString dir = m_app->dataDir();
    TestSupport::makeTables(dir,
                            {{"Aqua", "Action", "Actionspiel", "Kalmor", "85", "2002/06", "gut"}},
                            kBaseRows, {{"Aqua", "2002/05", "Cheat", "3"}});
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    UserSteps::showView(UserSteps::Disc);
    UserSteps::switchEditMode();
    QCOMPARE(State().EditMode, 1);
    QCOMPARE(State().ViewTableFile, QStringLiteral("CDData.db"));
    QVERIFY(Form1->Table1.isOpen());
    QVERIFY(m_app->boxes.isEmpty());
}

// --- Odd files -----------------------------------------------------------------------

void TestImportFiles::oddFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("added");
    // Lines whose issue text the grid would refuse are not stored; the box names them.
    QTest::addColumn<QList<int>>("refused");
    QTest::addColumn<int>("cutLine");
    using Lines = QList<int>;
    QTest::newRow("NUL bytes inside fields and as a line")
        << bytes("Null\0Byte\t2002/05\tDe\0mo\tCD\r\n\0\r\n")
        << QStringList{QStringLiteral("Null") + QChar(0) + QStringLiteral("Byte|2002/05|De") +
                       QChar(0) + QStringLiteral("mo|CD")}
        << Lines{2} << 0;
    QTest::newRow("NUL bytes in a UTF-8 file")
        << bytes("\xc3\x9c\0ber\t2002/05\t\tCD\r\n")
        << QStringList{QStringLiteral("Ü") + QChar(0) + QStringLiteral("ber|2002/05||CD")}
        << Lines{} << 0;
    QTest::newRow("invalid UTF-8 is read as Windows-1252")
        << QByteArray("Caf\xc3\t2002/05\t\x28\xff\x80\tCD\r\n")
        << QStringList{QStringLiteral("CafÃ|2002/05|(ÿ€|CD")} << Lines{} << 0;
    QTest::newRow("UTF-8 sequence cut off at the end of the file")
        << QByteArray("Gr\xc3\xbc\xc3") << QStringList{} << Lines{1} << 0;
    QTest::newRow("overlong and surrogate UTF-8 forms")
        << QByteArray("\xc0\xaf\t2002/05\t\xed\xa0\x80\t\r\n")
        << QStringList{QStringLiteral("À¯|2002/05|í\u00a0€|")} << Lines{} << 0;
    QTest::newRow("invalid UTF-8 after a byte-order mark")
        << QByteArray("\xEF\xBB\xBFK\xc3\x28\t2002/05\tDemo\tCD\r\n")
        << QStringList{QStringLiteral("K\ufffd(|2002/05|Demo|CD")} << Lines{} << 0;
    QTest::newRow("bytes the code page leaves unassigned")
        << QByteArray("\x81\x8d\x8f\x90\x9d\t2002/05\t\t\r\n")
        << QStringList{QString(QChar(0x81)) + QChar(0x8d) + QChar(0x8f) + QChar(0x90) +
                       QChar(0x9d) + QStringLiteral("|2002/05||")}
        << Lines{} << 0;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << Lines{} << 0;
    QTest::newRow("only Ctrl-Z") << QByteArray("\x1a") << QStringList{} << Lines{} << 0;
    QTest::newRow("Ctrl-Z before the first line") << QByteArray("\x1a"
                                                                "a\t2002/05\tc\td\r\n")
                                                  << QStringList{} << Lines{} << 1;
    QTest::newRow("only line ends") << QByteArray("\r\n\r\n\r\r") << QStringList{} << Lines{} << 0;
    QTest::newRow("mixed line ends")
        << QByteArray("a\t2002/01\tc\td\r\ne\t2002/02\tg\th\ri\t2002/03\tk\tl\nm\tn\to\tp\n\r\nq"
                      "\t2002/04\ts\tt")
        << QStringList{"a|2002/01|c|d", "e|2002/02|g|h", "i|2002/03|k|l\nm\tn\to\tp\n",
                       "q|2002/04|s|t"}
        << Lines{} << 0;
    QTest::newRow("LF CR reads as a lone LF closing its line")
        << QByteArray("a\t2002/01\tc\td\n\re\t2002/02\tg\th\n\r")
        << QStringList{"a|2002/01|c|d\n", "e|2002/02|g|h\n"} << Lines{} << 0;
    QTest::newRow("only LFs between CRs")
        << QByteArray("\r\n\n\r\n") << QStringList{} << Lines{2} << 0;

    // The end-of-file mark: older files end with one or several; text after it is named.
    QTest::newRow("several Ctrl-Z and line ends after the last line")
        << QByteArray("a\t2002/05\tc\td\r\n\x1a\x1a\r\n\x1a") << QStringList{"a|2002/05|c|d"}
        << Lines{} << 0;
    QTest::newRow("Ctrl-Z before more text")
        << QByteArray("a\t2002/05\tc\td\r\nb\t2002/06\tc\x1a\td\r\nverloren\t2002/07\r\n")
        << QStringList{"a|2002/05|c|d", "b|2002/06||c"} << Lines{} << 2;
    QTest::newRow("Ctrl-Z at the start of a line before more text")
        << QByteArray("a\t2002/05\tc\td\r\n\x1averloren\t2002/07\r\n")
        << QStringList{"a|2002/05|c|d"} << Lines{} << 2;

    // Files saved as "Unicode": UTF-16 with its byte-order mark, in either byte order. The
    // character U+1A1A holds the byte 0x1A twice and is no end mark; U+001A is.
    const QString unicodeText = QStringLiteral("Über\t2002/05\tDemo \u1a1a\tCD\r\n"
                                               "Zwei\t2002/06\t\u20ac\tDVD\r\n\u001a\r\n");
    const QStringList unicodeRows{QStringLiteral("Über|2002/05|Demo \u1a1a|CD"),
                                  QStringLiteral("Zwei|2002/06|€|DVD")};
    QTest::newRow("UTF-16 LE") << utf16(unicodeText, false) << unicodeRows << Lines{} << 0;
    QTest::newRow("UTF-16 BE") << utf16(unicodeText, true) << unicodeRows << Lines{} << 0;
    QTest::newRow("UTF-16 LE with text after its end mark")
        << utf16(QStringLiteral("a\t2002/05\tc\td\r\n\u001ab\t2002/06\tc\td\r\n"), false)
        << QStringList{"a|2002/05|c|d"} << Lines{} << 2;

    // Issue texts the grid refuses: length, month, year from 1997 to next year.
    QByteArray malformed = "Gut\t2002/05\tDemo\tCD\r\n"    // 1
                           "Monat\t2002/31\tDemo\tCD\r\n"  // 2
                           "\r\n"                          // 3, skipped
                           "Kurz\t2002/5\tDemo\tCD\r\n"    // 4
                           "Früh\t1996/12\tDemo\tCD\r\n"   // 5
                           "Leer\t\tDemo\tCD\r\n"          // 6
                           "Null\t2002/00\tDemo\tCD\r\n"   // 7
                           "Erste\t1997/01\tDemo\tCD\r\n"; // 8
    QTest::newRow("malformed issue texts")
        << malformed << QStringList{"Gut|2002/05|Demo|CD", "Erste|1997/01|Demo|CD"}
        << Lines{2, 4, 5, 6, 7} << 0;
    const QByteArray farFuture = QByteArray::number(QDate::currentDate().year() + 2) + "/01";
    QByteArray many;
    for (int i = 1; i <= 12; ++i)
        many += "Zukunft\t" + farFuture + "\tDemo\tCD\r\n";
    many += "Dann\t" + QByteArray::number(QDate::currentDate().year() + 1) + "/12\tDemo\tCD\r\n";
    QTest::newRow("more than ten refused lines, one of next year kept")
        << many
        << QStringList{QStringLiteral("Dann|%1/12|Demo|CD").arg(QDate::currentDate().year() + 1)}
        << Lines{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12} << 0;
}

void TestImportFiles::oddFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, added);
    QFETCH(QList<int>, refused);
    QFETCH(int, cutLine);
    startInDiscEditMode();
    importFile(m_app->writeImportFile(file));
    QCOMPARE(m_app->boxes, QStringList{importBox(int(added.size()), cutLine, refused)});
    QCOMPARE(discRows(), joined(kBaseRows) + added);
    QCOMPARE(Form1->Table1.recordCount(), int(kBaseRows.size() + added.size()));
    QCOMPARE(Form1->DataSource1->rowCount(), int(kBaseRows.size() + added.size()));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

// --- Big files -----------------------------------------------------------------------

void TestImportFiles::tenMegabyteLine_data() {
    QTest::addColumn<bool>("withTabs");
    QTest::addColumn<bool>("withLineEnd");
    QTest::newRow("four fields, CR LF") << true << true;
    QTest::newRow("no TAB, no line end") << false << false;
}

void TestImportFiles::tenMegabyteLine() {
    QFETCH(bool, withTabs);
    QFETCH(bool, withLineEnd);
    startInDiscEditMode();
    const QByteArray head = withTabs ? QByteArray("Lang\t2002/05\tDemo\t") : QByteArray();
    const QByteArray body(10 * 1024 * 1024, 'x');
    importFile(m_app->writeImportFile(head + body + (withLineEnd ? "\r\n" : "")));
    if (!withTabs) {
        // One field only: its issue is empty, and the line is refused as the grid would.
        QCOMPARE(m_app->boxes, QStringList{importBox(0, 0, {1})});
        QCOMPARE(discRows(), joined(kBaseRows));
        return;
    }
    QCOMPARE(m_app->boxes, QStringList{successMessage(1)});
    const QStringList rows = discRows();
    QCOMPARE(rows.size(), kBaseRows.size() + 1);
    QCOMPARE(rows.mid(0, kBaseRows.size()), joined(kBaseRows));
    const QString expected =
        (withTabs ? QStringLiteral("Lang|2002/05|Demo|") : QStringLiteral("|||")) +
        QString::fromLatin1(body);
    QVERIFY(rows.constLast() == expected);
    QCOMPARE(Form1->Table1.recordCount(), int(kBaseRows.size() + 1));
}

void TestImportFiles::twoHundredThousandLines() {
    startInDiscEditMode();
    constexpr int kLines = 200000;
    QByteArray file;
    file.reserve(kLines * 32);
    for (int i = 0; i < kLines; ++i)
        file += importLine(i);
    importFile(m_app->writeImportFile(file));
    QCOMPARE(m_app->boxes, QStringList{successMessage(kLines)});
    const QStringList rows = discRows();
    QCOMPARE(rows.size(), kBaseRows.size() + kLines);
    QCOMPARE(rows.mid(0, kBaseRows.size()), joined(kBaseRows));
    for (int i = 0; i < kLines; ++i)
        if (rows[kBaseRows.size() + i] != importedRow(i))
            QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(i).arg(rows[kBaseRows.size() + i])));
    QCOMPARE(Form1->Table1.recordCount(), int(kBaseRows.size() + kLines));
    QCOMPARE(Form1->DataSource1->rowCount(), int(kBaseRows.size() + kLines));
    QCOMPARE(TableChecks::integrityAfterReopen(discFile()), QStringLiteral("ok"));
}

// --- A failing disk ------------------------------------------------------------------

void TestImportFiles::diskFailsDuringTheImport_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("failingWrite");
    QTest::addColumn<QString>("reason"); // in German, with the engine's own words after it
    const QString full = QStringLiteral("Der Datenträger ist voll (database or disk is full)");
    const QString io = QStringLiteral(
        "Die Tabellendatei kann nicht gelesen oder geschrieben werden (disk I/O error)");
    QTest::newRow("disk full at the first write") << int(FaultVfs::Fault::DiskFull) << 1 << full;
    QTest::newRow("disk full in a later group") << int(FaultVfs::Fault::DiskFull) << 40 << full;
    QTest::newRow("I/O error at the first write") << int(FaultVfs::Fault::WriteError) << 1 << io;
    QTest::newRow("I/O error in a later group") << int(FaultVfs::Fault::WriteError) << 40 << io;
}

void TestImportFiles::diskFailsDuringTheImport() {
    QFETCH(int, fault);
    QFETCH(int, failingWrite);
    QFETCH(QString, reason);
    startInDiscEditMode();
    constexpr int kLines = 10000;
    QByteArray file;
    for (int i = 0; i < kLines; ++i)
        file += importLine(i);
    const QString path = m_app->writeImportFile(file);
    FaultVfs::arm(QStringLiteral("/CDData.DB"), failingWrite, FaultVfs::Fault(fault));
    importFile(path);
    QVERIFY(FaultVfs::writesSinceArmed() >= failingWrite);
    // One error box, no success message; the program still runs.
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY2(m_app->boxes[0].startsWith(
                 QStringLiteral("error: Die Datensätze können nicht gespeichert werden")) &&
                 m_app->boxes[0].contains(reason),
             qPrintable(m_app->boxes[0]));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    FaultVfs::disarm();

    // The disk works again. What is in the file is the rows from before and the first
    // lines of the import, in order, and the table object shows the same.
    QCOMPARE(TableChecks::integrityAfterReopen(discFile()), QStringLiteral("ok"));
    const QStringList rows = discRows();
    QVERIFY(rows.size() >= kBaseRows.size());
    QCOMPARE(rows.mid(0, kBaseRows.size()), joined(kBaseRows));
    const int kept = int(rows.size() - kBaseRows.size());
    QVERIFY(kept < kLines);
    for (int i = 0; i < kept; ++i)
        QCOMPARE(rows[kBaseRows.size() + i], importedRow(i));
    QCOMPARE(Form1->Table1.recordCount(), int(rows.size()));
    QCOMPARE(Form1->DataSource1->rowCount(), int(rows.size()));

    // The next import goes in after them.
    m_app->boxes.clear();
    importFile(m_app->writeImportFile("Danach\t2002/06\tPatch\tDVD\r\n"));
    QCOMPARE(m_app->boxes, QStringList{successMessage(1)});
    QCOMPARE(discRows(), rows + QStringList{QStringLiteral("Danach|2002/06|Patch|DVD")});
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestImportFiles tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_importfiles.moc"
