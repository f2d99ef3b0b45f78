#include "TForm2.h"

#include <QLabel>
#include <QPushButton>

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Info"));
    Label9 = new QLabel(QStringLiteral("CD/DVD-Modus"), this);
    Label7 = new QLabel(QStringLiteral("- - -"), this);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button2 = new QPushButton(QStringLiteral("ASCII-Export (.txt)"), this);
    Button3 = new QPushButton(QStringLiteral("ASCII-Import (.txt)"), this);
    Button2->hide();
    Button3->hide();
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::FormShow() {}
void TForm2::Button1Click() { accept(); }
void TForm2::Button2Click() {}
void TForm2::Button3Click() {}
