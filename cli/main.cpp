#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/book_command.h"
#include "cli/capture_command.h"
#include "cli/exit_codes.h"
#include "cli/fetch_command.h"
#include "cli/learn_command.h"
#include "cli/rules_command.h"
#include "cli/search_command.h"
#include "http/trace_output.h"
#include "platform/program_version.h"

int main(int argc, char** argv) {
    // Standard output carries only data; the engine's trace lines join the progress on stderr.
    SetTraceStream(stderr);

    CLI::App app{"Harvio: company directory search from the command line"};
    app.set_version_flag("--version", std::string("harvio-cli ") + ProgramVersion());
    app.require_subcommand(1);
    SearchOptions search;
    FetchOptions fetch;
    RulesOptions rules;
    CLI::App* searchCommand = AddSearchCommand(app, search);
    CLI::App* fetchCommand = AddFetchCommand(app, fetch);
    CLI::App* rulesCommand = AddRulesCommand(app, rules);
    CaptureOptions capture;
    CLI::App* captureCommand = AddCaptureCommand(app, capture);
    BookOptions book;
    const BookCommands bookCommands = AddBookCommand(app, book);
    LearnOptions learn;
    CLI::App* learnCommand = AddLearnCommand(app, learn);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help asked for is a success; any other parse error is a usage error.
        return app.exit(error) == 0 ? kExitOk : kExitUsage;
    }
    if (*searchCommand) return RunSearch(search);
    if (*fetchCommand) return RunFetch(fetch);
    if (*rulesCommand) return RunRules(rules);
    if (*captureCommand) return RunCapture(capture);
    if (*bookCommands.book) return RunBook(bookCommands, book);
    if (*learnCommand) return RunLearn(learn);
    return kExitUsage;
}
