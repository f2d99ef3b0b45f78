// The disc-content and tips statistics windows: their frames from one description each,
// the category counts, the chart, the read-out, the category row click and the last row.
#include "AppState.h"
#include "AppWindows.h"
#include "CaptionLabel.h"
#include "GradientBackground.h"
#include "IssueWalk.h"
#include "StatisticsWindows.h"
#include "StatsFixture.h"
#include "TForm1.h"
#include "TSuchPage.h"
#include "UserSteps.h"
#include "VerticalCaption.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <memory>

using namespace StatsFixture;
using TestSupport::Rows;

class TestCategoryStats : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void windowFrames_data();
    void windowFrames();
    void selectionCount_data();
    void selectionCount();
    void emptySelection_data();
    void emptySelection();
    void discCategories();
    void tipsCategories();
    void recomputeIsRepeatable();
    void monthlyChartPixels();
    void hoverReadout_data();
    void hoverReadout();
    void rowClickSearchesAndRecomputes();
    void rowClickMatchingTheCategoryDoesNothing();
    void lastRowShowsEveryRow_data();
    void lastRowShowsEveryRow();
    void malformedRowsStillGiveFigures_data();
    void malformedRowsStillGiveFigures();
    void sampleArchivePictures();

private:
    void start(const Rows& disc, const Rows& tips);
    // Switches to the view and opens its statistics window.
    TCategoryStatForm* openWindow(const QString& view);
    QString hoverAt(TStatForm* w, QPoint at);
    std::unique_ptr<AppFixture> m_app;
};

void TestCategoryStats::cleanup() {
    m_app.reset();
}

void TestCategoryStats::start(const Rows& disc, const Rows& tips) {
    m_app = std::make_unique<AppFixture>();
    TestSupport::makeTables(m_app->dataDir(), {game("Action", "80", "1998/01")}, disc, tips);
    QCOMPARE(m_app->start(), StartupOutcome::Running);
}

TCategoryStatForm* TestCategoryStats::openWindow(const QString& view) {
    UserSteps::showView(view == QLatin1String("CD-Inhalt") ? UserSteps::Disc : UserSteps::Tips);
    UserSteps::openStatistics();
    TCategoryStatForm* w = view == QLatin1String("CD-Inhalt")
                               ? static_cast<TCategoryStatForm*>(Form5)
                               : static_cast<TCategoryStatForm*>(Form6);
    if (!w->isVisible() || !QTest::qWaitForWindowExposed(w))
        qWarning("statistics window not shown");
    return w;
}

QString TestCategoryStats::hoverAt(TStatForm* w, QPoint at) {
    QTest::mouseMove(w->windowHandle(), QPoint(100, 20));
    QTest::mouseMove(w->windowHandle(), at);
    return w->Label3->text();
}

void TestCategoryStats::windowFrames_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("grid");
    QTest::addColumn<int>("label4Top");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label3");
    QTest::newRow("disc") << "CD-Inhalt"
                          << "Statistik / CD & DVD-Inhalt" << QSize(544, 273)
                          << QRect(8, 32, 225, 233) << 236 << " Verteilung der Dateiarten"
                          << "Dateidurchschnitt pro Monat";
    QTest::newRow("tips") << "Tips"
                          << "Statistik / Tipps" << QSize(544, 241) << QRect(8, 32, 225, 152) << 204
                          << " Verteilung der Tippsarten"
                          << "Tipsdurchschnitt pro Monat";
}

void TestCategoryStats::windowFrames() {
    QFETCH(QString, view);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(QRect, grid);
    QFETCH(int, label4Top);
    QFETCH(QString, label1);
    QFETCH(QString, label3);
    start({discRow("Demo", "1998/01")}, {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = view == QLatin1String("CD-Inhalt")
                               ? static_cast<TCategoryStatForm*>(Form5)
                               : static_cast<TCategoryStatForm*>(Form6);
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->size(), size);
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(w->StringGrid1->geometry(), grid);
    QCOMPARE(w->StringGrid1->selectionMode(), QAbstractItemView::ContiguousSelection);
    QCOMPARE(w->Label1->caption(), label1);
    QCOMPARE(w->Label1->geometry(), QRect(10, 12, 225, 14));
    QCOMPARE(w->Label3->caption(), label3);
    QCOMPARE(w->Label3->geometry(), QRect(254, 12, 263, 14));
    QCOMPARE(w->Bevel2->geometry(), QRect(250, 32, 268, 145));
    QCOMPARE(w->Label5->geometry(), QRect(254, 178, 267, 14));
    QCOMPARE(w->LMDLabel1->geometry(), QRect(522, 8, 16, 173));
    QCOMPARE(w->LMDLabel1->text(), QStringLiteral(" Anzahl"));
    QCOMPARE(w->LMDLabel1->textColour(), QColor(0, 0, 0xFF));
    QCOMPARE(w->Label4->geometry(), QRect(250, label4Top, 223, 29));
    QCOMPARE(w->Label4->caption(), QStringLiteral("Auswahl:"));
    QCOMPARE(w->Button1->geometry(), QRect(478, label4Top, 41, 25));
    // Only the games window has the distribution and a second vertical caption.
    QVERIFY(!w->findChild<QWidget*>(QStringLiteral("LMDLabel2")));
    QVERIFY(!w->findChild<QWidget*>(QStringLiteral("Bevel1")));
    openWindow(view);
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    QVERIFY(!w->isVisible());
}

void TestCategoryStats::selectionCount_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1 File") << "CD-Inhalt" << 1 << "Auswahl: 1 File";
    QTest::newRow("2 Files") << "CD-Inhalt" << 2 << "Auswahl: 2 Files";
    QTest::newRow("0 Files") << "CD-Inhalt" << 0 << "Auswahl: 0 Files";
    QTest::newRow("1 Tipp") << "Tips" << 1 << "Auswahl: 1 Tipp";
    QTest::newRow("3 Tipps") << "Tips" << 3 << "Auswahl: 3 Tipps";
    QTest::newRow("0 Tipps") << "Tips" << 0 << "Auswahl: 0 Tipps";
}

void TestCategoryStats::selectionCount() {
    QFETCH(QString, view);
    QFETCH(int, rows);
    QFETCH(QString, caption);
    Rows disc, tips;
    for (int i = 0; i < rows; ++i) {
        disc << discRow("Demo", "1998/01");
        tips << tipRow("Cheat", "1998/01");
    }
    start(disc, tips);
    TCategoryStatForm* w = openWindow(view);
    QCOMPARE(w->Label4->caption(), caption);
}

void TestCategoryStats::emptySelection_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("allRows");
    QTest::newRow("disc") << "CD-Inhalt"
                          << " Dateianzahlschnitt (max=1)"
                          << " Alle Files";
    QTest::newRow("tips") << "Tips"
                          << " Tippsanzahlschnitt (max=1)"
                          << " Alle Tipps";
}

void TestCategoryStats::emptySelection() {
    QFETCH(QString, view);
    QFETCH(QString, scale);
    QFETCH(QString, allRows);
    start({}, {});
    TCategoryStatForm* w = openWindow(view);
    QCOMPARE(w->LMDLabel1->text(), scale);
    QCOMPARE(cellText(w->StringGrid1, 1, 0), allRows);
    QCOMPARE(cellText(w->StringGrid1, 1, 1), QStringLiteral(" 0"));
    const int last = w->StringGrid1->rowCount() - 1;
    QCOMPARE(cellText(w->StringGrid1, last, 1), QStringLiteral(" 0"));
    // A chart of bands without columns.
    const QImage image = picture(w);
    QVERIFY(columnIs(image, 252, 35, 174, kGray));
    QVERIFY(columnIs(image, 260, 35, 174, kGray));
    QVERIFY(columnIs(image, 280, 35, 174, kSilver));
}

void TestCategoryStats::discCategories() {
    start({discRow("DEMO", "1998/01"), discRow("Demo", "1998/02"),
           discRow("Programm-Patch", "1998/02"), discRow("Programm", "1998/02"),
           discRow("Sonstiges", "1998/03"), discRow("Bonus", "1998/03"), discRow("", "1998/03"),
           discRow("Spielvideo", "1998/03")},
          {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(QStringLiteral("CD-Inhalt"));
    QTableWidget* g = w->StringGrid1;
    QCOMPARE(g->rowCount(), 11);
    QCOMPARE(g->columnCount(), 2);
    QCOMPARE(cellText(g, 0, 0), QStringLiteral(" Kategorie"));
    QCOMPARE(cellText(g, 0, 1), QStringLiteral(" Anzahl"));
    QCOMPARE(g->columnWidth(0), 139);
    QCOMPARE(g->columnWidth(1), 81);
    QStringList shown;
    for (int r = 1; r < g->rowCount(); ++r)
        shown << cellText(g, r, 0) + u';' + cellText(g, r, 1);
    QCOMPARE(shown, QStringList({" Alle Files; 8", " > Demos; 2", " > Extras; 0", " > Mods; 0",
                                 " > Patches; 1", " > Programme; 1", " > Treiber; 0",
                                 " > Videos; 1", " > Vollversionen; 0", " > Sonstiges; 3"}));
    // Row 1 equals the rows walked: every row lands in exactly one category.
    QCOMPARE(w->figures().total(), double(Form1->Query1.recordCount()));
    QCOMPARE(w->Label3->caption(), QStringLiteral("Dateianzahl-Durchschnitt pro Ausgabe"));
    // 10/1997-03/1998: March has one issue and four rows, the most per issue.
    QCOMPARE(w->figures().monthly().issues(3), 1.0);
    QCOMPARE(w->LMDLabel1->text(), QStringLiteral(" Dateianzahlschnitt (max=4)"));
}

void TestCategoryStats::tipsCategories() {
    start({discRow("Demo", "1998/01")},
          {tipRow("Lösung", "1998/01"), tipRow("LÖSUNG", "1998/01"),
           tipRow("Cheat und Taktik", "1998/01"), tipRow("Kurztipp", "1998/02"),
           tipRow("Taktik", "1998/02"), tipRow("", "1998/02")});
    TCategoryStatForm* w = openWindow(QStringLiteral("Tips"));
    QTableWidget* g = w->StringGrid1;
    QCOMPARE(g->rowCount(), 7);
    QCOMPARE(cellText(g, 0, 0), QStringLiteral(" Art"));
    QStringList shown;
    for (int r = 1; r < g->rowCount(); ++r)
        shown << cellText(g, r, 0) + u';' + cellText(g, r, 1);
    QCOMPARE(shown, QStringList({" Alle Tipps; 6", " > Cheat; 1", " > Kurztipp; 1", " > Lösung; 1",
                                 " > Taktik; 1", " > Sonstige; 2"}));
    QCOMPARE(w->Label3->caption(), QStringLiteral("Tippsanzahl-Durchschnitt pro Ausgabe"));
    QCOMPARE(w->LMDLabel1->text(), QStringLiteral(" Tippsanzahlschnitt (max=3)"));
}

void TestCategoryStats::recomputeIsRepeatable() {
    start({discRow("Demo", "1998/01"), discRow("Bonus", "1998/03"), discRow("Mods", "1997/11")},
          {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(QStringLiteral("CD-Inhalt"));
    const QString texts = gridTexts(w->StringGrid1);
    // The grid's focus frame is not part of the figures.
    w->StringGrid1->clearFocus();
    const QImage before = picture(w);
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    UserSteps::openStatistics();
    QVERIFY(w->isVisible());
    QCOMPARE(gridTexts(w->StringGrid1), texts);
    QCOMPARE(cellText(w->StringGrid1, 10, 1), QStringLiteral(" 1"));
    QCOMPARE(cellText(w->StringGrid1, 1, 1), QStringLiteral(" 3"));
    w->StringGrid1->clearFocus();
    QCOMPARE(picture(w), before);
}

void TestCategoryStats::monthlyChartPixels() {
    // 10/1997-03/1999: January has two issues, May one.
    start({discRow("Demo", "1998/01"), discRow("Demo", "1999/01"), discRow("Demo", "1998/05"),
           discRow("Demo", "1998/05"), discRow("Demo", "1999/03")},
          {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(QStringLiteral("CD-Inhalt"));
    QCOMPARE(w->LMDLabel1->text(), QStringLiteral(" Dateianzahlschnitt (max=2)"));
    const QImage image = picture(w);
    // January: one row per issue, half of May's two: 70 pixels, y 174 up to 105.
    QVERIFY(columnIs(image, 252, 105, 174, kBlack));
    QVERIFY(columnIs(image, 252, 35, 104, kGray));
    QVERIFY(columnIs(image, 260, 105, 174, kNavy));
    QVERIFY(columnIs(image, 273, 35, 104, kGray));
    // May, x 340-361: the highest, the full 140 pixels; no red marks in these windows.
    QVERIFY(columnIs(image, 340, 35, 174, kBlack));
    QVERIFY(columnIs(image, 361, 35, 174, kNavy));
    // February: no rows, a silver band; no month has a red mark, not even on the baseline.
    QVERIFY(columnIs(image, 280, 35, 174, kSilver));
    for (int x = 253; x < 516; ++x)
        QVERIFY(image.pixel(x, 175) != qRgb(0xFF, 0, 0));
    QCOMPARE(image.pixel(260, 104), kGray);
}

void TestCategoryStats::hoverReadout_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("readout");
    const QString disc = QStringLiteral("CD-Inhalt"), tips = QStringLiteral("Tips");
    const QString standardDisc = QStringLiteral("Dateianzahl-Durchschnitt pro Ausgabe");
    const QString standardTips = QStringLiteral("Tippsanzahl-Durchschnitt pro Ausgabe");
    const QString octoberDisc = QStringLiteral("10er-Durchschnitt: Anzahl der Dateien = 1.5");
    const QString marchTips = QStringLiteral("3er-Durchschnitt: Anzahl der Tipps = 0");
    QTest::newRow("disc X 252") << disc << QPoint(252, 165) << standardDisc;
    QTest::newRow("disc X 253") << disc << QPoint(253, 165)
                                << "1er-Durchschnitt: Anzahl der Dateien = 0.5";
    QTest::newRow("disc X 515") << disc << QPoint(515, 165)
                                << "12er-Durchschnitt: Anzahl der Dateien = 0";
    QTest::newRow("disc X 516") << disc << QPoint(516, 165) << standardDisc;
    QTest::newRow("disc October") << disc << QPoint(252 + 22 * 9 + 5, 165) << octoberDisc;
    QTest::newRow("disc Y 160") << disc << QPoint(300, 160) << standardDisc;
    QTest::newRow("disc Y 185 over the numbers") << disc << QPoint(300, 185) << standardDisc;
    // Label4 and Button1 lie below the strip in the disc window...
    QTest::newRow("disc Y 205") << disc << QPoint(300, 205)
                                << "3er-Durchschnitt: Anzahl der Dateien = 0";
    QTest::newRow("disc Y 209 at Button1's place")
        << disc << QPoint(480, 209) << "11er-Durchschnitt: Anzahl der Dateien = 0";
    // ... and cover its lowest rows in the tips window.
    QTest::newRow("tips Y 200") << tips << QPoint(300, 200) << marchTips;
    QTest::newRow("tips Y 205 over Label4") << tips << QPoint(300, 205) << standardTips;
    QTest::newRow("tips Y 209 over Button1") << tips << QPoint(480, 209) << standardTips;
    QTest::newRow("tips X 253") << tips << QPoint(253, 161)
                                << "1er-Durchschnitt: Anzahl der Tipps = 2";
}

void TestCategoryStats::hoverReadout() {
    QFETCH(QString, view);
    QFETCH(QPoint, at);
    QFETCH(QString, readout);
    // 10/1997-01/1999: October, November, December and January have two issues each.
    start({discRow("Demo", "1997/10"), discRow("Demo", "1998/10"), discRow("Demo", "1998/10"),
           discRow("Demo", "1999/01")},
          {tipRow("Cheat", "1998/01"), tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(view);
    QCOMPARE(hoverAt(w, at), readout);
}

void TestCategoryStats::rowClickSearchesAndRecomputes() {
    start({discRow("Demo", "1998/01"), discRow("Demo", "1998/01"), discRow("Patch", "1998/01")},
          {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(QStringLiteral("CD-Inhalt"));
    QCOMPARE(w->StringGrid1->currentRow(), 1);
    clickGridRow(w->StringGrid1, 2);
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("Demo"));
    QCOMPARE(State().SelectionCondition, QStringLiteral("ART LIKE \"%emo%\""));
    QCOMPARE(w->Label4->caption(), QStringLiteral("Auswahl: 2 Files"));
    QCOMPARE(cellText(w->StringGrid1, 1, 1), QStringLiteral(" 2"));
    QCOMPARE(w->StringGrid1->currentRow(), 2);
    // The search page's pick moves the grid, and that selection searches no second time.
    UserSteps::openSearchPage();
    UserSteps::pick(SuchPage->ComboBox2, QStringLiteral("Patch"));
    QCOMPARE(w->StringGrid1->currentRow(), 5);
    QCOMPARE(State().SelectionCondition, QStringLiteral("ART LIKE \"%atc%\""));
    QCOMPARE(w->Label4->caption(), QStringLiteral("Auswahl: 1 File"));
}

void TestCategoryStats::rowClickMatchingTheCategoryDoesNothing() {
    start({discRow("Demo", "1998/01"), discRow("Patch", "1998/01")}, {tipRow("Cheat", "1998/01")});
    TCategoryStatForm* w = openWindow(QStringLiteral("CD-Inhalt"));
    {
        const QSignalBlocker block(SuchPage->ComboBox2);
        SuchPage->ComboBox2->setCurrentIndex(4);
    }
    Form1->Query1.moveTo(1);
    const QString readout = hoverAt(w, QPoint(253, 165));
    clickGridRow(w->StringGrid1, 5);
    QCOMPARE(w->StringGrid1->currentRow(), 5);
    QCOMPARE(Form1->Query1.recNo(), 1);
    QCOMPARE(w->Label3->text(), readout);
    QCOMPARE(State().SelectionCondition, QString());
}

void TestCategoryStats::lastRowShowsEveryRow_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<bool>("searchPageOpen");
    QTest::newRow("Sonstiges") << "CD-Inhalt" << 10 << false;
    QTest::newRow("Sonstiges, page open") << "CD-Inhalt" << 10 << true;
    QTest::newRow("Sonstige") << "Tips" << 6 << false;
}

void TestCategoryStats::lastRowShowsEveryRow() {
    QFETCH(QString, view);
    QFETCH(int, lastRow);
    QFETCH(bool, searchPageOpen);
    start({discRow("Demo", "1998/01"), discRow("Bonus", "1998/01"), discRow("Patch", "1998/01")},
          {tipRow("Cheat", "1998/01"), tipRow("Bonus", "1998/01"), tipRow("Taktik", "1998/01")});
    TCategoryStatForm* w = openWindow(view);
    if (searchPageOpen)
        UserSteps::openSearchPage();
    // From a narrowed selection: the last row lifts the restriction.
    clickGridRow(w->StringGrid1, 2);
    QCOMPARE(w->Label4->caption().left(10), QStringLiteral("Auswahl: 1"));
    QVERIFY(!State().SelectionCondition.isEmpty());
    clickGridRow(w->StringGrid1, lastRow);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 0);
    QCOMPARE(SuchPage->ComboBox2->currentText(), QStringLiteral("(alle)"));
    QCOMPARE(State().SelectionCondition, QString());
    QCOMPARE(Form1->Query1.recordCount(), 3);
    QCOMPARE(w->StringGrid1->currentRow(), 1);
    QCOMPARE(cellText(w->StringGrid1, 1, 1), QStringLiteral(" 3"));
    QCOMPARE(cellText(w->StringGrid1, lastRow, 1), QStringLiteral(" 1"));
    QCOMPARE(SuchPage->isVisible(), searchPageOpen);
    // Clicking it again with every row shown changes nothing but the selected row.
    Form1->Query1.moveTo(2);
    clickGridRow(w->StringGrid1, lastRow);
    QCOMPARE(Form1->Query1.recNo(), 2);
    QCOMPARE(w->StringGrid1->currentRow(), 1);
}

void TestCategoryStats::malformedRowsStillGiveFigures_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("newest");
    QTest::newRow("disc, newest abc") << "CD-Inhalt"
                                      << "abc";
    QTest::newRow("disc, newest 2001/13") << "CD-Inhalt"
                                          << "2001/13";
    QTest::newRow("tips, newest abc") << "Tips"
                                      << "abc";
    QTest::newRow("tips, newest 2001/00") << "Tips"
                                          << "2001/00";
}

void TestCategoryStats::malformedRowsStillGiveFigures() {
    QFETCH(QString, view);
    QFETCH(QString, newest);
    const QStringList issues = {"1998/01", "2001/00", "", newest, "1998/01"};
    Rows disc, tips;
    for (const QString& issue : issues) {
        disc << discRow("Demo", issue);
        tips << tipRow("Cheat", issue);
    }
    start(disc, tips);
    TCategoryStatForm* w = openWindow(view);
    const AppState& s = State();
    const IssueWalk::Range range =
        view == QLatin1String("Tips")
            ? IssueWalk::Range{s.TipsFirstMonth, s.TipsFirstYear, s.TipsLastMonth, s.TipsLastYear}
            : IssueWalk::Range{s.DiscFirstMonth, s.DiscFirstYear, s.DiscLastMonth, s.DiscLastYear};
    QCOMPARE(IssueWalk::walk(range).steps, 0);
    QCOMPARE(s.IssueWalkMonth, 10);
    QCOMPARE(cellText(w->StringGrid1, 1, 1), QStringLiteral(" 5"));
    QCOMPARE(cellText(w->StringGrid1, 2, 1), QStringLiteral(" 5"));
    QCOMPARE(w->figures().monthly().rows(1), 2.0);
    QCOMPARE(w->figures().monthly().perIssue(1), 0.0);
    QVERIFY(w->LMDLabel1->text().endsWith(QStringLiteral("(max=1)")));
}

void TestCategoryStats::sampleArchivePictures() {
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->makeArchive(400, 300, 200, 11));
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    const QString folder = qEnvironmentVariable("VANTORA_SCREENSHOTS");
    for (const QString& view : {QStringLiteral("CD-Inhalt"), QStringLiteral("Tips")}) {
        TCategoryStatForm* w = openWindow(view);
        QCOMPARE(w->figures().total(), double(Form1->Query1.recordCount()));
        const QImage image = picture(w);
        QCOMPARE(image.size(), w->size());
        if (!folder.isEmpty())
            QVERIFY(image.save(folder + u'/' + w->objectName() + QStringLiteral(".png")));
    }
}

QTEST_MAIN(TestCategoryStats)
#include "test_categorystats.moc"
