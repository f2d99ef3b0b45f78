#include "HeadedGridAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QTableWidget>

namespace {

const char kHeadingRow[] = "vantoraHeadingRow";

class HeadedGrid;

// One cell of the grid as screen readers find it: a heading of the first row, or a cell of
// the rows below, read live from the grid.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(const HeadedGrid* table, int gridRow, int column)
        : m_table(table), m_row(gridRow), m_column(column) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override {
        return m_row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface && m_row > 0
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override;
    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    int columnIndex() const override { return m_column; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return m_row - 1; }
    QAccessibleInterface* table() const override;

private:
    QTableWidget* grid() const;
    const HeadedGrid* m_table;
    const int m_row; // the grid's row: 0 is the heading row
    const int m_column;
};

// The grid as a table of the rows below its heading row. Its children are numbered as the
// grid numbers its cells, so the grid's own focus and selection news name the right cell:
// the first row's children are the headings.
class HeadedGrid : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit HeadedGrid(QTableWidget* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~HeadedGrid() override {
        for (QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    QTableWidget* grid() const { return static_cast<QTableWidget*>(widget()); }

    // The interface of the grid's cell, made once and kept while the grid lives.
    QAccessibleInterface* gridCell(int gridRow, int column) const {
        if (gridRow < 0 || gridRow >= grid()->rowCount() || column < 0 ||
            column >= grid()->columnCount())
            return nullptr;
        const quint64 key = (quint64(gridRow) << 32) | quint32(column);
        auto found = m_cells.constFind(key);
        if (found != m_cells.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto* cell = new GridCell(this, gridRow, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return grid()->rowCount() * grid()->columnCount(); }
    QAccessibleInterface* child(int index) const override {
        const int columns = grid()->columnCount();
        return columns > 0 && index >= 0 ? gridCell(index / columns, index % columns) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const int columns = grid()->columnCount();
        for (int i = 0; i < childCount(); ++i)
            if (gridCell(i / columns, i % columns) == child)
                return i;
        return -1;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return row >= 0 ? gridCell(row + 1, column) : nullptr;
    }
    int rowCount() const override { return qMax(0, grid()->rowCount() - 1); }
    int columnCount() const override { return grid()->columnCount(); }
    QString columnDescription(int column) const override { return heading(column); }
    QString rowDescription(int) const override { return {}; }

    QList<int> selectedRows() const override {
        QList<int> rows;
        for (int row = 0; row < rowCount(); ++row)
            if (isRowSelected(row))
                rows << row;
        return rows;
    }
    bool isRowSelected(int row) const override {
        const QModelIndex index = grid()->model()->index(row + 1, 0);
        return grid()->selectionModel()->isRowSelected(row + 1, index.parent());
    }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (int row : selectedRows())
            for (int column = 0; column < columnCount(); ++column)
                cells << cellAt(row, column);
        return cells;
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<int> selectedColumns() const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    bool isColumnSelected(int) const override { return false; }
    // Rows are chosen as the user chooses them, in the grid itself.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // The heading as the first row shows it.
    QString heading(int column) const {
        const QTableWidgetItem* item = grid()->item(0, column);
        return item ? item->text().trimmed() : QString();
    }

private:
    mutable QHash<quint64, QAccessible::Id> m_cells;
};

QTableWidget* GridCell::grid() const {
    return m_table->grid();
}

bool GridCell::isValid() const {
    return m_row < grid()->rowCount() && m_column < grid()->columnCount();
}

QAccessibleInterface* GridCell::parent() const {
    return const_cast<HeadedGrid*>(m_table);
}

QAccessibleInterface* GridCell::table() const {
    return parent();
}

QString GridCell::text(QAccessible::Text t) const {
    if (t != QAccessible::Name)
        return {};
    if (m_row == 0)
        return m_table->heading(m_column);
    const QTableWidgetItem* item = grid()->item(m_row, m_column);
    return item ? item->text().trimmed() : QString();
}

QRect GridCell::rect() const {
    const QRect cell = grid()->visualRect(grid()->model()->index(m_row, m_column));
    return QRect(grid()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

bool GridCell::isSelected() const {
    return m_table->isRowSelected(m_row - 1);
}

QAccessible::State GridCell::state() const {
    QAccessible::State state;
    if (m_row > 0) {
        state.selectable = true;
        state.selected = isSelected();
    }
    state.invisible = !grid()->isVisible();
    return state;
}

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
    return {m_table->gridCell(0, m_column)};
}

} // namespace

namespace HeadedGridAccessible {

void markHeadingRow(QTableWidget* grid) {
    grid->setProperty(kHeadingRow, true);
    // The toolkit may have made an interface of its own while the grid was being built (it
    // does so for the news a new widget sends): that one gives way.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(grid);
    if (made && !dynamic_cast<HeadedGrid*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

QAccessibleInterface* interfaceFor(QObject* object) {
    auto* grid = qobject_cast<QTableWidget*>(object);
    if (!grid || !grid->property(kHeadingRow).toBool())
        return nullptr;
    return new HeadedGrid(grid);
}

} // namespace HeadedGridAccessible
