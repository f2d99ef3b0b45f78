#pragma once

#include <QValidator>

// Turns every typed letter into its capital as the engine's UPPER does (a letter whose capital
// is longer than one letter, as ß, stays itself), so the box always holds what its title
// condition looks for.
class CapitalsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
