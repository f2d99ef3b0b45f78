#include "AppFixture.h"

#include "AppWindows.h"
#include "ImageCache.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

bool RecordingLauncher::start(const QString& relativeFile) {
    started << relativeFile;
    workingDirs << QDir::currentPath();
    return true;
}

AppFixture::AppFixture(const QString& discName) : m_discName(discName) {
    m_savedCwd = QDir::currentPath();
    TestSupport::isolateEnvironment(m_dir.path() + QStringLiteral("/env"));
    QDir().mkpath(dataDir());
    m_handler.message = [this](const QString& t) { boxes << QStringLiteral("message: ") + t; };
    m_handler.error = [this](const QString& t) { boxes << QStringLiteral("error: ") + t; };
    m_handler.confirm = [this](const QString& t) {
        boxes << QStringLiteral("confirm: ") + t;
        return confirmAnswer;
    };
    m_handler.openFile = [this](const QString&, const QString&) { return openFileAnswer; };
    Dialogs::setHandler(&m_handler);
}

AppFixture::~AppFixture() {
    stop();
    Dialogs::setHandler(nullptr);
    QDir::setCurrent(m_savedCwd);
}

bool AppFixture::makeArchive(int games, int disc, int tips, int seed) {
    return TestSupport::makeArchive(dataDir(), games, disc, tips, seed);
}

StartupOutcome AppFixture::start(const QString& programName, const QString& engineVersion) {
    registry.m_version = engineVersion;
    options.programPath = discDir() + u'/' + programName;
    options.startDir = discDir();
    options.registry = &registry;
    options.launcher = &launcher;
    if (options.hardDiskBase.isEmpty())
        options.hardDiskBase = m_dir.path() + QStringLiteral("/hd");
    options.singleInstance = false;
    QDir::setCurrent(discDir());
    m_started = true;
    const StartupOutcome outcome = startUp(options);
    QCoreApplication::processEvents();
    return outcome;
}

void AppFixture::stop() {
    if (!m_started)
        return;
    m_started = false;
    shutDown();
    QCoreApplication::processEvents();
    // Cache files still being written go to this fixture's folder, which is removed next.
    ImageCache::finishWrites();
    QDir::setCurrent(m_savedCwd);
}

QString AppFixture::writeImportFile(const QByteArray& bytes) const {
    const QString path = root() + QStringLiteral("/import.txt");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

TForm1* AppFixture::mainWindow() const {
    return Form1;
}
