#pragma once

#include "WindowLinks.h"

// The links between the windows the start-up created: each call goes to the window that
// answers it, through the references in AppWindows.h, and finds nothing to do while that
// window does not exist.
class ConnectedWindows : public WindowLinks {
public:
    bool rerunViewQuery() override;
    void showSearchIndicator(bool on) override;
    QString mainTitleText() const override;
    void setMainTitleText(const QString& text) override;
    void walkViewResult(const std::function<void(Query&)>& walk) override;
    bool commitGridEdit() override;
    void workOnEditTable(const std::function<void(Table&)>& work) override;
    QString chooseImportFile() override;
    void closeWaitWindow() override;
    void followOutsideChange(const QString& tableFile) override;

    bool searchPageExists() const override;
    bool searchPageVisible() const override;
    void showSearchPage() override;
    void hideSearchPage() override;
    void resetSearch() override;
    void setSearchText(const QString& text) override;
    QString searchText() const override;
    void setSearchCategories(const QStringList& categories, bool ratingApplies,
                             bool editing) override;
    int searchCategoryCount() const override;
    int chosenSearchCategory() const override;
    void chooseSearchCategory(int item) override;

    void hideStatistics() override;
    void showStatisticsFor(const QString& view) override;
    void refreshOpenStatistics(const std::function<void()>& afterEach) override;
    void selectStatisticsRow(int row) override;

    void openInfoWindow(bool hardDisk, bool offerImport) override;
    void offerExport(bool on) override;
};
