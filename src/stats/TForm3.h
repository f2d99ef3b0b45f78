#pragma once

#include "RatingFigures.h"
#include "TStatForm.h"

#include <array>

class CaptionLabel;
class QFrame;
class VerticalCaption;

// "Statistik / Spiele": ratings per rubric, per calendar month and per rating value.
class TForm3 : public TStatForm {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    CaptionLabel* Label2;
    QFrame* Bevel1;
    VerticalCaption* LMDLabel2;
    VerticalCaption* LMDLabel3;

    void FormPaint(QPainter& painter) override;
    // The monthly chart as every statistics window, and the rating distribution.
    void describeCharts() override;
    const RatingFigures& figures() const { return m_figures; }
    // The month averages the last painting stored.
    const std::array<double, 12>& monthAverages() const { return m_monthAverage; }

protected:
    void resetFigures(const IssueWalk::Result& walk) override;
    void walkRows(Query& query) override;
    void showFigures() override;
    QString readout(int month) const override;

private:
    RatingFigures m_figures;
    std::array<double, 12> m_monthAverage{};
    // The pen keeps its colour from one painting to the next, as the window's canvas does.
    QColor m_penColour{0, 0, 0};
};
