// The frame the three statistics windows share.
#include "TStatForm.h"

#include "ArtPalette.h"
#include "BusyCursor.h"
#include "CaptionLabel.h"
#include "GradientBackground.h"
#include "HeadedGridAccessible.h"
#include "KeyboardReach.h"
#include "MonthlyChart.h"
#include "NumberText.h"
#include "Query.h"
#include "StatControls.h"
#include "StatFonts.h"
#include "ToolFrame.h"
#include "VerticalCaption.h"
#include "WindowLinks.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {

using StatControls::kBlue;
using StatControls::kRed;
using StatControls::kWhite;
const QColor& kCellSilver = ArtPalette::silver;
const QColor kHeadingGray(0x80, 0x80, 0x80);

const QString kMonthNumbers =
    QStringLiteral("   1     2     3     4     5     6     7     8     9     10    11    12");

} // namespace

TStatForm::TStatForm(QWidget* parent, const StatWindowFrame& frame)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_frame(frame) {
    setObjectName(frame.objectName);
    setWindowTitle(frame.caption);
    ToolFrame::titleBarOnly(this);
    setAccessibleName(frame.caption);
    setFixedSize(frame.client);
    setFont(StatFonts::defaultFont());
    QPalette p = palette();
    p.setColor(QPalette::Window, kWindowColour);
    setPalette(p);
    setMouseTracking(true);

    const QFont bold11 = StatFonts::arial(11, true);
    Label1 =
        StatControls::label(this, "Label1", QRect(10, 12, 225, 14), bold11, kWhite, frame.label1);
    StringGrid1 = new QTableWidget(this);
    buildGrid();
    Label3 = StatControls::label(this, "Label3", QRect(254, 12, frame.label3Width, 14), bold11,
                                 kWhite, frame.label3Initial);
    Bevel2 = StatControls::bevel(this, "Bevel2", QRect(250, 32, 268, 145),
                                 QStringLiteral("Monatsdiagramm"));
    Label5 = StatControls::label(this, "Label5", QRect(254, 178, 267, 14), StatFonts::arial(11),
                                 kWhite, kMonthNumbers);
    LMDLabel1 = StatControls::verticalCaption(this, "LMDLabel1", frame.lmdLabel1, kBlue,
                                              QStringLiteral(" Anzahl"));
    Label4 = StatControls::label(this, "Label4", QRect(250, frame.label4Top, 223, 29),
                                 StatFonts::arial(21, true), kRed, QStringLiteral("Auswahl:"));
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Ok"));
    Button1->setGeometry(478, frame.label4Top, 41, 25);
    Button1->setFont(StatFonts::arial(13, true));
    Button1->setAttribute(Qt::WA_NoMousePropagation);
    connect(Button1, &QPushButton::clicked, this, &TStatForm::Button1Click);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TStatForm::buildGrid() {
    QTableWidget* g = StringGrid1;
    g->setObjectName(QStringLiteral("StringGrid1"));
    HeadedGridAccessible::markHeadingRow(g);
    g->setAccessibleName(m_frame.label1.trimmed());
    g->setGeometry(m_frame.grid);
    g->setFont(StatFonts::arial(11, true));
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    g->setShowGrid(true);
    g->setWordWrap(false);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(m_frame.rangeSelect ? QAbstractItemView::ContiguousSelection
                                            : QAbstractItemView::SingleSelection);
    // A row is 20 pixels and its grid line one more; so is a column.
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(21);
    g->verticalHeader()->setMinimumSectionSize(1);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->horizontalHeader()->setMinimumSectionSize(1);
    QPalette p = g->palette();
    p.setColor(QPalette::Base, kCellSilver);
    p.setColor(QPalette::Text, QColor(0, 0, 0));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::HighlightedText, kWhite);
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, kWhite);
    g->setPalette(p);
    g->setAttribute(Qt::WA_NoMousePropagation);
    // A press on a row, or Enter or Space on the current one, picks its category; moving the
    // current row with the keyboard only moves it.
    connect(g, &QTableWidget::cellPressed, this, [this] { StringGrid1Click(); });
    KeyboardReach::onRowKeys(g, [this] { StringGrid1Click(); });
}

QTableWidgetItem* TStatForm::cell(int column, int row) {
    QTableWidgetItem* item = StringGrid1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        // The heading row is fixed: it can be neither clicked nor selected.
        item->setFlags(row == 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setBackground(row == 0 ? kHeadingGray : kCellSilver);
        StringGrid1->setItem(row, column, item);
    }
    return item;
}

void TStatForm::setCell(int column, int row, const QString& text) {
    cell(column, row)->setText(text);
}

void TStatForm::selectGridRow(int row) {
    if (row >= 1 && row < StringGrid1->rowCount()) {
        StringGrid1->setCurrentCell(
            row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        // No category row matches (the search page's list has no selected item).
        StringGrid1->setCurrentCell(-1, -1, QItemSelectionModel::Clear);
    }
}

void TStatForm::FormShow() {
    const BusyCursor busy;

    // The grid's cells and the row of the search page's category. The program's own selection
    // raises the row click, which finds nothing to do.
    const int columns = int(m_frame.columnWidths.size());
    StringGrid1->setColumnCount(columns);
    StringGrid1->setRowCount(m_frame.gridRows);
    for (int c = 0; c < columns; ++c)
        StringGrid1->setColumnWidth(c, m_frame.columnWidths[c] + 1);
    for (int r = 0; r < m_frame.gridRows; ++r)
        for (int c = 0; c < columns; ++c)
            cell(c, r);
    selectGridRow(Links().chosenSearchCategory() + 1);

    // The months between the table's first and latest issue, and figures reset for them.
    AppState& s = State();
    const IssueWalk::Result walk = IssueWalk::walk(
        {s.*m_frame.firstMonth, s.*m_frame.firstYear, s.*m_frame.lastMonth, s.*m_frame.lastYear});
    s.IssueWalkMonth = walk.month;
    s.IssueWalkYear = walk.year;
    resetFigures(walk);

    // The heading row.
    for (int c = 0; c < columns && c < m_frame.headings.size(); ++c)
        setCell(c, 0, m_frame.headings[c]);
    // The heading row's texts are the columns' headings for screen readers too.
    StringGrid1->setHorizontalHeaderLabels(m_frame.headings.mid(0, columns));

    // Every row of the result adds to the figures; the number of rows is the selection's.
    int rows = 0;
    Links().walkViewResult([&](Query& query) {
        rows = query.recordCount();
        walkRows(query);
    });
    Label4->setCaption(NumberText::counted(QStringLiteral("Auswahl: "), rows, m_frame.countSingular,
                                           m_frame.countPluralSuffix));

    // The figures into the grid and captions.
    showFigures();
    describeCharts();
    update();
}

void TStatForm::FormMouseMove(Qt::KeyboardModifiers, int X, int Y) {
    const int month = MonthlyChart::monthAt(X, Y);
    if (month != 0)
        Label3->setCaption(readout(month));
}

void TStatForm::StringGrid1Click() {
    if (!Links().searchPageExists())
        return;
    const int row = StringGrid1->currentRow();
    if (row < 1)
        return;
    int k = row - 1;
    // The last row of the disc-content and tips windows ("Sonstiges", "Sonstige") has no
    // item in the search page's list and no condition can select just its rows; a click on
    // it shows every row, as row 1 does, and row 1 becomes the selected row.
    const bool unlisted = k >= Links().searchCategoryCount();
    if (unlisted)
        k = 0;
    if (k != Links().chosenSearchCategory()) {
        Links().chooseSearchCategory(k);
        if (!Links().searchPageVisible()) {
            FormShow();
            repaint();
        }
    }
    if (unlisted && StringGrid1->currentRow() != 1)
        selectGridRow(1);
}

void TStatForm::Button1Click() {
    hide();
}

void TStatForm::showCategoryRow(int row) {
    StringGrid1->setCurrentCell(row, 0);
}

void TStatForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TStatForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    GradientBackground::paint(painter, rect());
    FormPaint(painter);
}

void TStatForm::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    FormMouseMove(event->modifiers(), at.x(), at.y());
}

// The charts are painted on the window and have no text of their own: screen readers are
// told in words what they show.
void TStatForm::describeCharts() {
    // The monthly chart: the hover read-out of each month, January to December.
    QStringList months;
    for (int month = 1; month <= 12; ++month)
        months.append(readout(month));
    Bevel2->setAccessibleDescription(months.join(QStringLiteral("; ")));
}

void TStatForm::connectKeys() {
    KeyboardReach::clickInWindow(this, {Qt::Key_Escape}, Button1);
}
