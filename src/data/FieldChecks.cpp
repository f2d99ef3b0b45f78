#include "FieldChecks.h"

#include "IssueText.h"

#include <QDate>

namespace FieldChecks {

int latestIssueYear() {
    return QDate::currentDate().year() + 1;
}

bool completeIssue(const QString& typed, QString& completed) {
    QString candidate;
    if (!IssueText::complete(typed, candidate) ||
        !IssueText::isWellFormed(candidate, latestIssueYear()))
        return false;
    completed = candidate;
    return true;
}

namespace {

bool wholeNumber(const QString& text, qlonglong& value) {
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok;
}

QString numberMessage(const QString& field, const QString& allowed) {
    return QStringLiteral("Fehlerhafter Eintrag im Feld \"%1\": erlaubt %2.").arg(field, allowed);
}

} // namespace

QString recordProblem(const QList<FieldValue>& record) {
    for (const FieldValue& f : record) {
        if (f.name.compare(QLatin1String("AUSGABE"), Qt::CaseInsensitive) == 0) {
            if (!IssueText::isWellFormed(f.text, latestIssueYear()))
                return kIssueMessage;
            continue;
        }
        const bool rating = f.name.compare(QLatin1String("WERTUNG"), Qt::CaseInsensitive) == 0;
        if (!f.integer && !rating)
            continue;
        if (f.text.trimmed().isEmpty())
            continue;
        qlonglong v = 0;
        const bool number = wholeNumber(f.text, v);
        if (rating && (!number || v < 0 || v > 100))
            return numberMessage(f.name,
                                 QStringLiteral("ist eine ganze Zahl von 0 bis 100 oder nichts"));
        if (!number)
            return numberMessage(f.name, QStringLiteral("ist eine ganze Zahl oder nichts"));
    }
    return {};
}

} // namespace FieldChecks
