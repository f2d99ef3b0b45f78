#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>

class GridRows;
class Query;
class RecordEditor;
class Table;

// Connects the grid to either the view query or the table object, both read through one
// GridRows. The grid reads only the rows it paints; the data object keeps the rest on disk.
//
// Over the table object a RecordEditor carries the record operations of edit mode; it
// announces through this model the rows it adds or drops. The model shows nothing itself:
// what stops an edit is returned to the grid.
class DataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    void setDataSet(Query* query);
    void setDataSet(Table* table);
    // The view query shown, if any.
    Query* query() const { return m_query; }
    // The record operations over the table shown; null over the view query.
    RecordEditor* editor() const { return m_editor.get(); }
    // The table object shown, if any.
    Table* table() const;

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

    // The grid's current row, for the record indicator over the view query (over the table
    // the indicator follows the table's record).
    void setCurrentRow(int row);
    int currentRow() const { return m_currentRow; }

    // The grid shows the open table with automatic editing on and may change it.
    bool canModify() const;
    // Why the table's pending record cannot be stored; empty when it can or none is pending.
    QString pendingRecordProblem() const;

private:
    friend class RecordEditor;
    void takeFields();

    std::unique_ptr<GridRows> m_rows;
    std::unique_ptr<RecordEditor> m_editor;
    Query* m_query = nullptr;
    bool m_autoEdit = false;
    QStringList m_headings;
    QStringList m_fields;
    int m_currentRow = 0;
};
