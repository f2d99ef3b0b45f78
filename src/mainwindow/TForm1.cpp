// The main window: its controls and handlers, making a view current and laying out its
// columns, and the step from a record to the same title in another view.
#include "TForm1.h"

#include "Accessibility.h"
#include "AppState.h"
#include "ArtPalette.h"
#include "CapitalsValidator.h"
#include "ClickArea.h"
#include "CrossViewMenu.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "EngineError.h"
#include "ErrorGuard.h"
#include "GridEditing.h"
#include "HeadingSorts.h"
#include "IssueText.h"
#include "KeyboardReach.h"
#include "Picture.h"
#include "StripPicture.h"
#include "ViewQuery.h"
#include "ViewQueryRunner.h"
#include "Views.h"
#include "WindowLinks.h"
#include "artwork/Artwork.h"
#include "artwork/StripLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantora"));
    setWindowIcon(Artwork::programIcon());
    QPalette p = palette();
    p.setColor(QPalette::Window, ArtPalette::darkBlue);
    setPalette(p);
    setAutoFillBackground(true);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    buildControls();
}

TForm1::~TForm1() {
    try {
        // A record that failed its checks is not stored on the way out.
        if (!DataSource1->pendingRecordProblem().isEmpty())
            Table1.cancel();
        Table1.close();
    } catch (const EngineError&) {
    }
}

void TForm1::buildControls() {
    const qreal dpr = devicePixelRatioF();
    Image4 = new StripPicture(this);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(QRect(QPoint(0, 0), StripLayout::pictureSize));
    Image4->setPixmap(Artwork::stripPicture(dpr));
    connect(Image4, &StripPicture::mouseDown, this, &TForm1::Image4MouseDown);
    // Screen readers skip what is only decoration.
    Accessibility::hideFromScreenReaders(Image4);

    const QString searchHint = QStringLiteral("Wählt Spiele nach bestimmten Kriterien aus");
    Aktiv4 = Picture::create(this, "Aktiv4", StripLayout::litFaces[3]);
    Aktiv4->setPixmap(Artwork::litFace(3, dpr));
    Aktiv4->setToolTip(searchHint);
    Aktiv3 = Picture::create(this, "Aktiv3", StripLayout::litFaces[2]);
    Aktiv3->setPixmap(Artwork::litFace(2, dpr));
    Aktiv2 = Picture::create(this, "Aktiv2", StripLayout::litFaces[1]);
    Aktiv2->setPixmap(Artwork::litFace(1, dpr));
    Aktiv1 = Picture::create(this, "Aktiv1", StripLayout::litFaces[0]);
    Aktiv1->setPixmap(Artwork::litFace(0, dpr));
    for (QLabel* face : {Aktiv4, Aktiv3, Aktiv2, Aktiv1}) {
        face->hide();
        face->setEnabled(false);
        face->setCursor(Qt::PointingHandCursor);
        // Disabled pictures let a press through to the strip behind them.
        face->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    Aktiv1->setAccessibleName(Views::stripCaption(Views::games()));
    Aktiv2->setAccessibleName(Views::stripCaption(Views::disc()));
    Aktiv3->setAccessibleName(Views::stripCaption(Views::tips()));
    Aktiv4->setAccessibleName(searchHint);

    Image1 =
        ClickArea::create(this, "Image1", StripLayout::spiele, Views::stripCaption(Views::games()));
    Image2 =
        ClickArea::create(this, "Image2", StripLayout::cdDvd, Views::stripCaption(Views::disc()));
    Image3 =
        ClickArea::create(this, "Image3", StripLayout::tipps, Views::stripCaption(Views::tips()));
    Image6 = ClickArea::create(this, "Image6", StripLayout::auswahl, QStringLiteral("Auswahl"));
    Image6->setToolTip(searchHint);
    Image6->setAccessibleDescription(searchHint);

    LED1 = Picture::create(this, "LED1", QRect(StripLayout::viewLamps[0], StripLayout::lampSize));
    LED2 = Picture::create(this, "LED2", QRect(StripLayout::searchLamp, StripLayout::lampSize));
    for (QLabel* led : {LED1, LED2}) {
        led->setPixmap(Artwork::redLamp(dpr));
        led->setEnabled(false);
        led->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    LED1->setAccessibleName(QStringLiteral("Ansicht"));
    LED2->setAccessibleName(QStringLiteral("Suche aktiv"));
    LED2->hide();

    Image7 = ClickArea::create(this, "Image7", StripLayout::statistik, QStringLiteral("Statistik"));
    Image10 = ClickArea::create(this, "Image10", StripLayout::info, QStringLiteral("Info"));
    Image11 = ClickArea::create(this, "Image11", StripLayout::ende, QStringLiteral("Ende"));

    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(130, 9, 431, 434);
    DBGrid1->setAccessibleName(QStringLiteral("Daten"));
    DBGrid1->viewport()->installEventFilter(this);
    DBGrid1->setDataSource(DataSource1);
    connect(DBGrid1, &DataGrid::titleClicked, this,
            [this](int column) { guarded([&] { DBGrid1TitleClick(column); }); });
    connect(DBGrid1, &DataGrid::recordRequested, this, [this](int row, const QPoint& at) {
        guarded([&] { DBGrid1RecordRequested(row, at); });
    });

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(StripLayout::titleBox);
    Edit1->setValidator(new CapitalsValidator(Edit1));
    QFont ef(QStringLiteral("Arial"));
    ef.setPixelSize(12);
    ef.setBold(true);
    Edit1->setFont(ef);
    Edit1->setFrame(false);
    Edit1->setTextMargins(1, 0, 1, 0);
    Edit1->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: #FF0000; }")
                             .arg(ArtPalette::nearWhite.name()));
    Edit1->setCursor(Qt::PointingHandCursor);
    const QString titleHint = QStringLiteral("Dieser Text muß im Titel vorkommen");
    Edit1->setToolTip(titleHint);
    Edit1->setAccessibleName(QStringLiteral("Schnellsuche"));
    Edit1->setAccessibleDescription(titleHint);
    connect(Edit1, &QLineEdit::textChanged, this, [this] { guarded([this] { Edit1Change(); }); });

    // Grid first, title box second in tab order.
    setTabOrder(DBGrid1, Edit1);

    connect(Image1, &ClickArea::clicked, this, [this] { guarded([this] { Image1Click(); }); });
    connect(Image2, &ClickArea::clicked, this, [this] { guarded([this] { Image2Click(); }); });
    connect(Image3, &ClickArea::clicked, this, [this] { guarded([this] { Image3Click(); }); });
    connect(Image6, &ClickArea::clicked, this, [this] { guarded([this] { Image6Click(); }); });
    connect(Image7, &ClickArea::clicked, this, [this] { guarded([this] { Image7Click(); }); });
    connect(Image10, &ClickArea::clicked, this, [this] { guarded([this] { Image10Click(); }); });
    connect(Image11, &ClickArea::clicked, this, [this] { guarded([this] { Image11Click(); }); });

    m_viewQuery = std::make_unique<ViewQueryRunner>(
        Query1, *DataSource1, *DBGrid1, [this](bool enabled) { setQueryButtonsEnabled(enabled); });
    m_editing =
        std::make_unique<GridEditing>(*this, *DBGrid1, *DataSource1, Table1, Query1, *m_viewQuery);
    connect(DBGrid1, &DataGrid::columnExit, this,
            [this] { guarded([this] { DBGrid1ColExit(); }); });
    connect(DBGrid1, &DataGrid::cellClicked, this,
            [this](int row, int column) { guarded([&] { DBGrid1CellClick(row, column); }); });
    Table1.setReadOnly(true);
    m_outsideRetry = new QTimer(this);
    m_outsideRetry->setObjectName(QStringLiteral("outsideChangeWait"));
    m_outsideRetry->setSingleShot(true);
    m_outsideRetry->setInterval(250);
    connect(m_outsideRetry, &QTimer::timeout, this, &TForm1::showOutsideChanges);
    resize(640, 487);
}

namespace {

// In edit mode Tab walks the grid's cells and appends at the end.
bool gridKeepsTab() {
    return State().EditMode != 0;
}

} // namespace

void TForm1::connectKeys() {
    using namespace KeyboardReach;
    pressEverywhere(Qt::CTRL | Qt::Key_1, Image1);
    pressEverywhere(Qt::CTRL | Qt::Key_2, Image2);
    pressEverywhere(Qt::CTRL | Qt::Key_3, Image3);
    focusEverywhere(Qt::CTRL | Qt::Key_F, Edit1);
    pressEverywhere(Qt::Key_F3, Image6);
    pressEverywhere(Qt::Key_F4, Image7);
    pressEverywhere(Qt::Key_F1, Image10);
    pressEverywhere(Qt::CTRL | Qt::Key_Q, Image11);
    tabBetween(DBGrid1, Edit1, gridKeepsTab);
    QWidget* previous = Edit1;
    for (QWidget* area : {Image1, Image2, Image3, Image6, Image7, Image10, Image11}) {
        QWidget::setTabOrder(previous, area);
        previous = area;
    }
    DBGrid1->setFocus();
}

void TForm1::FormCreate() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(640 / 2, 487 / 2));
}

bool TForm1::isHardDiskProgram(const QString& programPath) {
    const QString upper = programPath.toUpper();
    if (upper.right(6) == QLatin1String("HD.EXE"))
        return true;
    // Programs on Linux carry no extension: "vantorahd".
    const QFileInfo info(programPath);
    return info.suffix().isEmpty() && info.fileName().toUpper().endsWith(QLatin1String("HD"));
}

QString TForm1::OpenDialog1Execute() {
    const QString path =
        Dialogs::openFile(OpenDialog1DefaultExt, OpenDialog1Filter, OpenDialog1InitialDir());
    if (!path.isEmpty())
        m_lastOpenDir = QFileInfo(path).absolutePath();
    return path;
}

QString TForm1::OpenDialog1InitialDir() const {
    if (!m_lastOpenDir.isEmpty())
        return m_lastOpenDir;
    // The working directory is the temporary folder after the start-up, among files that
    // have nothing to do with the archive.
    return State().HardDiskMode == 1 ? QDir::fromNativeSeparators(State().DataDir)
                                     : QDir::homePath();
}

void TForm1::setQueryButtonsEnabled(bool enabled) {
    for (ClickArea* a : {Image1, Image2, Image3})
        a->setEnabled(enabled);
    // The search page and the statistics are out of use in edit mode, and say so.
    for (ClickArea* a : {Image6, Image7})
        a->setEnabled(enabled && State().EditMode == 0);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
    // Once the first screen is up, the menu of a record's title gets its look-ups ready, and
    // the headings their sorts; with the tables' files still being written, once they are.
    if (!m_tablesArriving)
        QTimer::singleShot(0, this, [this] { prepareLookups(); });
    // The games view is shown: the wait window goes now.
    Links().closeWaitWindow();
}

void TForm1::fitOuterSize() {
    if (m_outerSized || !isVisible())
        return;
    // The frame is known once the window manager has put the window into it; without a
    // window manager there is none and the client size is the outer size.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isNull())
        return;
    m_outerSized = true;
    resize(640 - frame.width(), 487 - frame.height());
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitOuterSize();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitOuterSize();
    // The minimum outer size is 320 x 480; the frame adds to the client size.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    const int minClientW = 320 - frameExtra.width();
    const int minClientH = 480 - frameExtra.height();
    if (width() < minClientW || height() < minClientH) {
        resize(qMax(width(), minClientW), qMax(height(), minClientH));
        return;
    }
    SizeGrid();
}

void TForm1::FormShow() {
    struct Latest {
        const ViewDefinition* view;
        int* month;
        int* year;
    };
    AppState& s = State();
    const Latest order[] = {{&Views::tips(), &s.TipsLastMonth, &s.TipsLastYear},
                            {&Views::disc(), &s.DiscLastMonth, &s.DiscLastYear},
                            {&Views::games(), &s.GamesLastMonth, &s.GamesLastYear}};
    // First rows read early need no reading ahead.
    const std::vector<std::unique_ptr<Query>> ahead =
        m_tablesArriving ? std::vector<std::unique_ptr<Query>>() : readFirstRowsAhead();
    for (const Latest& l : order) {
        InitTable(l.view->name);
        s.SortField = QStringLiteral("AUSGABE");
        s.SortDirection = QStringLiteral(" DESC");
        DoSQL(s.ViewTableFile);
        // The newest issue stands in the first row; a table without rows, or whose newest
        // issue has no digits at those places, leaves the latest issue unknown (0).
        if (Query1.isOpen() && Query1.recordCount() > 0) {
            Query1.first();
            const QString issue = Query1.fieldByName(QStringLiteral("AUSGABE"));
            const int month = IssueText::month(issue), year = IssueText::year(issue);
            *l.month = month < 0 ? 0 : month;
            *l.year = year < 0 ? 0 : year;
        }
    }
    s.SortField = QStringLiteral("TITEL");
    s.SortDirection.clear();
    DoSQL(s.ViewTableFile);
    // The first rows show at once; the rest are put in order meanwhile.
    Query1.prepareOrder();
    FormatTable(s.CurrentView);
}

QList<QStringList> TForm1::firstShowingStatements(const QString& dataDir) {
    QList<QStringList> statements;
    const auto statement = [&](const ViewDefinition& view, const QString& field,
                               const QString& direction) {
        statements << ViewQuery::compose(
                          {dataDir, view.tableFile, view.name, {}, {}, field, direction})
                          .lines;
    };
    for (const ViewDefinition* view : {&Views::tips(), &Views::disc(), &Views::games()})
        statement(*view, QStringLiteral("AUSGABE"), QStringLiteral(" DESC"));
    statement(Views::games(), QStringLiteral("TITEL"), QString());
    return statements;
}

std::vector<std::unique_ptr<Query>> TForm1::readFirstRowsAhead() {
    // A first start reads the first rows of each statement below from the whole table. The
    // other tables' are read on a thread of their own while the games table's are read here;
    // the results kept open hold on to what was read until the statements run.
    std::vector<std::unique_ptr<Query>> ahead;
    for (const QStringList& lines : firstShowingStatements(State().DataDir)) {
        auto q = std::make_unique<Query>();
        q->setDatabaseDir(State().DataDir);
        q->setSql(lines);
        ahead.push_back(std::move(q));
    }
    for (auto it = ahead.begin(); it != ahead.end() - 2; ++it)
        (*it)->prepareFirstRows();
    for (auto it = ahead.end() - 2; it != ahead.end(); ++it) {
        try {
            (*it)->open();
            if ((*it)->recordCount() > 0)
                (*it)->rowId(0);
        } catch (const EngineError&) {
            // The statement reports it when it runs.
        }
    }
    return ahead;
}

void TForm1::tablesArrived() {
    m_tablesArriving = false;
    // The view shown from first rows read early takes its file, which holds the same rows, and
    // so do the first showing's look-ups: the files' images take the first rows, which the
    // next start then finds kept as after a start that read them from the files.
    try {
        for (const QStringList& lines : firstShowingStatements(State().DataDir)) {
            Query lookUp;
            lookUp.setDatabaseDir(State().DataDir);
            lookUp.setSql(lines);
            lookUp.open();
            lookUp.settle();
            if (lookUp.recordCount() > 0)
                lookUp.rowId(0);
        }
        if (Query1.isEarly()) {
            Query1.settle();
            Query1.prepareOrder();
        }
    } catch (const EngineError&) {
        // The start-up reports a table that could not be read, and ends.
    }
    if (m_shown)
        prepareLookups();
}

void TForm1::prepareLookups() {
    CrossViewMenu::prepare(State().DataDir, State().CurrentView, m_crossViewTables);
    HeadingSorts::prepare(State().DataDir, m_crossViewTables);
    // The titles the title box searches, once the view's rows are painted (this update paints
    // them again when they were painted already): the first letter typed then takes no longer
    // than the ones after it.
    m_titlesWanted = true;
    DBGrid1->viewport()->update();
}

void TForm1::prepareTitles() {
    // After a first start the sorts are built first; the titles follow once they are in.
    if (!Query1.prepareUpperTexts(QStringLiteral("TITEL")))
        QTimer::singleShot(100, this, &TForm1::prepareTitles);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (m_titlesWanted && watched == DBGrid1->viewport() && event->type() == QEvent::Paint) {
        m_titlesWanted = false;
        QTimer::singleShot(0, this, &TForm1::prepareTitles);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::Image1Click() {
    InitTable(Views::kGames);
    FormatTable(State().CurrentView);
    prepareLookups();
}

void TForm1::Image2Click() {
    InitTable(Views::kDisc);
    FormatTable(State().CurrentView);
    prepareLookups();
}

void TForm1::Image3Click() {
    InitTable(Views::kTips);
    FormatTable(State().CurrentView);
    prepareLookups();
}

void TForm1::Image6Click() {
    if (State().EditMode == 0)
        Links().showSearchPage();
}

void TForm1::Image7Click() {
    if (State().EditMode != 0)
        return;
    Links().showStatisticsFor(State().CurrentView);
}

void TForm1::Image10Click() {
    Links().openInfoWindow(State().HardDiskMode == 1,
                           State().CurrentView == Views::kDisc && State().EditMode == 1);
}

bool TForm1::commitPendingEdit() {
    if (State().EditMode != 1 || !Table1.isOpen())
        return false;
    // Moving to the first row stores the pending record.
    Table1.first();
    Table1.close();
    return true;
}

void TForm1::Image11Click() {
    if (!commitGridEdit())
        return;
    commitPendingEdit();
    close();
    QCoreApplication::quit();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing through the frame keeps a typed edit as "Ende" does; a record that cannot
    // be stored keeps the window open so nothing typed is lost.
    if (!commitGridEdit()) {
        event->ignore();
        return;
    }
    try {
        commitPendingEdit();
    } catch (const EngineError& e) {
        Dialogs::error(e.message());
        event->ignore();
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->hide();
    event->accept();
}

void TForm1::Edit1Change() {
    if (State().EditMode != 0 || !Links().searchPageExists())
        return;
    if (Links().searchText() != Edit1->text())
        Links().setSearchText(Edit1->text());
}

void TForm1::activateFromSecondCopy() {
    if (isMinimized())
        showNormal();
    else {
        raise();
        activateWindow();
    }
}

void TForm1::followOutsideChange(const QString& tableFile) {
    if (!m_changedElsewhere.contains(tableFile, Qt::CaseInsensitive))
        m_changedElsewhere << tableFile;
    showOutsideChanges();
}

bool TForm1::outsideChangeMustWait() const {
    if (m_showingOutsideChange || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return true;
    const bool recordPending =
        Table1.state() == Table::State::Edit || Table1.state() == Table::State::Insert;
    return State().EditMode == 1 && (recordPending || Table1.inBatch() || DBGrid1->openEditor());
}

void TForm1::showOutsideChanges() {
    AppState& s = State();
    if (!m_shown || !m_changedElsewhere.contains(s.ViewTableFile, Qt::CaseInsensitive)) {
        m_changedElsewhere.clear();
        return;
    }
    if (outsideChangeMustWait()) {
        m_outsideRetry->start();
        return;
    }
    m_changedElsewhere.clear();
    const QScopedValueRollback<bool> showing(m_showingOutsideChange, true);
    const bool editing = s.EditMode == 1;
    if (editing ? !Table1.isOpen() : !Query1.isOpen())
        return;
    guarded([&] {
        const DataGrid::Place place = DBGrid1->place();
        const int row = editing ? m_editing->rereadTable()
                                : m_viewQuery->rerunFinding(s.ViewTableFile, place.row);
        FormatTable(s.CurrentView);
        DBGrid1->restorePlace(place, row);
        if (!editing)
            Links().refreshOpenStatistics([] {});
    });
}

void TForm1::Image4MouseDown(Qt::MouseButton, Qt::KeyboardModifiers modifiers) {
    if (!(modifiers & Qt::ControlModifier) || !(modifiers & Qt::AltModifier))
        return;
    guarded([this] {
        if (!commitGridEdit())
            return;
        Table1.close();
        AppState& s = State();
        s.EditMode = s.EditMode == 0 ? 1 : 0;
        // The search page is out of use in edit mode, like the statistics.
        if (s.EditMode == 1)
            Links().hideSearchPage();
        Links().offerExport(s.EditMode == 1);
        m_editing->present(s.EditMode == 1);
        setQueryButtonsEnabled(Image1->isEnabled());
        InitTable(s.CurrentView);
        FormatTable(s.CurrentView);
    });
}

void TForm1::DoSQL(const QString& tableFile) {
    m_viewQuery->run(tableFile);
}

void TForm1::DBGrid1TitleClick(int column) {
    AppState& s = State();
    if (s.EditMode == 1)
        return;
    m_viewQuery->sortByHeading(column);
    DoSQL(s.ViewTableFile);
    // The first rows show at once; the rest are put in order meanwhile.
    Query1.prepareOrder();
    FormatTable(s.CurrentView);
}

bool TForm1::commitGridEdit() {
    return m_editing->commitGridEdit();
}

void TForm1::workOnEditTable(const std::function<void(Table&)>& work) {
    struct GridFollowsTable {
        GridEditing& editing;
        ~GridFollowsTable() {
            try {
                editing.gridFollowTable();
            } catch (...) {
                // The work's own error is the one to show; the grid repaints anyway.
            }
        }
    } follow{*m_editing};
    work(Table1);
}

QString TForm1::titleText() const {
    return Edit1->text();
}

void TForm1::setTitleText(const QString& text) {
    Edit1->setText(text);
}

void TForm1::showSearchIndicator(bool on) {
    LED2->setVisible(on);
    Aktiv4->setVisible(on);
}

void TForm1::walkViewResult(const std::function<void(Query&)>& walk) {
    // The walk moves the result: the grid is hidden meanwhile so it does not repaint row by
    // row, and shows the result from the first row again afterwards.
    const bool gridWasHidden = DBGrid1->isHidden();
    DBGrid1->hide();
    Query1.first();
    walk(Query1);
    Query1.first();
    if (!gridWasHidden)
        DBGrid1->show();
}

void TForm1::DBGrid1ColExit() {
    m_editing->columnExit();
}

void TForm1::DBGrid1CellClick(int, int column) {
    m_editing->cellClick(column);
}

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
    Links().setSearchCategories(def->searchWords, def->ratingEnabled, s.EditMode == 1);
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
        DataSource1->setDataSet(&Table1);
        Table1.open();
        DataSource1->reload();
        if (Table1.damaged())
            Dialogs::message(Table1.damagedMessage());
    } else {
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
