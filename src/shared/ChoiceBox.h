#pragma once

#include <QComboBox>

// A drop-down of the program's own. It behaves as any other; being a class of its own lets
// screen readers be told its name rather than the item it holds (see Accessibility.h).
class ChoiceBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};
