#include "cli/capture_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/gbk_text.h"
#include "engine/captured_company.h"
#include "engine/client_page_source.h"
#include "engine/company_extraction.h"
#include "engine/list_page.h"
#include "engine/result_pages.h"
#include "engine/same_host_links.h"
#include "http/http_client.h"
#include "http/response_parser.h"

namespace {

// The most pages `--follow` asks for besides the company reading's: enough for a company's
// contact, profile and product pages, few enough to stay a polite visit.
constexpr std::size_t kMostLinkedPages = 20;

// Passes the pages through and keeps a copy of each one read, by its role and by its address.
class RecordingPageSource : public PageSource {
public:
    explicit RecordingPageSource(PageSource& inner) : inner(inner) {}
    bool Fetch(CompanyPage page, const std::string& url, std::string_view& body) override {
        if (!inner.Fetch(page, url, body)) return false;
        pages[static_cast<std::size_t>(page)] = std::string(body);
        if (page == CompanyPage::home) homeAddress = inner.LastPageAddress();
        byAddress[url] = {inner.LastPageAddress(), std::string(body)};
        ++read;
        return true;
    }
    std::string LastPageAddress() const override { return inner.LastPageAddress(); }

    SavedPageSource::Pages pages;
    std::string homeAddress;                                       // where the home page was read from
    std::map<std::string, CapturedCompany::LinkedPage> byAddress;  // by the address asked
    int read = 0;

private:
    PageSource& inner;
};

std::string ResultPageName(uint32_t page) {
    return "result-page-" + std::to_string(page) + ".html";
}

// Whether a response is a page whose links and text can be read: an HTML type, or none named.
bool IsHtmlResponse(const HttpClient& client) {
    const std::string* contentType = FindHeader(client.responseHeaders, "Content-Type");
    if (contentType == nullptr) return true;
    std::string essence = contentType->substr(0, contentType->find(';'));
    std::erase_if(essence, [](char byte) { return byte == ' ' || byte == '\t'; });
    return SameTextIgnoringCase(essence, "text/html") ||
           SameTextIgnoringCase(essence, "application/xhtml+xml");
}

// The pages of the home page's own host it links to. A page the company reading read already is
// taken as read; one that cannot be read, or is no HTML page (an image, a PDF), is left out with
// a line on stderr and does not make the capture fail.
std::vector<CapturedCompany::LinkedPage> ReadLinkedPages(const RecordingPageSource& recording,
                                                         const std::string& askedLink, HttpClient& client) {
    std::vector<CapturedCompany::LinkedPage> linked;
    const std::string& home = recording.pages[static_cast<std::size_t>(CompanyPage::home)];
    for (const std::string& address :
         SameHostLinks(home, recording.homeAddress, askedLink, kMostLinkedPages)) {
        if (const auto read = recording.byAddress.find(address); read != recording.byAddress.end()) {
            linked.push_back(read->second);
            continue;
        }
        const int result = client.GetHtml(address.c_str(), "");
        if (result <= 0) {
            std::fprintf(stderr, "linked page left out, it could not be read: %s\n",
                         GbkToUtf8(client.lastError).c_str());
        } else if (!IsHtmlResponse(client)) {
            std::fprintf(stderr, "linked page left out, it is no HTML page: %s\n",
                         GbkToUtf8(address).c_str());
        } else {
            linked.push_back(
                {client.pageAddress, std::string(client.htmlBuffer, static_cast<std::size_t>(result))});
        }
    }
    return linked;
}

int CaptureCompany(const ExtractionRules& rules, HttpClient& client, const CaptureOptions& options) {
    ClientPageSource source(client);
    RecordingPageSource recording(source);
    CapturedCompany company;
    company.link = Utf8ToGbk(options.link);
    company.family = ChooseFamily(rules, company.link);
    const bool gaveRecord = ExtractCompany(rules, recording, company.link, company.family) != nullptr;
    if (recording.read == 0) {
        std::fprintf(stderr, "the home page could not be read: %s\n", GbkToUtf8(client.lastError).c_str());
        return kExitFetchFailed;
    }
    if (options.follow) company.linkedPages = ReadLinkedPages(recording, company.link, client);
    company.pages = std::move(recording.pages);
    if (!SaveCapturedCompany(options.outFolder, company)) return kExitUsage;
    for (std::size_t page = 0; page < company.pages.size(); ++page) {
        if (!company.pages[page].empty())
            std::printf("%s\n", CapturedPageName(static_cast<CompanyPage>(page)).c_str());
    }
    for (std::size_t number = 1; number <= company.linkedPages.size(); ++number) {
        std::printf("%s\t%s\n", CapturedLinkedPageName(number).c_str(),
                    GbkToUtf8(company.linkedPages[number - 1].address).c_str());
    }
    if (!gaveRecord) {
        std::fprintf(stderr, "saved %d page%s; they give no company by the rules\n", recording.read,
                     recording.read == 1 ? "" : "s");
        return kExitNoRecord;
    }
    return kExitOk;
}

// Result pages in the order a search reads them: by number up to the count page 1 states, or by
// their next-page links. Each is saved with its address in result-pages.txt (line N: page N).
int CaptureResultPages(const ExtractionRules& rules, HttpClient& client, const CaptureOptions& options) {
    SearchCondition condition;
    condition.keyword = Utf8ToGbk(options.keyword);
    condition.province = Utf8ToGbk(options.province);
    condition.city = Utf8ToGbk(options.city);
    condition.industry = Utf8ToGbk(options.industry);
    condition.bizType = Utf8ToGbk(options.bizType);
    const ResultPages resultPages(rules, condition);
    if (!resultPages.Failure().empty()) {
        std::fprintf(stderr, "nothing captured: %s\n", resultPages.Failure().c_str());
        return kExitNotStarted;
    }
    std::error_code error;
    std::filesystem::create_directories(options.outFolder, error);
    std::string addresses;
    uint32_t totalPages = 1;
    NextPageTrail trail;
    std::optional<std::string> address = resultPages.First();
    for (uint32_t page = 1; address; ++page) {
        const int result = client.GetHtml(address->c_str(), "");
        if (result <= 0) {
            std::fprintf(stderr, "result page %u could not be read: %s\n", page,
                         GbkToUtf8(client.lastError).c_str());
            return kExitFetchFailed;
        }
        const std::string body(client.htmlBuffer, static_cast<std::size_t>(result));
        const std::string name = ResultPageName(page);
        if (!WriteWholeFile((std::filesystem::path(options.outFolder) / name).string(), body))
            return kExitUsage;
        addresses += client.pageAddress + "\n";
        std::printf("%s\n", name.c_str());
        if (rules.nextPageReg) {
            trail.NoteRead(*address, client.pageAddress);
            address = trail.Next(NextResultPage(rules, body, client.pageAddress));
        } else {
            if (page == 1) totalPages = ReadListPageTotals(rules, body).totalPages;
            address = page < totalPages ? std::optional(resultPages.Numbered(page + 1)) : std::nullopt;
        }
    }
    return WriteWholeFile((std::filesystem::path(options.outFolder) / kResultPageAddresses).string(),
                          addresses)
               ? kExitOk
               : kExitUsage;
}

}  // namespace

CLI::App* AddCaptureCommand(CLI::App& app, CaptureOptions& options) {
    CLI::App* command = app.add_subcommand(
        "capture", "save a company's pages as a search reads them (or a query's result pages) for `rules`");
    options.common.AddTo(*command);
    command->add_option("LINK", options.link, "company link, as a result page gives it");
    command->add_option("--out", options.outFolder, "folder to save the pages in")->required();
    command->add_option("--keyword", options.keyword, "instead of a link: the query's keyword");
    command->add_option("--province", options.province, "query province");
    command->add_option("--city", options.city, "query city");
    command->add_option("--industry", options.industry, "query industry code");
    command->add_option("--biztype", options.bizType, "query business model code");
    command->add_flag("--follow", options.follow,
                      "with LINK: also save the pages of its host that the home page links to (at most 20); "
                      "without --rules or --site, only the home page is read by rules");
    return command;
}

int RunCapture(const CaptureOptions& options) {
    if (!options.common.Apply()) return kExitUsage;
    const bool query =
        !(options.keyword + options.province + options.city + options.industry + options.bizType).empty();
    if (options.link.empty() == !query) {
        std::fprintf(stderr, "use: capture LINK --out FOLDER, or capture --keyword ... --out FOLDER\n");
        return kExitUsage;
    }
    if (query && options.follow) {
        std::fprintf(stderr, "--follow goes with a company LINK, not with a query\n");
        return kExitUsage;
    }
    // A followed capture without a named profile is for a site that has none yet: the usual rules
    // describe another directory, whose member pages it would ask for, so it reads by no rules.
    const bool bare = options.follow && options.common.rulesFile.empty() && options.common.site.empty();
    ExtractionRules rules;
    if (!bare && !options.common.LoadRules(rules)) return kExitNotStarted;
    const std::unique_ptr<HttpClient> client = MakeRunClient();
    return query ? CaptureResultPages(rules, *client, options) : CaptureCompany(rules, *client, options);
}
