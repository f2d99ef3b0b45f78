// The games statistics window: its frame, the recompute, the charts pixel by pixel, the
// read-out, the rubric row click and rows the figures have no place for.
#include "AppState.h"
#include "AppWindows.h"
#include "CaptionLabel.h"
#include "DataGrid.h"
#include "GradientBackground.h"
#include "IssueWalk.h"
#include "StatisticsWindows.h"
#include "StatsFixture.h"
#include "TForm1.h"
#include "TSuchPage.h"
#include "UserSteps.h"
#include "VerticalCaption.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <memory>

using namespace StatsFixture;
using TestSupport::Rows;

namespace {
const QRgb kRed = qRgb(0xFF, 0, 0);
const QRgb kWindow = qRgb(0x01, 0x00, 0x41);
const QString kStandardLabel3 = QStringLiteral("Schnitt pro Ausgabe: Wertung & Testanzahl");

QRgb gradientAt(int y, int height) {
    for (int band = 0; band < GradientBackground::kBands; ++band)
        if (y < GradientBackground::bandTop(band + 1, height))
            return GradientBackground::bandColour(band).rgb();
    return 0;
}
} // namespace

class TestGamesStats : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void windowFrame();
    void selectionCount_data();
    void selectionCount();
    void emptySelection();
    void rubricNamesMatchExactly();
    void averagesRoundToTenth_data();
    void averagesRoundToTenth();
    void maximumCaption_data();
    void maximumCaption();
    void singleIssueRange();
    void hoverReadout_data();
    void hoverReadout();
    void distributionChartPixels();
    void monthlyChartPixels();
    void rowClickMatchingTheCategoryDoesNothing();
    void rowClickSearchesAndRecomputes();
    void rowClickWithTheSearchPageOpen();
    void recomputeIsRepeatable();
    void titleTypingWithTheSearchPageHidden();
    void queryStandsOnItsFirstRowAfterwards();
    void malformedRowsStillGiveFigures_data();
    void malformedRowsStillGiveFigures();
    void sampleArchivePicture();

private:
    void start(const Rows& games);
    void openWindow();
    QString cell(int row, int column) const { return cellText(Form3->StringGrid1, row, column); }
    // Moves the pointer over the window; the read-out caption afterwards.
    QString hoverAt(QPoint at);
    std::unique_ptr<AppFixture> m_app;
};

void TestGamesStats::cleanup() {
    m_app.reset();
}

void TestGamesStats::start(const Rows& games) {
    m_app = std::make_unique<AppFixture>();
    TestSupport::makeTables(m_app->dataDir(), games, {discRow("Demo", "1998/01")},
                            {tipRow("Cheat", "1998/01")});
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    QCOMPARE(State().CurrentView, QStringLiteral("Spiele"));
}

void TestGamesStats::openWindow() {
    UserSteps::openStatistics();
    QVERIFY(Form3->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(Form3));
}

QString TestGamesStats::hoverAt(QPoint at) {
    // From a spot outside the strip, so that every move is a move. The moves go to the
    // window as the window system sends them, to whatever control lies under the pointer.
    QTest::mouseMove(Form3->windowHandle(), QPoint(100, 300));
    QTest::mouseMove(Form3->windowHandle(), at);
    return Form3->Label3->text();
}

void TestGamesStats::windowFrame() {
    start({game("Action", "80", "1998/01")});
    QCOMPARE(Form3->windowTitle(), QStringLiteral("Statistik / Spiele"));
    QCOMPARE(Form3->size(), QSize(558, 396));
    QCOMPARE(Form3->minimumSize(), Form3->maximumSize());
    const Qt::WindowFlags flags = Form3->windowFlags();
    QVERIFY(flags.testFlag(Qt::Tool));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((Form3->geometry().center() - centre).manhattanLength() <= 2);
    // Every control has a name for screen readers.
    for (const char* name : {"Label1", "StringGrid1", "Label3", "Bevel2", "Label5", "LMDLabel1",
                             "LMDLabel2", "Label4", "Button1", "Label2", "Bevel1", "LMDLabel3"})
        QVERIFY2(!Form3->findChild<QWidget*>(name)->accessibleName().isEmpty(), name);
    openWindow();
    QTest::mouseClick(Form3->Button1, Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
}

void TestGamesStats::selectionCount_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("caption");
    QTest::newRow("one row") << 1 << "Auswahl: 1 Spiel";
    QTest::newRow("two rows") << 2 << "Auswahl: 2 Spiele";
    QTest::newRow("no rows") << 0 << "Auswahl: 0 Spiele";
}

void TestGamesStats::selectionCount() {
    QFETCH(int, rows);
    QFETCH(QString, caption);
    Rows games;
    for (int i = 0; i < rows; ++i)
        games << game("Sport", "70", "1998/05");
    start(games);
    openWindow();
    QCOMPARE(Form3->Label4->caption(), caption);
}

void TestGamesStats::emptySelection() {
    start({});
    openWindow();
    // The newest issue of an empty table is unknown: the walk stands still.
    QCOMPARE(State().GamesLastMonth, 0);
    QCOMPARE(State().IssueWalkMonth, 10);
    QCOMPARE(State().IssueWalkYear, 1997);
    QCOMPARE(cell(1, 0), QStringLiteral(" Alle Rubriken"));
    QCOMPARE(cell(1, 1), QStringLiteral(" 0"));
    QCOMPARE(cell(1, 2), QStringLiteral(" 0 %"));
    QCOMPARE(cell(8, 0), QStringLiteral(" > Software"));
    QCOMPARE(cell(8, 2), QStringLiteral(" 0 %"));
    QCOMPARE(Form3->LMDLabel3->text(), QStringLiteral(" Maximum=1 Spiel"));
    QCOMPARE(Form3->LMDLabel1->text(), QStringLiteral(" Testanzahlschnitt (max=1)"));
    const QImage image = picture(Form3);
    // Bands without columns, and every red mark on the baseline rows 174 and 175.
    QVERIFY(columnIs(image, 300, 267, 366, kSilver)); // rating 57
    QVERIFY(columnIs(image, 260, 35, 173, kGray));    // January
    QVERIFY(columnIs(image, 260, 174, 175, kRed));
    QVERIFY(columnIs(image, 500, 35, 173, kSilver)); // December
    QVERIFY(columnIs(image, 500, 174, 175, kRed));
}

void TestGamesStats::rubricNamesMatchExactly() {
    start({game("Action", "80", "1998/01"), game("action", "60", "1998/01"),
           game("Action ", "70", "1998/02"), game("Sport", "", "1998/02"),
           game("Sport", "90", "1998/03")});
    openWindow();
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 5 Spiele"));
    QCOMPARE(cell(0, 0), QStringLiteral(" Rubrik"));
    QCOMPARE(cell(0, 1), QStringLiteral(" Wertungen"));
    QCOMPARE(cell(0, 2), QStringLiteral(" Schnitt"));
    QCOMPARE(cell(2, 0), QStringLiteral(" > Action"));
    QCOMPARE(cell(2, 1), QStringLiteral(" 1"));
    QCOMPARE(cell(2, 2), QStringLiteral(" 80 %"));
    QCOMPARE(cell(4, 0), QStringLiteral(" > Sport"));
    QCOMPARE(cell(4, 1), QStringLiteral(" 1"));
    // "action" and "Action " count in neither the rubric rows nor the line for all rubrics.
    QCOMPARE(cell(1, 1), QStringLiteral(" 2"));
    QCOMPARE(cell(1, 2), QStringLiteral(" 85 %"));
    // ... but in the distribution and the months; the row without a rating in neither.
    const RatingFigures& f = Form3->figures();
    QCOMPARE(f.distribution(60), 1.0);
    QCOMPARE(f.distribution(70), 1.0);
    QCOMPARE(f.monthly().rows(1), 2.0);
    QCOMPARE(f.monthly().rows(2), 1.0);
    QCOMPARE(f.monthAverage(1), 70.0);
    QCOMPARE(f.monthly().rows(3), 1.0);
}

void TestGamesStats::averagesRoundToTenth_data() {
    QTest::addColumn<QStringList>("ratings");
    QTest::addColumn<QString>("shown");
    QTest::newRow("72.25") << QStringList{"70", "72", "73", "74"} << " 72.2 %";
    QTest::newRow("72.75") << QStringList{"71", "73", "73", "74"} << " 72.8 %";
    QTest::newRow("74.5") << QStringList{"74", "75"} << " 74.5 %";
    QTest::newRow("whole") << QStringList{"80"} << " 80 %";
}

void TestGamesStats::averagesRoundToTenth() {
    QFETCH(QStringList, ratings);
    QFETCH(QString, shown);
    Rows games;
    for (const QString& r : ratings)
        games << game("Budget", r, "1998/04");
    start(games);
    openWindow();
    QCOMPARE(cell(7, 2), shown);
    QCOMPARE(cell(1, 2), shown);
}

void TestGamesStats::maximumCaption_data() {
    QTest::addColumn<QStringList>("ratings");
    QTest::addColumn<QString>("caption");
    QTest::newRow("highest entry 1") << QStringList{"10", "20"} << " Maximum=1 Spiel";
    QTest::newRow("highest entry 2") << QStringList{"10", "20", "10"} << " Maximum=2 Spiele";
}

void TestGamesStats::maximumCaption() {
    QFETCH(QStringList, ratings);
    QFETCH(QString, caption);
    Rows games;
    for (const QString& r : ratings)
        games << game("Sport", r, "1998/04");
    start(games);
    openWindow();
    QCOMPARE(Form3->LMDLabel3->text(), caption);
    QCOMPARE(Form3->Label2->caption(),
             QStringLiteral(" Wertungsverteilung der ausgewählten Spiele (Anzahl Wertungen pro "
                            "Prozent)"));
    QCOMPARE(Form3->Label3->caption(),
             QStringLiteral("Schnitt pro Ausgabe: Wertung && Testanzahl"));
    QCOMPARE(Form3->Label3->text(), kStandardLabel3);
    QCOMPARE(Form3->LMDLabel2->text(), QStringLiteral(" Wertungsschnitt (max=100%)"));
}

void TestGamesStats::singleIssueRange() {
    // The newest issue is the first one: October has one issue, every other month none.
    start({game("Sport", "80", "1997/10"), game("Sport", "60", "1997/10"),
           game("Sport", "50", "1997/05")});
    openWindow();
    QCOMPARE(State().GamesLastMonth, 10);
    QCOMPARE(State().GamesLastYear, 1997);
    const MonthlyFigures& m = Form3->figures().monthly();
    for (int month = 1; month <= 12; ++month)
        QCOMPARE(m.issues(month), month == 10 ? 1.0 : 0.0);
    QCOMPARE(m.perIssue(5), 0.0);
    QCOMPARE(Form3->LMDLabel1->text(), QStringLiteral(" Testanzahlschnitt (max=2)"));
    QCOMPARE(hoverAt(QPoint(253 + 22 * 4, 165)),
             QStringLiteral("5er-Durchschnitt: Wertung=50 / Tests=0"));
    QCOMPARE(hoverAt(QPoint(253 + 22 * 9, 165)),
             QStringLiteral("10er-Durchschnitt: Wertung=70 / Tests=2"));
}

void TestGamesStats::hoverReadout_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("readout");
    const QString january = QStringLiteral("1er-Durchschnitt: Wertung=74.3 / Tests=1.5");
    const QString march = QStringLiteral("3er-Durchschnitt: Wertung=90 / Tests=0.5");
    const QString november = QStringLiteral("11er-Durchschnitt: Wertung=0 / Tests=0");
    const QString december = QStringLiteral("12er-Durchschnitt: Wertung=0 / Tests=0");
    QTest::newRow("X 252 out") << QPoint(252, 165) << kStandardLabel3;
    QTest::newRow("X 253 January") << QPoint(253, 165) << january;
    QTest::newRow("X 515 December") << QPoint(515, 165) << december;
    QTest::newRow("X 516 out") << QPoint(516, 165) << kStandardLabel3;
    QTest::newRow("Y 160 out") << QPoint(300, 160) << kStandardLabel3;
    QTest::newRow("Y 161 in") << QPoint(300, 161) << march;
    QTest::newRow("Y 177 in") << QPoint(300, 177) << march;
    QTest::newRow("Y 178 over the month numbers") << QPoint(300, 178) << kStandardLabel3;
    QTest::newRow("Y 191 over the month numbers") << QPoint(300, 191) << kStandardLabel3;
    QTest::newRow("Y 192 below them") << QPoint(300, 192) << march;
    QTest::newRow("Y 200 in") << QPoint(300, 200) << march;
    QTest::newRow("over Label4") << QPoint(300, 205) << kStandardLabel3;
    QTest::newRow("between Label4 and Button1") << QPoint(475, 205) << november;
    QTest::newRow("over Button1") << QPoint(480, 205) << kStandardLabel3;
    QTest::newRow("Y 210 out") << QPoint(475, 210) << kStandardLabel3;
}

void TestGamesStats::hoverReadout() {
    QFETCH(QPoint, at);
    QFETCH(QString, readout);
    // January: two issues in 10/1997-03/1999 and three ratings; March two issues, one rating.
    start({game("Action", "74", "1998/01"), game("Action", "75", "1999/01"),
           game("Action", "74", "1999/01"), game("Sport", "90", "1999/03")});
    openWindow();
    Form3->FormShow();
    QCOMPARE(Form3->Label3->text(), kStandardLabel3);
    QCOMPARE(hoverAt(at), readout);
    // The read-out stays when the pointer leaves the strip.
    QTest::mouseMove(Form3->windowHandle(), QPoint(100, 300));
    QCOMPARE(Form3->Label3->text(), readout);
}

void TestGamesStats::distributionChartPixels() {
    // Highest entry 2 (rating 50); ratings 0 and 100 half as high; nothing at 10.
    start({game("Sport", "50", "1998/01"), game("Sport", "50", "1998/01"),
           game("Sport", "100", "1998/01"), game("Sport", "0", "1998/01")});
    openWindow();
    const QImage image = picture(Form3);
    // Rating 50, slot x 261-265: the full 100 pixels y 366 up to 267; its first column in
    // the band colour of rating 49 (gray).
    for (int x = 262; x <= 265; ++x)
        QVERIFY(columnIs(image, x, 267, 366, kNavy));
    QVERIFY(columnIs(image, 261, 267, 366, kGray));
    // Rating 100 lands in the last slot, x 511-515, in a gray band above a 50-pixel column;
    // the first column carries the silver of rating 99.
    for (int x = 512; x <= 515; ++x) {
        QVERIFY(columnIs(image, x, 317, 366, kNavy));
        QVERIFY(columnIs(image, x, 267, 316, kGray));
    }
    QVERIFY(columnIs(image, 511, 317, 366, kSilver));
    QVERIFY(columnIs(image, 511, 267, 316, kGray));
    // Rating 10 has no column: its whole slot is silver.
    for (int x = 61; x <= 65; ++x)
        QVERIFY(columnIs(image, x, 267, 366, kSilver));
    // Rating 0's first column is drawn in the colour the pen still held from the painting
    // before: the red of December's mark.
    QVERIFY(columnIs(image, 11, 317, 366, kRed));
    QVERIFY(columnIs(image, 12, 317, 366, kNavy));
    // Above and below the chart the background shows.
    QCOMPARE(image.pixel(300, 266), gradientAt(266, 396));
    QCOMPARE(image.pixel(300, 367), gradientAt(367, 396));
    // The percent texts stand on the window colour; the first at (12, 370), none for 100%.
    QCOMPARE(image.pixel(12, 370), kWindow);
    QCOMPARE(image.pixel(462, 370), kWindow);
    QCOMPARE(image.pixel(11, 370), gradientAt(370, 396));
    bool white90 = false;
    for (int y = 370; y < 384; ++y)
        for (int x = 462; x < 480; ++x)
            white90 |= qGreen(image.pixel(x, y)) > 200;
    QVERIFY2(white90, "90% is written in white");
    for (int y = 370; y < 384; ++y)
        for (int x = 500; x <= 515; ++x)
            QCOMPARE(image.pixel(x, y), gradientAt(y, 396));
}

void TestGamesStats::monthlyChartPixels() {
    // 10/1997-03/1999: January and March have two issues each.
    start({game("Sport", "40", "1998/01"), game("Sport", "60", "1999/01"),
           game("Sport", "80", "1998/03"), game("Sport", "80", "1998/03"),
           game("Sport", "80", "1999/03"), game("Sport", "80", "1999/03")});
    openWindow();
    QCOMPARE(Form3->LMDLabel1->text(), QStringLiteral(" Testanzahlschnitt (max=2)"));
    const QImage image = picture(Form3);
    // January, x 252-273: one test per issue is half the highest, 70 pixels.
    QVERIFY(columnIs(image, 252, 105, 174, kBlack));
    QVERIFY(columnIs(image, 252, 35, 104, kGray));
    QVERIFY(columnIs(image, 253, 106, 174, kNavy));
    QVERIFY(columnIs(image, 273, 35, 103, kGray));
    // Its red mark at 174 - trunc(50 / 100 × 140) = 104, two rows, not in the first column.
    for (int x = 253; x <= 273; ++x)
        QVERIFY(columnIs(image, x, 104, 105, kRed));
    QCOMPARE(image.pixel(252, 104), kGray);
    QCOMPARE(image.pixel(252, 105), kBlack);
    // February has no rating: silver band only and its mark on the baseline rows 174-175.
    QVERIFY(columnIs(image, 274, 35, 174, kSilver));
    for (int x = 275; x <= 295; ++x) {
        QVERIFY(columnIs(image, x, 35, 173, kSilver));
        QVERIFY(columnIs(image, x, 174, 175, kRed));
    }
    // March is the highest: 140 pixels; its mark at 174 - 112 = 62.
    QVERIFY(columnIs(image, 296, 35, 174, kBlack));
    QVERIFY(columnIs(image, 297, 64, 174, kNavy));
    QVERIFY(columnIs(image, 297, 62, 63, kRed));
    QVERIFY(columnIs(image, 297, 35, 61, kNavy));
    // Above the top row y 35 the background shows.
    QCOMPARE(image.pixel(300, 34), gradientAt(34, 396));
    QCOMPARE(Form3->monthAverages()[0], 50.0);
    QCOMPARE(Form3->monthAverages()[1], 0.0);
}

void TestGamesStats::rowClickMatchingTheCategoryDoesNothing() {
    start({game("Action", "80", "1998/01"), game("Sport", "70", "1998/01")});
    openWindow();
    QCOMPARE(Form3->StringGrid1->currentRow(), 1);
    {
        // The list moved while the grid still shows row 1.
        const QSignalBlocker block(SuchPage->ComboBox2);
        SuchPage->ComboBox2->setCurrentIndex(2);
    }
    const QStringList sql = Form1->Query1.sql();
    Form1->Query1.moveTo(1);
    hoverAt(QPoint(260, 165));
    const QString readout = Form3->Label3->text();
    QVERIFY(readout != kStandardLabel3);
    clickGridRow(Form3->StringGrid1, 3); // Strategie, item 2: already the category
    QCOMPARE(Form3->StringGrid1->currentRow(), 3);
    QCOMPARE(Form1->Query1.sql(), sql);
    QCOMPARE(Form1->Query1.recNo(), 1);       // no search ran
    QCOMPARE(Form3->Label3->text(), readout); // no recompute
    QCOMPARE(State().SelectionCondition, QString());
}

void TestGamesStats::rowClickSearchesAndRecomputes() {
    start({game("Action", "80", "1998/01"), game("Action", "60", "1998/02"),
           game("Sport", "70", "1998/01")});
    openWindow();
    QVERIFY(!SuchPage->isVisible());
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 3 Spiele"));
    clickGridRow(Form3->StringGrid1, 2);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 1);
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("Action"));
    QCOMPARE(State().SelectionCondition, QStringLiteral("RUBRIK LIKE \"%cti%\""));
    QCOMPARE(Form1->Query1.recordCount(), 2);
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 2 Spiele"));
    QCOMPARE(cell(1, 2), QStringLiteral(" 70 %"));
    QCOMPARE(Form3->StringGrid1->currentRow(), 2);
    // Back to all rubrics.
    clickGridRow(Form3->StringGrid1, 1);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 0);
    QCOMPARE(State().SelectionCondition, QString());
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 3 Spiele"));
}

void TestGamesStats::rowClickWithTheSearchPageOpen() {
    start({game("Action", "80", "1998/01"), game("Sport", "70", "1998/01"),
           game("Sport", "90", "1998/02")});
    openWindow();
    UserSteps::openSearchPage();
    QVERIFY(SuchPage->isVisible());
    clickGridRow(Form3->StringGrid1, 4);
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("Sport"));
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 2 Spiele"));
    QCOMPARE(cell(4, 2), QStringLiteral(" 80 %"));
    QCOMPARE(Form3->StringGrid1->currentRow(), 4);
    QVERIFY(SuchPage->isVisible());
}

void TestGamesStats::recomputeIsRepeatable() {
    start({game("Action", "80", "1998/01"), game("Strategie", "0", "1998/11"),
           game("Sport", "100", "1999/03"), game("Sport", "55", "1998/07"),
           game("Adventures", "", "1998/07")});
    openWindow();
    picture(Form3); // the pen's left-over colour settles after the first painting
    const QString texts = gridTexts(Form3->StringGrid1);
    // The grid's focus frame is not part of the figures.
    Form3->StringGrid1->clearFocus();
    const QImage before = picture(Form3);
    QTest::mouseClick(Form3->Button1, Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
    openWindow();
    QCOMPARE(gridTexts(Form3->StringGrid1), texts);
    Form3->StringGrid1->clearFocus();
    QCOMPARE(picture(Form3), before);
    Form3->FormShow();
    QCOMPARE(picture(Form3), before);
}

void TestGamesStats::titleTypingWithTheSearchPageHidden() {
    start({game("Action", "80", "1998/01", "ALPHA"), game("Sport", "70", "1998/01", "BETA"),
           game("Sport", "60", "1998/02", "BRAVO")});
    openWindow();
    QVERIFY(!SuchPage->isVisible());
    QTest::keyClicks(Form1->Edit1, QStringLiteral("B"));
    QCOMPARE(Form1->Query1.recordCount(), 2);
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 3 Spiele"));
    QCOMPARE(cell(1, 1), QStringLiteral(" 3"));
    // With the page open the next search recomputes.
    UserSteps::openSearchPage();
    QTest::keyClicks(Form1->Edit1, QStringLiteral("E"));
    QCOMPARE(Form1->Query1.recordCount(), 1);
    QCOMPARE(Form3->Label4->caption(), QStringLiteral("Auswahl: 1 Spiel"));
}

void TestGamesStats::queryStandsOnItsFirstRowAfterwards() {
    start({game("Action", "80", "1998/01"), game("Sport", "70", "1998/01"),
           game("Sport", "60", "1998/02")});
    openWindow();
    Form1->Query1.moveTo(2);
    Form3->FormShow();
    QCOMPARE(Form1->Query1.recNo(), 0);
    QVERIFY(Form1->DBGrid1->isVisible());
}

void TestGamesStats::malformedRowsStillGiveFigures_data() {
    QTest::addColumn<Rows>("games");
    QTest::addColumn<int>("lastMonth");
    QTest::addColumn<double>("monthRows");
    const Rows common = {game("Action", "80", "1998/01"), game("Action", "70", "2001/00"),
                         game("Action", "60", "2001/13"), game("Action", "50", ""),
                         game("Sport", "150", "1998/02"), game("Sport", "abc", "1998/02"),
                         game("Sport", "-3", "1998/02")};
    // "abc" sorts after every digit, so it is the newest issue: the range's end is unknown.
    QTest::newRow("newest issue abc") << (Rows(common) << game("Sport", "90", "abc")) << 0 << 1.0;
    QTest::newRow("newest issue 2001/13") << common << 13 << 1.0;
}

void TestGamesStats::malformedRowsStillGiveFigures() {
    QFETCH(Rows, games);
    QFETCH(int, lastMonth);
    QFETCH(double, monthRows);
    start(games);
    const AppState& s = State();
    QCOMPARE(s.GamesLastMonth, lastMonth);
    // The walk over this range is bounded: it stands still at the first issue.
    const IssueWalk::Result walk =
        IssueWalk::walk({s.GamesFirstMonth, s.GamesFirstYear, s.GamesLastMonth, s.GamesLastYear});
    QCOMPARE(walk.steps, 0);
    openWindow();
    QCOMPARE(Form3->Label4->caption(),
             QStringLiteral("Auswahl: %1 Spiele").arg(Form1->Query1.recordCount()));
    QCOMPARE(Form1->Query1.recordCount(), int(games.size()));
    // Action: all four ratings, whatever their issue; the ratings 150, abc, -3 count nowhere.
    QCOMPARE(cell(2, 1), QStringLiteral(" 4"));
    QCOMPARE(cell(2, 2), QStringLiteral(" 65 %"));
    QCOMPARE(cell(4, 1), games.size() > 7 ? QStringLiteral(" 1") : QStringLiteral(" 0"));
    const RatingFigures& f = Form3->figures();
    QCOMPARE(f.monthly().rows(1), monthRows);
    QCOMPARE(f.monthly().rows(2), 0.0);
    QCOMPARE(f.distribution(100), 0.0);
    QCOMPARE(Form3->LMDLabel1->text(), QStringLiteral(" Testanzahlschnitt (max=1)"));
    QCOMPARE(hoverAt(QPoint(253, 165)), QStringLiteral("1er-Durchschnitt: Wertung=80 / Tests=0"));
}

// The window over the sample archive against its picture made once: every control's place,
// font, colour and text, the figures and both charts.
void TestGamesStats::sampleArchivePicture() {
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->makeArchive(400, 300, 200, 11));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    openWindow();
    QCOMPARE(Form3->Label4->caption(),
             QStringLiteral("Auswahl: %1 Spiele").arg(Form1->Query1.recordCount()));
    picture(Form3); // the pen's left-over colour settles after the first painting
    Form3->StringGrid1->clearFocus();
    const QImage image = picture(Form3);
    const QString folder = qEnvironmentVariable("VANTORA_SCREENSHOTS");
    if (!folder.isEmpty())
        QVERIFY(image.save(folder + QStringLiteral("/statistik-spiele.png")));
    const QImage reference(QFINDTESTDATA("reference/statistik-spiele.png"));
    QVERIFY(!reference.isNull());
    QCOMPARE(image, reference.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestGamesStats)
#include "test_gamesstats.moc"
