#include "DataSource.h"

#include "GridRows.h"
#include "Query.h"
#include "RecordEditor.h"
#include "Table.h"

namespace {

const QString kCurrentRecord = QStringLiteral("\u25B6");

// The view query's result; the indicator follows the grid's current row.
class QueryRows : public GridRows {
public:
    explicit QueryRows(const Query& query) : m_query(query) {}
    QStringList fieldNames() const override {
        return m_query.isOpen() ? m_query.fieldNames() : QStringList();
    }
    int rowCount() const override { return m_query.isOpen() ? m_query.recordCount() : 0; }
    QString value(int row, int field) const override { return m_query.value(row, field); }
    QString indicator(int row, int currentRow) const override {
        return row == currentRow ? kCurrentRecord : QString();
    }
    int startRow() const override { return 0; }

private:
    const Query& m_query;
};

// The table object's records as announced to the views; the indicator follows the record
// the table stands on and shows its edit state.
class TableRows : public GridRows {
public:
    TableRows(const Table& table, const RecordEditor& editor) : m_table(table), m_editor(editor) {}
    QStringList fieldNames() const override {
        return m_table.isOpen() ? m_table.fieldNames() : QStringList();
    }
    int rowCount() const override { return m_table.isOpen() ? m_editor.shownRows() : 0; }
    QString value(int row, int field) const override { return m_table.value(row, field); }
    QString indicator(int row, int) const override {
        if (!m_table.isOpen() || m_table.recNo() != row)
            return QString();
        if (m_table.state() == Table::State::Insert)
            return QStringLiteral("*");
        if (m_table.state() == Table::State::Edit)
            return QStringLiteral("I");
        return kCurrentRecord;
    }
    int startRow() const override { return m_table.isOpen() ? m_table.recNo() : 0; }

private:
    const Table& m_table;
    const RecordEditor& m_editor;
};

} // namespace

DataSource::DataSource(QObject* parent) : QAbstractTableModel(parent) {}

DataSource::~DataSource() = default;

void DataSource::setDataSet(Query* query) {
    beginResetModel();
    m_editor.reset();
    m_query = query;
    m_rows = query ? std::make_unique<QueryRows>(*query) : nullptr;
    takeFields();
    m_currentRow = 0;
    endResetModel();
}

void DataSource::setDataSet(Table* table) {
    beginResetModel();
    m_query = nullptr;
    m_editor = table ? std::make_unique<RecordEditor>(*this, *table) : nullptr;
    m_rows = table ? std::make_unique<TableRows>(*table, *m_editor) : nullptr;
    takeFields();
    m_currentRow = 0;
    endResetModel();
}

void DataSource::takeFields() {
    m_fields = m_rows ? m_rows->fieldNames() : QStringList();
    // A new result starts from default headings, as a re-query does.
    m_headings = m_fields;
}

void DataSource::reload() {
    beginResetModel();
    takeFields();
    m_currentRow = m_rows ? m_rows->startRow() : 0;
    if (m_editor)
        m_editor->resetShownRows();
    endResetModel();
}

void DataSource::rowChanged(int row) {
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

void DataSource::setHeading(int column, const QString& text) {
    if (column < 0 || column >= m_headings.size())
        return;
    m_headings[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString DataSource::heading(int column) const {
    return m_headings.value(column);
}
QString DataSource::fieldName(int column) const {
    return m_fields.value(column);
}

int DataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_rows ? 0 : m_rows->rowCount();
}

int DataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DataSource::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || !m_rows)
        return {};
    return m_rows->value(index.row(), index.column());
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_headings.value(section);
    if (!m_rows)
        return section == m_currentRow ? kCurrentRecord : QString();
    return m_rows->indicator(section, m_currentRow);
}

Qt::ItemFlags DataSource::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    // Only cells take text; the root of the model stands for no cell.
    if (index.isValid() && canModify())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Text typed into a cell belongs to the record the table stands on; an editor left
    // over on another row never reaches a different record.
    if (!canModify() || role != Qt::EditRole || !index.isValid())
        return false;
    Table& table = m_editor->table();
    if (index.row() != table.recNo() || table.eof())
        return false;
    table.setFieldText(index.column(), value.toString());
    rowChanged(index.row());
    return true;
}

void DataSource::setCurrentRow(int row) {
    const int old = m_currentRow;
    m_currentRow = row;
    if (old != row && old >= 0 && old < rowCount())
        emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

Table* DataSource::table() const {
    return m_editor ? &m_editor->table() : nullptr;
}

bool DataSource::canModify() const {
    return m_editor && m_editor->canModify();
}

QString DataSource::pendingRecordProblem() const {
    return m_editor ? m_editor->pendingRecordProblem() : QString();
}
