// Making a view current, laying out its columns, fitting the grid.
#include "TForm1.h"

#include "AppState.h"
#include "CrossViewMenu.h"
#include "Dialogs.h"
#include "Views.h"
#include "WindowLinks.h"
#include "artwork/StripLayout.h"
#include "grid/DataGrid.h"
#include "grid/DataSource.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

void TForm1::InitTable(const QString& view) {
    // A record that cannot be stored keeps the view as it is.
    if (!commitGridEdit())
        return;
    AppState& s = State();
    // The statistics belong to the view being left.
    Links().hideStatistics();

    // An active search is cleared through the search page's reset.
    if (!LED2->isHidden() && Links().searchPageExists())
        Links().resetSearch();
    else if (!Edit1->text().isEmpty())
        Edit1->clear();

    // The strip shows the cleared search before the new view is read.
    repaint();
    // The new view fills the category list again.
    QComboBox* categories = Links().searchCategoryList();
    if (categories)
        categories->clear();
    // Title order and no title condition for the new view. The direction stays as it was.
    s.CurrentView = view;
    s.SortField = QStringLiteral("TITEL");
    s.LastSortColumn.clear();
    s.TitleCondition.clear();
    // The grid shows nothing while the view changes.
    Query1.close();
    DataSource1->reload();
    repaint();
    // Moving to the first row commits the pending change.
    if (commitPendingEdit())
        DataSource1->reload();

    // The view's category field, search lists, lamp, lit face and table.
    const ViewDefinition* def = Views::find(view);
    if (!def)
        return;
    s.CategoryField = def->categoryField;
    QComboBox* ratings = Links().searchRatingList();
    if (ratings && categories) {
        ratings->setEnabled(def->ratingEnabled);
        const QSignalBlocker block(categories);
        categories->addItem(Views::kAll);
        categories->addItems(def->searchWords);
    }
    LED1->move(StripLayout::viewLamps[def->index]);
    LED1->setAccessibleName(QStringLiteral("Ansicht: ") + def->name);
    QLabel* faces[] = {Aktiv1, Aktiv2, Aktiv3};
    for (int i = 0; i < 3; ++i)
        faces[i]->setVisible(i == def->index);
    s.ViewTableFile = def->tableFile;
    Table1.setDatabaseName(s.DataDir);
    Table1.setTableName(s.ViewTableFile);

    // Edit mode edits the table itself; otherwise the view query shows the whole view.
    if (s.EditMode == 1) {
        if (categories) {
            const QSignalBlocker block(categories);
            categories->setCurrentIndex(-1);
        }
        DataSource1->setDataSet(&Table1);
        Table1.open();
        DataSource1->reload();
        if (Table1.damaged())
            Dialogs::message(Table1.damagedMessage());
    } else {
        if (ratings && categories) {
            const QSignalBlocker b1(ratings);
            const QSignalBlocker b2(categories);
            ratings->setCurrentIndex(0);
            categories->setCurrentIndex(0);
        }
        s.SelectionCondition.clear();
        DataSource1->setDataSet(&Query1);
        DoSQL(s.ViewTableFile);
    }
}

void TForm1::FormatTable(const QString& view) {
    const ViewDefinition* def = Views::find(view);
    if (!def)
        return;
    const int columns = DataSource1->columnCount();
    for (int pos = 0; pos < def->columns.size() && pos < columns; ++pos) {
        DBGrid1->setColumnWidth(pos, def->columns[pos].width);
        DataSource1->setHeading(pos, def->columns[pos].heading);
    }
}

void TForm1::SizeGrid() {
    DBGrid1->setGeometry(130, 9, width() - 130 - 10, height() - 9 - 9);
}

void TForm1::DBGrid1RecordRequested(int row, const QPoint& globalPos) {
    const AppState& s = State();
    if (s.EditMode == 1 || DataSource1->query() != &Query1)
        return;
    const int titleField = Query1.fieldIndex(QStringLiteral("TITEL"));
    if (titleField < 0 || row < 0 || row >= Query1.recordCount())
        return;
    const QString title = Query1.value(row, titleField);
    CrossViewMenu menu(this);
    menu.fill(s.CurrentView, s.DataDir, title, m_crossViewTables);
    menu.exec(globalPos);
    if (!menu.chosenView().isEmpty())
        ShowViewWithTitle(menu.chosenView(), title);
}

void TForm1::ShowViewWithTitle(const QString& view, const QString& title) {
    const ViewDefinition* def = Views::find(view);
    if (!def)
        return;
    // The same steps as a click on the view's strip button.
    const std::function<void()> clicks[] = {[this] { Image1Click(); }, [this] { Image2Click(); },
                                            [this] { Image3Click(); }};
    clicks[def->index]();
    if (State().CurrentView != view)
        return;
    // Typed, not set: the box's validator shows it in capitals as it would a typed title.
    Edit1->clear();
    Edit1->insert(title);
}
