#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a record must satisfy before edit mode stores it.
namespace FieldChecks {

// The message for an issue text that is not, or cannot be completed to, YYYY/MM.
inline const QString kIssueMessage = QStringLiteral("Fehlerhafter Eintrag im Feld \"Ausgabe\"");

// The latest year an issue text may name: the year after the system clock's.
int latestIssueYear();

// The issue text that leaving the issue column makes of `typed`: the completion from
// "2001/00" when it is well formed, otherwise false.
bool completeIssue(const QString& typed, QString& completed);

// One field of a record: its stored name, whether it holds whole numbers, its text.
struct FieldValue {
    QString name;
    bool integer = false;
    QString text;
};

// Why the record cannot be stored, as the message to show; empty when it can. Checked:
// AUSGABE is a well-formed issue text, WERTUNG empty or a whole number 0..100, any other
// whole-number field empty or a whole number.
QString recordProblem(const QList<FieldValue>& record);

} // namespace FieldChecks
