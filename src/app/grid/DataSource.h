#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class Query;
class Table;

// Connects the grid to either the view query or the table object. The grid reads only
// the rows it paints; the data object keeps the rest on disk.
class DataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    void setDataSet(Query* query);
    void setDataSet(Table* table);
    Query* query() const { return m_query; }
    Table* table() const { return m_table; }

    // Automatic editing: typing puts the current record into edit state.
    void setAutoEdit(bool on) { m_autoEdit = on; }
    bool autoEdit() const { return m_autoEdit; }

    // The data object's rows or fields changed as a whole (opened, closed, re-queried).
    void reload();
    // One row changed (posted, edited by the program).
    void rowChanged(int row);

    // Column headings; the default heading is the field name.
    void setHeading(int column, const QString& text);
    QString heading(int column) const;
    QString fieldName(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The row the data object stands on, for the record indicator.
    void setCurrentRow(int row);
    int currentRow() const { return m_currentRow; }

private:
    Query* m_query = nullptr;
    Table* m_table = nullptr;
    bool m_autoEdit = false;
    QStringList m_headings;
    QStringList m_fields;
    int m_currentRow = 0;
};
