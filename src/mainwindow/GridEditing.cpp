#include "GridEditing.h"

#include "AppState.h"
#include "ArtPalette.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "EditCodes.h"
#include "FieldChecks.h"
#include "Query.h"
#include "Table.h"
#include "ViewQueryRunner.h"
#include "Views.h"

GridEditing::GridEditing(QWidget& window, DataGrid& grid, DataSource& source, Table& table,
                         Query& query, ViewQueryRunner& viewQuery)
    : m_window(window), m_grid(grid), m_source(source), m_table(table), m_query(query),
      m_viewQuery(viewQuery) {}

void GridEditing::present(bool on) {
    AppState& s = State();
    if (on) {
        m_window.setWindowTitle(kCaption);
        m_grid.setColours(ArtPalette::silver, Qt::black);
        m_grid.setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
        m_grid.setSelectionMode(QAbstractItemView::NoSelection);
        m_table.setReadOnly(false);
        m_source.setAutoEdit(true);
        m_table.setDatabaseName(s.DataDir);
        m_table.setTableName(s.ViewTableFile);
        m_table.open();
        m_source.setDataSet(&m_table);
    } else {
        m_window.setWindowTitle(QStringLiteral("Vantora"));
        m_grid.setColours(ArtPalette::nearWhite, ArtPalette::darkBlue);
        m_grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_source.setAutoEdit(false);
        m_table.setReadOnly(true);
        m_source.setDataSet(&m_query);
        m_viewQuery.run(s.ViewTableFile);
    }
}

bool GridEditing::commitGridEdit() {
    if (State().EditMode != 1 || !m_table.isOpen())
        return true;
    return m_grid.commitPendingEdit();
}

void GridEditing::gridFollowTable() {
    if (State().EditMode == 1)
        m_grid.followTable();
}

int GridEditing::rereadTable() {
    m_table.refresh();
    m_source.reload();
    m_grid.followTable();
    return m_table.recNo();
}

namespace {

// Replaces a code in `field` by its word; `lookup` is one of the code tables.
void completeCode(Table& table, const QString& field, bool (*lookup)(const QString&, QString&)) {
    QString stored;
    if (!lookup(table.fieldByName(field), stored))
        return;
    table.edit();
    table.setFieldByName(field, stored);
}

} // namespace

void GridEditing::columnExit() {
    Table& table = m_table;
    if (State().EditMode != 1 || !table.isOpen())
        return;
    // The field as the table stores it, compared exactly.
    const QString field = m_source.fieldName(m_grid.selectedIndex());

    if (State().CurrentView == Views::kTips && field == QLatin1String("Art"))
        completeCode(table, QStringLiteral("ART"), &EditCodes::tipKind);

    if (field == QLatin1String("Ausgabe")) {
        // Not upper-cased; a value that is not, or does not complete to, an issue text
        // stays as typed.
        QString completed;
        if (!FieldChecks::completeIssue(table.fieldByName(QStringLiteral("AUSGABE")), completed)) {
            Dialogs::message(FieldChecks::kIssueMessage);
        } else {
            table.edit();
            table.setFieldByName(QStringLiteral("AUSGABE"), completed);
        }
    }

    if (field == QLatin1String("Rubrik"))
        completeCode(table, QStringLiteral("RUBRIK"), &EditCodes::rubric);

    if (field == QLatin1String("Genre"))
        completeCode(table, QStringLiteral("GENRE"), &EditCodes::genre);
}

void GridEditing::cellClick(int column) {
    Table& table = m_table;
    if (State().EditMode != 1 || !table.isOpen())
        return;
    if (State().CurrentView != Views::kDisc ||
        m_source.fieldName(column) != QLatin1String("Medium"))
        return;
    QString next;
    if (EditCodes::nextMedium(table.fieldByName(QStringLiteral("Medium")), next)) {
        table.edit();
        table.setFieldByName(QStringLiteral("Medium"), next);
    }
    // Leaving the medium column at once lets the next click step the value again.
    m_grid.setSelectedIndex(0);
}
