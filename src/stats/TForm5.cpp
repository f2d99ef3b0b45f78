#include "TForm5.h"

TForm5::TForm5(QWidget* parent) : TCategoryStatForm(parent, CategoryWindowText::disc()) {}
