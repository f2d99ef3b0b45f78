#pragma once

#include <QWidget>

class ClickArea;
class QComboBox;
class QLabel;
class QLineEdit;

// The search page "Auswahl-Modul": title text, minimum rating and category.
class TSuchPage : public QWidget {
    Q_OBJECT
public:
    explicit TSuchPage(QWidget* parent = nullptr);

    QLabel* Image3;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    ClickArea* Image2; // "Alle"
    ClickArea* Image1; // "OK"

    void FormCreate();
    void Edit1Change();
    void ComboBox1Change();
    void ComboBox2Change();
    void Suchen();
    void Image2Click();
    void Image1Click();
};
