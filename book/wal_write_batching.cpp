#include "book/wal_write_batching.h"

#include <sqlite3.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <string>

namespace {

constexpr char kVfsName[] = "harvio-wal-batching";
// A frame's header: the page number, then the book's size in pages when the frame commits.
constexpr int kFrameHeaderSize = 24;
constexpr int kCommitSizeOffset = 4;
// Beyond this the gathered frames go out at once (a large transaction: a migration, a Forget):
// the system's file takes less than 128 KB per write, and a frame holds at most 64 KB.
constexpr std::size_t kLargestBatch = 64 * 1024;

sqlite3_vfs* systemVfs = nullptr;

// The log as the library sees it; the system's file lies behind it.
struct BatchedLog {
    sqlite3_file base;
    sqlite3_file* file;
    std::string* batch;
    sqlite3_int64 batchStart;
    bool commitFrameNext;
};

BatchedLog& Log(sqlite3_file* file) {
    return *reinterpret_cast<BatchedLog*>(file);
}

int Flush(BatchedLog& log) {
    if (log.batch->empty()) return SQLITE_OK;
    const int result = log.file->pMethods->xWrite(log.file, log.batch->data(),
                                                  static_cast<int>(log.batch->size()), log.batchStart);
    log.batch->clear();
    return result;
}

int Close(sqlite3_file* file) {
    BatchedLog& log = Log(file);
    const int flushed = Flush(log);
    const int closed = log.file->pMethods->xClose(log.file);
    delete log.batch;
    return flushed != SQLITE_OK ? flushed : closed;
}

// What the library does with the log besides writing it finds the gathered bytes in the file.
template <typename Call>
int AfterFlush(sqlite3_file* file, Call call) {
    BatchedLog& log = Log(file);
    const int flushed = Flush(log);
    return flushed != SQLITE_OK ? flushed : call(log.file);
}

int Read(sqlite3_file* file, void* data, int size, sqlite3_int64 offset) {
    return AfterFlush(
        file, [&](sqlite3_file* system) { return system->pMethods->xRead(system, data, size, offset); });
}

int Write(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset) {
    BatchedLog& log = Log(file);
    if (!log.batch->empty() && (offset != log.batchStart + static_cast<sqlite3_int64>(log.batch->size()) ||
                                log.batch->size() + size > kLargestBatch)) {
        const int flushed = Flush(log);
        if (flushed != SQLITE_OK) return flushed;
    }
    if (log.batch->empty()) log.batchStart = offset;
    log.batch->append(static_cast<const char*>(data), size);
    // The library writes a frame as its header, then its page; the page after a committing
    // frame's header ends the transaction: out with it now, so that the commit fails when it
    // cannot be written and is in the file before any other connection learns of it.
    if (log.commitFrameNext) {
        log.commitFrameNext = false;
        return Flush(log);
    }
    if (size == kFrameHeaderSize) {
        const auto* header = static_cast<const unsigned char*>(data);
        log.commitFrameNext = (header[kCommitSizeOffset] | header[kCommitSizeOffset + 1] |
                               header[kCommitSizeOffset + 2] | header[kCommitSizeOffset + 3]) != 0;
    }
    return SQLITE_OK;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    return AfterFlush(file, [&](sqlite3_file* system) { return system->pMethods->xTruncate(system, size); });
}

int Sync(sqlite3_file* file, int flags) {
    return AfterFlush(file, [&](sqlite3_file* system) { return system->pMethods->xSync(system, flags); });
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return AfterFlush(file, [&](sqlite3_file* system) { return system->pMethods->xFileSize(system, size); });
}

int Lock(sqlite3_file* file, int level) {
    return Log(file).file->pMethods->xLock(Log(file).file, level);
}

int Unlock(sqlite3_file* file, int level) {
    return Log(file).file->pMethods->xUnlock(Log(file).file, level);
}

int CheckReservedLock(sqlite3_file* file, int* reserved) {
    return Log(file).file->pMethods->xCheckReservedLock(Log(file).file, reserved);
}

// Hints of size and the like need none of the gathered bytes in the file.
int FileControl(sqlite3_file* file, int op, void* argument) {
    return Log(file).file->pMethods->xFileControl(Log(file).file, op, argument);
}

int SectorSize(sqlite3_file* file) {
    return Log(file).file->pMethods->xSectorSize(Log(file).file);
}

int DeviceCharacteristics(sqlite3_file* file) {
    return Log(file).file->pMethods->xDeviceCharacteristics(Log(file).file);
}

// The first version's methods: the log is never mapped and keeps no shared memory of its own.
const sqlite3_io_methods kLogMethods = {
    .iVersion = 1,
    .xClose = Close,
    .xRead = Read,
    .xWrite = Write,
    .xTruncate = Truncate,
    .xSync = Sync,
    .xFileSize = FileSize,
    .xLock = Lock,
    .xUnlock = Unlock,
    .xCheckReservedLock = CheckReservedLock,
    .xFileControl = FileControl,
    .xSectorSize = SectorSize,
    .xDeviceCharacteristics = DeviceCharacteristics,
    .xShmMap = nullptr,
    .xShmLock = nullptr,
    .xShmBarrier = nullptr,
    .xShmUnmap = nullptr,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

// Every file but the log is the system's own, opened in place; the log gets a batch in front.
int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    if ((flags & SQLITE_OPEN_WAL) == 0) return systemVfs->xOpen(systemVfs, name, file, flags, outFlags);
    BatchedLog& log = Log(file);
    log.file = reinterpret_cast<sqlite3_file*>(&log + 1);
    const int opened = systemVfs->xOpen(systemVfs, name, log.file, flags, outFlags);
    if (opened != SQLITE_OK) {
        log.base.pMethods = nullptr;
        return opened;
    }
    log.batch = new (std::nothrow) std::string();
    if (log.batch == nullptr) {
        log.file->pMethods->xClose(log.file);
        log.base.pMethods = nullptr;
        return SQLITE_NOMEM;
    }
    log.batchStart = 0;
    log.commitFrameNext = false;
    log.base.pMethods = &kLogMethods;
    return SQLITE_OK;
}

sqlite3_vfs batchingVfs;

}  // namespace

const char* WalWriteBatchingVfs() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        systemVfs = sqlite3_vfs_find(nullptr);
        batchingVfs = *systemVfs;
        batchingVfs.szOsFile = static_cast<int>(
            std::max<std::size_t>(systemVfs->szOsFile, sizeof(BatchedLog) + systemVfs->szOsFile));
        batchingVfs.zName = kVfsName;
        batchingVfs.pNext = nullptr;
        batchingVfs.xOpen = Open;
        sqlite3_vfs_register(&batchingVfs, 0);
    });
    return kVfsName;
}
