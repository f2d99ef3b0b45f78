#include "CapitalsValidator.h"

QValidator::State CapitalsValidator::validate(QString& input, int&) const {
    for (QChar& c : input)
        c = c.toUpper();
    return Acceptable;
}
