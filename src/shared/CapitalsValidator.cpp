#include "CapitalsValidator.h"

#include "Capitals.h"

QValidator::State CapitalsValidator::validate(QString& input, int&) const {
    // The engine's UPPER folds titles the same way, so what the box shows can be found.
    input = Capitals::ofText(input);
    return Acceptable;
}
