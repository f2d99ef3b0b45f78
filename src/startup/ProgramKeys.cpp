#include "ProgramKeys.h"

#include "AppState.h"
#include "AppWindows.h"
#include "ClickArea.h"
#include "DataGrid.h"
#include "KeyboardReach.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TSuchPage.h"

#include <QLineEdit>
#include <QPushButton>

using namespace KeyboardReach;

namespace {

// In edit mode Tab walks the grid's cells and appends at the end.
bool gridKeepsTab() {
    return State().EditMode != 0;
}

} // namespace

void connectProgramKeys() {
    if (Form1) {
        pressEverywhere(Qt::CTRL | Qt::Key_1, Form1->Image1);
        pressEverywhere(Qt::CTRL | Qt::Key_2, Form1->Image2);
        pressEverywhere(Qt::CTRL | Qt::Key_3, Form1->Image3);
        focusEverywhere(Qt::CTRL | Qt::Key_F, Form1->Edit1);
        pressEverywhere(Qt::Key_F3, Form1->Image6);
        pressEverywhere(Qt::Key_F4, Form1->Image7);
        pressEverywhere(Qt::Key_F1, Form1->Image10);
        pressEverywhere(Qt::CTRL | Qt::Key_Q, Form1->Image11);
        tabBetween(Form1->DBGrid1, Form1->Edit1, gridKeepsTab);
        // The grid and the title box stay first in the tab order, ahead of the buttons, so
        // the grid has the focus when the window first shows.
        QWidget* previous = Form1->Edit1;
        for (QWidget* area : {Form1->Image1, Form1->Image2, Form1->Image3, Form1->Image6,
                              Form1->Image7, Form1->Image10, Form1->Image11}) {
            QWidget::setTabOrder(previous, area);
            previous = area;
        }
        Form1->DBGrid1->setFocus();
    }
    if (SuchPage) {
        pressInWindow(SuchPage, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}, SuchPage->Image1);
        pressInWindow(SuchPage, {Qt::ALT | Qt::Key_A}, SuchPage->Image2);
    }
    for (TStatForm* w : std::initializer_list<TStatForm*>{Form3, Form5, Form6})
        if (w)
            clickInWindow(w, {Qt::Key_Escape}, w->Button1);
    if (Form2)
        clickInWindow(Form2, {Qt::Key_Escape}, Form2->Button1);
}
