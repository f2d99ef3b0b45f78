#include "ContentProof.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <time.h>
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

// A digest of every byte of a file, with the file's state while they were read.
struct Contents {
    QByteArray digest; // empty when there is none
    FileState state;
};

qint64 nowNs() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A file changed less than one step of the file system's clock before it is read could be
// changed again after the read without its times moving. A read begins once that step has
// passed: times with nanoseconds tell a step of a few milliseconds (one kernel tick); whole
// seconds tell a file system that counts in seconds or two, where such a file gets no proof.
// Returns how long to wait, or nothing when the file gets no proof.
std::optional<std::chrono::nanoseconds> waitBeforeReading(const FileState& state) {
    const qint64 lastChange = std::max(state.modified, state.changed);
    const bool coarse = lastChange % 1000000000 == 0;
    const qint64 step = coarse ? qint64(2000000000) : qint64(20000000);
    const qint64 since = nowNs() - lastChange;
    if (since >= step)
        return std::chrono::nanoseconds(0);
    if (coarse)
        return std::nullopt;
    return std::chrono::nanoseconds(step - std::max<qint64>(since, 0));
}

Contents readContents(const QString& file) {
    Contents contents;
    const OpenFile f{openForReading(file)};
    if (f.fd < 0)
        return contents;
    std::optional<FileState> before;
    for (int tries = 0;; ++tries) {
        before = stateOf(f.fd);
        const std::optional<std::chrono::nanoseconds> wait =
            before ? waitBeforeReading(*before) : std::nullopt;
        if (!wait || (wait->count() > 0 && tries == 3))
            return contents;
        if (wait->count() == 0)
            break;
        std::this_thread::sleep_for(*wait);
    }
    // Only SQLite files are proven. Bytes 18 and 19 are 2 in WAL mode, where the change
    // counter stands still.
    if (!before || !before->header.startsWith(QByteArrayLiteral("SQLite format 3\0")) ||
        before->header[18] == 2 || before->header[19] == 2)
        return contents;
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                         &XXH3_freeState);
    XXH3_128bits_reset(state.get());
    // Pieces that stay in the processor's cache between the copy and the hashing.
    constexpr size_t kPiece = size_t(256) << 10;
    const std::unique_ptr<char[]> piece(new char[kPiece]);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(f.fd, piece.get(), kPiece);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return contents;
        if (got == 0)
            break;
        XXH3_128bits_update(state.get(), piece.get(), size_t(got));
        total += got;
    }
    if (total != before->size || stateOf(f.fd) != before)
        return contents;
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state.get()));
    contents.digest =
        QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
    contents.state = *before;
    return contents;
}

// The contents read so far in this run, one entry per file: a read under way, or one done.
// An entry done is taken only while the file's state is the one it was read in.
std::mutex g_mutex;
QHash<QString, std::shared_future<Contents>> g_contents;

bool isReady(const std::shared_future<Contents>& f) {
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::shared_future<Contents> contentsOf(const QString& file) {
    const std::lock_guard lock(g_mutex);
    const auto found = g_contents.constFind(file);
    if (found != g_contents.cend()) {
        if (!isReady(*found))
            return *found;
        const Contents& done = found->get();
        if (!done.digest.isEmpty() && ContentProof::stateOf(file) == done.state)
            return *found;
    }
    // Read by the first thread that waits for it.
    std::shared_future<Contents> f = std::async(std::launch::deferred, readContents, file).share();
    g_contents.insert(file, f);
    return f;
}

} // namespace

std::optional<FileState> stateOf(const QString& file) {
    const OpenFile f{openForReading(file)};
    return f.fd < 0 ? std::nullopt : stateOf(f.fd);
}

void readAhead(const QStringList& files) {
    const std::lock_guard lock(g_mutex);
    for (const QString& file : files)
        if (!g_contents.contains(file))
            g_contents.insert(file, std::async(std::launch::async, readContents, file).share());
}

Proof of(const QString& file, const QByteArray& description) {
    const Contents contents = contentsOf(file).get();
    Proof proof;
    if (contents.digest.isEmpty())
        return proof;
    const QByteArray bound = description + '\n' + contents.digest;
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits(bound.constData(), size_t(bound.size())));
    proof.key =
        QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
    proof.state = contents.state;
    return proof;
}

} // namespace ContentProof
