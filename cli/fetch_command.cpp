#include "cli/fetch_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "http/http_client.h"
#include "http/trace_output.h"

CLI::App* AddFetchCommand(CLI::App& app, FetchOptions& options) {
    CLI::App* command =
        app.add_subcommand("fetch", "fetch pages in order through one client and report each result");
    options.common.AddTo(*command);
    command->add_option("URL", options.urls, "addresses of the pages")->required();
    command->add_option("-o", options.outFile, "write the bodies to FILE instead of standard output");
    return command;
}

int RunFetch(const FetchOptions& options) {
    if (!options.common.Apply()) return kExitUsage;
    std::FILE* out = stdout;
    if (!options.outFile.empty()) {
        out = std::fopen(options.outFile.c_str(), "wb");
        if (out == nullptr) {
            std::fprintf(stderr, "cannot open %s for writing\n", options.outFile.c_str());
            return kExitUsage;
        }
    }
    // A failed page does not stop the rest; the run fails when any page failed.
    const std::unique_ptr<HttpClient> client = MakeRunClient();
    bool allFetched = true;
    for (const std::string& url : options.urls) {
        const int result = client->GetHtml(Utf8ToGbk(url).c_str(), "");
        if (result > 0) std::fwrite(client->htmlBuffer, 1, static_cast<std::size_t>(result), out);
        // Some failure texts end in a line end of their own; the report stays one line.
        std::string error = GbkToUtf8(result < 0 ? client->lastError : "");
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
        std::fprintf(stderr, "result=%d status=%d error=%s\n", result, client->statusCode,
                     EscapeControlBytes(error).c_str());
        allFetched = allFetched && result >= 0;
    }
    if (out != stdout) std::fclose(out);
    return allFetched ? kExitOk : kExitFetchFailed;
}
