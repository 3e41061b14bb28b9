#pragma once

#include <array>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/result_row.h"

struct JournalRow {
    ResultCells cells;
    bool checked = false;
    bool operator==(const JournalRow&) const = default;
};

// The result rows on disk, so that a crash, a killed process or a power cut loses none of them:
// one line per row (its cells as they are and its check state) and one line per check box the
// user changes, each line ending in a checksum. A writer thread writes and syncs the appended
// lines a twentieth of a second after they come, so only the rows of the last moment can be lost; a line cut
// short by the end of the process fails its checksum and is skipped. The file is locked while open, so two
// windows never share it.
class ResultJournal {
public:
    enum class OpenStatus { kOpened, kHeldByAnotherWindow, kFailed };

    ResultJournal();
    ~ResultJournal();  // writes what is pending
    ResultJournal(const ResultJournal&) = delete;
    ResultJournal& operator=(const ResultJournal&) = delete;

    // Opens (creating folders and file) and locks the journal at path.
    OpenStatus Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    int OpenError() const { return openError_; }  // errno of a failed Open

    // The rows the journal holds, in order, with their last check states. Lines that do not read
    // back whole are skipped, and a cut tail is cut off the file so that new lines start clean.
    std::vector<JournalRow> ReadRows();

    // The rows of a journal's text; wholeEnd, when given, receives the end of the last line that
    // reads back whole.
    static std::vector<JournalRow> ParseRows(std::string_view text, std::size_t* wholeEnd = nullptr);

    // Row is the row's index in the list, which is its place among the journal's rows.
    void AppendRow(const ResultCells& cells, bool checked);
    void AppendCheck(int row, bool checked);
    // Empties the journal, pending lines included.
    void Clear();
    // Returns once every appended line is on the disk.
    void Flush();

private:
    void AppendLine(std::string line);
    void WriterLoop();
    void WritePending(bool sync);

    int fd_ = -1;
    int openError_ = 0;
    std::mutex ioMutex_;  // the file: a taken batch is written before Clear can empty the file
    std::mutex pendingMutex_;
    std::condition_variable wake_;
    std::string pending_;
    bool stopping_ = false;
    std::thread writer_;
};

// "$XDG_DATA_HOME/harvio/search-results.journal", else under "~/.local/share".
std::string ResultJournalPath();
