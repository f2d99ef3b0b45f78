// vantora-convert --in DIR --out DIR: turns the archive's Paradox tables into SQLite table
// files for good; tables that are SQLite files already are copied as they are.

#include "ArchiveConverter.h"
#include "EngineError.h"

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantora-convert"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts the Paradox tables GameData.DB, CDData.DB and TipsData.DB of "
                       "the folder IN into SQLite table files in the folder OUT, and prints the "
                       "records converted per table. The tables in IN are only read."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("in"), QStringLiteral("Folder holding the Paradox tables."),
         QStringLiteral("DIR")},
        {QStringLiteral("out"), QStringLiteral("Folder to write the SQLite table files into."),
         QStringLiteral("DIR")},
    });
    parser.process(app);
    if (!parser.isSet(QStringLiteral("in")) || !parser.isSet(QStringLiteral("out")) ||
        !parser.positionalArguments().isEmpty()) {
        complain(QStringLiteral("usage: vantora-convert --in DIR --out DIR"));
        return 2;
    }

    QList<ArchiveConverter::TableOutcome> outcomes;
    try {
        outcomes = ArchiveConverter::convertFolder(parser.value(QStringLiteral("in")),
                                                   parser.value(QStringLiteral("out")));
    } catch (const EngineError& e) {
        complain(e.message());
        return 1;
    }

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
            complain(
                QStringLiteral("%1 not found in %2")
                    .arg(t.fileName, QDir::toNativeSeparators(parser.value(QStringLiteral("in")))));
            complete = false;
            break;
        case Kind::Failed:
            complain(QStringLiteral("%1 not converted: %2").arg(t.fileName, t.error));
            complete = false;
            break;
        }
    }
    return complete ? 0 : 1;
}
