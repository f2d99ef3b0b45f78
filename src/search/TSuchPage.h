#pragma once

#include <QWidget>

class ClickArea;
class QComboBox;
class QLabel;
class QLineEdit;

// The search page "Auswahl-Modul": title text, minimum rating and category. Every change of a
// criterion rebuilds its condition text and re-runs the main window's view query at once.
class TSuchPage : public QWidget {
    Q_OBJECT
public:
    explicit TSuchPage(QWidget* parent = nullptr);

    QLabel* Image3;       // background with the captions and the two button faces
    QLineEdit* Edit1;     // title text
    QComboBox* ComboBox1; // minimum rating
    QComboBox* ComboBox2; // category
    ClickArea* Image2;    // "Alle"
    ClickArea* Image1;    // "OK"

    // The title text, mirrored from the main window's title box.
    QString titleText() const;
    void setTitleText(const QString& text);
    // A view's categories after "(alle)", and whether the rating applies; in edit mode no
    // category is chosen, otherwise both lists stand on "(alle)". Nothing is searched.
    void setCategories(const QStringList& categories, bool ratingApplies, bool editing);
    // The category list's items and the chosen one (-1 for none).
    int categoryCount() const;
    int chosenCategory() const;
    // Chooses item `item` of the category list and searches with it.
    void chooseCategory(int item);

    void FormCreate();
    // Return, Enter and Escape press "OK", Alt+A presses "Alle".
    void connectKeys();
    void Edit1Change();
    void ComboBox1Change();
    void ComboBox2Change();
    void Suchen();
    void Image2Click();
    void Image1Click();

private:
    void buildControls();
    void connectHandlers();
};
