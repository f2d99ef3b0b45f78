#include "EditMode.h"

#include "AppState.h"
#include "ArtPalette.h"
#include "Dialogs.h"
#include "EditCodes.h"
#include "ErrorGuard.h"
#include "FieldChecks.h"
#include "TForm1.h"
#include "Views.h"
#include "WindowLinks.h"
#include "grid/DataGrid.h"
#include "grid/DataSource.h"

EditMode::EditMode(TForm1& window) : m_window(window) {}

void EditMode::connectGrid() {
    TForm1* w = &m_window;
    QObject::connect(w->DBGrid1, &DataGrid::columnExit, w,
                     [w] { guarded([w] { w->DBGrid1ColExit(); }); });
    QObject::connect(w->DBGrid1, &DataGrid::cellClicked, w, [w](int row, int column) {
        guarded([&] { w->DBGrid1CellClick(row, column); });
    });
}

void EditMode::present(bool on) {
    AppState& s = State();
    TForm1& w = m_window;
    Links().offerExport(on);
    if (on) {
        w.setWindowTitle(kCaption);
        w.DBGrid1->setColours(ArtPalette::silver, Qt::black);
        w.DBGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                   QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed);
        w.DBGrid1->setSelectionMode(QAbstractItemView::NoSelection);
        w.Table1.setReadOnly(false);
        w.DataSource1->setAutoEdit(true);
        w.Table1.setDatabaseName(s.DataDir);
        w.Table1.setTableName(s.ViewTableFile);
        w.Table1.open();
        w.DataSource1->setDataSet(&w.Table1);
    } else {
        w.setWindowTitle(QStringLiteral("Vantora"));
        w.DBGrid1->setColours(ArtPalette::nearWhite, ArtPalette::darkBlue);
        w.DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
        w.DataSource1->setAutoEdit(false);
        w.Table1.setReadOnly(true);
        w.DataSource1->setDataSet(&w.Query1);
        w.DoSQL(s.ViewTableFile);
    }
}

bool EditMode::commitGridEdit() {
    if (State().EditMode != 1 || !m_window.Table1.isOpen())
        return true;
    return m_window.DBGrid1->commitPendingEdit();
}

void EditMode::gridFollowTable() {
    if (State().EditMode == 1)
        m_window.DBGrid1->followTable();
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

void EditMode::columnExit() {
    Table& table = m_window.Table1;
    if (State().EditMode != 1 || !table.isOpen())
        return;
    // The field as the table stores it, compared exactly.
    const QString field = m_window.DataSource1->fieldName(m_window.DBGrid1->selectedIndex());

    if (State().CurrentView == Views::kTips && field == QLatin1String("Art"))
        completeCode(table, QStringLiteral("ART"), &EditCodes::tipKind);

    if (field == QLatin1String("Ausgabe")) {
        // Not upper-cased; a value that is not, or does not complete to, an issue text
        // stays as typed.
        QString completed;
        if (!FieldChecks::completeIssue(table.fieldByName(QStringLiteral("AUSGABE")), completed)) {
            Dialogs::message(FieldChecks::kIssueMessage);
        } else {
            table.edit();
            table.setFieldByName(QStringLiteral("AUSGABE"), completed);
        }
    }

    if (field == QLatin1String("Rubrik"))
        completeCode(table, QStringLiteral("RUBRIK"), &EditCodes::rubric);

    if (field == QLatin1String("Genre"))
        completeCode(table, QStringLiteral("GENRE"), &EditCodes::genre);
}

void EditMode::cellClick(int column) {
    Table& table = m_window.Table1;
    if (State().EditMode != 1 || !table.isOpen())
        return;
    if (State().CurrentView != Views::kDisc ||
        m_window.DataSource1->fieldName(column) != QLatin1String("Medium"))
        return;
    QString next;
    if (EditCodes::nextMedium(table.fieldByName(QStringLiteral("Medium")), next)) {
        table.edit();
        table.setFieldByName(QStringLiteral("Medium"), next);
    }
    // Leaving the medium column at once lets the next click step the value again.
    m_window.DBGrid1->setSelectedIndex(0);
}
