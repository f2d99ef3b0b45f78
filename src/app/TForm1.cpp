#include "TForm1.h"

#include "AppState.h"
#include "AppWindows.h"
#include "BusyCursor.h"
#include "CapitalsValidator.h"
#include "ClickArea.h"
#include "CrossViewMenu.h"
#include "Dialogs.h"
#include "EngineError.h"
#include "IssueText.h"
#include "Picture.h"
#include "StripPicture.h"
#include "TForm4.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "StatisticsWindows.h"
#include "Views.h"
#include "artwork/Artwork.h"
#include "artwork/StripLayout.h"
#include "grid/DataGrid.h"
#include "grid/DataSource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

const QString kEditCaption =
    QStringLiteral("EDIT-Modus aktiv /// ASCII-Import(CD/DVD)+Export /// CTRL-DEL löscht Datensatz");

QLabel* picture(QWidget* parent, const char* name, const QRect& place) {
    auto* l = new Picture(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    l->setScaledContents(true);
    return l;
}

ClickArea* clickArea(QWidget* parent, const char* name, const QRect& place,
                     const QString& accessibleName) {
    auto* a = new ClickArea(parent);
    a->setObjectName(QLatin1String(name));
    a->setGeometry(place);
    a->setAccessibleName(accessibleName);
    return a;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantora"));
    setWindowIcon(Artwork::programIcon());
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x01, 0x00, 0x41));
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
    Image4->setGeometry(0, 0, 130, 453);
    Image4->setPixmap(Artwork::stripPicture(dpr));
    connect(Image4, &StripPicture::mouseDown, this, &TForm1::Image4MouseDown);

    const QString searchHint = QStringLiteral("Wählt Spiele nach bestimmten Kriterien aus");
    Aktiv4 = picture(this, "Aktiv4", StripLayout::litFaces[3]);
    Aktiv4->setPixmap(Artwork::litFace(3, dpr));
    Aktiv4->setToolTip(searchHint);
    Aktiv3 = picture(this, "Aktiv3", StripLayout::litFaces[2]);
    Aktiv3->setPixmap(Artwork::litFace(2, dpr));
    Aktiv2 = picture(this, "Aktiv2", StripLayout::litFaces[1]);
    Aktiv2->setPixmap(Artwork::litFace(1, dpr));
    Aktiv1 = picture(this, "Aktiv1", StripLayout::litFaces[0]);
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

    Image1 = clickArea(this, "Image1", QRect(12, 128, 91, 24), Views::stripCaption(Views::games()));
    Image2 = clickArea(this, "Image2", QRect(12, 153, 91, 24), Views::stripCaption(Views::disc()));
    Image3 = clickArea(this, "Image3", QRect(12, 178, 90, 24), Views::stripCaption(Views::tips()));
    Image6 = clickArea(this, "Image6", QRect(12, 234, 90, 24), QStringLiteral("Auswahl"));
    Image6->setToolTip(searchHint);
    Image6->setAccessibleDescription(searchHint);

    LED1 = picture(this, "LED1", QRect(112, 140, 14, 13));
    LED2 = picture(this, "LED2", QRect(112, 246, 14, 13));
    for (QLabel* led : {LED1, LED2}) {
        led->setPixmap(Artwork::redLamp(dpr));
        led->setEnabled(false);
        led->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    LED1->setAccessibleName(QStringLiteral("Ansicht"));
    LED2->setAccessibleName(QStringLiteral("Suche aktiv"));
    LED2->hide();

    Image7 = clickArea(this, "Image7", QRect(12, 327, 90, 24), QStringLiteral("Statistik"));
    Image10 = clickArea(this, "Image10", QRect(11, 401, 50, 25), QStringLiteral("Info"));
    Image11 = clickArea(this, "Image11", QRect(69, 401, 50, 25), QStringLiteral("Ende"));

    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(130, 9, 431, 434);
    DBGrid1->setAccessibleName(QStringLiteral("Daten"));
    DBGrid1->setDataSource(DataSource1);
    connect(DBGrid1, &DataGrid::titleClicked, this,
            [this](int column) { guarded([&] { DBGrid1TitleClick(column); }); });
    connect(DBGrid1, &DataGrid::recordRequested, this, [this](int row, const QPoint& at) {
        guarded([&] { DBGrid1RecordRequested(row, at); });
    });

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(17, 280, 78, 18);
    Edit1->setValidator(new CapitalsValidator(Edit1));
    QFont ef(QStringLiteral("Arial"));
    ef.setPixelSize(12);
    ef.setBold(true);
    Edit1->setFont(ef);
    Edit1->setFrame(false);
    Edit1->setTextMargins(1, 0, 1, 0);
    Edit1->setStyleSheet(QStringLiteral("QLineEdit { background: #F5F5F5; color: #FF0000; }"));
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

    connectGridEditing();
    Table1.setReadOnly(true);
    resize(640, 487);
}

void TForm1::guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const EngineError& e) {
        Dialogs::error(e.message());
    }
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
    for (ClickArea* a : {Image1, Image2, Image3, Image6, Image7})
        a->setEnabled(enabled);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
    // Once the first screen is up, the menu of a record's title gets its look-ups ready.
    QTimer::singleShot(0, this, [this] {
        CrossViewMenu::prepare(State().DataDir, State().CurrentView, m_crossViewTables);
    });
    // The games view is shown: the wait window goes now. A deferred deletion would wait
    // for the event loop, which on some platforms leaves it mapped for the whole run.
    delete Form4;
    Form4 = nullptr;
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
    // The look-ups above read only each first row; the games view is shown whole.
    Query1.fillRows();
    FormatTable(s.CurrentView);
}

void TForm1::Image1Click() {
    InitTable(Views::kGames);
    FormatTable(State().CurrentView);
}

void TForm1::Image2Click() {
    InitTable(Views::kDisc);
    FormatTable(State().CurrentView);
}

void TForm1::Image3Click() {
    InitTable(Views::kTips);
    FormatTable(State().CurrentView);
}

namespace {
void showOrRaise(QWidget* w) {
    if (!w)
        return;
    if (w->isVisible()) {
        w->raise();
        w->activateWindow();
        return;
    }
    w->show();
}
} // namespace

void TForm1::Image6Click() {
    if (State().EditMode == 0)
        showOrRaise(SuchPage);
}

void TForm1::Image7Click() {
    if (State().EditMode != 0)
        return;
    const QString& v = State().CurrentView;
    if (v == Views::kGames)
        showOrRaise(Form3);
    else if (v == Views::kDisc)
        showOrRaise(Form5);
    else if (v == Views::kTips)
        showOrRaise(Form6);
}

void TForm1::Image10Click() {
    if (!Form2)
        return;
    if (State().HardDiskMode == 1)
        Form2->Label9->setText(QStringLiteral("Festplatten-Modus"));
    Form2->Button3->setVisible(State().CurrentView == Views::kDisc && State().EditMode == 1);
    Form2->exec();
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
    if (State().EditMode != 0 || !SuchPage)
        return;
    if (SuchPage->Edit1->text() != Edit1->text())
        SuchPage->Edit1->setText(Edit1->text());
}

void TForm1::activateFromSecondCopy() {
    if (isMinimized())
        showNormal();
    else {
        raise();
        activateWindow();
    }
}

void TForm1::setEditModePresentation(bool on) {
    AppState& s = State();
    if (on) {
        if (Form2)
            Form2->Button2->setVisible(true);
        setWindowTitle(kEditCaption);
        DBGrid1->setColours(QColor(0xC0, 0xC0, 0xC0), QColor(0, 0, 0));
        DBGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                 QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed);
        DBGrid1->setSelectionMode(QAbstractItemView::NoSelection);
        Table1.setReadOnly(false);
        DataSource1->setAutoEdit(true);
        Table1.setDatabaseName(s.DataDir);
        Table1.setTableName(s.ViewTableFile);
        Table1.open();
        DataSource1->setDataSet(&Table1);
    } else {
        if (Form2) {
            Form2->Button2->setVisible(false);
            Form2->Button3->setVisible(false);
        }
        setWindowTitle(QStringLiteral("Vantora"));
        DBGrid1->setColours(QColor(0xF5, 0xF5, 0xF5), QColor(0x01, 0x00, 0x41));
        DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
        DataSource1->setAutoEdit(false);
        Table1.setReadOnly(true);
        DataSource1->setDataSet(&Query1);
        DoSQL(s.ViewTableFile);
    }
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
        if (s.EditMode == 1 && SuchPage)
            SuchPage->hide();
        setEditModePresentation(s.EditMode == 1);
        InitTable(s.CurrentView);
        FormatTable(s.CurrentView);
    });
}
