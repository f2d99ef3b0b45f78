#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// What proves that a table file holds the contents an image was read from.
namespace ContentProof {

// A file's identity and state as the file system and SQLite's header tell them. Equal states
// of a file held under a read lock mean the same file, unwritten since: SQLite raises the
// change counter in the header at every commit, and any write moves the change time; a copy or
// a twin is another file.
struct FileState {
    quint64 device = 0, inode = 0;
    qint64 size = -1;
    qint64 modified = 0, changed = 0; // nanoseconds
    QByteArray header;                // the first 100 bytes
    bool operator==(const FileState&) const = default;
};

struct Proof {
    // XXH3-128 over `description` and a digest of every byte of the file; empty when there is
    // none.
    QByteArray key;
    FileState state; // of the file while its bytes were read
};

// Reads the whole file; no key when it cannot be read, is no SQLite file, changes while it is
// read (its state before and after differ), or is in WAL mode (where the header does not follow
// every change). A file read before in this run is not read again while its state is the one
// it was read in; a read under way is waited for.
Proof of(const QString& file, const QByteArray& description);

// Starts reading the files on threads of their own, so that their proofs are ready, or nearly,
// when the tables are opened.
void readAhead(const QStringList& files);

// The file's state now; nothing when it cannot be read.
std::optional<FileState> stateOf(const QString& file);

} // namespace ContentProof
