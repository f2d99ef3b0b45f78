#pragma once

#include "CategoryFigures.h"
#include "RatingFigures.h"
#include "StatWindowFrame.h"

#include <QWidget>
#include <array>

class CaptionLabel;
class Query;
class QFrame;
class QPainter;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class VerticalCaption;

// What the three statistics windows share: the frame of controls, the recompute over the
// rows of the main window's query, the monthly chart's read-out, the category row click
// and "Ok".
class TStatForm : public QWidget {
    Q_OBJECT
public:
    CaptionLabel* Label1;
    QTableWidget* StringGrid1;
    CaptionLabel* Label3;
    QFrame* Bevel2;
    CaptionLabel* Label5;
    VerticalCaption* LMDLabel1;
    CaptionLabel* Label4;
    QPushButton* Button1;

    // The recompute over the current selection; run when the window becomes visible and
    // called directly while it is visible.
    void FormShow();
    virtual void FormPaint(QPainter& painter) = 0;
    void FormMouseMove(Qt::KeyboardModifiers shift, int X, int Y);
    // A grid row selected, by the user or by the program: its category becomes the search
    // page's category.
    void StringGrid1Click();
    void Button1Click();
    // Writes the figures the charts show into their accessible descriptions.
    void describeCharts();

    static inline const QColor kWindowColour{0x01, 0x00, 0x41};

protected:
    TStatForm(QWidget* parent, const StatWindowFrame& frame);

    // Empties the figures for the months of the issue walk.
    virtual void resetFigures(const IssueWalk::Result& walk) = 0;
    // Adds every row of the query, once.
    virtual void walkRows(Query& query) = 0;
    // Writes the figures into the grid rows and captions.
    virtual void showFigures() = 0;
    // The hover read-out of month m.
    virtual QString readout(int month) const = 0;

    void setCell(int column, int row, const QString& text);
    QTableWidgetItem* cell(int column, int row);
    // Makes a grid row current and selected, as the program selects it.
    void selectGridRow(int row);

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildGrid();
    const StatWindowFrame m_frame;
};

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

// The disc-content and tips windows: rows per category of ART and per calendar month.
class TCategoryStatForm : public TStatForm {
    Q_OBJECT
public:
    void FormPaint(QPainter& painter) override;
    const CategoryFigures& figures() const { return m_figures; }

protected:
    TCategoryStatForm(QWidget* parent, const CategoryWindowText& text);
    void resetFigures(const IssueWalk::Result& walk) override;
    void walkRows(Query& query) override;
    void showFigures() override;
    QString readout(int month) const override;

private:
    const CategoryWindowText& m_text;
    CategoryFigures m_figures;
};

// "Statistik / CD & DVD-Inhalt".
class TForm5 : public TCategoryStatForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
};

// "Statistik / Tipps".
class TForm6 : public TCategoryStatForm {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
};
