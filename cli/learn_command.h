#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

// harvio-cli learn: learns a profile's label rules from captured companies and the values a
// person read on one or two of them, prints the evidence and writes the profile; exits with
// kExitNoRecord, writing nothing, when no rule could be learned.
struct LearnOptions {
    std::vector<std::string> pageFolders;  // captured company folders, or folders holding them
    std::string valuesFile;                // UTF-8: [FOLDER] blocks of FIELD=VALUE lines
    std::string baseProfile;               // its other keys are kept; empty: a profile of its own
    std::string outFile;                   // a new file
};

CLI::App* AddLearnCommand(CLI::App& app, LearnOptions& options);
int RunLearn(const LearnOptions& options);
