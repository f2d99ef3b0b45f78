#include "FaultVfs.h"

#include <QByteArray>
#include <csignal>
#include <cstring>
#include <sqlite3.h>

namespace FaultVfs {

namespace {

// Our file record, followed in the same allocation by the default layer's own.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
    const char* name; // a main database file's name, else nullptr
};

sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;

struct Armed {
    QByteArray fileName; // lower case
    int nth = 0;
    Fault fault = Fault::WriteError;
    int writes = 0;
    bool active = false;
} g_armed;

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<ShimFile*>(f)->real;
}

int shimClose(sqlite3_file* f) {
    sqlite3_file* r = real(f);
    return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}

int shimRead(sqlite3_file* f, void* buf, int amount, sqlite3_int64 offset) {
    return real(f)->pMethods->xRead(real(f), buf, amount, offset);
}

bool endsWithArmedName(const char* name) {
    if (!name || g_armed.fileName.isEmpty())
        return false;
    return QByteArray(name).toLower().endsWith(g_armed.fileName);
}

int shimWrite(sqlite3_file* f, const void* buf, int amount, sqlite3_int64 offset) {
    sqlite3_file* r = real(f);
    if (g_armed.active && endsWithArmedName(reinterpret_cast<ShimFile*>(f)->name)) {
        const int n = ++g_armed.writes;
        if (n >= g_armed.nth) {
            switch (g_armed.fault) {
            case Fault::WriteError:
                return SQLITE_IOERR_WRITE;
            case Fault::DiskFull:
                return SQLITE_FULL;
            case Fault::KillMidWrite:
                r->pMethods->xWrite(r, buf, amount / 2, offset);
                std::raise(SIGKILL);
                break;
            }
        }
    }
    return r->pMethods->xWrite(r, buf, amount, offset);
}

int shimTruncate(sqlite3_file* f, sqlite3_int64 size) {
    return real(f)->pMethods->xTruncate(real(f), size);
}
int shimSync(sqlite3_file* f, int flags) {
    return real(f)->pMethods->xSync(real(f), flags);
}
int shimFileSize(sqlite3_file* f, sqlite3_int64* size) {
    return real(f)->pMethods->xFileSize(real(f), size);
}
int shimLock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xLock(real(f), level);
}
int shimUnlock(sqlite3_file* f, int level) {
    return real(f)->pMethods->xUnlock(real(f), level);
}
int shimCheckReservedLock(sqlite3_file* f, int* out) {
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int shimFileControl(sqlite3_file* f, int op, void* arg) {
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int shimSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int shimDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int shimShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int shimShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void shimShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int shimShmUnmap(sqlite3_file* f, int deleteFlag) {
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int shimFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}
int shimUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
    return real(f)->pMethods->xUnfetch(real(f), offset, p);
}

int shimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(f);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->name = (flags & SQLITE_OPEN_MAIN_DB) ? name : nullptr;
    f->pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, shim->real, flags, outFlags);
    if (shim->real->pMethods)
        f->pMethods = &g_methods;
    return rc;
}

} // namespace

void install() {
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.zName = "vantora-faults";
    g_vfs.szOsFile = int(sizeof(ShimFile)) + g_real->szOsFile;
    g_vfs.xOpen = shimOpen;
    g_methods = sqlite3_io_methods{3,
                                   shimClose,
                                   shimRead,
                                   shimWrite,
                                   shimTruncate,
                                   shimSync,
                                   shimFileSize,
                                   shimLock,
                                   shimUnlock,
                                   shimCheckReservedLock,
                                   shimFileControl,
                                   shimSectorSize,
                                   shimDeviceCharacteristics,
                                   shimShmMap,
                                   shimShmLock,
                                   shimShmBarrier,
                                   shimShmUnmap,
                                   shimFetch,
                                   shimUnfetch};
    sqlite3_vfs_register(&g_vfs, 1);
}

void arm(const QString& fileName, int nth, Fault fault) {
    g_armed.fileName = fileName.toLower().toUtf8();
    g_armed.nth = nth;
    g_armed.fault = fault;
    g_armed.writes = 0;
    g_armed.active = true;
}

void disarm() {
    g_armed.active = false;
}

int writesSinceArmed() {
    return g_armed.writes;
}

} // namespace FaultVfs
