#include "demo/captured_demo_pages.h"

#include "demo/support/demo_directory_process.h"

CapturedDemoPages CaptureDemoResultPages(const std::vector<std::string>& demoOptions,
                                         const std::string& profile, const std::string& utf8Keyword,
                                         std::size_t nameCount) {
    CapturedDemoPages captured;
    DemoDirectoryProcess demo(demoOptions);
    if (demo.port() == 0) return captured;
    const std::string folder = MakeTemporaryDirectory() + "/pages";
    if (RunProgram({HARVIO_CLI, "capture", "--keyword", utf8Keyword, "--rules", profile, "--connect-to",
                    demo.ConnectToRule(), "--out", folder},
                   "/dev/null") != 0)
        return captured;
    captured.folder = folder;
    std::vector<std::string> truthOptions = demoOptions;
    truthOptions.insert(truthOptions.end(), {"--keyword", utf8Keyword});
    for (const std::string& line : DemoTruth(truthOptions)) {
        const std::size_t start = line.find("\",\"") + 3;
        const std::string name = line.substr(start, line.find('"', start) - start);
        if (!name.empty() && captured.names.size() < nameCount) captured.names.push_back(name);
    }
    return captured;
}
