#pragma once

#include <QComboBox>

// A drop-down of the program's own. Being a class of its own lets screen readers be told its
// name rather than the item it holds (see Accessibility.h). While its list is open, Enter and
// Esc belong to the list: they choose or close, and the window's own keys for them wait.
class ChoiceBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
