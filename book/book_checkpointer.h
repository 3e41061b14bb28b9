#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "book/sqlite_connection.h"

// Copies the lead book's write-ahead log into the book on a thread and a connection of its own,
// so that a search's records never wait while thousands of pages are copied and synced. The log
// starts again from its beginning only once every page in it is copied, which a writer that never
// pauses never lets a pass reach: a pass that leaves no more than kCatchUpFrames behind hands the
// rest to the writer (CatchUpWanted), which copies it between two of its transactions.
class BookCheckpointer {
public:
    // A few megabytes of log: a few milliseconds of copying and syncing for the writer.
    static constexpr int kCatchUpFrames = 2000;

    BookCheckpointer() = default;
    ~BookCheckpointer();
    BookCheckpointer(const BookCheckpointer&) = delete;
    BookCheckpointer& operator=(const BookCheckpointer&) = delete;

    // Opens a connection of its own to the book at path and starts the thread; false when it
    // could not, and the writer then checkpoints the log itself.
    bool Start(const std::string& path);
    // Ends the pass under way and joins the thread.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // The writer's log grew past the size that asks for a checkpoint.
    void Request();
    // Whether a pass left the rest to the writer since the last call.
    bool CatchUpWanted();
    // Returns once no pass runs, and none starts before the writer's next request, so that the
    // writer's own checkpoint finds the log free; what a pass left is the writer's then.
    void WaitForPass();

private:
    void Run();

    SqliteConnection db_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool requested_ = false;
    bool passing_ = false;
    bool catchUpWanted_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
