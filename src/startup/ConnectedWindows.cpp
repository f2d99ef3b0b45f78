#include "ConnectedWindows.h"

#include "AppState.h"
#include "AppWindows.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TSuchPage.h"
#include "Views.h"
#include "grid/DataGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

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
    Form1->LED2->setVisible(on);
    Form1->Aktiv4->setVisible(on);
}

QString ConnectedWindows::mainTitleText() const {
    return Form1 ? Form1->Edit1->text() : QString();
}

void ConnectedWindows::setMainTitleText(const QString& text) {
    if (Form1)
        Form1->Edit1->setText(text);
}

Query* ConnectedWindows::viewResult() const {
    return Form1 ? &Form1->Query1 : nullptr;
}

QWidget* ConnectedWindows::mainGrid() const {
    return Form1 ? Form1->DBGrid1 : nullptr;
}

Table* ConnectedWindows::editTable() const {
    return Form1 ? &Form1->Table1 : nullptr;
}

bool ConnectedWindows::commitGridEdit() {
    return Form1 && Form1->commitGridEdit();
}

void ConnectedWindows::gridFollowTable() {
    if (Form1)
        Form1->gridFollowTable();
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
        SuchPage->Edit1->setText(text);
}

QString ConnectedWindows::searchText() const {
    return SuchPage ? SuchPage->Edit1->text() : QString();
}

QComboBox* ConnectedWindows::searchCategoryList() const {
    return SuchPage ? SuchPage->ComboBox2 : nullptr;
}

QComboBox* ConnectedWindows::searchRatingList() const {
    return SuchPage ? SuchPage->ComboBox1 : nullptr;
}

void ConnectedWindows::runSearch() {
    if (SuchPage)
        SuchPage->Suchen();
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
        if (w->isVisible() && w->StringGrid1)
            w->StringGrid1->setCurrentCell(row, 0);
}

void ConnectedWindows::openInfoWindow(bool hardDisk, bool offerImport) {
    if (!Form2)
        return;
    if (hardDisk)
        Form2->Label9->setText(QStringLiteral("Festplatten-Modus"));
    Form2->Button3->setVisible(offerImport);
    Form2->exec();
}

void ConnectedWindows::offerExport(bool on) {
    if (!Form2)
        return;
    Form2->Button2->setVisible(on);
    if (!on)
        Form2->Button3->setVisible(false);
}
