#include "Capitals.h"

#include <QList>
#include <QStringView>
#include <array>
#include <vector>

namespace Capitals {

namespace {

char32_t capitalByQt(char32_t c) {
    const QString up = QString::fromUcs4(&c, 1).toUpper();
    const QList<uint> points = up.toUcs4();
    return points.size() == 1 ? char32_t(points.front()) : c;
}

// Qt's full case mapping allocates per call; the Basic Multilingual Plane is looked up in a
// table built on first use, the rare characters beyond it are mapped one by one.
const std::vector<char16_t>& planeZero() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t up = (c >= 0xD800 && c < 0xE000) ? c : capitalByQt(c);
            t[c] = up < 0x10000 ? char16_t(up) : char16_t(0); // 0: look it up each time
        }
        return t;
    }();
    return table;
}

bool isAscii(QByteArrayView text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

char32_t of(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c < 0x10000) {
        const char32_t up = planeZero()[c];
        return up != 0 ? up : capitalByQt(c);
    }
    return capitalByQt(c);
}

QString ofText(const QString& text) {
    QList<uint> points = text.toUcs4();
    for (uint& p : points)
        p = of(char32_t(p));
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
}

QByteArray ofUtf8(QByteArrayView text) {
    QByteArray out(text.data(), text.size());
    if (isAscii(text)) {
        for (char& c : out)
            if (c >= 'a' && c <= 'z')
                c = char(c - 32);
        return out;
    }
    return ofText(QString::fromUtf8(text)).toUtf8();
}

} // namespace Capitals
