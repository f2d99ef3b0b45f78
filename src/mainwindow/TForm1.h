#pragma once

#include "Query.h"
#include "Table.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class ClickArea;
class Connection;
class DataGrid;
class DataSource;
class GridEditing;
class QLabel;
class QLineEdit;
class QTimer;
class StripPicture;
class ViewQueryRunner;

// The main window: the strip of painted buttons on the left and the data grid on the
// right. It owns the one grid, query, table and data source; other windows ask it for what
// they need through the operations below.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, back to front.
    StripPicture* Image4; // the strip's picture; Ctrl+Alt and a press switch edit mode
    QLabel* Aktiv4;       // the lit "Auswahl" face, shown with the search lamp
    QLabel* Aktiv3;       // the lit "Tipps" face
    QLabel* Aktiv2;       // the lit "CD & DVD" face
    QLabel* Aktiv1;       // the lit "Spiele" face
    ClickArea* Image1;    // "Spiele"
    ClickArea* Image2;    // "CD & DVD"
    ClickArea* Image3;    // "Tipps"
    ClickArea* Image6;    // "Auswahl": the search page
    QLabel* LED1;         // the lamp beside the current view's button
    QLabel* LED2;         // the search lamp
    ClickArea* Image7;    // "Statistik"
    ClickArea* Image10;   // "Info"
    ClickArea* Image11;   // "Ende"
    DataGrid* DBGrid1;    // the data grid
    QLineEdit* Edit1;     // the title box "Schnellsuche"

    // Non-visual members.
    Query Query1;
    Table Table1;
    DataSource* DataSource1;

    // The file-open dialog's settings.
    static inline const QString OpenDialog1DefaultExt = QStringLiteral("txt");
    // Matches "*.txt" in any letter case (the dialog's filter ignores case).
    static inline const QString OpenDialog1Filter = QStringLiteral("Textdateien (*.txt)");
    QString OpenDialog1Execute();
    // Where the dialog opens: the folder of the last file chosen in this run; before the
    // first, the data folder in hard-disk mode and the user's home in disc mode.
    QString OpenDialog1InitialDir() const;

    // The creation handler: the window is centred on the screen. The start-up's own work
    // (mode, folders, engine check, hard-disk copy) is done by the start-up.
    void FormCreate();
    // The program's keys for the strip's buttons and the title box, which work from every
    // window, and Tab between the grid and the title box; the grid and the title box stay first
    // in the tab order, and the grid takes the focus. Connected once, after the other windows.
    void connectKeys();
    // True for a program file whose name ends in "HD.EXE", or "hd" without an extension.
    static bool isHardDiskProgram(const QString& programPath);
    // The statements the first showing runs over the folder, as lines: each table's latest
    // issue, then the games in title order.
    static QList<QStringList> firstShowingStatements(const QString& dataDir);
    // The tables' files are still being written when the window is first shown (their first
    // rows were read early): what the first screen does not need waits for tablesArrived().
    void setTablesArriving() { m_tablesArriving = true; }
    void tablesArrived();

    // Operations other windows use (through the start-up's links), beside the file dialog
    // above: the view query run again and its columns laid out, the title box mirrored, the
    // search indicator, a walk over the result, and edit mode's table for the text exchange.
    void DoSQL(const QString& tableFile);
    void FormatTable(const QString& view);
    // The title box's text; the search page mirrors it.
    QString titleText() const;
    void setTitleText(const QString& text);
    // The search lamp and the lit "Auswahl" face.
    void showSearchIndicator(bool on);
    // `walk` reads Query1 from its first row on, with the grid hidden meanwhile; Query1 stands
    // on its first row again afterwards.
    void walkViewResult(const std::function<void(Query&)>& walk);
    // Every path that stores the record Table1 stands on (view switch, edit mode off,
    // "Ende", closing the window, export) calls this first: it stores an open cell
    // editor's text into the record and checks the record (issue text, rating). False,
    // after the message, when the record cannot be stored yet; the caller then stops and
    // the record stays in edit state. True outside edit mode.
    bool commitGridEdit();
    // `work` moves Table1 or adds records to it (export, import); the grid then follows its
    // current record and row count, also when `work` ended in an error.
    void workOnEditTable(const std::function<void(Table&)>& work);

    // The view on screen: made current with its table, and the grid sized to the window.
    void InitTable(const QString& view);
    void SizeGrid();

    // Handlers.
    void FormShow();
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image6Click();
    void Image7Click();
    void Image10Click();
    void Image11Click();
    void Edit1Change();
    void Image4MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void DBGrid1TitleClick(int column);
    void DBGrid1ColExit();
    void DBGrid1CellClick(int row, int column);
    // Outside edit mode: the menu of a record's title in the other two views, and the step
    // to one of them with that title typed into the title box.
    void DBGrid1RecordRequested(int row, const QPoint& globalPos);
    void ShowViewWithTitle(const QString& view, const QString& title);

    // Restores the window when minimised, else brings it to the front (a second copy
    // of the program asks for this).
    void activateFromSecondCopy();

    // The five click areas the view query disables while it runs.
    void setQueryButtonsEnabled(bool enabled);

    // Another program changed `tableFile`: when it is the view's, the view is shown anew with
    // the selected record kept in its place (and the open statistics count again). A record
    // being typed, a box, a menu or another window open in front make it wait until they are
    // over; another view's table is read when that view is shown.
    void followOutsideChange(const QString& tableFile);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // The latest-issue look-ups and first screen of a start, their first rows read ahead.
    std::vector<std::unique_ptr<Query>> readFirstRowsAhead();
    // Gets the cross-view menu's title look-ups and the heading sorts ready on threads of
    // their own, for the view on screen, and then the titles its title box searches.
    void prepareLookups();
    // Reads the view's upper-cased titles ahead of the first key.
    void prepareTitles();
    // Once a window manager has framed the window: the outer size becomes 640 x 487.
    void fitOuterSize();
    // In edit mode: stores the pending record and closes Table1; false when it was closed.
    bool commitPendingEdit();

    std::unique_ptr<ViewQueryRunner> m_viewQuery;
    std::unique_ptr<GridEditing> m_editing;
    bool m_shown = false;
    bool m_tablesArriving = false;
    // The other views' tables, held open for the menu of a record's title.
    QHash<QString, std::shared_ptr<Connection>> m_crossViewTables;
    bool m_outerSized = false;
    // The titles the title box searches are read once the grid has painted the view's rows.
    bool m_titlesWanted = false;
    QString m_lastOpenDir;
    void showOutsideChanges();
    bool outsideChangeMustWait() const;
    QStringList m_changedElsewhere;
    QTimer* m_outsideRetry = nullptr;
    bool m_showingOutsideChange = false;
};
