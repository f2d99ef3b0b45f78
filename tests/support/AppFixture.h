#pragma once

#include "Dialogs.h"
#include "EngineRegistry.h"
#include "ProgramLauncher.h"
#include "Startup.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TForm1;

// A registry stand-in that answers a fixed engine version.
class FixedRegistry : public EngineRegistry {
public:
    explicit FixedRegistry(QString version) : m_version(std::move(version)) {}
    QString engineVersion() const override { return m_version; }
    QString m_version;
};

// A launcher that only records what it was asked to start, and from where.
class RecordingLauncher : public ProgramLauncher {
public:
    bool start(const QString& relativeFile) override;
    QStringList started;
    QStringList workingDirs;
};

// Runs the whole start-up in-process over a generated sample archive in a fresh temporary
// disc folder, and answers every message box.
class AppFixture {
public:
    // `discName` is the name of the start folder below the fixture's temporary folder.
    explicit AppFixture(const QString& discName = QStringLiteral("disc"));
    ~AppFixture();

    QString discDir() const { return m_dir.path() + u'/' + m_discName; }
    QString dataDir() const { return discDir() + QStringLiteral("/DATA"); }
    QString root() const { return m_dir.path(); }

    // Writes `bytes` to import.txt in the fixture's folder; its path, empty when it failed.
    QString writeImportFile(const QByteArray& bytes) const;

    // Writes the sample archive (small, fixed seed) into DATA.
    bool makeArchive(int games = 40, int disc = 60, int tips = 30, int seed = 7);

    // Starts the program as `programName` from the disc folder.
    StartupOutcome start(const QString& programName = QStringLiteral("vantora"),
                         const QString& engineVersion = QStringLiteral("1.00"));
    void stop();

    TForm1* mainWindow() const;

    // Every box shown, in order: "message: ...", "error: ...", "confirm: ...".
    QStringList boxes;
    // The answer to the next confirmations (true = OK).
    bool confirmAnswer = true;
    // The file the next file-open dialog returns (empty = cancelled).
    QString openFileAnswer;

    FixedRegistry registry{QStringLiteral("1.00")};
    RecordingLauncher launcher;
    StartupOptions options;

private:
    QTemporaryDir m_dir;
    QString m_discName;
    QString m_savedCwd;
    Dialogs::Handler m_handler;
    bool m_started = false;
};
