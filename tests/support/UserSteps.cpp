#include "UserSteps.h"

#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "DataSource.h"
#include "StripPicture.h"
#include "TForm1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

namespace UserSteps {

void showView(int view) {
    ClickArea* buttons[] = {Form1->Image1, Form1->Image2, Form1->Image3};
    QTest::mouseClick(buttons[view], Qt::LeftButton);
}

void openSearchPage() {
    QTest::mouseClick(Form1->Image6, Qt::LeftButton);
}

void openStatistics() {
    QTest::mouseClick(Form1->Image7, Qt::LeftButton);
}

void switchEditMode(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QTest::mousePress(Form1->Image4, button, modifiers, QPoint(60, 380));
    QTest::mouseRelease(Form1->Image4, button, modifiers, QPoint(60, 380));
}

void editView(int view) {
    showView(view);
    switchEditMode();
    QCOMPARE(State().EditMode, 1);
    QVERIFY(Form1->Table1.isOpen());
}

void clickCell(int row, int column) {
    DataGrid* grid = Form1->DBGrid1;
    const QRect r = grid->visualRect(Form1->DataSource1->index(row, column));
    QVERIFY2(r.isValid(), "cell not visible");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

QWidget* gridKeyTarget() {
    QWidget* editor = Form1->DBGrid1->openEditor();
    return editor ? editor : static_cast<QWidget*>(Form1->DBGrid1);
}

void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(target, QString(c));
            continue;
        }
        const auto key = Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, target, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, key, QString(c), Qt::NoModifier);
    }
}

void typeInGrid(const QString& text) {
    for (const QChar c : text)
        typeText(gridKeyTarget(), QString(c));
}

void typeIntoCell(int row, int column, const QString& text) {
    clickCell(row, column);
    typeInGrid(text.left(1));
    QVERIFY2(Form1->DBGrid1->openEditor(), "no cell editor opened");
    typeInGrid(text.mid(1));
}

void pick(QComboBox* box, const QString& item) {
    const int target = box->findText(item);
    QVERIFY2(target >= 0, qPrintable(item));
    box->showPopup();
    QAbstractItemView* view = box->view();
    QVERIFY(view->isVisible());
    for (int guard = 0; view->currentIndex().row() != target && guard < 20; ++guard)
        QTest::keyClick(view, view->currentIndex().row() < target ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(box->currentText(), item);
}

} // namespace UserSteps
