#include "ConnectedWindows.h"

#include "AppState.h"
#include "AppWindows.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TSuchPage.h"
#include "Views.h"

namespace {

// Form3, Form5, Form6 in this order, those that exist.
QList<TStatForm*> statisticsWindows() {
    QList<TStatForm*> windows;
    for (TStatForm* w : {static_cast<TStatForm*>(Form3), static_cast<TStatForm*>(Form5),
                         static_cast<TStatForm*>(Form6)})
        if (w)
            windows << w;
    return windows;
}

// A window opened by its key or button takes the keyboard at once, with a window manager
// and without one.
void showOrRaise(QWidget* w) {
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

bool ConnectedWindows::rerunViewQuery() {
    if (!Form1)
        return false;
    Form1->DoSQL(State().ViewTableFile);
    Form1->FormatTable(State().CurrentView);
    return true;
}

void ConnectedWindows::showSearchIndicator(bool on) {
    if (!Form1)
        return;
    Form1->showSearchIndicator(on);
}

QString ConnectedWindows::mainTitleText() const {
    return Form1 ? Form1->titleText() : QString();
}

void ConnectedWindows::setMainTitleText(const QString& text) {
    if (Form1)
        Form1->setTitleText(text);
}

void ConnectedWindows::walkViewResult(const std::function<void(Query&)>& walk) {
    if (Form1)
        Form1->walkViewResult(walk);
}

bool ConnectedWindows::commitGridEdit() {
    return Form1 && Form1->commitGridEdit();
}

void ConnectedWindows::workOnEditTable(const std::function<void(Table&)>& work) {
    if (Form1)
        Form1->workOnEditTable(work);
}

QString ConnectedWindows::chooseImportFile() {
    return Form1 ? Form1->OpenDialog1Execute() : QString();
}

void ConnectedWindows::closeWaitWindow() {
    // A deferred deletion would wait for the event loop, which on some platforms leaves the
    // wait window mapped for the whole run.
    delete Form4;
    Form4 = nullptr;
}

void ConnectedWindows::followOutsideChange(const QString& tableFile) {
    if (Form1)
        Form1->followOutsideChange(tableFile);
}

bool ConnectedWindows::searchPageExists() const {
    return SuchPage != nullptr;
}

bool ConnectedWindows::searchPageVisible() const {
    return SuchPage && SuchPage->isVisible();
}

void ConnectedWindows::showSearchPage() {
    showOrRaise(SuchPage);
}

void ConnectedWindows::hideSearchPage() {
    if (SuchPage)
        SuchPage->hide();
}

void ConnectedWindows::resetSearch() {
    if (SuchPage)
        SuchPage->Image2Click();
}

void ConnectedWindows::setSearchText(const QString& text) {
    if (SuchPage)
        SuchPage->setTitleText(text);
}

QString ConnectedWindows::searchText() const {
    return SuchPage ? SuchPage->titleText() : QString();
}

void ConnectedWindows::setSearchCategories(const QStringList& categories, bool ratingApplies,
                                           bool editing) {
    if (SuchPage)
        SuchPage->setCategories(categories, ratingApplies, editing);
}

int ConnectedWindows::searchCategoryCount() const {
    return SuchPage ? SuchPage->categoryCount() : 0;
}

int ConnectedWindows::chosenSearchCategory() const {
    return SuchPage ? SuchPage->chosenCategory() : 0;
}

void ConnectedWindows::chooseSearchCategory(int item) {
    if (SuchPage)
        SuchPage->chooseCategory(item);
}

void ConnectedWindows::hideStatistics() {
    for (TStatForm* w : statisticsWindows())
        w->hide();
}

void ConnectedWindows::showStatisticsFor(const QString& view) {
    if (view == Views::kGames)
        showOrRaise(Form3);
    else if (view == Views::kDisc)
        showOrRaise(Form5);
    else if (view == Views::kTips)
        showOrRaise(Form6);
}

void ConnectedWindows::refreshOpenStatistics(const std::function<void()>& afterEach) {
    for (TStatForm* w : statisticsWindows()) {
        if (!w->isVisible())
            continue;
        w->FormShow();
        w->repaint();
        afterEach();
    }
}

void ConnectedWindows::selectStatisticsRow(int row) {
    for (TStatForm* w : statisticsWindows())
        if (w->isVisible())
            w->showCategoryRow(row);
}

void ConnectedWindows::openInfoWindow(bool hardDisk, bool offerImport) {
    if (Form2)
        Form2->showModal(hardDisk, offerImport);
}

void ConnectedWindows::offerExport(bool on) {
    if (Form2)
        Form2->offerExport(on);
}
