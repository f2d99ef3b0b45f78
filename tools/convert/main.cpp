// vantora-convert --in DIR --out DIR: turns the archive's Paradox tables into SQLite table
// files for good; tables that are SQLite files already are copied as they are.
// vantora-convert --in DIR --out CONNINFO [--replace]: loads the tables onto a database server.
// vantora-convert --in CONNINFO --out DIR: writes the server's tables back as SQLite files.

#include "ArchiveConverter.h"
#include "EngineError.h"
#include "ServerConnection.h"
#include "ServerTransfer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

void complain(const QString& message) {
    std::fprintf(stderr, "vantora-convert: %s\n", message.toLocal8Bit().constData());
}

void report(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Prints one line per table; false when a table was not converted. `source` names the input
// folder for a missing table (a server's outcome says where it looked itself).
bool reportOutcomes(const QList<ArchiveConverter::TableOutcome>& outcomes, const QString& source,
                    bool server) {
    bool complete = true;
    using Kind = ArchiveConverter::TableOutcome::Kind;
    for (const auto& t : outcomes) {
        switch (t.kind) {
        case Kind::Converted:
            report(QStringLiteral("%1: %2 Datensätze").arg(t.fileName).arg(t.rows));
            break;
        case Kind::Copied:
            report(QStringLiteral("%1: %2 Datensätze (SQLite-Datei, unverändert kopiert)")
                       .arg(t.fileName)
                       .arg(t.rows));
            break;
        case Kind::Missing:
            complain(!t.error.isEmpty() ? t.error
                                        : QStringLiteral("%1 not found in %2")
                                              .arg(t.fileName, QDir::toNativeSeparators(source)));
            complete = false;
            break;
        case Kind::Failed:
            complain((server ? QStringLiteral("%1 nicht übertragen: %2")
                             : QStringLiteral("%1 not converted: %2"))
                         .arg(t.fileName, t.error));
            complete = false;
            break;
        }
    }
    return complete;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantora-convert"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts the Paradox tables GameData.DB, CDData.DB and TipsData.DB of the folder IN "
        "into SQLite table files in the folder OUT, and prints the records converted per "
        "table. The tables in IN are only read.\n\n"
        "IN or OUT may name a PostgreSQL database instead of a folder: a connection string of "
        "key=value pairs (\"host=db.example dbname=vantora\", \"service=vantora\") or a URI "
        "beginning with postgresql:// or postgres://. An argument is taken for a connection "
        "string when it begins so or when all of it reads as key=value pairs with keywords "
        "libpq knows; write a folder whose name looks like that as ./NAME.\n"
        "  --in DIR --out CONNINFO  loads the three tables onto the server, one transaction "
        "each, with a hidden key column vantora_key that keeps the folder's order.\n"
        "  --in CONNINFO --out DIR  writes the server's tables back as SQLite table files.\n"
        "Passwords belong in the password file (~/.pgpass) or the service file "
        "(~/.pg_service.conf), not on the command line; messages never repeat them."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("in"),
         QStringLiteral("Folder holding the tables, or the server to read them from."),
         QStringLiteral("DIR|CONNINFO")},
        {QStringLiteral("out"),
         QStringLiteral("Folder to write the SQLite table files into, or the server to load."),
         QStringLiteral("DIR|CONNINFO")},
        {QStringLiteral("replace"),
         QStringLiteral("Replace tables that the server holds already (loading only).")},
    });
    parser.process(app);
    if (!parser.isSet(QStringLiteral("in")) || !parser.isSet(QStringLiteral("out")) ||
        !parser.positionalArguments().isEmpty()) {
        complain(QStringLiteral("usage: vantora-convert --in DIR|CONNINFO --out DIR|CONNINFO "
                                "[--replace]"));
        return 2;
    }
    const QString in = parser.value(QStringLiteral("in"));
    const QString out = parser.value(QStringLiteral("out"));
    const bool fromServer = ServerConnection::isConnectionString(in);
    const bool toServer = ServerConnection::isConnectionString(out);
    const bool replace = parser.isSet(QStringLiteral("replace"));
    if (fromServer && toServer) {
        complain(QStringLiteral("Von Server zu Server wird nicht übertragen; eine Seite muss ein "
                                "Ordner sein."));
        return 2;
    }
    if (replace && !toServer) {
        complain(QStringLiteral("--replace gilt nur beim Laden auf einen Server."));
        return 2;
    }

    QList<ArchiveConverter::TableOutcome> outcomes;
    try {
        if (toServer)
            outcomes = ServerTransfer::load(in, out, replace);
        else if (fromServer)
            outcomes = ServerTransfer::unload(in, out);
        else
            outcomes = ArchiveConverter::convertFolder(in, out);
    } catch (const EngineError& e) {
        complain(e.message());
        return 1;
    }
    return reportOutcomes(outcomes, in, fromServer || toServer) ? 0 : 1;
}
