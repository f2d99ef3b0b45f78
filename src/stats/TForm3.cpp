// "Statistik / Spiele": ratings per rubric, per calendar month and per rating value.
#include "TForm3.h"

#include "CaptionLabel.h"
#include "DistributionChart.h"
#include "IssueText.h"
#include "MonthlyChart.h"
#include "NumberText.h"
#include "StatControls.h"
#include "StatFonts.h"
#include "ToolkitPen.h"
#include "VerticalCaption.h"
#include "Views.h"
#include "WalkedField.h"

#include <QFrame>

namespace {

StatWindowFrame gamesFrame() {
    StatWindowFrame f;
    f.objectName = QStringLiteral("Form3");
    f.caption = QStringLiteral("Statistik / Spiele");
    f.client = QSize(558, 396);
    f.grid = QRect(8, 32, 225, 193);
    f.columnWidths = {95, 70, 52};
    f.headings = {QStringLiteral(" Rubrik"), QStringLiteral(" Wertungen"),
                  QStringLiteral(" Schnitt")};
    f.gridRows = 2 + RatingFigures::kRubrics;
    f.label1 = QStringLiteral(" Wertungsschnitt der Auswahl je Rubrik");
    f.label3Width = 267;
    f.label3Initial = QStringLiteral(" Monatsschnitt:");
    f.lmdLabel1 = QRect(522, 16, 16, 165);
    f.label4Top = 204;
    f.countSingular = QStringLiteral(" Spiel");
    f.countPluralSuffix = QStringLiteral("e");
    f.firstMonth = &AppState::GamesFirstMonth;
    f.firstYear = &AppState::GamesFirstYear;
    f.lastMonth = &AppState::GamesLastMonth;
    f.lastYear = &AppState::GamesLastYear;
    return f;
}

// "Wertung 85: 12" for every rating value that occurs, lowest first.
QString distributionText(const RatingFigures& figures) {
    QStringList parts;
    for (int value = 0; value < RatingFigures::kValues; ++value)
        if (figures.distribution(value) > 0)
            parts.append(QStringLiteral("Wertung %1: %2")
                             .arg(value)
                             .arg(NumberText::general(figures.distribution(value))));
    return parts.isEmpty() ? QStringLiteral("keine Wertungen") : parts.join(QStringLiteral("; "));
}

QString percent(double average) {
    return u' ' + NumberText::tenth(average) + QStringLiteral(" %");
}

} // namespace

TForm3::TForm3(QWidget* parent)
    : TStatForm(parent, gamesFrame()), m_figures(Views::games().statsWords) {
    using namespace StatControls;
    LMDLabel2 = verticalCaption(this, "LMDLabel2", QRect(536, 16, 16, 165), kRed,
                                QStringLiteral(" Wertungsschnitt"));
    Label2 = label(this, "Label2", QRect(10, 244, 511, 14), StatFonts::arial(11, true), kWhite,
                   QStringLiteral("Wertungsverteilung"));
    Bevel1 = bevel(this, "Bevel1", QRect(8, 264, 510, 105), QStringLiteral("Wertungsverteilung"));
    LMDLabel3 = verticalCaption(this, "LMDLabel3", QRect(522, 240, 16, 133), kBlue,
                                QStringLiteral(" Maximum"));
}

void TForm3::resetFigures(const IssueWalk::Result& walk) {
    m_figures.reset(walk);
}

void TForm3::walkRows(Query& query) {
    WalkedField<int> rubric(query, Views::games().categoryField,
                            [&](QByteArrayView text) { return m_figures.rubricIndex(text); });
    WalkedField<int> rating(query, Views::kRatingField, RatingFigures::ratingOf);
    WalkedField<int> month(query, Views::kIssueField,
                           [](QByteArrayView text) { return IssueText::month(text); });
    // The figures are sums, counts and maxima: the order of the rows does not matter.
    query.walkStoredOrder(
        [&](uint32_t slot) { m_figures.add(rubric.at(slot), rating.at(slot), month.at(slot)); });
    m_figures.finish();
}

void TForm3::showFigures() {
    const QStringList& rubrics = Views::games().statsWords;
    // One row per rubric below the total row, in the rubrics' order.
    for (int k = 0; k < RatingFigures::kRubrics; ++k) {
        setCell(0, k + 2, QStringLiteral(" > ") + rubrics.value(k));
        setCell(1, k + 2, u' ' + NumberText::general(m_figures.count(k)));
        setCell(2, k + 2, percent(m_figures.average(k)));
    }
    // The total row over every rubric.
    setCell(0, 1, QStringLiteral(" Alle Rubriken"));
    setCell(1, 1, u' ' + NumberText::general(m_figures.totalCount()));
    setCell(2, 1, percent(m_figures.totalAverage()));
    // The captions that carry figures.
    Label2->setCaption(QStringLiteral(
        " Wertungsverteilung der ausgewählten Spiele (Anzahl Wertungen pro Prozent)"));
    LMDLabel3->setText(NumberText::counted(QStringLiteral(" Maximum="),
                                           m_figures.highestDistribution(),
                                           QStringLiteral(" Spiel"), QStringLiteral("e")));
    Label3->setCaption(QStringLiteral("Schnitt pro Ausgabe: Wertung && Testanzahl"));
    LMDLabel1->setText(QStringLiteral(" Testanzahlschnitt (max=") +
                       NumberText::tenth(m_figures.monthly().highestPerIssue()) + u')');
    LMDLabel2->setText(QStringLiteral(" Wertungsschnitt (max=100%)"));
}

QString TForm3::readout(int month) const {
    return QString::number(month) + QStringLiteral("er-Durchschnitt: Wertung=") +
           NumberText::tenth(m_figures.monthAverage(month)) + QStringLiteral(" / Tests=") +
           NumberText::tenth(m_figures.monthly().perIssue(month));
}

void TForm3::FormPaint(QPainter& painter) {
    ToolkitPen pen(painter, m_penColour);
    DistributionChart::paint(pen, m_figures);
    DistributionChart::paintPercentTexts(painter, kWindowColour);
    for (int m = 1; m <= 12; ++m)
        m_monthAverage[size_t(m - 1)] = m_figures.monthAverage(m);
    MonthlyChart::paint(pen, m_figures.monthly(), &m_monthAverage);
    m_penColour = pen.colour();
}

void TForm3::describeCharts() {
    TStatForm::describeCharts();
    Bevel1->setAccessibleDescription(distributionText(m_figures));
}
