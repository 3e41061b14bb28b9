#pragma once

#include <string>

namespace CLI {
class App;
}

// harvio-cli book: the lead book's figures, its companies as an export file, and forgetting old
// entries.
struct BookOptions {
    std::string newSince;  // YYYY-MM-DD, local time
    bool notExported = false;
    std::string format = "csv";
    std::string outFile;
    int olderThanDays = -1;
};

struct BookCommands {
    CLI::App* book = nullptr;
    CLI::App* stats = nullptr;
    CLI::App* exportRows = nullptr;
    CLI::App* forget = nullptr;
};

BookCommands AddBookCommand(CLI::App& app, BookOptions& options);
int RunBook(const BookCommands& commands, const BookOptions& options);
