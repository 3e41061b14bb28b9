#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

// What the command line asks of a run beside the window: connection redirections
// ("--connect-to HOST1:PORT1:HOST2:PORT2", repeatable), a proxy for every search
// ("--proxy HOST:PORT"), a search to start at once ("--search KEYWORD"), the User-Agent of
// every request ("--user-agent TEXT", which wins over harvio.ini), the site to search for this
// run ("--site NAME", a profile's file name or siteName) and the version ("--version", printed
// instead of a run). Every option with a value also takes it after "=".
struct CommandLineOptions {
    std::vector<std::string> connectTo;
    std::optional<std::string> proxyHost;
    std::string proxyPort;
    // "--search KEYWORD": the window starts a search for it as soon as it shows.
    std::optional<std::string> searchKeyword;
    std::optional<std::string> userAgent;  // UTF-8, without control characters
    std::optional<std::string> site;       // UTF-8
    bool versionAsked = false;
    std::string error;  // empty when the command line was understood
};

// Reads the options from the program's arguments (the first is the program itself); other
// arguments are left to Qt.
CommandLineOptions ParseCommandLine(const QStringList& arguments);
