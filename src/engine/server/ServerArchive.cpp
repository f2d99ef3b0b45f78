#include "ServerArchive.h"

#include "EngineError.h"
#include "RecordStore.h"
#include "ServerConnection.h"
#include "ServerListener.h"
#include "ServerTableStore.h"

#include "CacheFolder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <exception>
#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

struct OpenArchive {
    std::unique_ptr<QTemporaryDir> folder; // when the mirrors are not kept
    QString keptFolder;                    // else the cache folder that keeps them
    int keptLock = -1;                     // held while this run uses that folder
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

void startListening(const QString& conninfo, const HostLookup::Target& target) {
    if (!QCoreApplication::instance())
        return;
    OpenArchive& archive = current();
    auto* listener = new ServerListener(conninfo, ServerArchive::kChangesChannel, target,
                                        QCoreApplication::instance());
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

// What names the server and database for the kept mirrors: the cluster's system identifier
// (where the login may read it) and the database's object id, with the database, host and
// port as connected. A database made anew, or another cluster at the same address, is another
// name.
QString serverIdentity(ServerConnection& server) {
    const QString what = QStringLiteral("Das Lesen der Kennung des Servers");
    const QString database =
        QStringLiteral("SELECT oid::text FROM pg_catalog.pg_database WHERE datname = "
                       "pg_catalog.current_database()");
    QByteArray identity = server.name().toUtf8();
    try {
        const ServerResult r = server.exec(
            what,
            QStringLiteral("SELECT system_identifier::text FROM pg_catalog.pg_control_system()"));
        identity += '\n' + r.bytes(0, 0);
    } catch (const ServerError& e) {
        // A login without the right to read the cluster's control data, or a server without
        // the function: the database's object id and address name it then.
        if (e.sqlState().isEmpty() || e.sqlState().startsWith("08") ||
            e.sqlState().startsWith("57P"))
            throw;
    }
    identity += '\n' + server.exec(what, database).bytes(0, 0);
    return QString::fromLatin1(
        QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(32));
}

// The cache folder that keeps the mirrors of `identity` across runs, taken for this run alone
// (another copy of the program that has it reads into a private folder); empty when there is
// none fit to use.
QString keptFolder(const QString& identity, int& lock) {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                         QStringLiteral("/vantora");
    const QString path = base + QStringLiteral("/server-") + identity;
    if (!CacheFolder::open(base) || !CacheFolder::open(path))
        return {};
    lock = ::open(QFile::encodeName(path).constData(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (lock < 0)
        return {};
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        lock = -1;
        return {};
    }
    // What a run ended while writing left behind.
    for (const QString& left :
         QDir(path).entryList({QStringLiteral("*.new-*"), QStringLiteral("*-journal")},
                              QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(QDir(path).filePath(left));
    return path;
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
    archive.keptFolder = keptFolder(serverIdentity(*server), archive.keptLock);
    if (archive.keptFolder.isEmpty())
        archive.folder = privateFolder();
    const QString folder = archive.folder ? archive.folder->path() : archive.keptFolder;
    // The tables are read side by side, each on a connection of its own, which ends with it.
    const bool kept = !archive.folder;
    std::vector<std::future<std::shared_ptr<ServerTableStore>>> reads;
    for (const QString& file : fileNames)
        reads.push_back(std::async(std::launch::async, [=] {
            return std::make_shared<ServerTableStore>(
                server, lock, QFileInfo(file).completeBaseName(), QDir(folder).filePath(file), kept,
                std::make_shared<ServerConnection>(conninfo, server->target()));
        }));
    std::exception_ptr failed;
    for (qsizetype i = 0; i < fileNames.size(); ++i) {
        try {
            const QString path = QDir(folder).filePath(fileNames[i]);
            std::shared_ptr<ServerTableStore> store = reads[size_t(i)].get();
            archive.tables.insert(QFileInfo(fileNames[i]).completeBaseName(),
                                  {fileNames[i], store});
            RecordStore::attach(path, std::move(store));
            archive.mirrors << path;
        } catch (...) {
            if (!failed)
                failed = std::current_exception();
        }
    }
    if (failed) {
        close();
        std::rethrow_exception(failed);
    }
    startListening(conninfo, server->target());
    return folder;
}

void ServerArchive::close() {
    OpenArchive& archive = current();
    for (const QString& path : std::as_const(archive.mirrors))
        RecordStore::attach(path, nullptr);
    archive.mirrors.clear();
    archive.tables.clear();
    delete archive.listener;
    archive.folder.reset();
    archive.keptFolder.clear();
    if (archive.keptLock >= 0)
        ::close(archive.keptLock);
    archive.keptLock = -1;
}

void ServerArchive::setChangeHandler(std::function<void(const QString&)> handler) {
    current().changeHandler = std::move(handler);
}

bool ServerArchive::listening() {
    return current().listener && current().listener->isListening();
}
