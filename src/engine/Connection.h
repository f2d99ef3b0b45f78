#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <vector>

#include "TableImage.h"
#include "cache/ContentProof.h"

class TitleIndex;

struct sqlite3;

// One open table file: an SQLite database holding exactly one table named after the
// file without its extension. Shared by the Query and the Table that work on the file.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    struct Field {
        QString name; // as stored, e.g. "Rubrik"
        QString type; // as declared
        bool integer = false;
    };

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens (or reuses) the table file at `path`. The file name is matched without
    // regard to case, and "\" counts as a folder separator. Throws EngineError.
    static std::shared_ptr<Connection> open(const QString& path);

    // Resolves a table path as open() does, without opening it; empty when missing.
    static QString resolvePath(const QString& path);

    sqlite3* handle() const { return m_db; }
    QString filePath() const { return m_path; }
    QString tableName() const { return m_table; }
    const QList<Field>& fields() const { return m_fields; }
    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when missing
    bool readOnly() const { return m_readOnly; }
    // The name that addresses the row id in statements: the first of rowid, oid, _rowid_
    // that no field of the table is called.
    const QString& rowIdName() const { return m_rowIdName; }
    // The file is a Paradox table, read through a copy and never written.
    bool isParadox() const { return m_paradox; }

    // The table in memory as it stands now: kept while the file is unchanged, read anew
    // after any change through this connection or another, with `fields` read (in one pass
    // over the file when several are missing). Throws EngineError.
    std::shared_ptr<TableImage> image(const std::vector<int>& fields = {});
    // Keeps what the image has built since it was read in the cache folder, for later starts.
    void keepImage();
    // Lets go of the image once kept: a table held open for other reasons than its rows (the
    // title index) need not hold them in memory too. The next image() reads it again.
    void releaseImage();

    // The row ids of the table by the upper-cased text of `field` (see TitleIndex), as the
    // file stands now: waits for a build begun by prepareTitleIndex(), or builds it anew when
    // the file changed since. Throws EngineError.
    std::shared_ptr<const TitleIndex> titleIndex(int field);
    // Begins building that index on a thread of its own, unless it is held or being built.
    void prepareTitleIndex(int field);

    // Begins building, on a thread of its own, the ranks of `rankFields` and the `orders` that
    // the image lacks (in memory or in the cache file) and no running build brings. What is
    // built is taken into the image and kept in the cache folder once the windows' thread is
    // free (adoptSorts), or when it is first needed (awaitSorts).
    void prepareSorts(const std::vector<int>& rankFields,
                      const std::vector<TableImage::SortSpec>& orders);
    // Begins reading the first `rows` rows of a sort over every row the same way, when the
    // image has not got them and no running build brings them.
    void prepareHead(const TableImage::SortSpec& spec, uint32_t rows);
    // Waits for a running build that brings the order of `spec`, or the ranks of all its
    // fields, and takes it in. False when no such build runs.
    bool awaitSorts(const TableImage::SortSpec& spec);
    // The same for a build that brings the first rows of `spec`.
    bool awaitHead(const TableImage::SortSpec& spec);
    // Takes in what finished builds brought, for the file as it stands now, and keeps it in the
    // cache folder; an image no result reads is let go of then.
    void adoptSorts();
    // Whether a build begun by prepareSorts() or prepareHead() has not been taken in yet.
    bool building() const { return !m_sortRuns.empty(); }
    // Waits for every open table's running builds and takes them in.
    static void finishSorts();

    // Runs a statement without result; throws EngineError with SQLite's message.
    void exec(const char* sql);
    [[noreturn]] void raise(const QString& context) const;

private:
    Connection() = default;
    void load();
    void findRowIdName();

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_table;
    QList<Field> m_fields;
    QString m_rowIdName;
    bool m_readOnly = false;
    bool m_paradox = false;
    std::shared_ptr<TableImage> m_image;
    qint64 m_imageStamp = -1;
    // What binds the image to the file's contents; no key when they cannot be proven.
    ContentProof::Proof m_imageProof;
    // The contents proven on a thread of its own from the opening on, without a lock that would
    // keep writers waiting, so that the tables of a start are read whole side by side; the
    // first image takes it when the file is in the same state under its read lock.
    std::future<ContentProof::Proof> m_proofAhead;
    QStringList describedFields() const;
    qint64 changeStamp();
    // Makes a fresh image, proving the file's contents under a read lock, so that the stamp
    // and the proof describe the same contents; restores it from the cache when a file is kept.
    void freshImage();
    struct TitleIndexBuild {
        qint64 stamp = -1;
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_future<std::shared_ptr<const TitleIndex>> result;
    };
    std::map<int, TitleIndexBuild> m_titleIndexes;
    struct SortRun {
        qint64 stamp = -1;
        QByteArray contentKey;
        std::vector<int> rankFields;
        std::vector<TableImage::SortSpec> orders;
        std::vector<TableImage::SortSpec> heads;
        uint32_t headRows = 0;
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_future<std::shared_ptr<TableImage>> result;
        bool brings(const TableImage::SortSpec& spec) const;
        bool bringsHead(const TableImage::SortSpec& spec) const;
    };
    std::vector<SortRun> m_sortRuns;
    void startRun(SortRun run);
    // The running build for the image as it stands that `brings`, or the end.
    template <typename Brings> std::vector<SortRun>::iterator runBringing(Brings brings);
    template <typename Brings> bool awaitRun(Brings brings);
    TitleIndexBuild& startTitleIndex(int field, qint64 stamp);
};
