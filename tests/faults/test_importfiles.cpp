// Odd and hostile import files, and a disk that fails while an import is written, all
// through the info window's import in edit mode on the disc-content view: the message the
// user sees and the rows that end up in the table file.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "FaultVfs.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "Table.h"
#include "TableChecks.h"
#include "TestSupport.h"
#include "grid/DataSource.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using Rows = QList<QStringList>;

namespace {

const QString kDiscSchema = QStringLiteral("TITEL TEXT, Ausgabe TEXT, Art TEXT, Medium TEXT");

const Rows kBaseRows = {{"Völkerball", "2002/05", "Demo", "CD"},
                        {"Aqua Rennen", "2001/11", "Patch", "DVD"}};

QStringList joined(const Rows& rows) {
    QStringList out;
    for (const QStringList& r : rows)
        out << r.join(u'|');
    return out;
}

// The bytes of a literal, NULs included.
template <size_t N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, qsizetype(N - 1));
}

QString successMessage(int count) {
    return QStringLiteral("message: Import erfolgreich abgeschlossen.\r%1 Datensätze eingefügt.")
        .arg(count);
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
    TestSupport::makeTable(dir + QStringLiteral("/GameData.DB"), QStringLiteral("GameData"),
                           QStringLiteral("TITEL TEXT, Rubrik TEXT, Genre TEXT, HERSTELLER TEXT, "
                                          "WERTUNG INTEGER, Ausgabe TEXT, KOMMENTAR TEXT"),
                           {{"Aqua", "Action", "Actionspiel", "Kalmor", "85", "2002/06", "gut"}});
    TestSupport::makeTable(discFile(), QStringLiteral("CDData"), kDiscSchema, kBaseRows);
    TestSupport::makeTable(dir + QStringLiteral("/TipsData.DB"), QStringLiteral("TipsData"),
                           QStringLiteral("TITEL TEXT, Ausgabe TEXT, Art TEXT, COUNTER INTEGER"),
                           {{"Aqua", "2002/05", "Cheat", "3"}});
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QTest::mouseClick(Form1->Image2, Qt::LeftButton);
    QTest::mousePress(Form1->Image4, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier,
                      QPoint(60, 380));
    QTest::mouseRelease(Form1->Image4, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier,
                        QPoint(60, 380));
    QCOMPARE(State().EditMode, 1);
    QCOMPARE(State().ViewTableFile, QStringLiteral("CDData.db"));
    QVERIFY(Form1->Table1.isOpen());
    QVERIFY(m_app->boxes.isEmpty());
}

// --- Odd files -----------------------------------------------------------------------

void TestImportFiles::oddFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("NUL bytes inside fields and as a line")
        << bytes("Null\0Byte\t2002/05\tDe\0mo\tCD\r\n\0\r\n")
        << QStringList{QStringLiteral("Null") + QChar(0) + QStringLiteral("Byte|2002/05|De") +
                           QChar(0) + QStringLiteral("mo|CD"),
                       QStringLiteral("|||") + QChar(0)};
    QTest::newRow("NUL bytes in a UTF-8 file")
        << bytes("\xc3\x9c\0ber\t\t\tCD\r\n")
        << QStringList{QStringLiteral("Ü") + QChar(0) + QStringLiteral("ber|||CD")};
    QTest::newRow("invalid UTF-8 is read as Windows-1252")
        << QByteArray("Caf\xc3\t\x28\xff\t\x80\tCD\r\n")
        << QStringList{QStringLiteral("CafÃ|(ÿ|€|CD")};
    QTest::newRow("UTF-8 sequence cut off at the end of the file")
        << QByteArray("Gr\xc3\xbc\xc3") << QStringList{QStringLiteral("|||GrÃ¼Ã")};
    QTest::newRow("overlong and surrogate UTF-8 forms")
        << QByteArray("\xc0\xaf\t\xed\xa0\x80\t\t\r\n")
        << QStringList{QStringLiteral("À¯|í\u00a0€||")};
    QTest::newRow("invalid UTF-8 after a byte-order mark")
        << QByteArray("\xEF\xBB\xBFK\xc3\x28\t2002/05\tDemo\tCD\r\n")
        << QStringList{QStringLiteral("K\ufffd(|2002/05|Demo|CD")};
    QTest::newRow("bytes the code page leaves unassigned")
        << QByteArray("\x81\x8d\x8f\x90\x9d\t\t\t\r\n")
        << QStringList{QString(QChar(0x81)) + QChar(0x8d) + QChar(0x8f) + QChar(0x90) +
                       QChar(0x9d) + QStringLiteral("|||")};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only Ctrl-Z") << QByteArray("\x1a") << QStringList{};
    QTest::newRow("Ctrl-Z before the first line") << QByteArray("\x1a"
                                                                "a\tb\tc\td\r\n")
                                                  << QStringList{};
    QTest::newRow("only line ends") << QByteArray("\r\n\r\n\r\r") << QStringList{};
    QTest::newRow("mixed line ends")
        << QByteArray("a\tb\tc\td\r\ne\tf\tg\th\ri\tj\tk\tl\nm\tn\to\tp\n\r\nq\tr\ts\tt")
        << QStringList{"a|b|c|d", "e|f|g|h", "i|j|k|l\nm\tn\to\tp\n", "q|r|s|t"};
    QTest::newRow("LF CR reads as a lone LF closing its line")
        << QByteArray("a\tb\tc\td\n\re\tf\tg\th\n\r") << QStringList{"a|b|c|d\n", "e|f|g|h\n"};
    QTest::newRow("only LFs between CRs")
        << QByteArray("\r\n\n\r\n") << QStringList{QStringLiteral("|||\n")};
}

void TestImportFiles::oddFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, added);
    startInDiscEditMode();
    importFile(m_app->writeImportFile(file));
    QCOMPARE(m_app->boxes, QStringList{successMessage(int(added.size()))});
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
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full at the first write") << int(FaultVfs::Fault::DiskFull) << 1 << "full";
    QTest::newRow("disk full in a later group") << int(FaultVfs::Fault::DiskFull) << 40 << "full";
    QTest::newRow("I/O error at the first write")
        << int(FaultVfs::Fault::WriteError) << 1 << "I/O error";
    QTest::newRow("I/O error in a later group")
        << int(FaultVfs::Fault::WriteError) << 40 << "I/O error";
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
