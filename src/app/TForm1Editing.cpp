// The data-entry help of edit mode: completing codes when a column is left, and the
// medium cycle on a click.
#include "TForm1.h"

#include "AppState.h"
#include "Dialogs.h"
#include "EditCodes.h"
#include "FieldChecks.h"
#include "Views.h"
#include "grid/DataGrid.h"
#include "grid/DataSource.h"

void TForm1::connectGridEditing() {
    connect(DBGrid1, &DataGrid::columnExit, this,
            [this] { guarded([this] { DBGrid1ColExit(); }); });
    connect(DBGrid1, &DataGrid::cellClicked, this,
            [this](int row, int column) { guarded([&] { DBGrid1CellClick(row, column); }); });
}

bool TForm1::commitGridEdit() {
    if (State().EditMode != 1 || !Table1.isOpen())
        return true;
    return DBGrid1->commitPendingEdit();
}

void TForm1::gridFollowTable() {
    if (State().EditMode == 1)
        DBGrid1->followTable();
}

namespace {

// Replaces a code in `field` by its word; `lookup` is one of the code tables.
void completeCode(Table& table, const QString& field, bool (*lookup)(const QString&, QString&)) {
    QString stored;
    if (!lookup(table.fieldByName(field), stored))
        return;
    table.edit();
    table.setFieldByName(field, stored);
}

} // namespace

void TForm1::DBGrid1ColExit() {
    if (State().EditMode != 1 || !Table1.isOpen())
        return;
    // The field as the table stores it, compared exactly.
    const QString field = DataSource1->fieldName(DBGrid1->selectedIndex());

    if (State().CurrentView == Views::kTips && field == QLatin1String("Art"))
        completeCode(Table1, QStringLiteral("ART"), &EditCodes::tipKind);

    if (field == QLatin1String("Ausgabe")) {
        // Not upper-cased; a value that is not, or does not complete to, an issue text
        // stays as typed.
        QString completed;
        if (!FieldChecks::completeIssue(Table1.fieldByName(QStringLiteral("AUSGABE")), completed)) {
            Dialogs::message(FieldChecks::kIssueMessage);
        } else {
            Table1.edit();
            Table1.setFieldByName(QStringLiteral("AUSGABE"), completed);
        }
    }

    if (field == QLatin1String("Rubrik"))
        completeCode(Table1, QStringLiteral("RUBRIK"), &EditCodes::rubric);

    if (field == QLatin1String("Genre"))
        completeCode(Table1, QStringLiteral("GENRE"), &EditCodes::genre);
}

void TForm1::DBGrid1CellClick(int, int column) {
    if (State().EditMode != 1 || !Table1.isOpen())
        return;
    if (State().CurrentView != Views::kDisc ||
        DataSource1->fieldName(column) != QLatin1String("Medium"))
        return;
    QString next;
    if (EditCodes::nextMedium(Table1.fieldByName(QStringLiteral("Medium")), next)) {
        Table1.edit();
        Table1.setFieldByName(QStringLiteral("Medium"), next);
    }
    // Leaving the medium column at once lets the next click step the value again.
    DBGrid1->setSelectedIndex(0);
}
