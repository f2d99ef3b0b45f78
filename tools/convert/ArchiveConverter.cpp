#include "ArchiveConverter.h"

#include "Connection.h"
#include "EngineError.h"
#include "ParadoxReader.h"
#include "Table.h"
#include "Views.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <filesystem>
#include <system_error>

namespace ArchiveConverter {

namespace {

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

TableOutcome convertTable(const ViewDefinition& view, const QString& inDir, const QString& outDir,
                          const QString& stagingDir) {
    TableOutcome outcome;
    const QString tableName = QFileInfo(view.tableFile).completeBaseName();
    outcome.fileName = tableName + QStringLiteral(".DB");
    const QString source = Connection::resolvePath(inDir + u'/' + outcome.fileName);
    if (source.isEmpty()) {
        outcome.kind = TableOutcome::Kind::Missing;
        return outcome;
    }
    const QString target = outDir + u'/' + outcome.fileName;
    std::error_code ec;
    if (QFileInfo::exists(target) &&
        std::filesystem::equivalent(fsPath(source), fsPath(target), ec))
        throw EngineError(
            QStringLiteral("%1 would be written over its input %2")
                .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(source)));

    const QString staged = stagingDir + u'/' + outcome.fileName;
    if (ParadoxReader::looksLikeParadox(source)) {
        outcome.kind = TableOutcome::Kind::Converted;
        const long written = ParadoxReader::convertToSqlite(source, staged, tableName, view.fields);
        outcome.rows = countRows(stagingDir, outcome.fileName);
        if (outcome.rows != written)
            throw EngineError(QStringLiteral("%1: %2 records written, %3 read back")
                                  .arg(outcome.fileName)
                                  .arg(written)
                                  .arg(outcome.rows));
    } else {
        outcome.kind = TableOutcome::Kind::Copied;
        if (!QFile::copy(source, staged))
            throw EngineError(
                QStringLiteral("Cannot copy %1").arg(QDir::toNativeSeparators(source)));
        // Only a file the program can open is worth copying.
        outcome.rows = countRows(stagingDir, outcome.fileName);
    }
    moveIntoPlace(staged, outDir, outcome.fileName);
    return outcome;
}

} // namespace

long countRows(const QString& dir, const QString& fileName) {
    Table table;
    table.setDatabaseName(dir);
    table.setTableName(fileName);
    table.setReadOnly(true);
    table.open();
    const long rows = table.recordCount();
    table.close();
    return rows;
}

void moveIntoPlace(const QString& staged, const QString& outDir, const QString& fileName) {
    const QString target = outDir + u'/' + fileName;
    std::error_code ec;
    std::filesystem::rename(fsPath(staged), fsPath(target), ec);
    if (ec)
        throw EngineError(QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(target),
                                   QString::fromLocal8Bit(ec.message().c_str())));
    // The engine finds tables without regard to case, so an older output under another
    // spelling would stand beside the new one.
    const QStringList entries = QDir(outDir).entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry != fileName && entry.compare(fileName, Qt::CaseInsensitive) == 0)
            QFile::remove(outDir + u'/' + entry);
}

QList<TableOutcome> convertFolder(const QString& inDir, const QString& outDir) {
    const QFileInfo in(inDir);
    if (!in.isDir())
        throw EngineError(
            QStringLiteral("No such folder: %1").arg(QDir::toNativeSeparators(inDir)));
    if (!QDir().mkpath(outDir))
        throw EngineError(
            QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(outDir)));
    const QString out = QFileInfo(outDir).canonicalFilePath();
    if (out == in.canonicalFilePath())
        throw EngineError(QStringLiteral("The output folder is the input folder; the tables "
                                         "would be written over their originals"));

    // Every table is written beside its place first and moved in when it is complete.
    QTemporaryDir staging(out + QStringLiteral("/.vantora-convert-XXXXXX"));
    if (!staging.isValid())
        throw EngineError(QStringLiteral("Cannot write into %1: %2")
                              .arg(QDir::toNativeSeparators(out), staging.errorString()));

    QList<TableOutcome> outcomes;
    for (const ViewDefinition& view : Views::all()) {
        try {
            outcomes << convertTable(view, in.canonicalFilePath(), out, staging.path());
        } catch (const EngineError& e) {
            TableOutcome failed;
            failed.fileName = QFileInfo(view.tableFile).completeBaseName() + QStringLiteral(".DB");
            failed.kind = TableOutcome::Kind::Failed;
            failed.error = e.message();
            outcomes << failed;
        }
    }
    return outcomes;
}

} // namespace ArchiveConverter
