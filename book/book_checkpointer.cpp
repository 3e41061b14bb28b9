#include "book/book_checkpointer.h"

BookCheckpointer::~BookCheckpointer() {
    Stop();
}

bool BookCheckpointer::Start(const std::string& path) {
    Stop();
    // The first read finds the log; until then the connection knows no log to checkpoint.
    if (db_.Open(path, false) != SQLITE_OK || db_.QueryNumber("SELECT count(*) FROM sqlite_schema", -1) < 0) {
        db_.Close();
        return false;
    }
    stopping_ = false;
    thread_ = std::thread(&BookCheckpointer::Run, this);
    return true;
}

void BookCheckpointer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    db_.Close();
    requested_ = catchUpWanted_ = false;
}

void BookCheckpointer::Request() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Handed over: the rest is the writer's until the log starts again.
        if (catchUpWanted_) return;
        requested_ = true;
    }
    changed_.notify_all();
}

bool BookCheckpointer::CatchUpWanted() {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool wanted = catchUpWanted_;
    catchUpWanted_ = false;
    return wanted;
}

void BookCheckpointer::WaitForPass() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !passing_; });
    // Asked for during the pass: the writer copies that too, with no pass in its way.
    requested_ = catchUpWanted_ = false;
}

void BookCheckpointer::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return requested_ || stopping_; });
        if (stopping_) return;
        requested_ = false;
        passing_ = true;
        lock.unlock();
        // Pass after pass while the writer goes on, each copying what the writer added during
        // the one before, until so little came that the writer may copy the rest itself.
        bool handOver = false;
        for (int logBefore = 0;;) {
            int logFrames = 0, copiedFrames = 0;
            // Passive: never waits for the writer, never holds it up; busy while the other
            // program checkpoints the same log.
            if (sqlite3_wal_checkpoint_v2(db_.Handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, &logFrames,
                                          &copiedFrames) != SQLITE_OK)
                break;
            // The rest is held by a reader of the other program: it goes at the next request.
            if (copiedFrames < logFrames) break;
            if (logFrames - logBefore <= kCatchUpFrames) {
                handOver = true;
                break;
            }
            logBefore = logFrames;
            std::lock_guard<std::mutex> stopCheck(mutex_);
            if (stopping_) break;
        }
        lock.lock();
        passing_ = false;
        if (handOver) {
            catchUpWanted_ = true;
            requested_ = false;  // asked for during the pass: the writer copies that now
        }
        changed_.notify_all();
    }
}
