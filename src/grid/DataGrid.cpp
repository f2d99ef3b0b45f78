#include "DataGrid.h"

#include "ArtPalette.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "ErrorGuard.h"
#include "RecordEditor.h"
#include "Table.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

namespace {

// Shows what stopped a record operation: a notice in the message box, an engine error in
// the error box.
void showProblem(const RecordProblem& problem) {
    if (problem.kind == RecordProblem::Kind::Notice)
        Dialogs::message(problem.text);
    else if (problem.kind == RecordProblem::Kind::EngineError)
        Dialogs::error(problem.text);
}

} // namespace

// Every change of the current cell, by key, mouse or program, passes the grid first: it
// stores the editor's text, raises the column exit and leaves the record.
class GridCursor : public QItemSelectionModel {
public:
    GridCursor(QAbstractItemModel* model, DataGrid* grid)
        : QItemSelectionModel(model, grid), m_grid(grid) {}

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override {
        QModelIndex to = index;
        bool approved = false;
        guarded([&] { approved = m_grid->approveCurrentChange(currentIndex(), to); });
        if (approved)
            QItemSelectionModel::setCurrentIndex(to, command);
    }

private:
    DataGrid* m_grid;
};

// The cell editor: a line edit, known to the grid while it is open; Ctrl+Del in it
// deletes the record as it does in the grid.
class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_grid->m_editor = editor;
        return editor;
    }

    // Storing the editor's text can be refused by the engine (a read-only table); the
    // refusal goes to the error box. The model is called from here, not from the base
    // class: an exception must not unwind through Qt's frames, which free nothing on
    // the way.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const QMetaProperty text = editor->metaObject()->userProperty();
        if (!text.isValid())
            return;
        const QVariant value = text.read(editor);
        guarded([&] { model->setData(index, value, Qt::EditRole); });
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier)) {
                m_grid->deleteRecord();
                return true;
            }
            if (leavesTheText(qobject_cast<QLineEdit*>(object), *key)) {
                // The grid moves to the neighbouring column; the text goes with it.
                QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
                QCoreApplication::sendEvent(m_grid, &forwarded);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // Left or Home at the start of the text, Right or End at its end leave the cell.
    static bool leavesTheText(const QLineEdit* line, const QKeyEvent& key) {
        if (!line || key.modifiers() != Qt::NoModifier || line->hasSelectedText())
            return false;
        switch (key.key()) {
        case Qt::Key_Left:
        case Qt::Key_Home:
            return line->cursorPosition() == 0;
        case Qt::Key_Right:
        case Qt::Key_End:
            return line->cursorPosition() == line->text().size();
        default:
            return false;
        }
    }

    DataGrid* m_grid;
};

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
    setItemDelegate(new GridCellDelegate(this));
    setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: #9999BA; color: #010041; "
        "border: 1px solid #6F6F90; padding: 0 2px; }"
        "QTableCornerButton::section { background-color: #9999BA; border: 1px solid #6F6F90; }"));
    setColours(ArtPalette::nearWhite, ArtPalette::darkBlue);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);
    // A click on a heading sorts; it does not move the selection to that column.
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    connect(this, &QAbstractItemView::clicked, this, &DataGrid::onClicked);
    connect(qApp, &QApplication::focusChanged, this, &DataGrid::onFocusChanged);
}

void DataGrid::setDataSource(DataSource* source) {
    m_source = source;
    QItemSelectionModel* standard = selectionModel();
    setModel(source);
    QItemSelectionModel* created = selectionModel();
    setSelectionModel(new GridCursor(source, this));
    if (created != standard)
        delete created;
    // After a reset over the table the current cell returns to the table's record.
    connect(source, &QAbstractItemModel::modelReset, this, &DataGrid::showTableRecord);
}

void DataGrid::setColours(const QColor& background, const QColor& text) {
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Highlight, ArtPalette::darkBlue);
    p.setColor(QPalette::HighlightedText, ArtPalette::nearWhite);
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
    // Over the query the indicator follows the current row; over the table it follows
    // the table's record.
    if (m_source && !m_source->editor() && current.isValid())
        m_source->setCurrentRow(current.row());
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

// ---- Edit mode ----

RecordEditor* DataGrid::editor() const {
    return m_source ? m_source->editor() : nullptr;
}

bool DataGrid::editsTable() const {
    return editor() && editor()->table().isOpen();
}

bool DataGrid::mayModify() const {
    return editsTable() && editor()->canModify();
}

DataGrid::Place DataGrid::place() const {
    return {currentRow(), selectedIndex(), qMax(0, rowAt(0))};
}

void DataGrid::restorePlace(const Place& place, int row) {
    const int rows = m_source ? m_source->rowCount() : 0;
    if (rows == 0)
        return;
    row = qBound(0, row, rows - 1);
    if (!editsTable())
        setCurrentIndex(m_source->index(row, 0));
    setSelectedIndex(place.column);
    const int top = qBound(0, row - (place.row - place.top), rows - 1);
    scrollTo(m_source->index(top, currentIndex().column()), PositionAtTop);
}

QWidget* DataGrid::openEditor() const {
    return m_editor && state() == EditingState && m_editor->isVisible() ? m_editor.data() : nullptr;
}

void DataGrid::commitOpenEditor() {
    QWidget* editor = openEditor();
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool DataGrid::commitPendingEdit() {
    if (!editsTable())
        return true;
    commitOpenEditor();
    const RecordProblem problem = editor()->checkPendingRecord();
    showProblem(problem);
    return !problem;
}

void DataGrid::raiseColumnExit() {
    emit columnExit();
    if (editsTable())
        m_source->rowChanged(editor()->table().recNo());
}

bool DataGrid::approveCurrentChange(const QModelIndex& from, QModelIndex& to) {
    if (m_syncing || m_inGate || !from.isValid() || !to.isValid() || from == to)
        return true;
    const QScopedValueRollback<bool> inGate(m_inGate, true);
    const bool columnChanges = to.column() != from.column();
    const int column = to.column();
    int row = to.row();
    if (editsTable())
        commitOpenEditor();
    if (columnChanges)
        raiseColumnExit();
    if (editsTable() && row != from.row()) {
        int landed = from.row();
        RecordProblem problem;
        if (!editor()->leaveRecordTo(row, landed, problem)) {
            showProblem(problem);
            // The record stays; a change of column alone still goes ahead.
            if (!columnChanges)
                return false;
            landed = editor()->table().recNo();
        }
        row = landed;
    }
    to = model()->index(row, column);
    return to.isValid();
}

void DataGrid::showTableRecord() {
    if (!editsTable())
        return;
    const int rows = m_source->rowCount();
    const int columns = m_source->columnCount();
    if (rows == 0 || columns == 0)
        return;
    const int row = qBound(0, editor()->table().recNo(), rows - 1);
    const int column = qBound(0, m_selectedColumn, columns - 1);
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    setCurrentIndex(m_source->index(row, column));
}

void DataGrid::followTable() {
    if (!editsTable())
        return;
    editor()->followTableRows();
    if (editor()->table().recNo() != currentIndex().row() || !currentIndex().isValid())
        showTableRecord();
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!editsTable())
        return QTableView::edit(index, trigger, event);
    // Only the record the table stands on takes typed text.
    if (index.isValid() && index.row() != editor()->table().recNo() && !openEditor())
        return false;
    const bool wasEditing = openEditor() != nullptr;
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && !wasEditing && openEditor())
        guarded([this] { editor()->beginEdit(); });
    return opened;
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == m_editor)
        m_editor = nullptr;
    if (!editsTable()) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    switch (hint) {
    case QAbstractItemDelegate::EditNextItem:
    case QAbstractItemDelegate::EditPreviousItem:
        // Tab from the editor walks the cells as Tab in the grid does.
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        tabTo(hint == QAbstractItemDelegate::EditNextItem);
        return;
    case QAbstractItemDelegate::RevertModelCache:
        // Esc in the editor drops the text typed there; a record with nothing else
        // changed returns to browsing (a new one disappears).
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (!this->editor()->table().isModified())
            cancelRecord();
        return;
    default:
        QTableView::closeEditor(editor, hint);
    }
}

int DataGrid::firstVisualColumn() const {
    return horizontalHeader()->logicalIndex(0);
}

int DataGrid::lastVisualColumn() const {
    return horizontalHeader()->logicalIndex(m_source->columnCount() - 1);
}

void DataGrid::tabTo(bool forward) {
    guarded([&] {
        commitOpenEditor();
        const QModelIndex cur = currentIndex();
        const int rows = m_source->rowCount();
        if (m_source->columnCount() == 0)
            return;
        if (!cur.isValid()) {
            if (rows == 0 && forward && mayModify() && appendRecord()) {
                m_selectedColumn = firstVisualColumn();
                showTableRecord();
            }
            return;
        }
        QHeaderView* header = horizontalHeader();
        const int visual = header->visualIndex(cur.column());
        const int lastVisual = m_source->columnCount() - 1;
        if (forward) {
            if (visual < lastVisual)
                setCurrentIndex(m_source->index(cur.row(), header->logicalIndex(visual + 1)));
            else if (cur.row() < rows - 1)
                setCurrentIndex(m_source->index(cur.row() + 1, firstVisualColumn()));
            else if (mayModify()) {
                // From the last cell of the last record: a new record, first column.
                raiseColumnExit();
                if (editor()->recordNewAndUnchanged() || appendRecord()) {
                    m_selectedColumn = firstVisualColumn();
                    showTableRecord();
                }
            }
        } else {
            if (visual > 0)
                setCurrentIndex(m_source->index(cur.row(), header->logicalIndex(visual - 1)));
            else if (cur.row() > 0)
                setCurrentIndex(m_source->index(cur.row() - 1, lastVisualColumn()));
        }
    });
}

void DataGrid::stepDownAtEnd() {
    guarded([this] {
        commitOpenEditor();
        // A new record nobody typed into stays the last one.
        if (editor()->recordNewAndUnchanged())
            return;
        if (appendRecord())
            showTableRecord();
    });
}

void DataGrid::insertRecord() {
    guarded([this] {
        commitOpenEditor();
        RecordProblem problem;
        const bool inserted = editor()->insertRecord(problem);
        showProblem(problem);
        if (inserted)
            showTableRecord();
    });
}

bool DataGrid::appendRecord() {
    RecordProblem problem;
    const bool appended = editor()->appendRecord(problem);
    showProblem(problem);
    return appended;
}

void DataGrid::cancelRecord() {
    guarded([this] {
        editor()->cancelRecord();
        showTableRecord();
    });
}

void DataGrid::deleteRecord() {
    if (!mayModify() || m_source->rowCount() == 0)
        return;
    guarded([this] {
        commitOpenEditor();
        // The delete requires the record as the user saw it when deciding.
        editor()->table().rememberShownRecord();
        if (!Dialogs::confirm(QStringLiteral("Datensatz löschen?")))
            return;
        showProblem(editor()->deleteRecord());
        showTableRecord();
    });
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (!editsTable()) {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                           mods == Qt::NoModifier;
        const bool menuKey = event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier;
        if (enter || menuKey) {
            requestCurrentRecord();
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
        return;
    }
    followTable();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool atLastRow =
        m_source->rowCount() == 0 || currentIndex().row() == m_source->rowCount() - 1;
    switch (event->key()) {
    case Qt::Key_Tab:
        if (plain) {
            tabTo(true);
            event->accept();
            return;
        }
        break;
    case Qt::Key_Backtab:
        tabTo(false);
        event->accept();
        return;
    case Qt::Key_Escape:
        cancelRecord();
        event->accept();
        return;
    case Qt::Key_Insert:
        if (plain && mayModify()) {
            insertRecord();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (mods & Qt::ControlModifier) {
            deleteRecord();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Down:
        if (plain && atLastRow && mayModify()) {
            stepDownAtEnd();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    followTable();
    QTableView::mousePressEvent(event);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (editsTable() || !index.isValid()) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    emit recordRequested(index.row(), event->globalPosition().toPoint());
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
    // Edit mode has no menu of its own.
    if (editsTable()) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->reason() != QContextMenuEvent::Mouse) {
        requestCurrentRecord();
        return;
    }
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (index.isValid())
        emit recordRequested(index.row(), event->globalPos());
}

void DataGrid::requestCurrentRecord() {
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return;
    const QRect cell = visualRect(index);
    emit recordRequested(index.row(), viewport()->mapToGlobal(cell.bottomLeft()));
}

void DataGrid::focusInEvent(QFocusEvent* event) {
    followTable();
    QTableView::focusInEvent(event);
}

void DataGrid::onClicked(const QModelIndex& index) {
    // A click that could not move to its cell (the record being left was refused) is no
    // cell click.
    if (!index.isValid() || index != currentIndex())
        return;
    emit cellClicked(index.row(), index.column());
    if (editsTable())
        m_source->rowChanged(editor()->table().recNo());
}

bool DataGrid::isInside(const QWidget* w) const {
    return w && (w == this || isAncestorOf(w));
}

void DataGrid::onFocusChanged(QWidget* old, QWidget* now) {
    // Only a move of the focus to another control of this window counts; a message box
    // or another window taking the focus leaves the record alone.
    if (m_inGate || !editsTable() || !isInside(old) || isInside(now) || !now ||
        now->window() != window())
        return;
    leftGrid();
}

void DataGrid::leftGrid() {
    guarded([this] {
        commitOpenEditor();
        if (editor()->recordNewAndUnchanged()) {
            editor()->cancelRecord();
            showTableRecord();
        }
    });
}
