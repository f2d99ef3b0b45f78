#pragma once

#include <QTableView>

class DataSource;

// The main window's data grid: a heading row, a record indicator column, column and row
// lines, movable and sizeable headings, and only the rows it paints read from the data.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }

    // The selected column (the grid's current column), by position of the data.
    int selectedIndex() const;
    void setSelectedIndex(int column);
    int currentRow() const;

    // Colours of the cells; the headings keep theirs.
    void setColours(const QColor& background, const QColor& text);

signals:
    void titleClicked(int column);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    DataSource* m_source = nullptr;
    int m_selectedColumn = 0;
};
