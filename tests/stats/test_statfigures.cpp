// The pieces of the statistics that need no window: the issue walk, number texts, the
// background bands, the line primitive, category matching, rating figures, turned captions.
#include "CaptionLabel.h"
#include "CategoryFigures.h"
#include "DistributionChart.h"
#include "GradientBackground.h"
#include "IssueWalk.h"
#include "MonthlyChart.h"
#include "MonthlyFigures.h"
#include "NumberText.h"
#include "RatingFigures.h"
#include "ToolkitPen.h"
#include "VerticalCaption.h"
#include "Views.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <cmath>

using IssueList = QList<double>;

class TestStatFigures : public QObject {
    Q_OBJECT
private slots:
    void issueWalk_data();
    void issueWalk();
    void issueWalkOverTheLongestRange();
    void numberTexts_data();
    void numberTexts();
    void gradientBands_data();
    void gradientBands();
    void gradientFillsEveryRow();
    void penColoursStartNotEnd_data();
    void penColoursStartNotEnd();
    void chartsStaySolidWhenScaled_data();
    void chartsStaySolidWhenScaled();
    void categoryMatching_data();
    void categoryMatching();
    void everyRowLandsInOneCategory();
    void ratingTexts_data();
    void ratingTexts();
    void ratingRowsOutsideThePlaces();
    void doubledAmpersand_data();
    void doubledAmpersand();
    void verticalCaptionReadsUpwards();
};

static IssueList issues(const IssueWalk::Result& r) {
    return IssueList(r.issues.begin(), r.issues.end());
}

void TestStatFigures::issueWalk_data() {
    QTest::addColumn<int>("firstMonth");
    QTest::addColumn<int>("firstYear");
    QTest::addColumn<int>("lastMonth");
    QTest::addColumn<int>("lastYear");
    QTest::addColumn<IssueList>("expected");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("endMonth");
    QTest::addColumn<int>("endYear");
    const IssueList none(12, 0);
    QTest::newRow("10/1997-03/1999")
        << 10 << 1997 << 3 << 1999 << IssueList{2, 2, 2, 1, 1, 1, 1, 1, 1, 2, 2, 2} << 17 << 3
        << 1999;
    IssueList october(12, 0);
    october[9] = 1;
    QTest::newRow("one issue") << 10 << 1997 << 10 << 1997 << october << 0 << 10 << 1997;
    QTest::newRow("a whole year") << 1 << 2000 << 12 << 2000 << IssueList(12, 1) << 11 << 12
                                  << 2000;
    // Ranges the walk as written would never leave: it stands still instead.
    QTest::newRow("unknown last issue 0/0") << 10 << 1997 << 0 << 0 << none << 0 << 10 << 1997;
    QTest::newRow("last before first") << 10 << 1997 << 5 << 1997 << none << 0 << 10 << 1997;
    QTest::newRow("last year before first") << 10 << 1997 << 12 << 1996 << none << 0 << 10 << 1997;
    QTest::newRow("month 13") << 10 << 1997 << 13 << 2001 << none << 0 << 10 << 1997;
    QTest::newRow("month 00") << 10 << 1997 << 0 << 2001 << none << 0 << 10 << 1997;
    QTest::newRow("first month 0") << 0 << 1997 << 3 << 1999 << none << 0 << 0 << 1997;
}

void TestStatFigures::issueWalk() {
    QFETCH(int, firstMonth);
    QFETCH(int, firstYear);
    QFETCH(int, lastMonth);
    QFETCH(int, lastYear);
    QFETCH(IssueList, expected);
    QFETCH(int, steps);
    QFETCH(int, endMonth);
    QFETCH(int, endYear);
    const IssueWalk::Result r = IssueWalk::walk({firstMonth, firstYear, lastMonth, lastYear});
    QCOMPARE(issues(r), expected);
    QCOMPARE(r.steps, steps);
    QCOMPARE(r.month, endMonth);
    QCOMPARE(r.year, endYear);
}

void TestStatFigures::issueWalkOverTheLongestRange() {
    // The newest four-digit year: every step is counted once and the walk ends there.
    const IssueWalk::Result r = IssueWalk::walk({10, 1997, 12, 9999});
    QCOMPARE(r.steps, (9999 - 1997) * 12 + 2);
    QVERIFY(r.steps <= IssueWalk::kMaxSteps);
    double total = 0;
    for (double n : r.issues)
        total += n;
    QCOMPARE(total, double(r.steps + 1));
    QCOMPARE(r.issues[0], double(9999 - 1997));     // January from 1998 on
    QCOMPARE(r.issues[9], double(9999 - 1997 + 1)); // October from 1997 on
}

void TestStatFigures::numberTexts_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("general");
    QTest::addColumn<QString>("tenth");
    QTest::newRow("whole") << 80.0 << "80"
                           << "80";
    QTest::newRow("zero") << 0.0 << "0"
                          << "0";
    QTest::newRow("half down to even") << 72.25 << "72.25"
                                       << "72.2";
    QTest::newRow("half up to even") << 72.75 << "72.75"
                                     << "72.8";
    QTest::newRow("41.25") << 41.25 << "41.25"
                           << "41.2";
    QTest::newRow("74.46") << 74.46 << "74.46"
                           << "74.5";
    QTest::newRow("12.34") << 12.34 << "12.34"
                           << "12.3";
    QTest::newRow("a third") << 1.0 / 3 << "0.333333333333333"
                             << "0.3";
    QTest::newRow("fifteen digits") << 123456.789012345 << "123456.789012345"
                                    << "123456.8";
    QTest::newRow("no trailing zero") << 2.5 << "2.5"
                                      << "2.5";
}

void TestStatFigures::numberTexts() {
    QFETCH(double, value);
    QFETCH(QString, general);
    QFETCH(QString, tenth);
    QCOMPARE(NumberText::general(value), general);
    QCOMPARE(NumberText::tenth(value), tenth);
}

void TestStatFigures::gradientBands_data() {
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("top");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("first") << 0 << 396 << 0 << QColor(0x35, 0x35, 0x56);
    QTest::newRow("last") << 63 << 396 << 390 << QColor(0x01, 0x00, 0x41);
    // 32/63 of the way: 53-26.41, 53-26.92, 86-10.67.
    QTest::newRow("middle") << 32 << 396 << 198 << QColor(27, 26, 75);
    // 8 × 396 / 64 = 49.5 and 24 × 396 / 64 = 148.5: halves go to the even pixel.
    QTest::newRow("half to 50") << 8 << 396 << 50 << QColor(46, 46, 83);
    QTest::newRow("half to 148") << 24 << 396 << 148 << GradientBackground::bandColour(24);
    QTest::newRow("273 high") << 1 << 273 << 4 << QColor(52, 52, 86);
    QTest::newRow("bottom bound") << 64 << 241 << 241 << GradientBackground::bandColour(63);
}

void TestStatFigures::gradientBands() {
    QFETCH(int, band);
    QFETCH(int, height);
    QFETCH(int, top);
    QFETCH(QColor, colour);
    QCOMPARE(GradientBackground::bandTop(band, height), top);
    if (band < GradientBackground::kBands)
        QCOMPARE(GradientBackground::bandColour(band), colour);
}

void TestStatFigures::gradientFillsEveryRow() {
    for (int height : {396, 273, 241}) {
        QImage image(20, height, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter p(&image);
            GradientBackground::paint(p, image.rect());
        }
        for (int band = 0; band < GradientBackground::kBands; ++band) {
            const int top = GradientBackground::bandTop(band, height);
            const int next = GradientBackground::bandTop(band + 1, height);
            for (int y = top; y < next; ++y)
                for (int x : {0, 19})
                    QCOMPARE(QColor(image.pixel(x, y)), GradientBackground::bandColour(band));
        }
    }
}

void TestStatFigures::penColoursStartNotEnd_data() {
    QTest::addColumn<int>("h");
    QTest::newRow("empty column") << 0;
    QTest::newRow("one pixel") << 1;
    QTest::newRow("half") << 50;
    QTest::newRow("full") << 100;
}

void TestStatFigures::penColoursStartNotEnd() {
    QFETCH(int, h);
    QImage image(4, 380, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        ToolkitPen pen(p, Qt::blue);
        pen.moveTo(1, 366);
        pen.lineTo(1, 366 - h);
        pen.setColour(Qt::red);
        pen.lineTo(1, 266);
    }
    for (int y = 260; y < 375; ++y) {
        QColor expected = Qt::white;
        if (y <= 366 && y >= 367 - h)
            expected = Qt::blue;
        else if (y < 367 - h && y >= 267)
            expected = Qt::red;
        QCOMPARE(QColor(image.pixel(1, y)), expected);
        QCOMPARE(QColor(image.pixel(0, y)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(2, y)), QColor(Qt::white));
    }
}

void TestStatFigures::chartsStaySolidWhenScaled_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("1.5") << 1.5;
    QTest::newRow("2") << 2.0;
    QTest::newRow("3") << 3.0;
}

// On a scaled screen every logical pixel of a column, a band or a mark is covered whole:
// no device pixel inside the charts keeps the colour painted before them.
void TestStatFigures::chartsStaySolidWhenScaled() {
    QFETCH(qreal, scale);
    IssueWalk::Result walk;
    walk.issues.fill(1);
    MonthlyFigures monthly;
    monthly.reset(walk);
    for (int m = 1; m <= 12; ++m)
        for (int k = 0; k < m; ++k)
            monthly.add(m);
    RatingFigures ratings(Views::games().statsWords);
    std::array<double, 12> averages;
    averages.fill(50);

    const QColor before(0xFF, 0x00, 0xFF);
    QImage image(int(std::ceil(530 * scale)), int(std::ceil(380 * scale)), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(before);
    {
        QPainter p(&image);
        ToolkitPen pen(p, Qt::black);
        DistributionChart::paint(pen, ratings);
        MonthlyChart::paint(pen, monthly, &averages);
    }
    const QRect areas[] = {{MonthlyChart::kLeft, MonthlyChart::kTop + 1, 12 * MonthlyChart::kSlot,
                            MonthlyChart::kHeight},
                           {DistributionChart::kLeft, DistributionChart::kTop + 1,
                            RatingFigures::kValues * DistributionChart::kSlot,
                            DistributionChart::kBaseline - DistributionChart::kTop}};
    for (const QRect& logical : areas) {
        // The device pixels wholly inside the logical area.
        const int x0 = int(std::ceil(logical.left() * scale));
        const int y0 = int(std::ceil(logical.top() * scale));
        const int x1 = int(std::floor((logical.left() + logical.width()) * scale));
        const int y1 = int(std::floor((logical.top() + logical.height()) * scale));
        int gaps = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                gaps += image.pixelColor(x, y) == before;
        QVERIFY2(gaps == 0, qPrintable(QStringLiteral("%1 device pixels left unpainted in %2")
                                           .arg(gaps)
                                           .arg(logical.left())));
    }
    // The red mark of a month spans two logical rows whole.
    const int markY = MonthlyChart::kBaseline - MonthlyChart::kHeight / 2;
    const int x = int((MonthlyChart::kLeft + 5) * scale);
    for (int y = int(std::ceil(markY * scale)); y < int(std::floor((markY + 2) * scale)); ++y)
        QCOMPARE(image.pixelColor(x, y), MonthlyChart::kRed);
}

void TestStatFigures::categoryMatching_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("category");
    const QString disc = Views::kDisc, tips = Views::kTips;
    QTest::newRow("Demo") << disc << "Demo"
                          << "Demos";
    QTest::newRow("DEMO, A-Z lowered") << disc << "DEMO"
                                       << "Demos";
    QTest::newRow("patc before prog") << disc << "Programm-Patch"
                                      << "Patches";
    QTest::newRow("Programm") << disc << "Programm"
                              << "Programme";
    QTest::newRow("key anywhere") << disc << "Spielvideo"
                                  << "Videos";
    QTest::newRow("Sonstiges by its key") << disc << "Sonstiges"
                                          << "Sonstiges";
    QTest::newRow("Bonus falls through") << disc << "Bonus"
                                         << "Sonstiges";
    QTest::newRow("empty text") << disc << ""
                                << "Sonstiges";
    QTest::newRow("Vollversion") << disc << "Vollversion"
                                 << "Vollversionen";
    QTest::newRow("Lösung") << tips << "Lösung"
                            << "Lösung";
    QTest::newRow("LÖSUNG keeps its Ö") << tips << "LÖSUNG"
                                        << "Sonstige";
    QTest::newRow("two keys count once") << tips << "Cheat und Taktik"
                                         << "Cheat";
    QTest::newRow("Kurztipp") << tips << "KURZTIPP"
                              << "Kurztipp";
    QTest::newRow("empty tip") << tips << ""
                               << "Sonstige";
}

void TestStatFigures::categoryMatching() {
    QFETCH(QString, view);
    QFETCH(QString, kind);
    QFETCH(QString, category);
    const QStringList names = Views::find(view)->statsWords;
    const CategoryFigures figures(names);
    QCOMPARE(names.value(figures.categoryOf(kind.toUtf8())), category);
}

void TestStatFigures::everyRowLandsInOneCategory() {
    CategoryFigures figures(Views::disc().statsWords);
    QCOMPARE(figures.key(8), QByteArray("sons"));
    QCOMPARE(figures.key(3), QByteArray("patc"));
    figures.reset(IssueWalk::walk({10, 1997, 3, 1999}));
    const char* kinds[] = {"Demo", "DEMO", "Bonus", "", "Patch", "Treiber", "sonstiges"};
    for (const char* kind : kinds)
        figures.addRow(kind, "1998/11");
    figures.addRow("Demo", "2001/13"); // no month, but still a row
    QCOMPARE(figures.total(), 8.0);
    QCOMPARE(figures.count(0), 3.0);
    QCOMPARE(figures.count(8), 3.0);
    QCOMPARE(figures.monthly().rows(11), 7.0);
    QCOMPARE(figures.monthly().perIssue(11), 3.5);
    QCOMPARE(figures.monthly().highestPerIssue(), 3.5);
}

void TestStatFigures::ratingTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("rating");
    QTest::newRow("85") << "85" << true << 85;
    QTest::newRow("0") << "0" << true << 0;
    QTest::newRow("100") << "100" << true << 100;
    QTest::newRow("blanks around") << " 7 " << true << 7;
    QTest::newRow("150") << "150" << false << 0;
    QTest::newRow("many digits") << "99999999999" << false << 0;
    QTest::newRow("negative") << "-5" << false << 0;
    QTest::newRow("decimal") << "72.5" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void TestStatFigures::ratingTexts() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, rating);
    int parsed = -1;
    QCOMPARE(RatingFigures::parseRating(text.toUtf8(), parsed), valid);
    if (valid)
        QCOMPARE(parsed, rating);
}

void TestStatFigures::ratingRowsOutsideThePlaces() {
    RatingFigures figures(Views::games().statsWords);
    figures.reset(IssueWalk::walk({10, 1997, 3, 1999}));
    figures.addRow("Action", "80", "1998/02");
    figures.addRow("Action", "60", "2001/13"); // no month: rubric and distribution only
    figures.addRow("Action", "40", "2001/00");
    figures.addRow("Action", "150", "1998/02"); // no place for it anywhere
    figures.addRow("Action", "abc", "1998/02");
    figures.addRow("Sport", "90", "");
    figures.finish();
    QCOMPARE(figures.count(0), 3.0);
    QCOMPARE(figures.average(0), 60.0);
    QCOMPARE(figures.count(2), 1.0);
    QCOMPARE(figures.totalCount(), 4.0);
    QCOMPARE(figures.monthly().rows(2), 1.0);
    QCOMPARE(figures.monthAverage(2), 80.0);
    QCOMPARE(figures.distribution(60), 1.0);
    QCOMPARE(figures.distribution(100), 0.0);
    double monthRows = 0;
    for (int m = 1; m <= 12; ++m)
        monthRows += figures.monthly().rows(m);
    QCOMPARE(monthRows, 1.0);
}

void TestStatFigures::doubledAmpersand_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("doubled") << "Schnitt pro Ausgabe: Wertung && Testanzahl"
                             << "Schnitt pro Ausgabe: Wertung & Testanzahl";
    QTest::newRow("marker") << "&Ok"
                            << "Ok";
    QTest::newRow("none") << " Monatsschnitt:"
                          << " Monatsschnitt:";
}

void TestStatFigures::doubledAmpersand() {
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    CaptionLabel label;
    label.setCaption(caption);
    QCOMPARE(label.caption(), caption);
    QCOMPARE(label.text(), shown);
}

void TestStatFigures::verticalCaptionReadsUpwards() {
    // An "L" read upwards lies on its side: its stem along the bottom, its foot standing up
    // at the right, where the letters' baseline runs.
    VerticalCaption caption;
    caption.resize(16, 60);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    caption.setFont(font);
    caption.setTextColour(QColor(0xFF, 0, 0));
    caption.setText(QStringLiteral("L"));
    const QImage image = caption.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 160 && qGreen(image.pixel(x, y)) < 100)
                ink |= QRect(x, y, 1, 1);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.bottom() >= image.height() - 6, "the text starts at the bottom");
    QVERIFY2(ink.top() > image.height() / 2, "and runs no further than one letter");
    auto inkCount = [&](bool row, int at) {
        int n = 0;
        for (int i = 0; i < (row ? image.width() : image.height()); ++i) {
            const QRgb p = row ? image.pixel(i, at) : image.pixel(at, i);
            n += qRed(p) > 160 && qGreen(p) < 100;
        }
        return n;
    };
    int widestColumn = ink.left(), longestRow = ink.top();
    for (int x = ink.left(); x <= ink.right(); ++x)
        if (inkCount(false, x) > inkCount(false, widestColumn))
            widestColumn = x;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        if (inkCount(true, y) > inkCount(true, longestRow))
            longestRow = y;
    QVERIFY2(longestRow >= ink.bottom() - 2, "the stem lies along the bottom");
    QVERIFY2(widestColumn >= ink.right() - 2, "the foot stands at the right");
    QVERIFY2(inkCount(true, longestRow) > inkCount(false, widestColumn), "the stem is longer");
}

QTEST_MAIN(TestStatFigures)
#include "test_statfigures.moc"
