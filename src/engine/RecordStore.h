#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <future>
#include <memory>
#include <vector>

// Where a table file's records live first, when the file is only a mirror of them: a table on
// a database server read into a local file. Table writes each change to the store before its
// file, and a Query asks the store to bring the file up to date before it reads it.
//
// Values travel as UTF-8 texts, a null array for NULL. Records are addressed by their key,
// which is the file's row id.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // What a write did to the store.
    enum class Outcome {
        Written,     // written; the file still mirrors the store apart from this change
        WrittenAnew, // written, and the file was read anew with it (another program wrote too)
        NoMatch,     // the record no longer held `expected`; the file was read anew
        Pending,     // taken for the batch under way: the store and the file take it when the
                     // batch commits, under a key given then
    };

    // Reads the file anew when another program changed the store since it was read.
    virtual void refresh() = 0;
    // Whether this login may change the records; readOnlyMessage() says why not.
    virtual bool writable() const = 0;
    virtual QString readOnlyMessage() const = 0;

    virtual Outcome update(qint64 key, const QList<QByteArray>& values,
                           const QList<QByteArray>& expected) = 0;
    virtual Outcome remove(qint64 key, const QList<QByteArray>& expected) = 0;
    // Stores a new record; `key` receives the key the store gave it, or, for a Pending record,
    // a stand-in below -1 until the batch commits.
    virtual Outcome insert(const QList<QByteArray>& values, qint64& key) = 0;
    // Groups the writes that follow into one transaction of the store.
    virtual void beginBatch() = 0;
    // Commits the batch; returns the keys its Pending records were given, ascending. Throws
    // EngineError when the store did not take the batch: none of it is kept then.
    virtual std::vector<qint64> commitBatch() = 0;

    // The store whose records the file at `path` mirrors, or none; waits while the file is
    // being written (see awaitFile).
    static std::shared_ptr<RecordStore> of(const QString& path);
    // Makes `store` the one for the file at `path`; a null store ends that.
    static void attach(const QString& path, std::shared_ptr<RecordStore> store);
    // Makes the store `arriving` gives the one for the file at `path`, which is being written
    // until it arrives: whoever opens the file meanwhile waits for it.
    static void attachLater(const QString& path,
                            std::shared_future<std::shared_ptr<RecordStore>> arriving);
    // Waits while the file at `path` is being written; throws EngineError when that failed.
    static void awaitFile(const QString& path);
};
