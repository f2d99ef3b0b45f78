#include "CrossViewLine.h"

#include <QStringList>

namespace CrossViewLine {

QString text(const QString& viewCaption, const QList<TitleMatch>& newestFirst) {
    const qsizetype count = newestFirst.size();
    if (count == 0)
        return viewCaption + QStringLiteral(": keine Einträge");
    QStringList named;
    for (qsizetype i = 0; i < count && i < kNamedAtMost; ++i)
        named.append(newestFirst[i].category + u' ' + newestFirst[i].issue);
    if (count > kNamedAtMost)
        named.append(QStringLiteral("…"));
    const QString noun = count == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträge");
    return QStringLiteral("%1: %2 %3 (%4)")
        .arg(viewCaption, QString::number(count), noun, named.join(QLatin1String(", ")));
}

} // namespace CrossViewLine
