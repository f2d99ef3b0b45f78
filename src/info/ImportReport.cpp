#include "ImportReport.h"

#include "IssueText.h"

#include <QStringList>

namespace ImportReport {

namespace {

constexpr int kNamedLines = 10;

} // namespace

Selection wellFormedIssues(const TextExchange::ImportText& text, int issueField, int latestYear) {
    Selection out;
    out.kept.reserve(text.records.size());
    for (qsizetype i = 0; i < text.records.size(); ++i) {
        const TextExchange::Record& record = text.records[i];
        if (issueField < 0 || issueField >= int(record.size()) ||
            IssueText::isWellFormed(record[size_t(issueField)], latestYear))
            out.kept.append(record);
        else
            out.refusedLines.append(text.lines.value(i));
    }
    return out;
}

QString reportText(bool cancelled, int stored, int cutAtLine, const QList<int>& refusedLines) {
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
    if (!refusedLines.isEmpty()) {
        QStringList named;
        for (qsizetype i = 0; i < refusedLines.size() && i < kNamedLines; ++i)
            named << QString::number(refusedLines[i]);
        QString list = named.join(QStringLiteral(", "));
        if (refusedLines.size() > kNamedLines)
            list += QStringLiteral(" …");
        text += u'\r' + QStringLiteral("%1 Zeilen mit fehlerhafter Ausgabe wurden nicht übernommen "
                                       "(Zeile %2).")
                            .arg(refusedLines.size())
                            .arg(list);
    }
    return text;
}

} // namespace ImportReport
