// Edit mode in the main grid: typing, posting, Esc, Tab, Insert, appending, Ctrl+Del,
// the column-exit completions, the medium cycle and the checks before a record is stored.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <sqlite3.h>

using namespace UserSteps;

namespace {

const QString kIssueMessage = QStringLiteral("message: Fehlerhafter Eintrag im Feld \"Ausgabe\"");

} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void leavingAColumnCompletesCodes_data();
    void leavingAColumnCompletesCodes();
    void everyColumnChangeRaisesTheExit_data();
    void everyColumnChangeRaisesTheExit();
    void codeLeftDownwardsIsStoredAsTyped();
    void issueColumn_data();
    void issueColumn();
    void ratingIsCheckedBeforeStoring_data();
    void ratingIsCheckedBeforeStoring();
    void mediumCycleByClicks();
    void unknownMediumStaysButSelectionMoves();
    void nothingActsOutsideEditMode();
    void ctrlDeleteAsksFirst_data();
    void ctrlDeleteAsksFirst();
    void escDiscards();
    void downFromLastRecordAppends();
    void tabWalksCellsAndAppends();
    void insertKeyInsertsAtCurrentPosition();
    void unchangedNewRecordDroppedWhenGridLosesFocus();
    void pendingEditorTextIsCommitted_data();
    void pendingEditorTextIsCommitted();
    void malformedRecordIsKept_data();
    void malformedRecordIsKept();
    void anotherProgramsWriteIsRefused_data();
    void anotherProgramsWriteIsRefused();

private:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(gridKeyTarget(), key, modifiers);
    }
    QString cell(int row, int column) const {
        return Form1->DataSource1->index(row, column).data().toString();
    }
    QString indicator(int row) const {
        return Form1->DataSource1->headerData(row, Qt::Vertical, Qt::DisplayRole).toString();
    }
    int rows() const { return Form1->DataSource1->rowCount(); }
    QStringList file(View view) const;
    void triggerPath(const QString& path);

    AppFixture* m_app = nullptr;
};

void TestEditing::init() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive(10, 10, 10));
    const QString dir = m_app->dataDir();
    TestSupport::makeTables(
        dir,
        {{"Alpha", "Action", "Actionspiel", "Studio A", "80", "2001/05", "gut"},
         {"Beta", "Sport", "Sportspiel", "Studio B", "70", "2001/06", "ok"},
         {"Gamma", "Budget", "Rennspiel", "Studio C", "\\N", "2002/01", "alt"}},
        {{"Demo A", "2001/05", "Demo", "cd"},
         {"Kiste B", "2001/06", "Extras", "BOX"},
         {"Video C", "2002/01", "Video", "DVD"}},
        {{"Spiel A", "2001/05", "Taktik", "3"}, {"Spiel B", "2001/06", "Cheat", "4"}});
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    // Every change the grid's model announces is checked against what it then answers.
    new QAbstractItemModelTester(Form1->DataSource1,
                                 QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 Form1->DataSource1);
}

void TestEditing::cleanup() {
    delete m_app;
    m_app = nullptr;
}

QStringList TestEditing::file(View view) const {
    static const char* names[] = {"GameData", "CDData", "TipsData"};
    return TestSupport::readTable(m_app->dataDir() + "/" + names[view] + ".DB", names[view]);
}

// ---- Column exit ----

void TestEditing::leavingAColumnCompletesCodes_data() {
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("tip l") << int(Tips) << 2 << "l"
                           << "Lösung";
    QTest::newRow("tip K") << int(Tips) << 2 << "K"
                           << "Kurztipp";
    QTest::newRow("tip t") << int(Tips) << 2 << "t"
                           << "Taktik";
    QTest::newRow("tip lö is no code") << int(Tips) << 2 << "lö"
                                       << "lö";
    QTest::newRow("tip word stays") << int(Tips) << 2 << "Lösung"
                                    << "Lösung";
    QTest::newRow("disc Art l stays") << int(Disc) << 2 << "l"
                                      << "l";
    QTest::newRow("rubric ac") << int(Games) << 1 << "ac"
                               << "Action";
    QTest::newRow("rubric So") << int(Games) << 1 << "So"
                               << "Software";
    QTest::newRow("genre ac") << int(Games) << 2 << "ac"
                              << "Actionspiel";
    QTest::newRow("genre 3d") << int(Games) << 2 << "3d"
                              << "3D-Action";
    QTest::newRow("rubric xy") << int(Games) << 1 << "xy"
                               << "xy";
    QTest::newRow("whole value only") << int(Games) << 1 << "act"
                                      << "act";
    QTest::newRow("title column") << int(Games) << 0 << "ac"
                                  << "ac";
}

void TestEditing::leavingAColumnCompletesCodes() {
    QFETCH(int, view);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    editView(View(view));
    clickCell(0, column);
    typeInGrid(typed);
    press(Qt::Key_Tab);
    QCOMPARE(cell(0, column), stored);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), column + 1);
    QCOMPARE(indicator(0), QStringLiteral("I"));
    press(Qt::Key_Down); // moving to another record stores it
    QCOMPARE(file(View(view)).value(0).split('|').value(column), stored);
    QCOMPARE(m_app->boxes, QStringList());
}

void TestEditing::everyColumnChangeRaisesTheExit_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("column");
    QTest::newRow("Tab") << "Tab" << 2;
    QTest::newRow("Shift+Tab") << "Backtab" << 0;
    QTest::newRow("Right") << "Right" << 2;
    QTest::newRow("Left") << "Left" << 0;
    QTest::newRow("Home") << "Home" << 0;
    QTest::newRow("End") << "End" << 6;
    QTest::newRow("click into another column") << "click" << 3;
    QTest::newRow("program selects a column") << "program" << 4;
}

void TestEditing::everyColumnChangeRaisesTheExit() {
    QFETCH(QString, how);
    QFETCH(int, column);
    editView(Games);
    clickCell(1, 1);
    typeInGrid("st");
    QVERIFY(Form1->DBGrid1->openEditor());
    if (how == "Tab")
        press(Qt::Key_Tab);
    else if (how == "Backtab")
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    else if (how == "Right")
        press(Qt::Key_Right); // the caret stands at the end of the typed text
    else if (how == "Left")
        press(Qt::Key_Home), press(Qt::Key_Left); // caret to the start first
    else if (how == "Home")
        press(Qt::Key_Home), press(Qt::Key_Home);
    else if (how == "End")
        press(Qt::Key_End);
    else if (how == "click")
        clickCell(1, 3);
    else
        Form1->DBGrid1->setSelectedIndex(4);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), column);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(cell(1, 1), QStringLiteral("Strategie"));
}

void TestEditing::codeLeftDownwardsIsStoredAsTyped() {
    editView(Games);
    clickCell(0, 1);
    typeInGrid("ac");
    press(Qt::Key_Down);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 1);
    QCOMPARE(cell(0, 1), QStringLiteral("ac"));
    QCOMPARE(file(Games).value(0), QStringLiteral("Alpha|ac|Actionspiel|Studio A|80|2001/05|gut"));
}

// ---- Issue text ----

void TestEditing::issueColumn_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("5") << "5"
                       << "2001/05" << true;
    QTest::newRow("12") << "12"
                        << "2001/12" << true;
    QTest::newRow("2/03") << "2/03"
                          << "2002/03" << true;
    QTest::newRow("02/03") << "02/03"
                           << "2002/03" << true;
    QTest::newRow("2002/03 unchanged") << "2002/03"
                                       << "2002/03" << true;
    QTest::newRow("1997/10") << "1997/10"
                             << "1997/10" << true;
    QTest::newRow("empty") << ""
                           << "" << false;
    QTest::newRow("eight characters") << "2002/031"
                                      << "2002/031" << false;
    QTest::newRow("9710") << "9710"
                          << "9710" << false;
    QTest::newRow("97/10") << "97/10"
                           << "97/10" << false;
    QTest::newRow("ab") << "ab"
                        << "ab" << false;
    QTest::newRow("month 00") << "0"
                              << "0" << false;
    QTest::newRow("month 13") << "13"
                              << "13" << false;
    QTest::newRow("year 1996") << "1996/10"
                               << "1996/10" << false;
    QTest::newRow("two years ahead")
        << QString::number(QDate::currentDate().year() + 2) + "/01"
        << QString::number(QDate::currentDate().year() + 2) + "/01" << false;
}

void TestEditing::issueColumn() {
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(bool, accepted);
    editView(Tips);
    const QStringList before = file(Tips);
    clickCell(0, 1);
    if (typed.isEmpty())
        typeInGrid("x"), press(Qt::Key_Backspace);
    else
        typeInGrid(typed);
    press(Qt::Key_Tab);
    // The column change goes ahead either way; the value is completed or kept as typed.
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 2);
    QCOMPARE(cell(0, 1), result);
    QCOMPARE(m_app->boxes, accepted ? QStringList() : QStringList{kIssueMessage});

    press(Qt::Key_Down);
    if (accepted) {
        QCOMPARE(Form1->DBGrid1->currentRow(), 1);
        QCOMPARE(file(Tips).value(0), "Spiel A|" + result + "|Taktik|3");
        return;
    }
    // Not stored: the message again, and the grid stays on the record in edit state.
    QCOMPARE(m_app->boxes, (QStringList{kIssueMessage, kIssueMessage}));
    QCOMPARE(Form1->DBGrid1->currentRow(), 0);
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    QCOMPARE(cell(0, 1), result);
    QCOMPARE(file(Tips), before);
    // Esc still discards.
    press(Qt::Key_Escape);
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    QCOMPARE(cell(0, 1), QStringLiteral("2001/05"));
    press(Qt::Key_Down);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(file(Tips), before);
}

// ---- Rating ----

void TestEditing::ratingIsCheckedBeforeStoring_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("abc") << "abc"
                         << "";
    QTest::newRow("150") << "150"
                         << "";
    QTest::newRow("-1") << "-1"
                        << "";
    QTest::newRow("7.5") << "7.5"
                         << "";
    QTest::newRow("100") << "100"
                         << "100";
    QTest::newRow("0") << "0"
                       << "0";
    QTest::newRow("empty") << ""
                           << "\\N";
}

void TestEditing::ratingIsCheckedBeforeStoring() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    editView(Games);
    const QStringList before = file(Games);
    clickCell(0, 4);
    typeInGrid(typed.isEmpty() ? QStringLiteral("x") : typed);
    if (typed.isEmpty())
        press(Qt::Key_Backspace);
    press(Qt::Key_Down);
    if (!stored.isEmpty()) {
        QCOMPARE(m_app->boxes, QStringList());
        QCOMPARE(file(Games).value(0).split('|').value(4), stored);
        return;
    }
    QCOMPARE(m_app->boxes.size(), 1);
    QVERIFY(m_app->boxes[0].startsWith("message: Fehlerhafter Eintrag im Feld \"WERTUNG\""));
    QCOMPARE(Form1->DBGrid1->currentRow(), 0);
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    QCOMPARE(cell(0, 4), typed);
    QCOMPARE(file(Games), before);
}

// ---- Medium ----

void TestEditing::mediumCycleByClicks() {
    editView(Disc);
    const QStringList expected = {"CD/DVD", "DVD", "CD", "CD/DVD"};
    for (const QString& medium : expected) {
        clickCell(0, 3);
        QCOMPARE(cell(0, 3), medium);
        QCOMPARE(Form1->DBGrid1->selectedIndex(), 0);
        QCOMPARE(Form1->DBGrid1->currentRow(), 0);
    }
    clickCell(1, 0);
    QCOMPARE(file(Disc).value(0), QStringLiteral("Demo A|2001/05|Demo|CD/DVD"));
    QCOMPARE(m_app->boxes, QStringList());
}

void TestEditing::unknownMediumStaysButSelectionMoves() {
    editView(Disc);
    clickCell(1, 3);
    QCOMPARE(cell(1, 3), QStringLiteral("BOX"));
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 0);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(Form1->Table1.isModified(), false);
}

// ---- Outside edit mode ----

void TestEditing::nothingActsOutsideEditMode() {
    showView(Disc);
    QCOMPARE(State().EditMode, 0);
    const QStringList disc = file(Disc);
    // Sorted by title: "Demo A" stands first.
    QCOMPARE(cell(0, 3), QStringLiteral("cd"));
    clickCell(0, 3);
    QCOMPARE(cell(0, 3), QStringLiteral("cd"));
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 3);
    typeInGrid("l");
    QVERIFY(!Form1->DBGrid1->openEditor());
    clickCell(0, 1);
    typeInGrid("5");
    press(Qt::Key_Tab);
    QCOMPARE(cell(0, 1), QStringLiteral("2001/05"));
    press(Qt::Key_Delete, Qt::ControlModifier);
    press(Qt::Key_Insert);
    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_Down);
    QCOMPARE(rows(), 3);
    QCOMPARE(m_app->boxes, QStringList());
    QCOMPARE(file(Disc), disc);
}

// ---- Record operations ----

void TestEditing::ctrlDeleteAsksFirst_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("Cancel keeps") << false;
    QTest::newRow("OK deletes") << true;
}

void TestEditing::ctrlDeleteAsksFirst() {
    QFETCH(bool, ok);
    editView(Tips);
    clickCell(1, 0);
    m_app->confirmAnswer = ok;
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_app->boxes, QStringList{"confirm: Datensatz löschen?"});
    QCOMPARE(rows(), ok ? 1 : 2);
    QCOMPARE(file(Tips).size(), ok ? 1 : 2);
    QCOMPARE(file(Tips).value(0), QStringLiteral("Spiel A|2001/05|Taktik|3"));
    QCOMPARE(Form1->DBGrid1->currentRow(), ok ? 0 : 1);
    QCOMPARE(indicator(Form1->DBGrid1->currentRow()), QStringLiteral("\u25B6"));
}

void TestEditing::escDiscards() {
    editView(Tips);
    // A first Esc closes the editor and drops its text.
    clickCell(0, 0);
    typeInGrid("NEU");
    press(Qt::Key_Escape);
    QVERIFY(!Form1->DBGrid1->openEditor());
    QCOMPARE(cell(0, 0), QStringLiteral("Spiel A"));
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    // With the text in the record, Esc outside the editor discards the record's change.
    typeInGrid("NEU");
    press(Qt::Key_Tab);
    typeInGrid("2");
    press(Qt::Key_Escape);
    QCOMPARE(cell(0, 0), QStringLiteral("NEU"));
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    press(Qt::Key_Escape);
    QCOMPARE(cell(0, 0), QStringLiteral("Spiel A"));
    QCOMPARE(indicator(0), QStringLiteral("\u25B6"));
    press(Qt::Key_Down);
    QCOMPARE(file(Tips).value(0), QStringLiteral("Spiel A|2001/05|Taktik|3"));
}

void TestEditing::downFromLastRecordAppends() {
    editView(Tips);
    clickCell(1, 0);
    press(Qt::Key_Down);
    QCOMPARE(rows(), 3);
    QCOMPARE(Form1->DBGrid1->currentRow(), 2);
    QCOMPARE(indicator(2), QStringLiteral("*"));
    // Down again on the untouched new record appends nothing more.
    press(Qt::Key_Down);
    QCOMPARE(rows(), 3);
    // Moving away drops it.
    press(Qt::Key_Up);
    QCOMPARE(rows(), 2);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(file(Tips).size(), 2);

    press(Qt::Key_Down);
    typeInGrid("Neu");
    press(Qt::Key_Tab);
    typeInGrid("5");
    press(Qt::Key_Tab); // leaving the column completes the issue
    press(Qt::Key_Up);
    QCOMPARE(rows(), 3);
    QCOMPARE(file(Tips).value(2), QStringLiteral("Neu|2001/05||\\N"));
    QCOMPARE(m_app->boxes, QStringList());
}

void TestEditing::tabWalksCellsAndAppends() {
    editView(Tips);
    clickCell(0, 3);
    press(Qt::Key_Tab);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 0);
    press(Qt::Key_End);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 3);
    typeInGrid("7");
    press(Qt::Key_Tab); // from the editor in the last cell of the last record
    QCOMPARE(rows(), 3);
    QCOMPARE(Form1->DBGrid1->currentRow(), 2);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 0);
    QCOMPARE(indicator(2), QStringLiteral("*"));
    QCOMPARE(file(Tips).value(1), QStringLiteral("Spiel B|2001/06|Cheat|7"));
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(rows(), 2);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 3);
}

void TestEditing::insertKeyInsertsAtCurrentPosition() {
    editView(Games);
    clickCell(1, 0);
    press(Qt::Key_Insert);
    QCOMPARE(rows(), 4);
    QCOMPARE(Form1->DBGrid1->currentRow(), 1);
    QCOMPARE(indicator(1), QStringLiteral("*"));
    QCOMPARE(cell(1, 0), QString());
    QCOMPARE(cell(2, 0), QStringLiteral("Beta"));
    // Left untouched, it disappears when the grid moves on.
    press(Qt::Key_Down);
    QCOMPARE(rows(), 3);
    QCOMPARE(cell(Form1->DBGrid1->currentRow(), 0), QStringLiteral("Beta"));
    QCOMPARE(file(Games).size(), 3);

    press(Qt::Key_Insert);
    typeInGrid("Delta");
    press(Qt::Key_End);
    press(Qt::Key_End);
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 6);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    typeInGrid("2/04");
    press(Qt::Key_Tab);
    press(Qt::Key_Up);
    QCOMPARE(m_app->boxes, QStringList());
    QCOMPARE(file(Games).size(), 4);
    QCOMPARE(file(Games).value(3), QStringLiteral("Delta||||\\N|2002/04|"));
}

void TestEditing::unchangedNewRecordDroppedWhenGridLosesFocus() {
    editView(Tips);
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    Form1->DBGrid1->setFocus();
    clickCell(1, 0);
    press(Qt::Key_Down);
    QCOMPARE(rows(), 3);
    Form1->Edit1->setFocus();
    QCOMPARE(rows(), 2);
    QCOMPARE(Form1->Table1.recordCount(), 2);
    QCOMPARE(indicator(1), QStringLiteral("\u25B6"));
}

// ---- Every path that stores the record ----

void TestEditing::triggerPath(const QString& path) {
    if (path == "view switch")
        showView(Games);
    else if (path == "same view again")
        showView(Tips);
    else if (path == "edit mode off")
        switchEditMode();
    else if (path == "Ende")
        QTest::mouseClick(Form1->Image11, Qt::LeftButton);
    else
        Form1->close();
}

void TestEditing::pendingEditorTextIsCommitted_data() {
    QTest::addColumn<QString>("path");
    for (const char* p : {"view switch", "same view again", "edit mode off", "Ende", "close"})
        QTest::newRow(p) << p;
}

void TestEditing::pendingEditorTextIsCommitted() {
    QFETCH(QString, path);
    editView(Tips);
    clickCell(1, 0);
    typeInGrid("GEÄNDERT");
    QVERIFY(Form1->DBGrid1->openEditor()); // the text is still in the cell editor
    triggerPath(path);
    QCOMPARE(m_app->boxes, QStringList());
    QCOMPARE(file(Tips).value(1), QStringLiteral("GEÄNDERT|2001/06|Cheat|4"));
}

void TestEditing::malformedRecordIsKept_data() {
    pendingEditorTextIsCommitted_data();
}

void TestEditing::malformedRecordIsKept() {
    QFETCH(QString, path);
    editView(Tips);
    const QStringList before = file(Tips);
    clickCell(1, 1);
    typeInGrid("ab");
    triggerPath(path);
    QCOMPARE(m_app->boxes, QStringList{kIssueMessage});
    // Nothing happened but the message: same view, edit mode on, window open.
    QCOMPARE(State().EditMode, 1);
    QCOMPARE(State().CurrentView, QStringLiteral("Tips"));
    QVERIFY(Form1->isVisible());
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);
    QCOMPARE(cell(1, 1), QStringLiteral("ab"));
    QCOMPARE(file(Tips), before);

    // Esc (closing the editor first) still discards.
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    QCOMPARE(file(Tips), before);
    QCOMPARE(cell(1, 1), QStringLiteral("2001/06"));
}

void TestEditing::anotherProgramsWriteIsRefused_data() {
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("fileAfter");
    QTest::addColumn<QString>("firstTitleAfterEsc");

    const QString changed = QStringLiteral(
        "message: Der Datensatz wurde inzwischen von einem anderen Programm geändert. Ihre "
        "Änderung wurde nicht gespeichert; mit Esc sehen Sie den gespeicherten Stand.");
    const QString deleted = QStringLiteral(
        "message: Der Datensatz wurde inzwischen von einem anderen Programm gelöscht. Ihre "
        "Änderung wurde nicht gespeichert; mit Esc verschwindet er aus der Anzeige.");
    const QString otherChange = "UPDATE TipsData SET Art='Kurztipp' WHERE TITEL='Spiel A'";
    const QStringList changedFile{"Spiel A|2001/05|Kurztipp|3", "Spiel B|2001/06|Cheat|4"};
    QTest::newRow("post against a change")
        << otherChange << false << changed << changedFile << "Spiel A";
    QTest::newRow("post against a delete")
        << "DELETE FROM TipsData WHERE TITEL='Spiel A'" << false << deleted
        << QStringList{"Spiel B|2001/06|Cheat|4"} << "Spiel B";
    QTest::newRow("delete against a change")
        << otherChange << true << changed << changedFile << "Spiel A";
}

void TestEditing::anotherProgramsWriteIsRefused() {
    QFETCH(QString, other);
    QFETCH(bool, deleting);
    QFETCH(QString, box);
    QFETCH(QStringList, fileAfter);
    QFETCH(QString, firstTitleAfterEsc);
    editView(Tips);
    clickCell(0, 0);
    typeInGrid("NEU");
    press(Qt::Key_Tab);
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);

    // Another program writes the record this one has in edit state.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(m_app->dataDir() + "/TipsData.DB").constData(), &db),
             SQLITE_OK);
    const int rc = sqlite3_exec(db, other.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);

    if (deleting)
        press(Qt::Key_Delete, Qt::ControlModifier);
    else
        press(Qt::Key_Down);
    QCOMPARE(m_app->boxes.constLast(), box);
    // Nothing of the other program's write is lost; what was typed is still on screen.
    QCOMPARE(file(Tips), fileAfter);
    QCOMPARE(Form1->DBGrid1->currentRow(), 0);
    QCOMPARE(cell(0, 0), QStringLiteral("NEU"));
    QCOMPARE(Form1->Table1.state(), Table::State::Edit);

    // Esc shows the stored state, or drops the deleted record from the grid.
    press(Qt::Key_Escape);
    QCOMPARE(Form1->Table1.state(), Table::State::Browse);
    QCOMPARE(rows(), int(fileAfter.size()));
    QCOMPARE(cell(0, 0), firstTitleAfterEsc);
    QCOMPARE(cell(0, 2), fileAfter[0].section(u'|', 2, 2));
    QCOMPARE(file(Tips), fileAfter);
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
