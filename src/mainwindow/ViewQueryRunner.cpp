#include "ViewQueryRunner.h"

#include "AppState.h"
#include "BusyCursor.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "EngineError.h"
#include "Query.h"
#include "ViewQuery.h"
#include "Views.h"

ViewQueryRunner::ViewQueryRunner(Query& query, DataSource& source, DataGrid& grid,
                                 std::function<void(bool)> setQueryButtonsEnabled)
    : m_query(query), m_source(source), m_grid(grid),
      m_setQueryButtonsEnabled(std::move(setQueryButtonsEnabled)) {}

void ViewQueryRunner::run(const QString& tableFile) {
    AppState& s = State();
    const BusyCursor busy;
    m_setQueryButtonsEnabled(false);
    // The statement follows from the state alone; compose gives its joiner and order tail.
    const ComposedViewQuery q =
        ViewQuery::compose({s.DataDir, tableFile, s.CurrentView, s.TitleCondition,
                            s.SelectionCondition, s.SortField, s.SortDirection});
    s.ConditionJoiner = q.conditionJoiner;
    s.SavedColumnIndex = m_grid.selectedIndex();
    m_query.close();
    m_query.setDatabaseDir(s.DataDir);
    s.SecondaryOrder = q.secondaryOrder;
    m_query.setSql(q.lines);
    m_query.setCachedFields(Views::walkedFields(tableFile));

    const bool showsQuery = m_source.query() == &m_query;
    try {
        m_query.prepare();
        m_query.open();
    } catch (const EngineError&) {
        // The grid stays empty, and the buttons and cursor come back so the user can go on.
        if (showsQuery)
            m_source.reload();
        m_setQueryButtonsEnabled(true);
        throw;
    }
    if (showsQuery) {
        m_source.reload();
        m_grid.scrollToTop();
        if (m_query.recordCount() > 0)
            m_grid.setCurrentIndex(m_source.index(0, 0));
        m_grid.setSelectedIndex(s.SavedColumnIndex);
    }
    m_setQueryButtonsEnabled(true);
}

int ViewQueryRunner::rerunFinding(const QString& tableFile, int row) {
    const qint64 key = row >= 0 && row < m_query.recordCount() ? m_query.rowId(row) : -1;
    run(tableFile);
    for (int r = 0; key >= 0 && r < m_query.recordCount(); ++r)
        if (m_query.rowId(r) == key)
            return r;
    return row;
}

void ViewQueryRunner::sortByHeading(int column) {
    AppState& s = State();
    s.LastSortColumn = s.SortField;
    Views::sortFieldForHeading(m_source.heading(column), s.SortField);
    if (s.SortField == s.LastSortColumn) {
        s.SortDirection =
            s.SortDirection == QLatin1String(" DESC") ? QString() : QStringLiteral(" DESC");
    } else {
        s.SortDirection.clear();
        if (Views::sortsDescendingFirst(s.SortField))
            s.SortDirection = QStringLiteral(" DESC");
    }
}
