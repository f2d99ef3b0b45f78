#include "DataGrid.h"

#include "DataSource.h"

#include <QHeaderView>

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    QFont cells(QStringLiteral("Arial"));
    cells.setPixelSize(11);
    setFont(cells);
    QFont headings = cells;
    headings.setBold(true);
    horizontalHeader()->setFont(headings);
    verticalHeader()->setFont(headings);

    // A fixed row height keeps showing a million rows instant.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(true);
    setShowGrid(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(true);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: #9999BA; color: #010041; "
        "border: 1px solid #6F6F90; padding: 0 2px; }"
        "QTableCornerButton::section { background-color: #9999BA; border: 1px solid #6F6F90; }"));
    setColours(QColor(0xF5, 0xF5, 0xF5), QColor(0x01, 0x00, 0x41));
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);
    // A click on a heading sorts; it does not move the selection to that column.
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
}

void DataGrid::setDataSource(DataSource* source) {
    m_source = source;
    setModel(source);
}

void DataGrid::setColours(const QColor& background, const QColor& text) {
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, QColor(0x01, 0x00, 0x41));
    p.setColor(QPalette::HighlightedText, QColor(0xF5, 0xF5, 0xF5));
    setPalette(p);
    viewport()->setPalette(p);
}

int DataGrid::selectedIndex() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : m_selectedColumn;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (current.isValid())
        m_selectedColumn = current.column();
    QTableView::currentChanged(current, previous);
}

int DataGrid::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : 0;
}

void DataGrid::setSelectedIndex(int column) {
    if (!model() || model()->columnCount() == 0)
        return;
    column = qBound(0, column, model()->columnCount() - 1);
    m_selectedColumn = column;
    const int row = model()->rowCount() > 0 ? qMax(0, currentRow()) : -1;
    if (row < 0)
        return; // an empty result remembers the column for the next one
    setCurrentIndex(model()->index(qMin(row, model()->rowCount() - 1), column));
}
