// The view query and sorting by a click on a heading.
#include "TForm1.h"

#include "AppState.h"
#include "BusyCursor.h"
#include "EngineError.h"
#include "ViewQuery.h"
#include "Views.h"
#include "grid/DataGrid.h"
#include "grid/DataSource.h"

namespace {

// Fields the statistics walk over every row; the query keeps their texts.
QStringList walkedFields(const QString& tableFile) {
    if (tableFile.compare(Views::games().tableFile, Qt::CaseInsensitive) == 0)
        return {QStringLiteral("RUBRIK"), QStringLiteral("WERTUNG"), QStringLiteral("AUSGABE")};
    return {QStringLiteral("ART"), QStringLiteral("AUSGABE")};
}

} // namespace

void TForm1::DoSQL(const QString& tableFile) {
    AppState& s = State();
    const BusyCursor busy;
    setQueryButtonsEnabled(false);
    // The statement follows from the state alone; compose gives its joiner and order tail.
    const ComposedViewQuery q =
        ViewQuery::compose({s.DataDir, tableFile, s.CurrentView, s.TitleCondition,
                            s.SelectionCondition, s.SortField, s.SortDirection});
    s.ConditionJoiner = q.conditionJoiner;
    s.SavedColumnIndex = DBGrid1->selectedIndex();
    Query1.close();
    Query1.setDatabaseDir(s.DataDir);
    s.SecondaryOrder = q.secondaryOrder;
    Query1.setSql(q.lines);
    Query1.setCachedFields(walkedFields(tableFile));

    const bool showsQuery = DataSource1->query() == &Query1;
    try {
        Query1.prepare();
        Query1.open();
    } catch (const EngineError&) {
        // The grid stays empty, and the buttons and cursor come back so the user can go on.
        if (showsQuery)
            DataSource1->reload();
        setQueryButtonsEnabled(true);
        throw;
    }
    if (showsQuery) {
        DataSource1->reload();
        DBGrid1->scrollToTop();
        if (Query1.recordCount() > 0)
            DBGrid1->setCurrentIndex(DataSource1->index(0, 0));
        DBGrid1->setSelectedIndex(s.SavedColumnIndex);
    }
    setQueryButtonsEnabled(true);
}

void TForm1::DBGrid1TitleClick(int column) {
    AppState& s = State();
    if (s.EditMode == 1)
        return;
    s.LastSortColumn = s.SortField;
    Views::sortFieldForHeading(DataSource1->heading(column), s.SortField);
    if (s.SortField == s.LastSortColumn) {
        s.SortDirection =
            s.SortDirection == QLatin1String(" DESC") ? QString() : QStringLiteral(" DESC");
    } else {
        s.SortDirection.clear();
        if (Views::sortsDescendingFirst(s.SortField))
            s.SortDirection = QStringLiteral(" DESC");
    }
    DoSQL(s.ViewTableFile);
    FormatTable(s.CurrentView);
}
