#include "ServerArchive.h"

#include "EarlyResults.h"
#include "EngineError.h"
#include "RecordStore.h"
#include "ServerConnection.h"
#include "ServerEarlyRows.h"
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
#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <future>
#include <memory>
#include <optional>
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
    // The reads still under way when open() returned, one per file, and what waits for them.
    QString conninfo;
    HostLookup::Target target;
    QStringList readNames;
    std::vector<std::shared_future<std::shared_ptr<RecordStore>>> reads;
    std::future<void> watcher;
    std::function<void(const QString&)> openedHandler;
    quint64 generation = 0;
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

namespace {

// Takes the tables read by now into the archive; the failure of the first that was not read.
std::exception_ptr takeReads(const QStringList& fileNames, const QString& folder,
                             std::vector<std::shared_future<std::shared_ptr<RecordStore>>>& reads) {
    OpenArchive& archive = current();
    std::exception_ptr failure;
    for (qsizetype i = 0; i < fileNames.size(); ++i) {
        const QString path = QDir(folder).filePath(fileNames[i]);
        try {
            std::shared_ptr<RecordStore> store = reads[size_t(i)].get();
            archive.tables.insert(
                QFileInfo(fileNames[i]).completeBaseName(),
                {fileNames[i], std::static_pointer_cast<ServerTableStore>(store)});
            RecordStore::attach(path, std::move(store));
            archive.mirrors << path;
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    reads.clear();
    return failure;
}

QString messageOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EngineError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

// On the event loop, once every table open() left under way is read.
void finishOpening(quint64 generation) {
    OpenArchive& archive = current();
    if (archive.generation != generation || archive.reads.empty())
        return;
    const QString folder = archive.folder ? archive.folder->path() : archive.keptFolder;
    const std::exception_ptr failure = takeReads(archive.readNames, folder, archive.reads);
    if (!failure)
        startListening(archive.conninfo, archive.target);
    // The handler may still open what was read early, and then the files take over.
    if (archive.openedHandler)
        archive.openedHandler(failure ? messageOf(failure) : QString());
    EarlyResults::clear();
}

} // namespace

QString ServerArchive::open(const QString& conninfo, const QStringList& fileNames,
                            const FirstStatements& firstStatements) {
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
    // Where first rows are read early, each read tells whether it copies the table (and in
    // which snapshot) before it does, and copies once the first rows are in.
    const bool kept = !archive.folder;
    const bool early = firstStatements && QCoreApplication::instance();
    using Decided = std::optional<ServerTableStore::Fresh>;
    std::vector<std::shared_ptr<std::promise<Decided>>> decisions;
    auto go = std::make_shared<std::promise<void>>();
    const std::shared_future<void> begun = go->get_future().share();
    std::vector<std::shared_future<std::shared_ptr<RecordStore>>> reads;
    for (const QString& file : fileNames) {
        auto decided = std::make_shared<std::promise<Decided>>();
        decisions.push_back(decided);
        reads.push_back(std::async(std::launch::async, [=]() -> std::shared_ptr<RecordStore> {
                            bool told = false;
                            const ServerTableStore::BeforeCopy beforeCopy =
                                [&](const ServerTableStore::Fresh* fresh) {
                                    told = true;
                                    decided->set_value(fresh ? Decided(*fresh) : std::nullopt);
                                    if (fresh)
                                        begun.wait();
                                };
                            try {
                                return std::make_shared<ServerTableStore>(
                                    server, lock, QFileInfo(file).completeBaseName(),
                                    QDir(folder).filePath(file), kept,
                                    std::make_shared<ServerConnection>(conninfo, server->target()),
                                    early ? beforeCopy : ServerTableStore::BeforeCopy());
                            } catch (...) {
                                if (early && !told)
                                    decided->set_exception(std::current_exception());
                                throw;
                            }
                        }).share());
    }
    std::vector<Decided> fresh(size_t(fileNames.size()));
    bool copying = false, failed = !early;
    for (size_t i = 0; early && i < decisions.size(); ++i) {
        try {
            fresh[i] = decisions[i]->get_future().get();
            copying = copying || fresh[i].has_value();
        } catch (...) {
            failed = true;
        }
    }
    if (!copying || failed) {
        go->set_value();
        if (const std::exception_ptr failure = takeReads(fileNames, folder, reads)) {
            close();
            std::rethrow_exception(failure);
        }
        startListening(conninfo, server->target());
        return folder;
    }

    // The first rows of each statement over a table being copied, read on a connection of
    // their own in that copy's snapshot.
    std::vector<std::shared_future<std::shared_ptr<const EarlyResult>>> firstRows;
    for (const QString& statement : firstStatements(folder)) {
        const std::optional<TranslatedStatement> t = EarlyResults::overEveryRow(statement);
        if (!t)
            continue;
        const QString file = QFileInfo(t->tablePath).fileName();
        const auto named =
            std::find_if(fileNames.cbegin(), fileNames.cend(), [&](const QString& f) {
                return f.compare(file, Qt::CaseInsensitive) == 0;
            });
        const qsizetype i = named - fileNames.cbegin();
        if (named == fileNames.cend() || !fresh[size_t(i)])
            continue;
        const QString table = QFileInfo(fileNames[i]).completeBaseName();
        const ServerTableStore::Fresh copied = *fresh[size_t(i)];
        const HostLookup::Target target = server->target();
        firstRows.push_back(std::async(std::launch::async, [=] {
                                ServerConnection reader(conninfo, target);
                                reader.setStatementTimeout(ServerConnection::kStatementTimeout);
                                return ServerEarlyRows::read(reader, table, copied, statement);
                            }).share());
        EarlyResults::offer(statement, firstRows.back());
    }
    for (qsizetype i = 0; i < fileNames.size(); ++i)
        RecordStore::attachLater(QDir(folder).filePath(fileNames[i]), reads[size_t(i)]);
    archive.conninfo = conninfo;
    archive.target = server->target();
    archive.readNames = fileNames;
    archive.reads = reads;
    // The copies wait for the first rows, which want the same cores; the event loop hears
    // when every table is read.
    const quint64 generation = ++archive.generation;
    archive.watcher = std::async(std::launch::async, [firstRows, go, reads, generation] {
        for (const auto& rows : firstRows)
            rows.wait();
        go->set_value();
        for (const auto& read : reads)
            read.wait();
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [generation] { finishOpening(generation); }, Qt::QueuedConnection);
    });
    return folder;
}

bool ServerArchive::opening() {
    return !current().reads.empty();
}

void ServerArchive::whenOpened(std::function<void(const QString&)> handler) {
    current().openedHandler = std::move(handler);
}

void ServerArchive::close() {
    OpenArchive& archive = current();
    ++archive.generation;
    // Reads under way end before their files and folder go.
    if (archive.watcher.valid())
        archive.watcher.wait();
    archive.watcher = {};
    const QString folder = archive.folder ? archive.folder->path() : archive.keptFolder;
    for (const QString& file : std::as_const(archive.readNames))
        RecordStore::attach(QDir(folder).filePath(file), nullptr);
    archive.reads.clear();
    archive.readNames.clear();
    archive.openedHandler = nullptr;
    EarlyResults::clear();
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
