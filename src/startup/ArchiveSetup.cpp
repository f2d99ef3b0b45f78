#include "ArchiveSetup.h"

#include "AppState.h"
#include "Connection.h"
#include "Dialogs.h"
#include "EngineError.h"
#include "EngineRegistry.h"
#include "FileOps.h"
#include "HardDiskFolder.h"
#include "ProgramLauncher.h"
#include "ServerArchive.h"
#include "Startup.h"
#include "TForm1.h"
#include "TableCopy.h"
#include "Views.h"

#include <QDir>
#include <QLocale>

namespace {

const QString kMessageA =
    QStringLiteral("Achtung! Auf Ihrem System wird jetzt die \"Vantora-Engine\" installiert.\n"
                   "Diese Datenbanktreiber-Installation ist nur ein einziges Mal notwendig.\n"
                   "Rufen Sie das Vantora-Hauptprogramm danach bitte erneut auf (\"Start\").");
const QString kMessageB =
    QStringLiteral("Achtung! Jetzt wird ein Update der \"Vantora-Engine\" installiert. Starten "
                   "Sie bitte danach den \"Vantora\" nochmal.");
const QString kInstaller = QStringLiteral("VTEngine\\Setup.exe");

QChar sep() {
    return QDir::separator();
}

// The mode, the first issue of each table and the folder the tables are read from; in
// hard-disk mode the folder changes once the engine check has passed.
void setModeAndFolders(const StartupOptions& options) {
    AppState& s = State();
    s.HardDiskMode = TForm1::isHardDiskProgram(options.programPath) ? 1 : 0;
    // The archive starts with the issue of October 1997 in every table.
    s.GamesFirstMonth = s.DiscFirstMonth = s.TipsFirstMonth = 10;
    s.GamesFirstYear = s.DiscFirstYear = s.TipsFirstYear = 1997;
    QString start = QDir::toNativeSeparators(options.startDir);
    s.SourceDataDir =
        start + (start.endsWith(sep()) ? QString() : QString(sep())) + QStringLiteral("DATA");
    s.DataDir = s.SourceDataDir;
}

enum class EngineCheck { Ready, Unreadable, InstallerStarted };

// Reads the engine's version; below 1 the installer is started from the start folder.
EngineCheck checkEngine(const StartupOptions& options) {
    AppState& s = State();
    EngineRegistry defaultRegistry;
    EngineRegistry* registry = options.registry ? options.registry : &defaultRegistry;
    const QString value = registry->engineVersion();
    bool ok = false;
    const double version = QLocale::c().toDouble(value.trimmed(), &ok);
    if (!ok) {
        Dialogs::error(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(value));
        return EngineCheck::Unreadable;
    }
    s.EngineVersion = version;
    if (s.EngineVersion != 0 && s.EngineVersion >= 1)
        return EngineCheck::Ready;
    Dialogs::message(s.EngineVersion == 0 ? kMessageA : kMessageB);
    ProgramLauncher defaultLauncher;
    ProgramLauncher* launcher = options.launcher ? options.launcher : &defaultLauncher;
    const QString before = QDir::currentPath();
    FileOps::setCurrentDir(options.startDir);
    launcher->start(kInstaller);
    FileOps::setCurrentDir(before);
    return EngineCheck::InstallerStarted;
}

// Hard-disk mode works on copies: the disc's tables are copied at every start.
void copyTablesToHardDisk(const StartupOptions& options) {
    AppState& s = State();
    s.SourceDataDir += sep();
    s.DataDir = QDir::toNativeSeparators(HardDiskFolder::dataDir(options.hardDiskBase));
    HardDiskFolder::makeBase(options.hardDiskBase);
    for (const QString& level : HardDiskFolder::levels(options.hardDiskBase))
        FileOps::makeDir(level);
    for (const QString& file : Views::diskTableFiles()) {
        QString source = s.SourceDataDir + file;
        const QString found = Connection::resolvePath(source);
        if (!found.isEmpty())
            source = found;
        const QString target = s.DataDir + sep() + file;
        FileOps::clearAttributes(target);
        // A copy appears under its name only when complete, and no journal of an
        // earlier session survives beside it.
        TableCopy::copyTable(source, target);
        FileOps::clearAttributes(target);
    }
}

// The proofs of the tables' contents are read side by side while the windows are made.
void readTablesAhead(const QString& dataDir) {
    QStringList tables;
    for (const QString& file : Views::diskTableFiles())
        if (const QString found = Connection::resolvePath(dataDir + sep() + file); !found.isEmpty())
            tables << found;
    ContentProof::readAhead(tables);
}

} // namespace

void ArchiveSetup::readDiscTablesAhead(const StartupOptions& options) {
    if (options.archive.isEmpty() && !TForm1::isHardDiskProgram(options.programPath))
        readTablesAhead(QDir(options.startDir).filePath(QStringLiteral("DATA")));
}

ArchiveSetup::Prepared ArchiveSetup::prepare(const StartupOptions& options) {
    setModeAndFolders(options);
    // The full stop is the decimal separator for the whole run.
    QLocale::setDefault(QLocale::c());

    switch (checkEngine(options)) {
    case EngineCheck::InstallerStarted:
        return Prepared::InstallerStarted;
    case EngineCheck::Unreadable:
        // The rest of the set-up is skipped; the start-up goes on.
        return Prepared::Ready;
    case EngineCheck::Ready:
        break;
    }
    if (!options.archive.isEmpty()) {
        // The server's tables are read into a folder of their own, which the views then name;
        // hard-disk mode has nothing to copy and works on the server as well.
        try {
            // The first screen's rows are read from the server while its tables are copied.
            State().DataDir = State().SourceDataDir = QDir::toNativeSeparators(ServerArchive::open(
                options.archive, Views::diskTableFiles(), [](const QString& folder) {
                    QStringList texts;
                    for (const QStringList& lines :
                         TForm1::firstShowingStatements(QDir::toNativeSeparators(folder)))
                        texts << lines.join(u'\n');
                    return texts;
                }));
        } catch (const EngineError& e) {
            Dialogs::error(e.message());
            return Prepared::ArchiveUnavailable;
        }
        FileOps::setCurrentDir(FileOps::tempFolder());
        return Prepared::Ready;
    }
    if (State().HardDiskMode == 1)
        copyTablesToHardDisk(options);
    // The copies are new files: their contents are read once they are complete.
    if (State().HardDiskMode == 1)
        readTablesAhead(State().DataDir);

    // The start folder may be a read-only disc: the run works in the temporary folder.
    FileOps::setCurrentDir(FileOps::tempFolder());
    return Prepared::Ready;
}
