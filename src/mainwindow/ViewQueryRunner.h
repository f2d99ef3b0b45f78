#pragma once

#include <QString>
#include <functional>

class DataGrid;
class DataSource;
class Query;

// Runs the view query the state describes and shows its result in the main window's grid:
// the statement follows from the state alone, the statistics' walked fields are kept with
// the rows, and while it runs the hourglass shows and the query buttons are disabled. It also
// turns a click on a heading into the state's sort field and direction.
class ViewQueryRunner {
public:
    ViewQueryRunner(Query& query, DataSource& source, DataGrid& grid,
                    std::function<void(bool)> setQueryButtonsEnabled);

    // Runs the view query on `tableFile`; an engine error leaves the grid empty and is thrown.
    void run(const QString& tableFile);
    // Runs it again after another program changed the table and returns the row that the
    // record in `row` now stands in, or `row` again when the record is gone.
    int rerunFinding(const QString& tableFile, int row);

    // Sets the sort field and direction for a click on heading `column`: the same heading
    // again turns the direction, another one starts ascending (or descending for the
    // fields that sort that way first).
    void sortByHeading(int column);

private:
    Query& m_query;
    DataSource& m_source;
    DataGrid& m_grid;
    std::function<void(bool)> m_setQueryButtonsEnabled;
};
