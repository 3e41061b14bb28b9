#pragma once

#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}
struct ExtractionRules;
class HttpClient;

// The options every subcommand takes: the rules file, a proxy, connection redirections, an
// extra CA file and the User-Agent.
struct CommonOptions {
    std::string rulesFile;  // empty: the program's usual rules file
    std::string site;       // a site profile by name (UTF-8), instead of the rules file
    std::string proxy;      // HOST:PORT
    std::vector<std::string> connectTo;
    std::string caFile;     // PEM, trusted for https besides the system's certificates
    std::string userAgent;  // empty: the built-in one

    void AddTo(CLI::App& command);
    // Sets the proxy values, the redirections and the User-Agent; false (reason on stderr) when
    // one is malformed or --site names no site.
    bool Apply() const;
    // The rules file of the run: --rules, the profile --site names, or the usual one.
    std::string RulesPath() const;
    // Loads the rules file; false (reason on stderr) when it can't be read.
    bool LoadRules(ExtractionRules& rules) const;
};

// The one client of a run that reads pages itself (fetch, capture): the proxy values set by the
// options, and one cookie jar for the whole run, so that a cookie set by one page goes with the
// next.
std::unique_ptr<HttpClient> MakeRunClient();
