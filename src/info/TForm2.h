#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The info window "Info", shown modally; in edit mode it carries the text exchange.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label9; // mode line
    QLabel* Label7; // data status line
    QPushButton* Button1; // "Ok"
    QPushButton* Button2; // export
    QPushButton* Button3; // import

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
};
