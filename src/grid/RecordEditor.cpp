#include "RecordEditor.h"

#include "DataSource.h"
#include "EngineError.h"
#include "FieldChecks.h"
#include "RecordConflict.h"
#include "Table.h"

RecordEditor::RecordEditor(DataSource& model, Table& table) : m_model(model), m_table(table) {
    resetShownRows();
}

void RecordEditor::resetShownRows() {
    m_shownRows = m_table.isOpen() ? m_table.recordCount() : 0;
}

bool RecordEditor::canModify() const {
    // A damaged table was opened read-only with its own message; typing leaves it alone.
    return m_model.autoEdit() && m_table.isOpen() && !m_table.readOnly() && !m_table.damaged();
}

bool RecordEditor::recordPending() const {
    return m_table.isOpen() &&
           (m_table.state() == Table::State::Edit || m_table.state() == Table::State::Insert);
}

bool RecordEditor::recordNewAndUnchanged() const {
    return m_table.isOpen() && m_table.state() == Table::State::Insert && !m_table.isModified();
}

QString RecordEditor::pendingRecordProblem() const {
    // Only a changed record is ever stored; an unchanged one is dropped.
    if (!recordPending() || !m_table.isModified())
        return {};
    QList<FieldChecks::FieldValue> record;
    const QStringList names = m_table.fieldNames();
    for (int f = 0; f < names.size(); ++f)
        record.append({names[f], m_table.isIntegerField(f), m_table.fieldText(f)});
    return FieldChecks::recordProblem(record);
}

RecordProblem RecordEditor::checkPendingRecord() const {
    const QString problem = pendingRecordProblem();
    return problem.isEmpty() ? RecordProblem() : RecordProblem::notice(problem);
}

void RecordEditor::announceRemoved(int first, int last) {
    m_model.beginRemoveRows({}, first, last);
    m_shownRows = m_table.recordCount();
    m_model.endRemoveRows();
}

void RecordEditor::announceInserted(int first, int last) {
    m_model.beginInsertRows({}, first, last);
    m_shownRows = m_table.recordCount();
    m_model.endInsertRows();
}

// The views read the rows around a change while it is announced, so a record the editor adds
// or drops itself changes the table between the announcement's two halves. Should the table
// refuse after all, the views are reset to what the table holds.
template <typename Change> void RecordEditor::changeRows(bool inserting, int row, Change change) {
    if (inserting)
        m_model.beginInsertRows({}, row, row);
    else
        m_model.beginRemoveRows({}, row, row);
    try {
        change();
    } catch (...) {
        if (inserting)
            m_model.endInsertRows();
        else
            m_model.endRemoveRows();
        m_model.beginResetModel();
        m_shownRows = m_table.recordCount();
        m_model.endResetModel();
        throw;
    }
    m_shownRows = m_table.recordCount();
    if (inserting)
        m_model.endInsertRows();
    else
        m_model.endRemoveRows();
}

void RecordEditor::indicatorMoved(int oldRow) {
    if (oldRow >= 0 && oldRow < m_model.rowCount())
        emit m_model.headerDataChanged(Qt::Vertical, oldRow, oldRow);
    const int row = m_table.recNo();
    if (row != oldRow && row >= 0 && row < m_model.rowCount())
        emit m_model.headerDataChanged(Qt::Vertical, row, row);
}

void RecordEditor::beginEdit() {
    if (!canModify() || m_table.eof())
        return;
    m_table.edit();
    emit m_model.headerDataChanged(Qt::Vertical, m_table.recNo(), m_table.recNo());
}

void RecordEditor::keepOffEnd() {
    // The grid always stands on a record while there is one.
    if (m_table.eof() && m_table.recordCount() > 0)
        m_table.moveTo(m_table.recordCount() - 1);
}

void RecordEditor::dropNewRecord() {
    const int row = m_table.recNo();
    changeRows(false, row, [this] { m_table.cancel(); });
    keepOffEnd();
    indicatorMoved(row);
}

bool RecordEditor::leaveRecord(RecordProblem& problem) {
    if (!recordPending())
        return true;
    const int row = m_table.recNo();
    if (recordNewAndUnchanged()) {
        dropNewRecord();
        return true;
    }
    if (!m_table.isModified()) {
        m_table.cancel();
        m_model.rowChanged(row);
        return true;
    }
    problem = checkPendingRecord();
    if (problem)
        return false;
    try {
        m_table.post();
    } catch (const RecordConflict& c) {
        // Another program stored or deleted the record since it was read: what is typed
        // stays, Esc shows the stored state.
        problem = RecordProblem::notice(c.message());
        return false;
    } catch (const EngineError& e) {
        // The record stays in its state with everything typed.
        problem = RecordProblem::engineError(e.message());
        return false;
    }
    m_model.rowChanged(row);
    return true;
}

bool RecordEditor::leaveRecordTo(int row, int& landed, RecordProblem& problem) {
    landed = m_table.isOpen() ? m_table.recNo() : 0;
    if (!m_table.isOpen())
        return false;
    const int from = m_table.recNo();
    if (row == from) {
        landed = from;
        return true;
    }
    const bool dropsBefore = recordNewAndUnchanged() && row > from;
    if (!leaveRecord(problem))
        return false;
    if (dropsBefore)
        --row;
    const int before = m_table.recNo();
    m_table.moveTo(qBound(0, row, qMax(0, m_table.recordCount() - 1)));
    indicatorMoved(before);
    landed = m_table.recNo();
    return true;
}

bool RecordEditor::appendRecord(RecordProblem& problem) {
    if (!canModify())
        return false;
    if (recordNewAndUnchanged() && m_table.recNo() == m_table.recordCount() - 1)
        return true; // the new record at the end is still empty
    if (!leaveRecord(problem))
        return false;
    const int before = m_table.recNo();
    changeRows(true, m_shownRows, [this] { m_table.append(); });
    indicatorMoved(before);
    return true;
}

bool RecordEditor::insertRecord(RecordProblem& problem) {
    if (!canModify())
        return false;
    if (recordNewAndUnchanged())
        return true; // already standing on an empty new record
    if (!leaveRecord(problem))
        return false;
    // The new record takes the current position (the table's end when it stands past it).
    const int row = qMin(m_table.recNo(), m_table.recordCount());
    changeRows(true, row, [this] { m_table.insert(); });
    // Every row below moved down by one.
    emit m_model.headerDataChanged(Qt::Vertical, row, m_shownRows - 1);
    return true;
}

void RecordEditor::cancelRecord() {
    if (!recordPending())
        return;
    if (m_table.state() == Table::State::Insert || m_table.pendingRecordGone()) {
        dropNewRecord();
        return;
    }
    m_table.cancel();
    m_model.rowChanged(m_table.recNo());
}

RecordProblem RecordEditor::deleteRecord() {
    if (!canModify() || m_table.recordCount() == 0)
        return {};
    if (m_table.state() == Table::State::Insert) {
        dropNewRecord();
        return {};
    }
    if (m_table.eof())
        return {};
    const int row = m_table.recNo();
    try {
        m_table.deleteCurrent();
    } catch (const RecordConflict& c) {
        m_model.rowChanged(row);
        return RecordProblem::notice(c.message());
    }
    announceRemoved(row, row);
    keepOffEnd();
    indicatorMoved(row);
    return {};
}

void RecordEditor::followTableRows() {
    if (!m_table.isOpen())
        return;
    if (!recordPending())
        keepOffEnd(); // a walk to the end leaves the table past its last record
    const int rows = m_table.recordCount();
    if (rows == m_shownRows)
        return;
    if (rows > m_shownRows)
        announceInserted(m_shownRows, rows - 1);
    else
        announceRemoved(rows, m_shownRows - 1);
    if (m_shownRows > 0)
        emit m_model.dataChanged(m_model.index(0, 0),
                                 m_model.index(m_shownRows - 1, m_model.columnCount() - 1));
    emit m_model.headerDataChanged(Qt::Vertical, 0, qMax(0, m_shownRows - 1));
}
