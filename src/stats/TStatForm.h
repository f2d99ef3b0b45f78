#pragma once

#include "ArtPalette.h"
#include "IssueWalk.h"
#include "StatWindowFrame.h"

#include <QWidget>

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
    // Escape clicks "Ok".
    void connectKeys();
    // Makes grid row `row` current, as the search page's category list moves.
    void showCategoryRow(int row);
    // Writes the figures the charts show into their accessible descriptions.
    virtual void describeCharts();

    static inline const QColor& kWindowColour = ArtPalette::darkBlue;

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
