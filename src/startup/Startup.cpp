#include "Startup.h"

#include "Accessibility.h"
#include "AppState.h"
#include "AppWindows.h"
#include "ArchiveSetup.h"
#include "CommandLine.h"
#include "ConnectedWindows.h"
#include "Connection.h"
#include "Dialogs.h"
#include "EngineRegistry.h"
#include "LargeAllocations.h"
#include "ProgramLauncher.h"
#include "ServerArchive.h"
#include "SingleInstanceGuard.h"
#include "StatisticsWindows.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm4.h"
#include "TSuchPage.h"
#include "ToolkitLanguage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

namespace {
std::unique_ptr<SingleInstanceGuard> g_guard;
ConnectedWindows g_links;
bool g_tableLost = false; // a table could not be read after the first screen

// The program cannot go on without the table. It says so once, after any box still open (an
// action that met the lost table first has said it already, `errorsBefore` telling), and ends
// with status 1.
void endForLostTable(const QString& failure, int errorsBefore) {
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(100, qApp,
                           [failure, errorsBefore] { endForLostTable(failure, errorsBefore); });
        return;
    }
    g_tableLost = true;
    if (Dialogs::errorsShown() == errorsBefore)
        Dialogs::error(failure);
    QCoreApplication::exit(1);
}
} // namespace

StartupOutcome startUp(const StartupOptions& options) {
    resetState();
    g_tableLost = false;
    connectLinks(&g_links);
    Accessibility::install();
    // Only one copy of a program file runs at a time.
    if (options.singleInstance) {
        const QString name = QFileInfo(options.programPath).fileName();
        g_guard = std::make_unique<SingleInstanceGuard>(name);
        if (!g_guard->tryLock()) {
            g_guard->askRunningCopyToActivate();
            g_guard.reset();
            return StartupOutcome::SecondCopy;
        }
    }
    ArchiveSetup::readDiscTablesAhead(options);

    // The wait window, painted at once.
    Form4 = new TForm4;
    Form4->show();
    Form4->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // The window titles are the whole captions, with no program name added after them.
    QGuiApplication::setApplicationDisplayName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Vantora"));

    // The main window, then the mode, the folders and the engine the archive needs.
    Form1 = new TForm1;
    if (g_guard)
        QObject::connect(g_guard.get(), &SingleInstanceGuard::activationRequested, Form1,
                         &TForm1::activateFromSecondCopy);
    Form1->FormCreate();
    if (const ArchiveSetup::Prepared prepared = ArchiveSetup::prepare(options);
        prepared != ArchiveSetup::Prepared::Ready) {
        destroyWindows();
        return prepared == ArchiveSetup::Prepared::InstallerStarted
                   ? StartupOutcome::EngineMissing
                   : StartupOutcome::ArchiveUnavailable;
    }

    // The other windows, created once for the whole run.
    SuchPage = new TSuchPage(Form1);
    Form2 = new TForm2(Form1);
    Form3 = new TForm3(Form1);
    Form5 = new TForm5(Form1);
    Form6 = new TForm6(Form1);
    // Each window connects its own keys.
    Form1->connectKeys();
    SuchPage->connectKeys();
    for (TStatForm* w : std::initializer_list<TStatForm*>{Form3, Form5, Form6})
        w->connectKeys();
    Form2->connectKeys();
    // Another program's changes on the server show without the user asking.
    ServerArchive::setChangeHandler(
        [](const QString& tableFile) { Links().followOutsideChange(tableFile); });

    // A table still being read from the server when the first screen shows ends the program
    // when it cannot be read, as at the start.
    if (ServerArchive::opening()) {
        Form1->setTablesArriving();
        ServerArchive::whenOpened([errorsBefore = Dialogs::errorsShown()](const QString& failure) {
            if (failure.isEmpty())
                Form1->tablesArrived();
            else
                endForLostTable(failure, errorsBefore);
        });
    }

    // The first showing reads the latest issues and shows the games view.
    Form1->show();
    return StartupOutcome::Running;
}

void shutDown() {
    ServerArchive::setChangeHandler(nullptr);
    ServerArchive::whenOpened(nullptr);
    destroyWindows();
    // Tables still being copied are waited for, and the listener ends, before the program.
    ServerArchive::close();
    g_guard.reset();
}

int runVantora(int argc, char** argv) {
    if (const std::optional<int> status = answerInformationSwitch(argc, argv))
        return *status;
    LargeAllocations::returnWhenFreed();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    if (!ToolkitLanguage::install())
        fprintf(stderr, "vantora: the toolkit's German texts are not installed\n");
    StartupOptions options;
    options.programPath = QCoreApplication::applicationFilePath();
    options.startDir = QDir::currentPath();
    options.archive = archiveArgument(argc, argv);
    const StartupOutcome outcome = startUp(options);
    // For measuring: report the peak memory once the first screen is painted, which tells
    // the end of the first showing, then again once the work begun after it (the sorts a
    // later start reads from the cache) is done, and end.
    if (qEnvironmentVariableIsSet("VANTORA_EXIT_AFTER_START")) {
        const auto reportPeak = [] {
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray& line : status.readAll().split('\n'))
                    if (line.startsWith("VmHWM"))
                        fprintf(stderr, "%s\n", line.constData());
            fflush(stderr);
        };
        if (outcome == StartupOutcome::Running) {
            // The window is exposed, and the grid laid out, through events: only then does a
            // paint read and show the rows.
            QCoreApplication::processEvents();
            Form1->repaint();
            reportPeak();
            while (ServerArchive::opening())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            QCoreApplication::processEvents();
            Connection::finishSorts();
        }
        reportPeak();
        shutDown();
        return g_tableLost ? 1 : outcome == StartupOutcome::Running ? 0 : 2;
    }
    if (outcome != StartupOutcome::Running) {
        shutDown();
        // 2 tells a starting script that the engine installer was started.
        return outcome == StartupOutcome::EngineMissing        ? 2
               : outcome == StartupOutcome::ArchiveUnavailable ? 1
                                                               : 0;
    }
    // A table lost while the first showing's box was open ends the program before its loop.
    const int rc = g_tableLost ? 1 : QApplication::exec();
    shutDown();
    return g_tableLost ? 1 : rc;
}
