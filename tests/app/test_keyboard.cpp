// Keyboard reach: the program's keys act as clicks on their areas would, Tab between the grid
// and the title box, and keys in a statistics grid that move without searching.
#include "AppFixture.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"
#include "UserSteps.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

// What a key changed that a user would see.
enum class Effect { View, SearchPage, Statistics, TitleFocus, Info, Ende };

bool searchVisible() {
    return SuchPage->isVisible();
}

bool statisticsVisible() {
    return Form3->isVisible() || Form5->isVisible() || Form6->isVisible();
}

} // namespace

Q_DECLARE_METATYPE(Effect)

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void stripKeysActAsTheirClick_data();
    void stripKeysActAsTheirClick();
    void keysOfADisabledAreaDoNothing_data();
    void keysOfADisabledAreaDoNothing();
    void stripKeysWorkFromOtherWindowsButNotPastTheModalInfo();
    void searchPageAndStatisticsKeys();
    void focusedButtonsPressWithEnterAndSpace();
    void tabGoesBetweenGridAndTitleBoxOutsideEditMode();
    void statisticsGridKeysMoveWithoutSearching();

private:
    // Sends a key to whichever window is active, as the keyboard would.
    void press(QKeySequence key);
    void activate(QWidget* window);
    AppFixture* m_app = nullptr;
};

void TestKeyboard::init() {
    m_app = new AppFixture;
    QVERIFY(m_app->makeArchive());
    QCOMPARE(m_app->start(), StartupOutcome::Running);
    activate(Form1);
}

void TestKeyboard::cleanup() {
    delete m_app;
    m_app = nullptr;
}

void TestKeyboard::activate(QWidget* window) {
    window->show();
    // A tool window counts as active with its parent; the keys must go to it alone, as
    // they do once the window manager activates it.
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::activeWindow(), window);
}

void TestKeyboard::press(QKeySequence key) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    QVERIFY(target);
    QTest::keySequence(target, key);
}

void TestKeyboard::stripKeysActAsTheirClick_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<Effect>("effect");
    QTest::addColumn<QString>("view");
    QTest::newRow("Ctrl+2 CD & DVD")
        << QKeySequence(Qt::CTRL | Qt::Key_2) << Effect::View << QStringLiteral("CD-Inhalt");
    QTest::newRow("Ctrl+3 Tipps") << QKeySequence(Qt::CTRL | Qt::Key_3) << Effect::View
                                  << QStringLiteral("Tips");
    QTest::newRow("F3 Auswahl") << QKeySequence(Qt::Key_F3) << Effect::SearchPage
                                << QStringLiteral("Spiele");
    QTest::newRow("F4 Statistik") << QKeySequence(Qt::Key_F4) << Effect::Statistics
                                  << QStringLiteral("Spiele");
    QTest::newRow("Ctrl+F Schnellsuche")
        << QKeySequence(Qt::CTRL | Qt::Key_F) << Effect::TitleFocus << QStringLiteral("Spiele");
    QTest::newRow("F1 Info") << QKeySequence(Qt::Key_F1) << Effect::Info
                             << QStringLiteral("Spiele");
    QTest::newRow("Ctrl+Q Ende") << QKeySequence(Qt::CTRL | Qt::Key_Q) << Effect::Ende
                                 << QStringLiteral("Spiele");
}

void TestKeyboard::stripKeysActAsTheirClick() {
    QFETCH(QKeySequence, key);
    QFETCH(Effect, effect);
    QFETCH(QString, view);
    Form1->DBGrid1->setFocus();
    bool infoShown = false;
    if (effect == Effect::Info)
        QTimer::singleShot(0, Form2, [&] {
            infoShown = Form2->isVisible() && QApplication::activeModalWidget() == Form2;
            Form2->reject();
        });
    press(key);

    QCOMPARE(State().CurrentView, view);
    QCOMPARE(searchVisible(), effect == Effect::SearchPage);
    QCOMPARE(Form3->isVisible(), effect == Effect::Statistics);
    QCOMPARE(QApplication::focusWidget() == Form1->Edit1, effect == Effect::TitleFocus);
    QCOMPARE(infoShown, effect == Effect::Info);
    QCOMPARE(Form1->isVisible(), effect != Effect::Ende);
}

void TestKeyboard::keysOfADisabledAreaDoNothing_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<bool>("editMode"); // else: the query buttons are disabled
    QTest::newRow("Ctrl+3 while the query runs") << QKeySequence(Qt::CTRL | Qt::Key_3) << false;
    QTest::newRow("F3 while the query runs") << QKeySequence(Qt::Key_F3) << false;
    QTest::newRow("F4 while the query runs") << QKeySequence(Qt::Key_F4) << false;
    QTest::newRow("F3 in edit mode") << QKeySequence(Qt::Key_F3) << true;
    QTest::newRow("F4 in edit mode") << QKeySequence(Qt::Key_F4) << true;
}

void TestKeyboard::keysOfADisabledAreaDoNothing() {
    QFETCH(QKeySequence, key);
    QFETCH(bool, editMode);
    if (editMode)
        UserSteps::switchEditMode();
    else
        Form1->setQueryButtonsEnabled(false);
    const QStringList sqlBefore = Form1->Query1.sql();
    Form1->Edit1->setFocus();
    press(key);
    QCOMPARE(State().CurrentView, QStringLiteral("Spiele"));
    QCOMPARE(Form1->Query1.sql(), sqlBefore);
    QVERIFY(!searchVisible());
    QVERIFY(!statisticsVisible());
    // The same key acts again once its area is enabled.
    if (!editMode) {
        Form1->setQueryButtonsEnabled(true);
        press(key);
        QVERIFY(State().CurrentView == QLatin1String("Tips") || searchVisible() ||
                statisticsVisible());
    }
}

void TestKeyboard::stripKeysWorkFromOtherWindowsButNotPastTheModalInfo() {
    press(QKeySequence(Qt::Key_F3));
    activate(SuchPage);
    SuchPage->Edit1->setFocus();
    press(Qt::CTRL | Qt::Key_3);
    QCOMPARE(State().CurrentView, QStringLiteral("Tips"));
    press(Qt::CTRL | Qt::Key_F);
    QCOMPARE(Form1->focusWidget(), Form1->Edit1); // the main window's activation is the WM's

    // While the Info window is open every other window is blocked, keys included.
    QString viewWhileInfo;
    bool closedByEsc = false;
    QTimer::singleShot(0, Form2, [&] {
        QTest::keyClick(Form2, Qt::Key_2, Qt::ControlModifier);
        viewWhileInfo = State().CurrentView;
        QTest::keyClick(Form2, Qt::Key_Escape);
        closedByEsc = !Form2->isVisible();
        if (!closedByEsc)
            Form2->reject();
    });
    press(QKeySequence(Qt::Key_F1));
    QCOMPARE(viewWhileInfo, QStringLiteral("Tips"));
    QVERIFY(closedByEsc);

    // Enter presses the focused "Ok", also after the blocked keys.
    bool closedByEnter = false;
    QTimer::singleShot(0, Form2, [&] {
        QTest::keyClick(Form2, Qt::Key_2, Qt::ControlModifier);
        QTest::keyClick(Form2, Qt::Key_F3);
        Form2->Button1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        closedByEnter = !Form2->isVisible();
        if (!closedByEnter)
            Form2->reject();
    });
    press(QKeySequence(Qt::Key_F1));
    QVERIFY(closedByEnter);
    QCOMPARE(State().CurrentView, QStringLiteral("Tips"));
}

void TestKeyboard::searchPageAndStatisticsKeys() {
    press(QKeySequence(Qt::Key_F3));
    activate(SuchPage);
    SuchPage->ComboBox1->setFocus();
    SuchPage->ComboBox1->setCurrentIndex(3);
    SuchPage->ComboBox1Change();
    QVERIFY(!State().SelectionCondition.isEmpty());
    press(Qt::ALT | Qt::Key_A); // "Alle": every criterion back to "(alle)", page closed
    QVERIFY(State().SelectionCondition.isEmpty());
    QCOMPARE(SuchPage->ComboBox1->currentIndex(), 0);
    QVERIFY(!searchVisible());

    for (Qt::Key ok : {Qt::Key_Return, Qt::Key_Escape}) {
        activate(SuchPage);
        SuchPage->Edit1->setFocus();
        QTest::keyClicks(SuchPage->Edit1, QStringLiteral("A"));
        press(QKeySequence(ok));
        QVERIFY2(!searchVisible(), "Enter and Esc act as OK");
        QCOMPARE(Form1->Edit1->text(), QStringLiteral("A")); // OK keeps the search
        SuchPage->Edit1->clear();
    }

    activate(Form1);
    press(QKeySequence(Qt::Key_F4));
    activate(Form3);
    press(QKeySequence(Qt::Key_Escape));
    QVERIFY(!Form3->isVisible());
}

void TestKeyboard::focusedButtonsPressWithEnterAndSpace() {
    Form1->Image2->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), Form1->Image2);
    press(QKeySequence(Qt::Key_Space));
    QCOMPARE(State().CurrentView, QStringLiteral("CD-Inhalt"));
    Form1->Image3->setFocus(Qt::OtherFocusReason);
    press(QKeySequence(Qt::Key_Return));
    QCOMPARE(State().CurrentView, QStringLiteral("Tips"));

    // On the search page Enter on a focused "Alle" presses "Alle", not the page's "OK".
    press(QKeySequence(Qt::Key_F3));
    activate(SuchPage);
    QTest::keyClicks(SuchPage->Edit1, QStringLiteral("B"));
    SuchPage->Image2->setFocus(Qt::OtherFocusReason);
    press(QKeySequence(Qt::Key_Return));
    QVERIFY(SuchPage->Edit1->text().isEmpty());
}

void TestKeyboard::tabGoesBetweenGridAndTitleBoxOutsideEditMode() {
    // The grid has the focus at the start, as the first in the tab order.
    QCOMPARE(QApplication::focusWidget(), Form1->DBGrid1);
    const QModelIndex cell = Form1->DBGrid1->currentIndex();
    press(QKeySequence(Qt::Key_Tab));
    QCOMPARE(QApplication::focusWidget(), Form1->Edit1);
    press(QKeySequence(Qt::Key_Tab));
    QCOMPARE(QApplication::focusWidget(), Form1->DBGrid1);
    QCOMPARE(Form1->DBGrid1->currentIndex(), cell);
    press(QKeySequence(Qt::Key_Backtab));
    QCOMPARE(QApplication::focusWidget(), Form1->Edit1);

    // In edit mode Tab walks the grid's cells.
    UserSteps::switchEditMode();
    Form1->DBGrid1->setFocus();
    const int column = Form1->DBGrid1->currentIndex().column();
    press(QKeySequence(Qt::Key_Tab));
    QCOMPARE(QApplication::focusWidget(), Form1->DBGrid1);
    QVERIFY(Form1->DBGrid1->currentIndex().column() != column);
}

void TestKeyboard::statisticsGridKeysMoveWithoutSearching() {
    press(Qt::CTRL | Qt::Key_2);
    press(QKeySequence(Qt::Key_F4));
    activate(Form5);
    QTableWidget* grid = Form5->StringGrid1;
    grid->setFocus();
    const QStringList sqlBefore = Form1->Query1.sql();
    const int rowBefore = grid->currentRow();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab})
        press(QKeySequence(key));
    const int row = grid->currentRow();
    QVERIFY(row > rowBefore);
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), 0);
    QCOMPARE(Form1->Query1.sql(), sqlBefore);

    // Enter on the row acts as a click on it: its category is searched.
    press(QKeySequence(Qt::Key_Return));
    QCOMPARE(SuchPage->ComboBox2->currentIndex(), row - 1);
    QVERIFY(Form1->Query1.sql() != sqlBefore);
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
