#include "ServerArchive.h"

#include "EngineError.h"
#include "RecordStore.h"
#include "ServerConnection.h"
#include "ServerListener.h"
#include "ServerTableStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

namespace {

struct OpenArchive {
    std::unique_ptr<QTemporaryDir> folder;
    QStringList mirrors;
    // The tables by their name on the server, for the listener's announcements.
    struct Mirrored {
        QString fileName;
        std::shared_ptr<ServerTableStore> store;
    };
    QHash<QString, Mirrored> tables;
    QPointer<ServerListener> listener;
    std::function<void(const QString&)> changeHandler;
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

// Tells the handler of each table among `names` (every table when empty) that another
// program changed since its mirror was read.
void reportChanges(const QStringList& names) {
    OpenArchive& archive = current();
    QStringList changed;
    for (auto it = archive.tables.cbegin(); it != archive.tables.cend(); ++it) {
        if (!names.isEmpty() && !names.contains(it.key()))
            continue;
        try {
            if (it->store->changedElsewhere())
                changed << it->fileName;
        } catch (const EngineError&) {
            // The next query meets the fault and says so; the listener stays quiet.
        }
    }
    for (const QString& fileName : std::as_const(changed))
        if (archive.changeHandler)
            archive.changeHandler(fileName);
}

void startListening(const QString& conninfo) {
    if (!QCoreApplication::instance())
        return;
    OpenArchive& archive = current();
    auto* listener =
        new ServerListener(conninfo, ServerArchive::kChangesChannel, QCoreApplication::instance());
    // A notification names the table; one without a name stands for all of them. After a
    // (re)connection whatever was announced meanwhile is lost: the counters tell. The windows
    // hear of it from the event loop, once the listener has read what arrived.
    QObject::connect(
        listener, &ServerListener::notified, listener,
        [](const QString& table) {
            reportChanges(table.isEmpty() ? QStringList() : QStringList{table});
        },
        Qt::QueuedConnection);
    QObject::connect(
        listener, &ServerListener::listening, listener, [] { reportChanges({}); },
        Qt::QueuedConnection);
    archive.listener = listener;
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
            const QString table = QFileInfo(file).completeBaseName();
            auto store = std::make_shared<ServerTableStore>(server, lock, table, path);
            archive.tables.insert(table, {file, store});
            RecordStore::attach(path, std::move(store));
            archive.mirrors << path;
        }
    } catch (...) {
        close();
        throw;
    }
    startListening(conninfo);
    return archive.folder->path();
}

void ServerArchive::close() {
    OpenArchive& archive = current();
    for (const QString& path : std::as_const(archive.mirrors))
        RecordStore::attach(path, nullptr);
    archive.mirrors.clear();
    archive.tables.clear();
    delete archive.listener;
    archive.folder.reset();
}

void ServerArchive::setChangeHandler(std::function<void(const QString&)> handler) {
    current().changeHandler = std::move(handler);
}

bool ServerArchive::listening() {
    return current().listener && current().listener->isListening();
}
