#pragma once

#include "TCategoryStatForm.h"

// "Statistik / CD & DVD-Inhalt".
class TForm5 : public TCategoryStatForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
};
