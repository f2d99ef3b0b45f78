#include "DataSource.h"

#include "Query.h"
#include "Table.h"

DataSource::DataSource(QObject* parent) : QAbstractTableModel(parent) {}

void DataSource::setDataSet(Query* query) {
    beginResetModel();
    m_query = query;
    m_table = nullptr;
    m_fields = query && query->isOpen() ? query->fieldNames() : QStringList();
    m_headings = m_fields;
    m_currentRow = 0;
    endResetModel();
}

void DataSource::setDataSet(Table* table) {
    beginResetModel();
    m_table = table;
    m_query = nullptr;
    m_fields = table && table->isOpen() ? table->fieldNames() : QStringList();
    m_headings = m_fields;
    m_currentRow = 0;
    endResetModel();
}

void DataSource::reload() {
    beginResetModel();
    if (m_query)
        m_fields = m_query->isOpen() ? m_query->fieldNames() : QStringList();
    else if (m_table)
        m_fields = m_table->isOpen() ? m_table->fieldNames() : QStringList();
    else
        m_fields.clear();
    // A new result starts from default headings, as a re-query does.
    m_headings = m_fields;
    if (m_table && m_table->isOpen())
        m_currentRow = m_table->recNo();
    else
        m_currentRow = 0;
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

QString DataSource::heading(int column) const { return m_headings.value(column); }
QString DataSource::fieldName(int column) const { return m_fields.value(column); }

int DataSource::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    if (m_query)
        return m_query->isOpen() ? m_query->recordCount() : 0;
    if (m_table)
        return m_table->isOpen() ? m_table->recordCount() : 0;
    return 0;
}

int DataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DataSource::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (m_query)
        return m_query->value(index.row(), index.column());
    if (m_table)
        return m_table->value(index.row(), index.column());
    return {};
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_headings.value(section);
    if (section != m_currentRow)
        return QString();
    if (m_table && m_table->isOpen() && m_table->recNo() == section) {
        if (m_table->state() == Table::State::Insert)
            return QStringLiteral("*");
        if (m_table->state() == Table::State::Edit)
            return QStringLiteral("I");
    }
    return QStringLiteral("\u25B6");
}

Qt::ItemFlags DataSource::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_table && m_autoEdit && m_table->isOpen() && !m_table->readOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_table || role != Qt::EditRole || !index.isValid())
        return false;
    m_table->moveTo(index.row());
    m_table->setFieldText(index.column(), value.toString());
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
