#include "NumberText.h"

#include <cmath>

namespace NumberText {

QString general(double value) {
    // 'g' never writes trailing zeros; adding 0.0 turns a negative zero into zero.
    return QString::number(value + 0.0, 'g', 15);
}

double roundToTenth(double value) {
    return std::nearbyint(value * 10) / 10;
}

QString tenth(double value) {
    return general(roundToTenth(value));
}

QString counted(const QString& prefix, double count, const QString& singular,
                const QString& pluralSuffix) {
    QString text = prefix + general(count) + singular;
    if (count != 1)
        text += pluralSuffix;
    return text;
}

} // namespace NumberText
