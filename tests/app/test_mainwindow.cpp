// The main window: views, headings, sorting, the strip, the edit-mode switch, resizing.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "StatisticsWindows.h"
#include "StripPicture.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "TestSupport.h"
#include "UserSteps.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace UserSteps;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void viewButtonsSetUpTheirView_data();
    void viewButtonsSetUpTheirView();
    void headingClicksSort_data();
    void headingClicksSort();
    void directionSurvivesAViewSwitch();
    void selectedColumnSurvivesAHeadingClick();
    void rowsAreInTitleOrder();
    void minimumSizeAndGrid();
    void editModeSwitch_data();
    void editModeSwitch();
    void twoSwitchesRestoreThePresentation();
    void editModeIgnoresSearchStatisticsHeadingsAndTitle();
    void infoButtonsPerModeAndView();
    void editModeHidesTheSearchPage();
    void endeCommitsThePendingEdit();
    void closingTheFrameCommitsThePendingEdit();
    void screenshots();

private:
    void clickArea(QWidget* area) { QTest::mouseClick(area, Qt::LeftButton); }
    void clickHeading(const QString& heading);
    QString lastSqlLine() const { return Form1->Query1.sql().constLast(); }
    QStringList headings() const;
    AppFixture* m_app = nullptr;
};

void TestMainWindow::init() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    // Every change the grid's model announces is checked against what it then answers.
    new QAbstractItemModelTester(Form1->DataSource1,
                                 QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 Form1->DataSource1);
}

void TestMainWindow::cleanup() {
    delete m_app;
    m_app = nullptr;
}

void TestMainWindow::clickHeading(const QString& heading) {
    DataSource* source = Form1->DataSource1;
    for (int c = 0; c < source->columnCount(); ++c) {
        if (source->heading(c) != heading)
            continue;
        QHeaderView* header = Form1->DBGrid1->horizontalHeader();
        const int x = header->sectionViewportPosition(c) + header->sectionSize(c) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        return;
    }
    QFAIL(qPrintable("no heading " + heading));
}

QStringList TestMainWindow::headings() const {
    QStringList h;
    for (int c = 0; c < Form1->DataSource1->columnCount(); ++c)
        h << Form1->DataSource1->heading(c);
    return h;
}

void TestMainWindow::viewButtonsSetUpTheirView_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("ledTop");
    QTest::addColumn<QStringList>("categories");
    QTest::addColumn<bool>("rating");
    QTest::addColumn<QString>("orderLine");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("Spiele") << "Image1"
                            << "Spiele" << 140
                            << QStringList{"(alle)",       "Action",     "Strategie", "Sport",
                                           "Simulationen", "Adventures", "Budget",    "Software"}
                            << true << "ORDER BY TITEL"
                            << QStringList{"Spieletitel", "Rubrik",
                                           "Genre",       "Entwickler/Publisher",
                                           "Wert.",       "Ausgabe",
                                           "Kommentar"}
                            << QList<int>{145, 65, 90, 120, 35, 55, 325};
    QTest::newRow("CD-Inhalt") << "Image2"
                               << "CD-Inhalt" << 165
                               << QStringList{"(alle)",  "Demo",  "Extras",
                                              "Mods",    "Patch", "Programm",
                                              "Treiber", "Video", "Vollversion"}
                               << false << "ORDER BY TITEL, AUSGABE DESC"
                               << QStringList{"Name", "Ausgabe", "Kategorie", "Medium"}
                               << QList<int>{190, 55, 160, 50};
    QTest::newRow("Tips") << "Image3"
                          << "Tips" << 190
                          << QStringList{"(alle)", "Cheat", "Kurztipp", "Lösung", "Taktik"} << false
                          << "ORDER BY TITEL"
                          << QStringList{"Spieletitel", "Ausgabe", "Art", "Counter"}
                          << QList<int>{220, 100, 60, 60};
}

void TestMainWindow::viewButtonsSetUpTheirView() {
    QFETCH(QString, button);
    QFETCH(QString, view);
    QFETCH(int, ledTop);
    QFETCH(QStringList, categories);
    QFETCH(bool, rating);
    QFETCH(QString, orderLine);
    QFETCH(QStringList, headings);
    QFETCH(QList<int>, widths);
    // Start from another view so the switch is real.
    clickArea(view == "Tips" ? Form1->Image1 : Form1->Image3);
    clickArea(Form1->findChild<QWidget*>(button));
    QCOMPARE(State().CurrentView, view);
    QCOMPARE(Form1->LED1->y(), ledTop);
    QCOMPARE(Form1->LED1->x(), 112);
    QLabel* faces[] = {Form1->Aktiv1, Form1->Aktiv2, Form1->Aktiv3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(!faces[i]->isHidden(), faces[i]->objectName() == "Aktiv" + button.mid(5));
    QStringList shown;
    for (int i = 0; i < SuchPage->ComboBox2->count(); ++i)
        shown << SuchPage->ComboBox2->itemText(i);
    QCOMPARE(shown, categories);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 0);
    QCOMPARE(SuchPage->ComboBox1->currentText(), QStringLiteral("(alle)"));
    QCOMPARE(SuchPage->ComboBox1->isEnabled(), rating);
    QCOMPARE(lastSqlLine(), orderLine);
    QCOMPARE(this->headings(), headings);
    for (int c = 0; c < widths.size(); ++c)
        QCOMPARE(Form1->DBGrid1->columnWidth(c), widths[c]);
    QVERIFY(Form1->Query1.recordCount() > 0);
}

void TestMainWindow::headingClicksSort_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("orderLine");
    QTest::newRow("Wert. first descending")
        << "Image1" << QStringList{"Wert."} << "ORDER BY WERTUNG DESC, TITEL";
    QTest::newRow("Wert. twice") << "Image1" << QStringList{"Wert.", "Wert."}
                                 << "ORDER BY WERTUNG, TITEL";
    QTest::newRow("Genre ascending") << "Image1" << QStringList{"Genre"} << "ORDER BY GENRE, TITEL";
    QTest::newRow("title right after a switch reverses")
        << "Image1" << QStringList{"Spieletitel"} << "ORDER BY TITEL DESC";
    QTest::newRow("Name in disc view")
        << "Image2" << QStringList{"Name"} << "ORDER BY TITEL DESC, AUSGABE DESC";
    QTest::newRow("Kategorie") << "Image2" << QStringList{"Kategorie"} << "ORDER BY ART, TITEL";
    QTest::newRow("Art") << "Image3" << QStringList{"Art"} << "ORDER BY ART, TITEL";
    QTest::newRow("Counter") << "Image3" << QStringList{"Counter"}
                             << "ORDER BY COUNTER DESC, TITEL";
    QTest::newRow("Ausgabe first descending")
        << "Image3" << QStringList{"Ausgabe"} << "ORDER BY AUSGABE DESC, TITEL";
    QTest::newRow("Ausgabe then Medium")
        << "Image2" << QStringList{"Ausgabe", "Medium"} << "ORDER BY MEDIUM, TITEL";
}

void TestMainWindow::headingClicksSort() {
    QFETCH(QString, button);
    QFETCH(QStringList, clicks);
    QFETCH(QString, orderLine);
    clickArea(Form1->findChild<QWidget*>(button));
    for (const QString& c : clicks)
        clickHeading(c);
    QCOMPARE(lastSqlLine(), orderLine);
    // Re-formatted after every re-query.
    QCOMPARE(headings().first(), button == "Image2" ? QString("Name") : QString("Spieletitel"));
}

void TestMainWindow::directionSurvivesAViewSwitch() {
    clickHeading("Wert.");
    QCOMPARE(lastSqlLine(), QStringLiteral("ORDER BY WERTUNG DESC, TITEL"));
    showView(Tips);
    QCOMPARE(lastSqlLine(), QStringLiteral("ORDER BY TITEL DESC"));
}

void TestMainWindow::selectedColumnSurvivesAHeadingClick() {
    Form1->DBGrid1->setCurrentIndex(Form1->DataSource1->index(3, 2));
    clickHeading("Ausgabe");
    QCOMPARE(Form1->DBGrid1->selectedIndex(), 2);
    QCOMPARE(Form1->DBGrid1->currentRow(), 0);
}

// The title as a German reader files it: without accents and letter case.
static QString filingKey(const QString& title) {
    QString key;
    for (QChar c : title.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            key += c.toLower();
    return key;
}

void TestMainWindow::rowsAreInTitleOrder() {
    const Query& q = Form1->Query1;
    QVERIFY(q.recordCount() > 5);
    for (int r = 1; r < q.recordCount(); ++r) {
        const QString a = q.value(r - 1, 0), b = q.value(r, 0);
        QVERIFY2(filingKey(a) <= filingKey(b), qPrintable(a + " / " + b));
    }
}

void TestMainWindow::minimumSizeAndGrid() {
    Form1->resize(200, 300);
    QCoreApplication::processEvents();
    const QSize outer = Form1->frameGeometry().size();
    QVERIFY2(outer.width() >= 320 && outer.height() >= 480,
             qPrintable(QString("%1x%2").arg(outer.width()).arg(outer.height())));
    QCOMPARE(Form1->DBGrid1->geometry(), QRect(130, 9, Form1->width() - 140, Form1->height() - 18));
    Form1->resize(900, 700);
    QCoreApplication::processEvents();
    QCOMPARE(Form1->DBGrid1->geometry(), QRect(130, 9, 760, 682));
}

void TestMainWindow::editModeSwitch_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("editMode");
    QTest::newRow("Ctrl+Alt left")
        << int(Qt::LeftButton) << int(Qt::ControlModifier | Qt::AltModifier) << 1;
    QTest::newRow("Ctrl+Alt right")
        << int(Qt::RightButton) << int(Qt::ControlModifier | Qt::AltModifier) << 1;
    QTest::newRow("Ctrl+Alt+Shift")
        << int(Qt::LeftButton) << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)
        << 1;
    QTest::newRow("Ctrl alone") << int(Qt::LeftButton) << int(Qt::ControlModifier) << 0;
    QTest::newRow("Alt alone") << int(Qt::LeftButton) << int(Qt::AltModifier) << 0;
    QTest::newRow("no modifier") << int(Qt::LeftButton) << 0 << 0;
}

void TestMainWindow::editModeSwitch() {
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(int, editMode);
    switchEditMode(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(State().EditMode, editMode);
    if (editMode == 1) {
        QCOMPARE(Form1->windowTitle(),
                 QStringLiteral("EDIT-Modus aktiv /// ASCII-Import(CD/DVD)+Export /// CTRL-DEL "
                                "löscht Datensatz"));
        QVERIFY(Form1->Table1.isOpen());
        QVERIFY(!Form1->Table1.readOnly());
        QCOMPARE(Form1->DataSource1->table(), &Form1->Table1);
        QCOMPARE(Form1->DBGrid1->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(Form1->DBGrid1->palette().color(QPalette::Text), QColor(0, 0, 0));
        QVERIFY(!Form2->Button2->isHidden());
        // The whole table, in stored order, with the view's headings.
        QCOMPARE(Form1->DataSource1->rowCount(), 40);
        QCOMPARE(headings().at(4), QStringLiteral("Wert."));
    } else {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Vantora"));
        QVERIFY(!Form1->Table1.isOpen());
    }
}

void TestMainWindow::twoSwitchesRestoreThePresentation() {
    showView(Disc);
    clickHeading("Medium");
    const auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    switchEditMode(Qt::LeftButton, ctrlAlt);
    switchEditMode(Qt::LeftButton, ctrlAlt);
    QCOMPARE(State().EditMode, 0);
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Vantora"));
    QCOMPARE(Form1->DBGrid1->palette().color(QPalette::Base), QColor(0xF5, 0xF5, 0xF5));
    QCOMPARE(Form1->DBGrid1->palette().color(QPalette::Text), QColor(0x01, 0x00, 0x41));
    QCOMPARE(Form1->DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!Form1->Table1.isOpen());
    QCOMPARE(Form1->DataSource1->query(), &Form1->Query1);
    QCOMPARE(State().CurrentView, QStringLiteral("CD-Inhalt"));
    QCOMPARE(Form1->Query1.sql().size(), 2);
    QCOMPARE(lastSqlLine(), QStringLiteral("ORDER BY TITEL, AUSGABE DESC"));
    QVERIFY(Form2->Button2->isHidden());
    QVERIFY(Form2->Button3->isHidden());
}

void TestMainWindow::editModeIgnoresSearchStatisticsHeadingsAndTitle() {
    switchEditMode();
    QCOMPARE(State().EditMode, 1);
    clickArea(Form1->Image6);
    QVERIFY(!SuchPage->isVisible());
    clickArea(Form1->Image7);
    QVERIFY(!Form3->isVisible());
    const QStringList sqlBefore = Form1->Query1.sql();
    clickHeading("Wert.");
    QCOMPARE(State().SortField, QStringLiteral("TITEL"));
    QTest::keyClicks(Form1->Edit1, "xyz");
    QCOMPARE(Form1->Edit1->text(), QStringLiteral("XYZ"));
    QCOMPARE(Form1->DataSource1->rowCount(), 40);
    QCOMPARE(State().TitleCondition, QString());
    QCOMPARE(Form1->Query1.sql(), sqlBefore);
}

void TestMainWindow::infoButtonsPerModeAndView() {
    struct Case {
        int edit;
        QWidget* button;
        bool exportShown;
        bool importShown;
    };
    auto openInfo = [] {
        QTimer::singleShot(0, Form2, [] { Form2->reject(); });
        Form1->Image10Click();
    };
    openInfo();
    QVERIFY(Form2->Button2->isHidden());
    QVERIFY(Form2->Button3->isHidden());
    QCOMPARE(Form2->Label9->text(), QStringLiteral("CD/DVD-Modus"));

    switchEditMode();
    for (QWidget* view :
         {static_cast<QWidget*>(Form1->Image1), static_cast<QWidget*>(Form1->Image2),
          static_cast<QWidget*>(Form1->Image3)}) {
        clickArea(view);
        openInfo();
        QVERIFY(!Form2->Button2->isHidden());
        QCOMPARE(!Form2->Button3->isHidden(), view == Form1->Image2);
    }
}

void TestMainWindow::editModeHidesTheSearchPage() {
    clickArea(Form1->Image6);
    QVERIFY(SuchPage->isVisible());
    switchEditMode();
    QVERIFY(!SuchPage->isVisible());
    clickArea(Form1->Image6);
    QVERIFY(!SuchPage->isVisible());
    switchEditMode();
    clickArea(Form1->Image6);
    QVERIFY(SuchPage->isVisible());
}

void TestMainWindow::endeCommitsThePendingEdit() {
    switchEditMode();
    Form1->Table1.moveTo(2);
    Form1->Table1.setFieldByName("TITEL", "GEÄNDERT");
    clickArea(Form1->Image11);
    const QStringList rows = TestSupport::readTable(m_app->dataDir() + "/GameData.DB", "GameData");
    QVERIFY(rows.value(2).startsWith(QStringLiteral("GEÄNDERT|")));
}

void TestMainWindow::closingTheFrameCommitsThePendingEdit() {
    showView(Tips);
    switchEditMode();
    Form1->Table1.moveTo(0);
    Form1->Table1.setFieldByName("TITEL", "NEU");
    Form1->close();
    const QStringList rows = TestSupport::readTable(m_app->dataDir() + "/TipsData.DB", "TipsData");
    QVERIFY(rows.value(0).startsWith(QStringLiteral("NEU|")));
}

// Pictures of the window in both modes for the documentation, when VANTORA_SHOTS names a
// folder (run once plainly and once with QT_SCALE_FACTOR=2).
void TestMainWindow::screenshots() {
    const QString folder = qEnvironmentVariable("VANTORA_SHOTS");
    if (folder.isEmpty())
        QSKIP("VANTORA_SHOTS not set");
    const QString scale = QString::number(Form1->devicePixelRatioF());
    QImage browse = Form1->grab().toImage();
    QVERIFY(browse.save(folder + "/main-window-" + scale + "x.png"));
    switchEditMode();
    QVERIFY(Form1->grab().toImage().save(folder + "/main-window-edit-" + scale + "x.png"));
    // The lit face of the current view shows in the picture.
    const QColor face = browse.pixelColor(QPoint(20, 140) * Form1->devicePixelRatioF());
    QVERIFY2(face.red() > face.blue() + 60, qPrintable(face.name()));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
