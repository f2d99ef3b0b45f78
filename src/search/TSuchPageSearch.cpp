// The search: condition texts, the view query, the search indicator, the statistics.
#include "TSuchPage.h"

#include "AppState.h"
#include "SearchConditions.h"
#include "Views.h"
#include "WindowLinks.h"

#include <QComboBox>
#include <QLineEdit>

void TSuchPage::Suchen() {
    AppState& s = State();
    const bool anyRating = ComboBox1->currentText() != Views::kAll;
    const bool anyCategory = ComboBox2->currentText() != Views::kAll;

    // Category first, then the rating.
    s.SelectionCondition = SearchConditions::selection(s.CategoryField, ComboBox2->currentText(),
                                                       ComboBox1->currentText());

    // The title condition stays as the title box last built it.
    if (!Links().rerunViewQuery())
        return;

    // The indicator follows the boxes, not the condition texts.
    const bool restricted = anyRating || anyCategory || !Edit1->text().isEmpty();
    Links().showSearchIndicator(restricted);

    // Open statistics follow the new selection; the page comes back in front of them.
    if (!isVisible())
        return;
    Links().refreshOpenStatistics([this] {
        show();
        raise();
    });
}

void TSuchPage::Edit1Change() {
    // The main window's box hands a change back only when its text differs, so the mirror
    // stops after one round.
    if (Links().mainTitleText() != Edit1->text())
        Links().setMainTitleText(Edit1->text());
    State().TitleCondition = SearchConditions::title(Edit1->text());
    Suchen();
}

void TSuchPage::ComboBox1Change() {
    Suchen();
}

void TSuchPage::ComboBox2Change() {
    // Row 0 of the statistics grids is their heading row.
    const int row = ComboBox2->currentIndex() + 1;
    Links().selectStatisticsRow(row);
    Suchen();
}

void TSuchPage::Image2Click() {
    AppState& s = State();
    // Setting the lists from here raises no change handling.
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    // A box that held text runs its change once, which also empties the main window's box.
    Edit1->clear();
    s.TitleCondition.clear();
    s.SelectionCondition.clear();
    Suchen();
    hide();
}

void TSuchPage::Image1Click() {
    hide();
}
