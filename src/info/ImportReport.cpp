#include "ImportReport.h"

#include "IssueText.h"

#include <QStringList>

namespace ImportReport {

namespace {

constexpr int kNamedLines = 10;

} // namespace

bool keeps(const TextExchange::Record& record, int issueField, int latestYear) {
    return issueField < 0 || issueField >= int(record.size()) ||
           IssueText::isWellFormed(record[size_t(issueField)], latestYear);
}

void RefusedLines::add(int line) {
    ++count;
    if (named.size() < kNamedLines)
        named.append(line);
}

QString reportText(bool cancelled, int stored, int cutAtLine, const RefusedLines& refused) {
    QString text = (cancelled ? QStringLiteral("Import abgebrochen.")
                              : QStringLiteral("Import erfolgreich abgeschlossen.")) +
                   u'\r' + QString::number(stored) + QStringLiteral(" Datensätze eingefügt.");
    if (cancelled)
        text += u'\r' + QStringLiteral("Der Rest der Datei wurde nicht übernommen.");
    if (cutAtLine > 0)
        text += u'\r' +
                QStringLiteral("Der Rest der Datei nach dem Dateiende-Zeichen in Zeile %1 wurde "
                               "nicht gelesen.")
                    .arg(cutAtLine);
    if (refused.count > 0) {
        QStringList named;
        for (const int line : refused.named)
            named << QString::number(line);
        QString list = named.join(QStringLiteral(", "));
        if (refused.count > int(refused.named.size()))
            list += QStringLiteral(" …");
        text += u'\r' + QStringLiteral("%1 Zeilen mit fehlerhafter Ausgabe wurden nicht übernommen "
                                       "(Zeile %2).")
                            .arg(refused.count)
                            .arg(list);
    }
    return text;
}

} // namespace ImportReport
