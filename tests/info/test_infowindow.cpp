// The info window: its texts and places, the status line, the text export and the import.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "FieldChecks.h"
#include "GradientBackground.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using TestSupport::joined;
using TestSupport::Rows;

namespace {

using TestSupport::kDiscSchema;
using TestSupport::kGamesSchema;
using TestSupport::kTipsSchema;

const Rows kThreeDiscRows = {{"Völkerball", "2002/05", "Demo", "CD"},
                             {"Aqua Rennen", "2001/11", "Patch", "DVD"},
                             {"Baukasten", "2002/06", "Programm", "CD/DVD"}};

QByteArray crLfLines(const Rows& rows) {
    QByteArray out;
    for (const QStringList& r : rows)
        out += r.join(u'\t').toUtf8() + "\r\n";
    return out;
}

} // namespace

class TestInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowFrameAndBackground();
    void labelsAndButtons_data();
    void labelsAndButtons();
    void titleShadowIsDrawnBehindTheTitle();
    void statusLineWithoutLeadingZeros();
    void renderBothModes();

    void exportWritesEveryRecordInStoredOrder();
    void exportWritesFieldTextsUnchanged_data();
    void exportWritesFieldTextsUnchanged();
    void exportOfAnEmptyTableIsAnEmptyFile();
    void exportCommitsThePendingEditAndEndsOnTheFirstRecord();
    void exportStoresTheCellBeingTypedFirst();
    void exportStopsAtARecordThatCannotBeStored();
    void exportEncoding_data();
    void exportEncoding();
    void exportCopesWithMalformedIssuesAndRatings();
    void failedExportIsReportedAndKeepsTheOldFile_data();
    void failedExportIsReportedAndKeepsTheOldFile();

    void importOneLine();
    void importLinesAndCounts_data();
    void importLinesAndCounts();
    void importCancelledReadsNothing();
    void importOfAMissingFileSaysSo();
    void importStopsAtTheRefusedLine();
    void roundTripGivesBackTheFieldTexts_data();
    void roundTripGivesBackTheFieldTexts();
    void largeImportFinishes();
    void fileDialogFilterMatchesAnyLetterCase();
    void importDialogOpensWhereItIsUseful_data();
    void importDialogOpensWhereItIsUseful();

private:
    // Own small tables in DATA, then the program started over them.
    void startWith(const Rows& disc, const Rows& games = {},
                   const QString& discSchema = kDiscSchema);
    QString exportFile(const QString& tableFile) const {
        return m_app->dataDir() + u'/' + tableFile + QStringLiteral(".txt");
    }
    QByteArray readBytes(const QString& path) const;
    void clickExport() { Form2->Button2->click(); }
    void importFile(const QString& path) {
        m_app->openFileAnswer = path;
        Form2->Button3->click();
    }
    QStringList discRows() const {
        return TestSupport::readTable(m_app->dataDir() + QStringLiteral("/CDData.DB"),
                                      QStringLiteral("CDData"));
    }
    QString successMessage(int count) const {
        return QStringLiteral(
                   "message: Import erfolgreich abgeschlossen.\r%1 Datensätze eingefügt.")
            .arg(count);
    }

    AppFixture* m_app = nullptr;
};

void TestInfoWindow::init() {
    m_app = new AppFixture;
}

void TestInfoWindow::cleanup() {
    if (Form2)
        Form2->hide();
    delete m_app;
    m_app = nullptr;
}

void TestInfoWindow::startWith(const Rows& disc, const Rows& games, const QString& discSchema) {
    const QString dir = m_app->dataDir();
    TestSupport::makeTable(
        dir + QStringLiteral("/GameData.DB"), QStringLiteral("GameData"), kGamesSchema,
        games.isEmpty() ? Rows{{"Aqua", "Action", "Actionspiel", "Kalmor", "85", "2002/06", "gut"}}
                        : games);
    TestSupport::makeTable(dir + QStringLiteral("/CDData.DB"), QStringLiteral("CDData"), discSchema,
                           disc);
    TestSupport::makeTable(dir + QStringLiteral("/TipsData.DB"), QStringLiteral("TipsData"),
                           kTipsSchema, {{"Aqua", "2002/05", "Cheat", "3"}});
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

QByteArray TestInfoWindow::readBytes(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<missing>");
    return f.readAll();
}

// --- The window ----------------------------------------------------------------------

void TestInfoWindow::windowFrameAndBackground() {
    startWith(kThreeDiscRows);
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(Form2->size(), QSize(441, 224));
    QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
    QVERIFY(Form2->windowFlags().testFlag(Qt::Tool));
    QVERIFY(Form2->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    Form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    const QRect screen = Form2->screen()->availableGeometry();
    QCOMPARE(Form2->frameGeometry().center(), screen.center());

    // The 64 bands, where no label or button covers them.
    const QImage image = Form2->grab().toImage();
    for (int band : {0, 20, 40, 63}) {
        const int y = GradientBackground::bandTop(band, 224);
        QCOMPARE(image.pixelColor(2, y), GradientBackground::bandColour(band));
        QCOMPARE(image.pixelColor(438, y), GradientBackground::bandColour(band));
    }
}

void TestInfoWindow::labelsAndButtons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    const QColor lavender(0x99, 0x99, 0xBA), offWhite(0xF5, 0xF5, 0xF5), darkBlue(0x01, 0x00, 0x41);
    QTest::newRow("Label9") << "Label9" << QRect(8, 8, 161, 17) << 11 << lavender << "CD/DVD-Modus";
    QTest::newRow("Label3") << "Label3" << QRect(16, 8, 409, 25) << 21 << offWhite << "Kalmor";
    QTest::newRow("Label4") << "Label4" << QRect(17, 26, 409, 57) << 43 << darkBlue << "Vantora";
    QTest::newRow("Label5") << "Label5" << QRect(14, 22, 409, 57) << 43 << offWhite << "Vantora";
    QTest::newRow("Label6") << "Label6" << QRect(320, 32, 81, 17) << 11 << lavender << "V 3.5c";
    QTest::newRow("Label8") << "Label8" << QRect(16, 78, 409, 17) << 13 << QColor(Qt::white)
                            << QString();
    QTest::newRow("Label1") << "Label1" << QRect(16, 96, 409, 33) << 13 << offWhite << QString();
    QTest::newRow("Label2") << "Label2" << QRect(16, 136, 409, 25) << 13 << lavender << QString();
    QTest::newRow("Label7") << "Label7" << QRect(16, 152, 409, 25) << 13 << lavender << "- - -";
    QTest::newRow("Button2") << "Button2" << QRect(32, 184, 129, 25) << 13 << QColor(Qt::black)
                             << "ASCII-Export (.txt)";
    QTest::newRow("Button3") << "Button3" << QRect(176, 184, 137, 25) << 13 << QColor(Qt::black)
                             << "ASCII-Import (.txt)";
    QTest::newRow("Button1") << "Button1" << QRect(352, 184, 59, 25) << 13 << QColor(Qt::black)
                             << "Ok";
}

void TestInfoWindow::labelsAndButtons() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(int, pixelSize);
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    startWith(kThreeDiscRows);
    auto* w = Form2->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), place);
    QCOMPARE(w->font().pixelSize(), pixelSize);
    QVERIFY(w->font().bold());
    QCOMPARE(w->font().family(), QStringLiteral("Arial"));
    if (auto* label = qobject_cast<QLabel*>(w)) {
        QCOMPARE(label->palette().color(QPalette::WindowText), colour);
        QVERIFY(!label->autoFillBackground());
        if (text.isEmpty()) {
            // The implementer's own lines: present, and as many as the place holds.
            QVERIFY(!label->text().trimmed().isEmpty());
            QCOMPARE(label->text().count(u'\n'), name == QLatin1String("Label1") ? 1 : 0);
        } else {
            QCOMPARE(label->text(), text);
        }
    } else {
        auto* button = qobject_cast<QPushButton*>(w);
        QVERIFY(button);
        QCOMPARE(button->text(), text);
        QCOMPARE(button->accessibleName(), text);
        QCOMPARE(button->palette().color(QPalette::ButtonText), colour);
    }
    if (name == QLatin1String("Button2"))
        QCOMPARE(w->toolTip(), QStringLiteral("Exportiert die aktuelle Tabelle als TXT-Datei mit\n"
                                              "Tabulator-Trennzeichen in das DATA-Verzeichnis."));
}

void TestInfoWindow::titleShadowIsDrawnBehindTheTitle() {
    startWith(kThreeDiscRows);
    Form2->show();
    const QImage image = Form2->grab().toImage();
    // Both colours of the title appear in its area, and the title is in front of its shadow.
    int light = 0, shadow = 0;
    for (int y = 22; y < 83; ++y)
        for (int x = 14; x < 426; ++x) {
            const QColor c = image.pixelColor(x, y);
            light += c == QColor(0xF5, 0xF5, 0xF5);
            shadow += c == QColor(0x01, 0x00, 0x41);
        }
    QVERIFY2(light > 200, qPrintable(QString::number(light)));
    QVERIFY2(shadow > 50, qPrintable(QString::number(shadow)));
    const QList<QObject*> order = Form2->children();
    QVERIFY(order.indexOf(Form2->Label4) < order.indexOf(Form2->Label5));
}

void TestInfoWindow::statusLineWithoutLeadingZeros() {
    startWith(kThreeDiscRows); // games 2002/06, disc 2002/06, tips 2002/05
    Form2->show();
    QCOMPARE(Form2->Label7->text(),
             QStringLiteral("Aktuelle Daten: 6/2002 (Spiele); 6/2002 (CD); 5/2002 (Tips)"));
    // Set anew on every showing.
    Form2->hide();
    State().TipsLastMonth = 11;
    State().TipsLastYear = 2003;
    Form2->show();
    QCOMPARE(Form2->Label7->text(),
             QStringLiteral("Aktuelle Daten: 6/2002 (Spiele); 6/2002 (CD); 11/2003 (Tips)"));
}

// Pictures of both modes for a look (kept when VANTORA_RENDER_DIR names a folder); without
// edit mode the export button's place shows the background.
void TestInfoWindow::renderBothModes() {
    startWith(kThreeDiscRows);
    const QString out = qEnvironmentVariable("VANTORA_RENDER_DIR", m_app->root());
    const QPoint exportCentre = Form2->Button2->geometry().center();
    const QColor background =
        GradientBackground::bandColour(exportCentre.y() * GradientBackground::kBands / 224);
    Form2->show();
    QImage image = Form2->grab().toImage();
    QVERIFY(image.save(out + QStringLiteral("/info-window.png")));
    QCOMPARE(image.pixelColor(exportCentre), background);
    Form2->hide();
    UserSteps::editView(UserSteps::Disc);
    Form2->Button3->setVisible(true);
    Form2->show();
    QVERIFY(Form2->Button2->isVisible());
    image = Form2->grab().toImage();
    QVERIFY(image.save(out + QStringLiteral("/info-window-edit.png")));
    QVERIFY(image.pixelColor(exportCentre) != background);
}

// --- Export --------------------------------------------------------------------------

void TestInfoWindow::exportWritesEveryRecordInStoredOrder() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    clickExport();
    const QByteArray bytes = readBytes(exportFile(QStringLiteral("CDData.db")));
    QCOMPARE(bytes, QByteArray("V\xf6lkerball\t2002/05\tDemo\tCD\r\n"
                               "Aqua Rennen\t2001/11\tPatch\tDVD\r\n"
                               "Baukasten\t2002/06\tProgramm\tCD/DVD\r\n"));
    for (const QByteArray& line : bytes.split('\n').mid(0, 3))
        QCOMPARE(line.count('\t'), 3);
    QVERIFY(m_app->boxes.isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestInfoWindow::exportWritesFieldTextsUnchanged_data() {
    QTest::addColumn<Rows>("games");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("a tab inside a field")
        << Rows{{"Aqua\tII", "Action", "", "Kalmor", "85", "2002/06", ""}}
        << QByteArray("Aqua\tII\tAction\t\tKalmor\t85\t2002/06\t\r\n");
    QTest::newRow("a line break inside a field")
        << Rows{{"Aqua", "Action", "", "Kalmor", "7", "2002/06", "zwei\r\nZeilen"}}
        << QByteArray("Aqua\tAction\t\tKalmor\t7\t2002/06\tzwei\r\nZeilen\r\n");
    QTest::newRow("no rating and quotes")
        << Rows{{"\"Aqua\"", "Action", "", "", "\\N", "2002/06", "a;b"}}
        << QByteArray("\"Aqua\"\tAction\t\t\t\t2002/06\ta;b\r\n");
}

void TestInfoWindow::exportWritesFieldTextsUnchanged() {
    QFETCH(Rows, games);
    QFETCH(QByteArray, file);
    startWith(kThreeDiscRows, games);
    UserSteps::editView(UserSteps::Games);
    clickExport();
    QCOMPARE(readBytes(exportFile(QStringLiteral("GameData.db"))), file);
}

void TestInfoWindow::exportOfAnEmptyTableIsAnEmptyFile() {
    startWith({});
    UserSteps::editView(UserSteps::Disc);
    QFile old(exportFile(QStringLiteral("CDData.db")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older export\r\n");
    old.close();
    clickExport();
    QCOMPARE(readBytes(exportFile(QStringLiteral("CDData.db"))), QByteArray());
    QVERIFY(m_app->boxes.isEmpty());
}

void TestInfoWindow::exportCommitsThePendingEditAndEndsOnTheFirstRecord() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    Form1->Table1.moveTo(2);
    Form1->Table1.setFieldText(3, QStringLiteral("DVD"));
    clickExport();
    QVERIFY(readBytes(exportFile(QStringLiteral("CDData.db"))).endsWith("Programm\tDVD\r\n"));
    QCOMPARE(discRows().constLast(), QStringLiteral("Baukasten|2002/06|Programm|DVD"));
    QCOMPARE(Form1->Table1.recNo(), 0);
    QCOMPARE(Form1->DBGrid1->currentIndex().row(), 0);
    QCOMPARE(Form1->DataSource1->heading(0), QStringLiteral("Name"));
}

void TestInfoWindow::exportStoresTheCellBeingTypedFirst() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    UserSteps::typeIntoCell(1, 0, QStringLiteral("NEU"));
    QVERIFY(Form1->DBGrid1->openEditor()); // the text is still in the cell editor
    clickExport();
    QVERIFY(m_app->boxes.isEmpty());
    QCOMPARE(readBytes(exportFile(QStringLiteral("CDData.db"))).split('\n').value(1),
             QByteArray("NEU\t2001/11\tPatch\tDVD\r"));
}

void TestInfoWindow::exportStopsAtARecordThatCannotBeStored() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    UserSteps::typeIntoCell(1, 1, QStringLiteral("ab"));
    clickExport();
    QCOMPARE(m_app->boxes, QStringList{QStringLiteral("message: ") + FieldChecks::kIssueMessage});
    QVERIFY(!QFile::exists(exportFile(QStringLiteral("CDData.db"))));
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    QCOMPARE(discRows(), joined(kThreeDiscRows));
}

void TestInfoWindow::exportEncoding_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("euro sign: Windows-1252")
        << u"Preis 5 €"_qs << QByteArray("Preis 5 \x80\t2002/05\tDemo\tCD\r\n");
    QTest::newRow("l with stroke: the whole file UTF-8 with a mark")
        << u"Łódź Rally"_qs
        << QByteArray("\xef\xbb\xbf\xc5\x81\xc3\xb3"
                      "d\xc5\xba Rally\t2002/05\tDemo\tCD\r\n"
                      "V\xc3\xb6lkerball\t2002/05\tDemo\tCD\r\n");
}

void TestInfoWindow::exportEncoding() {
    QFETCH(QString, title);
    QFETCH(QByteArray, file);
    Rows rows{{title, "2002/05", "Demo", "CD"}};
    if (!file.startsWith("Preis"))
        rows.append({"Völkerball", "2002/05", "Demo", "CD"});
    startWith(rows);
    UserSteps::editView(UserSteps::Disc);
    clickExport();
    QCOMPARE(readBytes(exportFile(QStringLiteral("CDData.db"))), file);
}

void TestInfoWindow::exportCopesWithMalformedIssuesAndRatings() {
    startWith({{"x", "20/2", "Demo", "CD"}, {"y", "", "", ""}},
              {{"Aqua", "Action", "", "", "250", "abcdefg", ""},
               {"Bau", "Budget", "", "", "-3", "2002", ""}});
    Form2->show();
    QVERIFY(Form2->Label7->text().startsWith(QStringLiteral("Aktuelle Daten: ")));
    Form2->hide();
    UserSteps::editView(UserSteps::Games);
    clickExport();
    QCOMPARE(readBytes(exportFile(QStringLiteral("GameData.db"))),
             QByteArray("Aqua\tAction\t\t\t250\tabcdefg\t\r\nBau\tBudget\t\t\t-3\t2002\t\r\n"));
}

void TestInfoWindow::failedExportIsReportedAndKeepsTheOldFile_data() {
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("read-only DATA folder") << true;
    QTest::newRow("a folder in the place of the file") << false;
}

void TestInfoWindow::failedExportIsReportedAndKeepsTheOldFile() {
    QFETCH(bool, readOnlyFolder);
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    const QString target = exportFile(QStringLiteral("CDData.db"));
    const QDir data(m_app->dataDir());
    const QStringList before = data.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    const QByteArray older("an older export\r\n");
    if (readOnlyFolder) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(older);
        old.close();
        QFile::setPermissions(m_app->dataDir(), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(m_app->dataDir() + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(m_app->dataDir(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user may write into read-only folders");
        }
    } else {
        QVERIFY(data.mkdir(QStringLiteral("CDData.db.txt")));
    }
    clickExport();
    QFile::setPermissions(m_app->dataDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY2(m_app->boxes[0].startsWith(
                 QStringLiteral("message: Die Exportdatei konnte nicht geschrieben werden:\n")),
             qPrintable(m_app->boxes[0]));
    QVERIFY(m_app->boxes[0].contains(QStringLiteral("CDData.db.txt")));
    if (readOnlyFolder)
        QCOMPARE(readBytes(target), older);
    else
        QVERIFY(QFileInfo(target).isDir());
    // No half-written file is left behind either.
    QStringList after = data.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    after.removeAll(QStringLiteral("CDData.db.txt"));
    QStringList expected = before;
    expected.removeAll(QStringLiteral("CDData.db.txt"));
    QCOMPARE(after, expected);
    QCOMPARE(Form1->Table1.recNo(), 0);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

// --- Import --------------------------------------------------------------------------

void TestInfoWindow::importOneLine() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    importFile(m_app->writeImportFile("a\t2002/05\tDemo\tCD\r\n"));
    QCOMPARE(m_app->boxes, QStringList{successMessage(1)});
    QCOMPARE(discRows(), joined(kThreeDiscRows) << QStringLiteral("a|2002/05|Demo|CD"));
    // The grid shows the new record, with the view's headings.
    QCOMPARE(Form1->DataSource1->rowCount(), 4);
    QCOMPARE(Form1->DataSource1->heading(3), QStringLiteral("Medium"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestInfoWindow::importLinesAndCounts_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("moreInTheBox"); // lines the box adds after the count
    QTest::newRow("final line without CR LF")
        << QByteArray("a\t2002/01\tc\td\r\ne\t2002/02\tg\th")
        << QStringList{"a|2002/01|c|d", "e|2002/02|g|h"} << "";
    QTest::newRow("CR LF after the last line adds nothing")
        << QByteArray("a\t2002/01\tc\td\r\n") << QStringList{"a|2002/01|c|d"} << "";
    QTest::newRow("LF-only file of three lines")
        << QByteArray("a\t2002/01\t\tCD\nb\t2002/02\t\tCD\nc\t2002/03\t\tCD")
        << QStringList{"a|2002/01||CD", "b|2002/02||CD", "c|2002/03||CD"} << "";
    QTest::newRow("lone LF inside a field of a CR LF file")
        << QByteArray("a\t2002/05\tDemo\tzwei\nZeilen\r\n")
        << QStringList{"a|2002/05|Demo|zwei\nZeilen"} << "";
    QTest::newRow("blank lines between and after records")
        << QByteArray("a\t2002/01\tc\td\r\n\r\ne\t2002/02\tg\th\r\n\r\n\r\n")
        << QStringList{"a|2002/01|c|d", "e|2002/02|g|h"} << "";
    QTest::newRow("two TABs only: no issue, not stored")
        << QByteArray("\t\t\r\n") << QStringList{}
        << "\r1 Zeilen mit fehlerhafter Ausgabe wurden nicht übernommen (Zeile 1).";
    QTest::newRow("Ctrl-Z mid-line")
        << QByteArray("a\t2002/01\tc\td\r\ne\t2002/02\tf\x1a\tg\th\r\nnie\r\n")
        << QStringList{"a|2002/01|c|d", "e|2002/02||f"}
        << "\rDer Rest der Datei nach dem Dateiende-Zeichen in Zeile 2 wurde nicht gelesen.";
    QTest::newRow("Windows-1252 text") << QByteArray("L\xf6sung\t2002/05\tDemo\tCD\r\n")
                                       << QStringList{u"Lösung|2002/05|Demo|CD"_qs} << "";
    QTest::newRow("UTF-8 text") << QByteArray("\xc5\x81\xc3\xb3"
                                              "d\xc5\xba\t2002/05\t\t\r\n")
                                << QStringList{u"Łódź|2002/05||"_qs} << "";
}

void TestInfoWindow::importLinesAndCounts() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, added);
    QFETCH(QString, moreInTheBox);
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    importFile(m_app->writeImportFile(file));
    QCOMPARE(m_app->boxes, QStringList{successMessage(int(added.size())) + moreInTheBox});
    QCOMPARE(discRows(), joined(kThreeDiscRows) + added);
}

void TestInfoWindow::importCancelledReadsNothing() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    importFile(QString());
    QVERIFY(m_app->boxes.isEmpty());
    QCOMPARE(discRows(), joined(kThreeDiscRows));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestInfoWindow::importOfAMissingFileSaysSo() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    importFile(m_app->root() + QStringLiteral("/nirgends.txt"));
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY(m_app->boxes[0].startsWith(
        QStringLiteral("message: Die Datei konnte nicht gelesen werden:\n")));
    QVERIFY(m_app->boxes[0].contains(QStringLiteral("nirgends.txt")));
    // The system's own words stand quoted in the German sentence.
    QVERIFY2(m_app->boxes[0].endsWith(u'"') && m_app->boxes[0].count(u'"') == 2,
             qPrintable(m_app->boxes[0]));
    QCOMPARE(discRows(), joined(kThreeDiscRows));
}

void TestInfoWindow::importStopsAtTheRefusedLine() {
    // The table refuses an empty name.
    startWith(
        kThreeDiscRows, {},
        QStringLiteral("TITEL TEXT CHECK (TITEL <> ''), Ausgabe TEXT, Art TEXT, Medium TEXT"));
    UserSteps::editView(UserSteps::Disc);
    importFile(m_app->writeImportFile("a\t2002/05\tDemo\tCD\r\nb\t2002/05\tDemo\tCD\r\n"
                                      "\t2002/05\tDemo\tCD\r\nc\t2002/05\tDemo\tCD\r\n"));
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY2(m_app->boxes[0].startsWith(QStringLiteral("error: ")), qPrintable(m_app->boxes[0]));
    QCOMPARE(discRows(), joined(kThreeDiscRows) << QStringLiteral("a|2002/05|Demo|CD")
                                                << QStringLiteral("b|2002/05|Demo|CD"));
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    QCOMPARE(Form1->Table1.recordCount(), 5);
    QCOMPARE(Form1->DataSource1->rowCount(), 5);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The file is closed again: it can be replaced at once.
    QVERIFY(QFile::remove(m_app->root() + QStringLiteral("/import.txt")));
}

void TestInfoWindow::roundTripGivesBackTheFieldTexts_data() {
    QTest::addColumn<Rows>("rows");
    QTest::newRow("Windows-1252") << Rows{{"Preis 5 €", "2002/05", "Demo", "CD"},
                                          {"Völkerball", "2002/06", "", "DVD"}};
    QTest::newRow("UTF-8") << Rows{{"Łódź Rally", "2002/05", "Demo", "CD"},
                                   {"Völkerball", "2002/06", "Mods", ""}};
    QTest::newRow("line break and empty fields")
        << Rows{{"zwei\nZeilen", "2002/05", "Extras", "CD/DVD"}, {"", "2002/07", "", "x"}};
}

void TestInfoWindow::roundTripGivesBackTheFieldTexts() {
    QFETCH(Rows, rows);
    startWith(rows);
    UserSteps::editView(UserSteps::Disc);
    clickExport();
    importFile(exportFile(QStringLiteral("CDData.db")));
    QCOMPARE(m_app->boxes, QStringList{successMessage(int(rows.size()))});
    QCOMPARE(discRows(), joined(rows) + joined(rows));
}

void TestInfoWindow::largeImportFinishes() {
    startWith(kThreeDiscRows);
    UserSteps::editView(UserSteps::Disc);
    QByteArray file;
    for (int i = 0; i < 50000; ++i)
        file += "Titel " + QByteArray::number(i) + "\t2002/05\tDemo\tCD\r\n";
    importFile(m_app->writeImportFile(file));
    QCOMPARE(m_app->boxes, QStringList{successMessage(50000)});
    const QStringList rows = discRows();
    QCOMPARE(rows.size(), 50003);
    QCOMPARE(rows.constLast(), QStringLiteral("Titel 49999|2002/05|Demo|CD"));
    QCOMPARE(Form1->DataSource1->rowCount(), 50003);
}

void TestInfoWindow::fileDialogFilterMatchesAnyLetterCase() {
    const QString dir = m_app->root() + QStringLiteral("/pick");
    QDir().mkpath(dir);
    for (const char* name : {"a.txt", "b.TXT", "c.Txt", "d.csv", "e.txt.bak"}) {
        QFile f(dir + u'/' + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    Dialogs::setUpOpenDialog(dialog, TForm1::OpenDialog1DefaultExt, TForm1::OpenDialog1Filter);
    QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("Textdateien (*.txt)")});
    auto* model = dialog.findChild<QFileSystemModel*>();
    QVERIFY(model);
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(dir);
    QVERIFY(loaded.wait(5000) || loaded.count() > 0);
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(list);
    QStringList shown;
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(list->rootIndex()), 3, 5000);
    for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
        shown << list->model()->index(r, 0, list->rootIndex()).data().toString();
    shown.sort();
    QCOMPARE(shown, (QStringList{"a.txt", "b.TXT", "c.Txt"}));
    QVERIFY(dialog.nameFilters().constFirst().startsWith(QStringLiteral("Textdateien")));
}

void TestInfoWindow::importDialogOpensWhereItIsUseful_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("importFirst");
    QTest::newRow("disc mode: the home folder") << "vantora" << false;
    QTest::newRow("hard-disk mode: the data folder") << "vantorahd" << false;
    QTest::newRow("disc mode: the last import's folder") << "vantora" << true;
    QTest::newRow("hard-disk mode: the last import's folder") << "vantorahd" << true;
}

// Never the working directory, which after the start-up is the temporary folder.
void TestInfoWindow::importDialogOpensWhereItIsUseful() {
    QFETCH(QString, program);
    QFETCH(bool, importFirst);
    QVERIFY(TestSupport::makeArchive(m_app->dataDir()));
    QCOMPARE(m_app->start(program), StartupOutcome::Running);
    QString expected = program == QLatin1String("vantorahd")
                           ? QDir::fromNativeSeparators(State().DataDir)
                           : QDir::homePath();
    if (importFirst) {
        UserSteps::editView(UserSteps::Disc);
        const QString dir = m_app->root() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(dir));
        QFile file(dir + QStringLiteral("/neu.TXT"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a\t2002/05\tDemo\tCD\r\n");
        file.close();
        importFile(file.fileName());
        QCOMPARE(m_app->boxes, QStringList{successMessage(1)});
        expected = dir;
    }
    QCOMPARE(Form1->OpenDialog1InitialDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    QVERIFY(expected != QDir::currentPath());
}

QTEST_MAIN(TestInfoWindow)
#include "test_infowindow.moc"
