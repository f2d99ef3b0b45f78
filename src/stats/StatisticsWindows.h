#pragma once

#include <QWidget>

class QTableWidget;

// What the other windows use of the three statistics windows.
class TStatForm : public QWidget {
    Q_OBJECT
public:
    explicit TStatForm(QWidget* parent = nullptr);
    QTableWidget* StringGrid1 = nullptr;
    // The recompute over the current selection.
    virtual void FormShow() = 0;
};

class TForm3 : public TStatForm {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    void FormShow() override;
};

class TForm5 : public TStatForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    void FormShow() override;
};

class TForm6 : public TStatForm {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    void FormShow() override;
};
