#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}
struct ExtractionRules;

// The options every subcommand takes: the rules file, a proxy, connection redirections and an
// extra CA file.
struct CommonOptions {
    std::string rulesFile;  // empty: the program's usual rules file
    std::string proxy;      // HOST:PORT
    std::vector<std::string> connectTo;
    std::string caFile;  // PEM, trusted for https besides the system's certificates

    void AddTo(CLI::App& command);
    // Sets the proxy values and the redirections; false (reason on stderr) when one is malformed.
    bool Apply() const;
    std::string RulesPath() const;
    // Loads the rules file; false (reason on stderr) when it can't be read.
    bool LoadRules(ExtractionRules& rules) const;
};
