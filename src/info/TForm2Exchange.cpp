// The info window's text exchange: the export of the current table and the import into
// the disc-content table, both through the main window's table object.
#include "TForm2.h"

#include "AppState.h"
#include "BusyCursor.h"
#include "Dialogs.h"
#include "ExchangeProgressDialog.h"
#include "FieldChecks.h"
#include "ImportReport.h"
#include "Table.h"
#include "TableTextExport.h"
#include "TableTextImport.h"
#include "TextExchange.h"
#include "WindowLinks.h"

#include <QDir>
#include <QFile>

namespace {

QString exportPath() {
    const AppState& s = State();
    return s.DataDir + QDir::separator() + s.ViewTableFile + QStringLiteral(".txt");
}

// Reads the file whole and closes it; false with the reason when it cannot be read.
bool readWholeFile(const QString& path, QByteArray& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
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
    TextExchange::ImportText text;
    ImportReport::Selection selection;
    {
        BusyCursor busy;
        QByteArray bytes;
        if (readWholeFile(path, bytes, readError)) {
            text = TextExchange::readImport(bytes);
            Links().workOnEditTable([&](Table& table) {
                // A line whose issue the grid would refuse is not stored either.
                selection = ImportReport::wellFormedIssues(
                    text, table.fieldIndex(QStringLiteral("AUSGABE")),
                    FieldChecks::latestIssueYear());
                ExchangeProgressDialog progress(this);
                outcome = TableTextImport::append(table, selection.kept, &progress);
            });
        }
    }
    if (!readError.isEmpty()) {
        Dialogs::message(QStringLiteral("Die Datei konnte nicht gelesen werden:\n") +
                         QDir::toNativeSeparators(path) +
                         QStringLiteral("\nMeldung des Systems: \"") + readError + u'"');
        return;
    }
    if (!outcome.error.isEmpty()) {
        Dialogs::error(outcome.error);
        return;
    }
    Dialogs::message(ImportReport::reportText(outcome.cancelled, outcome.count, text.cutAtLine,
                                              selection.refusedLines));
}
