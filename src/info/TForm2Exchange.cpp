// The info window's text exchange: the export of the current table and the import into
// the disc-content table, both through the main window's table object.
#include "TForm2.h"

#include "AppState.h"
#include "BusyCursor.h"
#include "Dialogs.h"
#include "ExchangeProgressDialog.h"
#include "FieldChecks.h"
#include "ImportReader.h"
#include "ImportReport.h"
#include "ImportSelection.h"
#include "Table.h"
#include "TableTextExport.h"
#include "TableTextImport.h"
#include "WindowLinks.h"

#include <QDir>
#include <QFile>

namespace {

QString exportPath() {
    const AppState& s = State();
    return s.DataDir + QDir::separator() + s.ViewTableFile + QStringLiteral(".txt");
}

} // namespace

void TForm2::Button2Click() {
    // A cell being typed into is stored first; a record that cannot be stored yet stops
    // the export after its message.
    if (!Links().commitGridEdit())
        return;
    const QString path = exportPath();
    QString failure;
    Links().workOnEditTable([&](Table& table) {
        BusyCursor busy;
        ExchangeProgressDialog progress(this);
        failure = TableTextExport::write(table, path, &progress);
    });
    if (!failure.isEmpty())
        Dialogs::message(QStringLiteral("Die Exportdatei konnte nicht geschrieben werden:\n") +
                         QDir::toNativeSeparators(path) +
                         QStringLiteral("\nMeldung des Systems: \"") + failure + u'"');
}

void TForm2::Button3Click() {
    if (!Links().commitGridEdit())
        return;
    const QString path = Links().chooseImportFile();
    if (path.isEmpty())
        return;
    QString readError;
    TableTextImport::Outcome outcome;
    ImportReport::RefusedLines refused;
    int cutAtLine = 0;
    {
        BusyCursor busy;
        // The file is read twice, a piece at a time: once for what its reading depends on
        // as a whole, then for the records, which are stored a group at a time.
        QFile file(path);
        TextExchange::ImportReader reader(file);
        if (!file.open(QIODevice::ReadOnly)) {
            readError = file.errorString();
        } else if (!reader.scan()) {
            readError = reader.errorString();
        } else {
            Links().workOnEditTable([&](Table& table) {
                // A line whose issue the grid would refuse is not stored either.
                ImportSelection selection(reader, table.fieldIndex(QStringLiteral("AUSGABE")),
                                          FieldChecks::latestIssueYear());
                ExchangeProgressDialog progress(this);
                outcome = TableTextImport::append(table, selection, &progress);
                refused = selection.refused();
            });
            if (reader.failed())
                readError = reader.errorString();
            cutAtLine = reader.cutAtLine();
        }
    }
    if (!readError.isEmpty()) {
        QString text = QStringLiteral("Die Datei konnte nicht gelesen werden:\n") +
                       QDir::toNativeSeparators(path) +
                       QStringLiteral("\nMeldung des Systems: \"") + readError + u'"';
        if (outcome.count > 0)
            text +=
                QStringLiteral("\nDie ersten %1 Datensätze wurden eingefügt.").arg(outcome.count);
        Dialogs::message(text);
        return;
    }
    if (!outcome.error.isEmpty()) {
        Dialogs::error(outcome.error);
        return;
    }
    Dialogs::message(
        ImportReport::reportText(outcome.cancelled, outcome.count, cutAtLine, refused));
}
