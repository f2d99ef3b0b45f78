#pragma once

#include <QValidator>

// Turns every typed letter into its capital, one character for one (ß stays ß), so the box
// always holds what its title condition looks for.
class CapitalsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
