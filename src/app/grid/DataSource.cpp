#include "DataSource.h"

#include "Dialogs.h"
#include "EngineError.h"
#include "FieldChecks.h"
#include "Query.h"
#include "RecordConflict.h"
#include "Table.h"

DataSource::DataSource(QObject* parent) : QAbstractTableModel(parent) {}

void DataSource::setDataSet(Query* query) {
    beginResetModel();
    m_query = query;
    m_table = nullptr;
    m_fields = query && query->isOpen() ? query->fieldNames() : QStringList();
    m_headings = m_fields;
    m_currentRow = 0;
    m_tableRows = 0;
    endResetModel();
}

void DataSource::setDataSet(Table* table) {
    beginResetModel();
    m_table = table;
    m_query = nullptr;
    m_fields = table && table->isOpen() ? table->fieldNames() : QStringList();
    m_headings = m_fields;
    m_currentRow = 0;
    m_tableRows = table && table->isOpen() ? table->recordCount() : 0;
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
    if (m_table && m_table->isOpen()) {
        m_currentRow = m_table->recNo();
        m_tableRows = m_table->recordCount();
    } else {
        m_currentRow = 0;
        m_tableRows = 0;
    }
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
    if (parent.isValid())
        return 0;
    if (m_query)
        return m_query->isOpen() ? m_query->recordCount() : 0;
    // The table's rows as announced: the table may add or drop its new record before the
    // views have been told.
    if (m_table)
        return m_table->isOpen() ? m_tableRows : 0;
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
    if (m_table) {
        // Over the table the indicator follows the record the table stands on.
        if (!m_table->isOpen() || m_table->recNo() != section)
            return QString();
        if (m_table->state() == Table::State::Insert)
            return QStringLiteral("*");
        if (m_table->state() == Table::State::Edit)
            return QStringLiteral("I");
        return QStringLiteral("\u25B6");
    }
    return section == m_currentRow ? QStringLiteral("\u25B6") : QString();
}

Qt::ItemFlags DataSource::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (canModify())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Text typed into a cell belongs to the record the table stands on; an editor left
    // over on another row never reaches a different record.
    if (!canModify() || role != Qt::EditRole || !index.isValid() ||
        index.row() != m_table->recNo() || m_table->eof())
        return false;
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

// ---- Edit mode ----

bool DataSource::canModify() const {
    // A damaged table was opened read-only with its own message; typing leaves it alone.
    return m_table && m_autoEdit && m_table->isOpen() && !m_table->readOnly() &&
           !m_table->damaged();
}

bool DataSource::recordPending() const {
    return m_table && m_table->isOpen() &&
           (m_table->state() == Table::State::Edit || m_table->state() == Table::State::Insert);
}

bool DataSource::recordNewAndUnchanged() const {
    return m_table && m_table->isOpen() && m_table->state() == Table::State::Insert &&
           !m_table->isModified();
}

QString DataSource::pendingRecordProblem() const {
    // Only a changed record is ever stored; an unchanged one is dropped.
    if (!recordPending() || !m_table->isModified())
        return {};
    QList<FieldChecks::FieldValue> record;
    const QStringList names = m_table->fieldNames();
    for (int f = 0; f < names.size(); ++f)
        record.append({names[f], m_table->isIntegerField(f), m_table->fieldText(f)});
    return FieldChecks::recordProblem(record);
}

bool DataSource::checkPendingRecord() const {
    const QString problem = pendingRecordProblem();
    if (problem.isEmpty())
        return true;
    Dialogs::message(problem);
    return false;
}

void DataSource::indicatorMoved(int oldRow) {
    if (oldRow >= 0 && oldRow < rowCount())
        emit headerDataChanged(Qt::Vertical, oldRow, oldRow);
    const int row = m_table->recNo();
    if (row != oldRow && row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

void DataSource::beginEdit() {
    if (!canModify() || m_table->eof())
        return;
    m_table->edit();
    emit headerDataChanged(Qt::Vertical, m_table->recNo(), m_table->recNo());
}

void DataSource::keepOffEnd() {
    // The grid always stands on a record while there is one.
    if (m_table->eof() && m_table->recordCount() > 0)
        m_table->moveTo(m_table->recordCount() - 1);
}

void DataSource::dropNewRecord() {
    const int row = m_table->recNo();
    m_table->cancel();
    beginRemoveRows({}, row, row);
    m_tableRows = m_table->recordCount();
    endRemoveRows();
    keepOffEnd();
    indicatorMoved(row);
}

bool DataSource::leaveRecord() {
    if (!recordPending())
        return true;
    const int row = m_table->recNo();
    if (recordNewAndUnchanged()) {
        dropNewRecord();
        return true;
    }
    if (!m_table->isModified()) {
        m_table->cancel();
        rowChanged(row);
        return true;
    }
    if (!checkPendingRecord())
        return false;
    try {
        m_table->post();
    } catch (const RecordConflict& c) {
        // Another program stored or deleted the record since it was read: what is typed
        // stays, Esc shows the stored state.
        Dialogs::message(c.message());
        return false;
    } catch (const EngineError& e) {
        // The record stays in its state with everything typed.
        Dialogs::error(e.message());
        return false;
    }
    rowChanged(row);
    return true;
}

bool DataSource::leaveRecordTo(int row, int& landed) {
    landed = m_table && m_table->isOpen() ? m_table->recNo() : 0;
    if (!m_table || !m_table->isOpen())
        return false;
    const int from = m_table->recNo();
    if (row == from) {
        landed = from;
        return true;
    }
    const bool dropsBefore = recordNewAndUnchanged() && row > from;
    if (!leaveRecord())
        return false;
    if (dropsBefore)
        --row;
    const int before = m_table->recNo();
    m_table->moveTo(qBound(0, row, qMax(0, m_table->recordCount() - 1)));
    indicatorMoved(before);
    landed = m_table->recNo();
    return true;
}

bool DataSource::appendRecord() {
    if (!canModify())
        return false;
    if (recordNewAndUnchanged() && m_table->recNo() == m_table->recordCount() - 1)
        return true; // the new record at the end is still empty
    if (!leaveRecord())
        return false;
    const int before = m_table->recNo();
    m_table->append();
    beginInsertRows({}, m_tableRows, m_tableRows);
    m_tableRows = m_table->recordCount();
    endInsertRows();
    indicatorMoved(before);
    return true;
}

bool DataSource::insertRecord() {
    if (!canModify())
        return false;
    if (recordNewAndUnchanged())
        return true; // already standing on an empty new record
    if (!leaveRecord())
        return false;
    m_table->insert();
    const int row = m_table->recNo();
    beginInsertRows({}, row, row);
    m_tableRows = m_table->recordCount();
    endInsertRows();
    // Every row below moved down by one.
    emit headerDataChanged(Qt::Vertical, row, m_tableRows - 1);
    return true;
}

void DataSource::cancelRecord() {
    if (!recordPending())
        return;
    if (m_table->state() == Table::State::Insert || m_table->pendingRecordGone()) {
        dropNewRecord();
        return;
    }
    m_table->cancel();
    rowChanged(m_table->recNo());
}

void DataSource::deleteRecord() {
    if (!canModify() || m_table->recordCount() == 0)
        return;
    if (m_table->state() == Table::State::Insert) {
        dropNewRecord();
        return;
    }
    if (m_table->eof())
        return;
    const int row = m_table->recNo();
    try {
        m_table->deleteCurrent();
    } catch (const RecordConflict& c) {
        Dialogs::message(c.message());
        rowChanged(row);
        return;
    }
    beginRemoveRows({}, row, row);
    m_tableRows = m_table->recordCount();
    endRemoveRows();
    keepOffEnd();
    indicatorMoved(row);
}

void DataSource::followTableRows() {
    if (!m_table || !m_table->isOpen())
        return;
    if (!recordPending())
        keepOffEnd(); // a walk to the end leaves the table past its last record
    const int rows = m_table->recordCount();
    if (rows == m_tableRows)
        return;
    if (rows > m_tableRows) {
        beginInsertRows({}, m_tableRows, rows - 1);
        m_tableRows = rows;
        endInsertRows();
    } else if (rows < m_tableRows) {
        beginRemoveRows({}, rows, m_tableRows - 1);
        m_tableRows = rows;
        endRemoveRows();
    }
    if (m_tableRows > 0)
        emit dataChanged(index(0, 0), index(m_tableRows - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, 0, qMax(0, m_tableRows - 1));
}
