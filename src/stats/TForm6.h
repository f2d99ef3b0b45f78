#pragma once

#include "TCategoryStatForm.h"

// "Statistik / Tipps".
class TForm6 : public TCategoryStatForm {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
};
