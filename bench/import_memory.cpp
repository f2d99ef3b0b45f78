// vantora-importmemory: the memory an import of a large text file takes, through the import's
// own parts: the file read in pieces, the issue check and the table's append in groups, as the
// info window runs them (without its windows).
//
//   vantora-importmemory [--lines N] [--work DIR] [--whole] [--server CONNINFO]
//
// --whole reads the file whole first and keeps every record before appending, for comparison.
// --server imports into the disc-content table of an archive on that server (loaded with
// vantora-convert) instead of a fresh table file.
// Prints the resident memory before the import and its peak during it (VmHWM, reset just
// before through /proc/self/clear_refs), and the import's time.
#include "EngineError.h"
#include "FieldChecks.h"
#include "ImportReader.h"
#include "ImportReport.h"
#include "ImportSelection.h"
#include "ServerArchive.h"
#include "Table.h"
#include "TableTextImport.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double statusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Starts a new peak at the memory resident now.
bool resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

bool writeImportFile(const QString& path, int lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    for (int i = 0; i < lines; ++i) {
        // About a hundred bytes a line.
        chunk += "Titel " + QByteArray::number(i).rightJustified(7, '0') +
                 " von der Heft-CD, eine Demo mit drei spielbaren Levels und Patch\t2002/05\t"
                 "Demo\tCD\r\n";
        if (chunk.size() > (1 << 20) || i + 1 == lines) {
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    return file.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int lines = 1000000;
    bool whole = false;
    QString work, server;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lines") && i + 1 < args.size())
            lines = args[++i].toInt();
        else if (args[i] == QLatin1String("--work") && i + 1 < args.size())
            work = args[++i];
        else if (args[i] == QLatin1String("--server") && i + 1 < args.size())
            server = args[++i];
        else if (args[i] == QLatin1String("--whole"))
            whole = true;
        else {
            std::fprintf(stderr, "usage: vantora-importmemory [--lines N] [--work DIR] [--whole] "
                                 "[--server CONNINFO]\n");
            return 2;
        }
    }
    QTemporaryDir temporary;
    if (work.isEmpty())
        work = temporary.path();
    const QString importPath = work + QStringLiteral("/import.txt");
    if (!writeImportFile(importPath, lines)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(importPath));
        return 1;
    }
    QString folder = work;
    if (server.isEmpty()) {
        QFile::remove(work + QStringLiteral("/CDData.DB"));
        TestSupport::makeTable(work + QStringLiteral("/CDData.DB"), QStringLiteral("CDData"),
                               TestSupport::kDiscSchema, {{"alt", "2001/01", "Demo", "CD"}});
    } else {
        try {
            folder = ServerArchive::open(server, {QStringLiteral("CDData.DB")});
        } catch (const EngineError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
            return 1;
        }
    }
    Table table;
    table.setDatabaseName(folder);
    table.setTableName(QStringLiteral("CDData.DB"));
    table.setReadOnly(false);
    table.open();
    const int issueField = table.fieldIndex(QStringLiteral("AUSGABE"));
    const int latestYear = FieldChecks::latestIssueYear();

    if (!resetPeak()) {
        std::fprintf(stderr, "cannot reset the peak through /proc/self/clear_refs\n");
        return 1;
    }
    const double before = statusMegabytes("VmRSS:");
    QElapsedTimer took;
    took.start();
    TableTextImport::Outcome outcome;
    QFile file(importPath);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    if (whole) {
        // As the import did before: the bytes, every record and the kept ones held at once.
        const QByteArray bytes = file.readAll();
        const TextExchange::ImportText text = TextExchange::readImport(bytes);
        QList<TextExchange::Record> kept;
        for (const TextExchange::Record& record : text.records)
            if (ImportReport::keeps(record, issueField, latestYear))
                kept.append(record);
        outcome = TableTextImport::append(table, kept);
    } else {
        TextExchange::ImportReader reader(file);
        if (!reader.scan())
            return 1;
        ImportSelection selection(reader, issueField, latestYear);
        outcome = TableTextImport::append(table, selection);
    }
    const double peak = statusMegabytes("VmHWM:");
    const double seconds = double(took.elapsed()) / 1000.0;
    std::printf("lines=%d file=%.1fMB %s%s stored=%d before=%.1fMB peak=%.1fMB growth=%.1fMB "
                "time=%.1fs\n",
                lines, double(QFile(importPath).size()) / (1024.0 * 1024.0),
                whole ? "whole" : "streamed", server.isEmpty() ? "" : " server", outcome.count,
                before, peak, peak - before, seconds);
    if (!outcome.error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
    return outcome.error.isEmpty() && outcome.count == lines ? 0 : 1;
}
