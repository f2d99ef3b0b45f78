#include "ContentProof.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace ContentProof {

namespace {

struct OpenFile {
    int fd = -1;
    ~OpenFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

std::optional<FileState> stateOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    FileState s;
    s.device = info.st_dev;
    s.inode = info.st_ino;
    s.size = info.st_size;
    s.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    s.changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    s.header.resize(100);
    if (::pread(fd, s.header.data(), 100, 0) != 100)
        return std::nullopt;
    return s;
}

int openForReading(const QString& file) {
    // Without blocking: a named pipe in place of the table must not hang the read.
    return ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

} // namespace

std::optional<FileState> stateOf(const QString& file) {
    const OpenFile f{openForReading(file)};
    return f.fd < 0 ? std::nullopt : stateOf(f.fd);
}

Proof of(const QString& file, const QByteArray& description) {
    Proof proof;
    const OpenFile f{openForReading(file)};
    if (f.fd < 0)
        return proof;
    const std::optional<FileState> before = stateOf(f.fd);
    // Bytes 18 and 19 are 2 in WAL mode, where the change counter stands still.
    if (!before || before->header[18] == 2 || before->header[19] == 2)
        return proof;
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                         &XXH3_freeState);
    XXH3_128bits_reset(state.get());
    const QByteArray head = description + '\n' + QByteArray::number(before->size) + '\n';
    XXH3_128bits_update(state.get(), head.constData(), size_t(head.size()));
    // Large reads: the whole of a table of a million rows passes through here at a start.
    constexpr size_t kPiece = size_t(4) << 20;
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(f.fd, piece.get(), kPiece);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return proof;
        if (got == 0)
            break;
        XXH3_128bits_update(state.get(), piece.get(), size_t(got));
        total += got;
    }
    if (total != before->size || stateOf(f.fd) != before)
        return proof;
    const XXH128_hash_t digest = XXH3_128bits_digest(state.get());
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, digest);
    proof.key =
        QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
    proof.state = *before;
    return proof;
}

} // namespace ContentProof
