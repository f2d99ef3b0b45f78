#pragma once

#include <QString>

class EngineRegistry;
class ProgramLauncher;

// What the start-up takes from the outside, so tests can run it in-process.
struct StartupOptions {
    QString programPath;                 // the running program file, full path
    QString startDir;                    // the current directory when the program started
    EngineRegistry* registry = nullptr;  // nullptr: the platform's own
    ProgramLauncher* launcher = nullptr; // nullptr: the platform's own
    QString hardDiskBase; // where the hard-disk folder levels start; empty: the platform's
    bool singleInstance = true;
    // The connection string of the server the archive lives on; empty: the DATA folder.
    QString archive;
};

enum class StartupOutcome {
    Running,            // the windows exist and the main window has been shown
    SecondCopy,         // another copy of this program file runs; it was asked to come forward
    EngineMissing,      // message shown, installer started, the program ends
    ArchiveUnavailable, // the server named by --archive could not be read; said in a box
};

// The start-up sequence up to and including the main window's first showing.
StartupOutcome startUp(const StartupOptions& options);

// Ends what startUp left (windows, the single-instance lock).
void shutDown();

// The whole program: start-up, then the message loop.
int runVantora(int argc, char** argv);
