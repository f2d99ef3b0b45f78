#include "TForm6.h"

TForm6::TForm6(QWidget* parent) : TCategoryStatForm(parent, CategoryWindowText::tips()) {}
