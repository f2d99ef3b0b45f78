#include "SearchConditions.h"

#include "Views.h"

namespace SearchConditions {

QString upperAsciiOnly(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return out;
}

QString category(const QString& categoryField, const QString& item) {
    if (item == Views::kAll)
        return {};
    return categoryField + QStringLiteral(" LIKE \"%") + item.mid(1, 3) + QStringLiteral("%\"");
}

QString rating(const QString& item) {
    if (item == Views::kAll)
        return {};
    return QStringLiteral("WERTUNG >= ") + item;
}

QString title(const QString& text) {
    QString t = upperAsciiOnly(text);
    t.replace(u'"', QStringLiteral("\"\""));
    return QStringLiteral("UPPER(TITEL) LIKE \"%") + t + QStringLiteral("%\"");
}

QString selection(const QString& categoryField, const QString& categoryItem,
                  const QString& ratingItem) {
    QString s = category(categoryField, categoryItem);
    if (ratingItem != Views::kAll) {
        if (!s.isEmpty())
            s += QStringLiteral(" AND ");
        s += rating(ratingItem);
    }
    return s;
}

} // namespace SearchConditions
