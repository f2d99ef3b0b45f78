#include "TSuchPage.h"

#include "ClickArea.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TSuchPage::TSuchPage(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("SuchPage"));
    setWindowTitle(QStringLiteral("Auswahl-Modul"));
    Image3 = new QLabel(this);
    Edit1 = new QLineEdit(this);
    ComboBox1 = new QComboBox(this);
    ComboBox2 = new QComboBox(this);
    Image2 = new ClickArea(this);
    Image1 = new ClickArea(this);
    FormCreate();
}

void TSuchPage::FormCreate() {}
void TSuchPage::Edit1Change() {}
void TSuchPage::ComboBox1Change() {}
void TSuchPage::ComboBox2Change() {}
void TSuchPage::Suchen() {}
void TSuchPage::Image2Click() { hide(); }
void TSuchPage::Image1Click() { hide(); }
