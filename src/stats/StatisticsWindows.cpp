#include "StatisticsWindows.h"

#include <QTableWidget>

TStatForm::TStatForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    StringGrid1 = new QTableWidget(this);
}

TForm3::TForm3(QWidget* parent) : TStatForm(parent) { setObjectName(QStringLiteral("Form3")); }
void TForm3::FormShow() {}
TForm5::TForm5(QWidget* parent) : TStatForm(parent) { setObjectName(QStringLiteral("Form5")); }
void TForm5::FormShow() {}
TForm6::TForm6(QWidget* parent) : TStatForm(parent) { setObjectName(QStringLiteral("Form6")); }
void TForm6::FormShow() {}
