#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Query;
class Table;

// The calls one window makes on another. No window knows another window's class: each asks
// through these links, which the start-up connects once every window exists. Until then
// (and in tests that build a single window) every call finds no window and does nothing.
class WindowLinks {
public:
    virtual ~WindowLinks() = default;

    // ---- The main window ----
    // Runs the view query again over the current state and lays out its columns; false
    // when there is no main window.
    virtual bool rerunViewQuery() { return false; }
    // The search lamp and the lit "Auswahl" face.
    virtual void showSearchIndicator(bool) {}
    // The strip's title box; the search page mirrors it.
    virtual QString mainTitleText() const { return {}; }
    virtual void setMainTitleText(const QString&) {}
    // `walk` reads the view query's result from its first row on; the grid that shows it is
    // hidden meanwhile, and the result stands on its first row again afterwards. Nothing is
    // walked while there is no main window.
    virtual void walkViewResult(const std::function<void(Query&)>&) {}
    // For the text exchange: stores the grid's pending edit into edit mode's table (false,
    // after the message, when the record cannot be stored yet).
    virtual bool commitGridEdit() { return true; }
    // `work` reads or changes edit mode's table; the grid then follows the table's current
    // record and row count, also when `work` ended in an error.
    virtual void workOnEditTable(const std::function<void(Table&)>&) {}
    virtual QString chooseImportFile() { return {}; }
    // Goes once the main window shows its first view.
    virtual void closeWaitWindow() {}
    // Another program changed `tableFile` (e.g. "GameData.DB") on the server: the main
    // window shows the view anew, keeping the selected record and its place, and the open
    // statistics count again; a record being typed is kept, and this waits until it is
    // stored or cancelled.
    virtual void followOutsideChange(const QString&) {}

    // ---- The search page ----
    virtual bool searchPageExists() const { return false; }
    virtual bool searchPageVisible() const { return false; }
    virtual void showSearchPage() {}
    virtual void hideSearchPage() {}
    // "Alle": every criterion back to its first choice, the page closed.
    virtual void resetSearch() {}
    virtual void setSearchText(const QString&) {}
    virtual QString searchText() const { return {}; }
    // The view's categories for the list after "(alle)", whether the rating list applies,
    // and whether edit mode is on: then no category is chosen, otherwise both lists stand on
    // "(alle)".
    virtual void setSearchCategories(const QStringList& /*categories*/, bool /*ratingApplies*/,
                                     bool /*editing*/) {}
    // The category list's items ("(alle)" included) and the chosen one (-1 for none).
    virtual int searchCategoryCount() const { return 0; }
    virtual int chosenSearchCategory() const { return 0; }
    // Chooses item `item` of the category list and searches with it.
    virtual void chooseSearchCategory(int /*item*/) {}

    // ---- The statistics windows ----
    virtual void hideStatistics() {}
    // Shows (or raises) the statistics window of `view`.
    virtual void showStatisticsFor(const QString&) {}
    // Every open statistics window reads the result again; `afterEach` runs after each one.
    virtual void refreshOpenStatistics(const std::function<void()>&) {}
    // The open statistics windows select `row` of their grid.
    virtual void selectStatisticsRow(int) {}

    // ---- The info window ----
    // Opens the info window modally; `hardDisk` names the mode, `offerImport` shows import.
    virtual void openInfoWindow(bool, bool) {}
    // Export is offered in edit mode only; leaving edit mode also takes import away.
    virtual void offerExport(bool) {}
};

// The links the windows use; a do-nothing set until the start-up connects its own.
WindowLinks& Links();
// The start-up's links (nullptr: back to doing nothing). The caller keeps them alive.
void connectLinks(WindowLinks* links);
