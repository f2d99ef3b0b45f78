#pragma once

#include <QWidget>

// The wait window shown while the program starts: borderless, on top, centred.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};
