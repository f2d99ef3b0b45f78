#pragma once

#include <QString>
#include <functional>

class Query;
class Table;
class QComboBox;
class QWidget;

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
    // The view query's result and the grid that shows it (the statistics walk the result
    // with the grid hidden); nullptr while there is no main window.
    virtual Query* viewResult() const { return nullptr; }
    virtual QWidget* mainGrid() const { return nullptr; }
    // Edit mode's table and its grid, for the text exchange.
    virtual Table* editTable() const { return nullptr; }
    virtual bool commitGridEdit() { return true; }
    virtual void gridFollowTable() {}
    virtual QString chooseImportFile() { return {}; }
    // Goes once the main window shows its first view.
    virtual void closeWaitWindow() {}

    // ---- The search page ----
    virtual bool searchPageExists() const { return false; }
    virtual bool searchPageVisible() const { return false; }
    virtual void showSearchPage() {}
    virtual void hideSearchPage() {}
    // "Alle": every criterion back to its first choice, the page closed.
    virtual void resetSearch() {}
    virtual void setSearchText(const QString&) {}
    virtual QString searchText() const { return {}; }
    // The category list, filled by the main window per view and driven by the statistics.
    virtual QComboBox* searchCategoryList() const { return nullptr; }
    virtual QComboBox* searchRatingList() const { return nullptr; }
    virtual void runSearch() {}

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
