#include "ServerArchive.h"

#include "EngineError.h"
#include "RecordStore.h"
#include "ServerConnection.h"
#include "ServerTableStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

namespace {

struct OpenArchive {
    std::unique_ptr<QTemporaryDir> folder;
    QStringList mirrors;
};

OpenArchive& current() {
    static OpenArchive archive;
    return archive;
}

// A folder of the user's own for the mirrors: the runtime folder, which only the user may
// enter and which is emptied at logout, or else the cache folder.
std::unique_ptr<QTemporaryDir> privateFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(base);
    // QTemporaryDir makes the folder with mode 0700.
    auto folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/vantora-archive-XXXXXX"));
    if (!folder->isValid())
        throw EngineError(QStringLiteral("Für die Tabellen des Servers lässt sich kein Ordner "
                                         "anlegen: %1")
                              .arg(folder->errorString()));
    return folder;
}

} // namespace

QString ServerArchive::open(const QString& conninfo, const QStringList& fileNames) {
    close();
    auto server = std::make_shared<ServerConnection>(conninfo);
    // A statement that hangs (a lock another program holds, a server that stopped answering)
    // ends after this long instead of holding the program.
    server->setStatementTimeout(ServerConnection::kStatementTimeout);
    auto lock = std::make_shared<QMutex>();
    OpenArchive& archive = current();
    archive.folder = privateFolder();
    try {
        for (const QString& file : fileNames) {
            const QString path = archive.folder->filePath(file);
            auto store = std::make_shared<ServerTableStore>(
                server, lock, QFileInfo(file).completeBaseName(), path);
            RecordStore::attach(path, std::move(store));
            archive.mirrors << path;
        }
    } catch (...) {
        close();
        throw;
    }
    return archive.folder->path();
}

void ServerArchive::close() {
    OpenArchive& archive = current();
    for (const QString& path : std::as_const(archive.mirrors))
        RecordStore::attach(path, nullptr);
    archive.mirrors.clear();
    archive.folder.reset();
}
