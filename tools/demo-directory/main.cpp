// harvio-demo-directory: a local stand-in for the company directory site, or, with --truth,
// the rows that a search of it must give.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_server.h"
#include "tools/demo-directory/demo_site.h"
#include "tools/demo-directory/demo_truth.h"
#include "tools/serve_until_stopped.h"

namespace {

constexpr int kDefaultPort = 8765;
constexpr int kDefaultCompanies = 300;
constexpr long kCertificateLifetime = 30L * 24 * 3600;
constexpr long kCertificateBackdate = 3600;  // clocks of client and server may differ a little
const std::vector<std::string> kDemoServerNames = {"DNS:*.demo-b2b.test", "DNS:demo-b2b.test",
                                                   "DNS:localhost", "IP:127.0.0.1", "IP:::1"};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "The demo company directory: serves the directory's pages on loopback for every host "
        "name of the site, or writes the rows a search must give (--truth)."};
    int port = kDefaultPort;
    int companies = kDefaultCompanies;
    uint64_t seed = 1;
    std::string truthFile;
    DemoConditions conditions;
    DemoFaults faults;
    double overallFaultRate = 0;
    int slowMilliseconds = 1500;
    app.add_option("--port", port, "loopback port; 0 picks a free one")->capture_default_str();
    app.add_option("--companies", companies, "number of companies")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000000));
    app.add_option("--seed", seed, "seed of the generated directory")->capture_default_str();
    app.add_option("--truth", truthFile, "write the rows of the query to this file and exit");
    app.add_option("--keyword", conditions.keyword, "query keyword (UTF-8), with --truth");
    app.add_option("--province", conditions.province, "query province, with --truth");
    app.add_option("--city", conditions.city, "query city, with --truth");
    app.add_option("--industry", conditions.industry, "query industry, with --truth");
    app.add_option("--biztype", conditions.businessModel, "query business model, with --truth");
    app.add_option("--faults", overallFaultRate, "probability of a fault per page, spread over all kinds")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--fault-seed", faults.seed, "seed of the fault draw")->capture_default_str();
    const char* const kindOptions[kDemoFaultKinds] = {
        "--fault-404",        "--fault-403",         "--fault-500",       "--fault-reset",
        "--fault-slow",       "--fault-chunked",     "--fault-redirect",  "--fault-truncate",
        "--fault-keep-open",  "--fault-trickle",     "--fault-continue",  "--fault-bare-lf",
        "--fault-lower-case", "--fault-zero-chunks", "--fault-cut-short", "--fault-esc-location",
        "--fault-429",        "--fault-503"};
    double kindRates[kDemoFaultKinds] = {};
    CLI::Option* kindOptionHandles[kDemoFaultKinds];
    for (int kind = 0; kind < kDemoFaultKinds; ++kind) {
        kindOptionHandles[kind] = app.add_option(kindOptions[kind], kindRates[kind],
                                                 "probability of this fault per page (overrides --faults)")
                                      ->check(CLI::Range(0.0, 1.0));
    }
    bool requestLog = false;
    app.add_flag(
        "--log", requestLog,
        "one line per request on standard error: host, target, status and the connection it came on");
    bool requireCookie = false;
    app.add_flag("--require-cookie", requireCookie,
                 "redirect every request without a valid session cookie to itself, setting a new one");
    app.add_option("--slow-ms", slowMilliseconds, "delay of the slow-start fault")->capture_default_str();
    int trickleMilliseconds = static_cast<int>(faults.trickleInterval.count());
    app.add_option("--trickle-ms", trickleMilliseconds, "pause between the bytes of the trickle fault")
        ->capture_default_str();
    app.add_option("--retry-after", faults.retryAfterSeconds, "Retry-After seconds of the 429 and 503 faults")
        ->capture_default_str();
    std::string caFile;
    DemoWireOptions wire;
    app.add_option("--https", caFile,
                   "serve HTTPS with a fresh test CA, whose certificate goes to this file");
    app.add_flag("--utf8", wire.utf8, "send the pages as UTF-8");
    app.add_flag("--gzip", wire.gzip, "send the bodies gzip-compressed");
    std::string siteStyle = "classic";
    app.add_option("--site", siteStyle,
                   "classic: the directory's own pages; modern: a site of today (query-string search, "
                   "\"下一页\" links, relative links, one page of facts per company, a session cookie, "
                   "UTF-8 and gzip)")
        ->check(CLI::IsMember({"classic", "modern"}))
        ->capture_default_str();
    std::string layoutName = "standard";
    app.add_option("--layout", layoutName,
                   "company pages after a site change: standard, renamed-label (the contact's label) or "
                   "moved-contact-link (the home page's contact link text)")
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    wire.https = !caFile.empty();
    const bool modern = siteStyle == "modern";
    if (modern) {
        wire.utf8 = true;
        wire.gzip = true;
        requireCookie = true;
    }
    faults.trickleInterval = std::chrono::milliseconds(trickleMilliseconds);
    DemoLayout layout = DemoLayout::Standard;
    if (!ParseDemoLayout(layoutName, layout)) {
        std::fprintf(stderr, "unknown --layout %s\n", layoutName.c_str());
        return 2;
    }

    faults.SetOverallRate(overallFaultRate);
    for (int kind = 0; kind < kDemoFaultKinds; ++kind) {
        if (kindOptionHandles[kind]->count() == 0) continue;
        // Inside TLS the demo cannot write to the socket by hand: those faults are not served.
        if (wire.https && FaultWrittenByHand(static_cast<DemoFault>(kind + 1))) {
            std::fprintf(stderr, "%s is served over plain HTTP only\n", kindOptions[kind]);
            continue;
        }
        faults.rates[kind] = kindRates[kind];
    }
    double sum = 0;
    for (double rate : faults.rates) sum += rate;
    if (sum > 1.0) {
        std::fprintf(stderr, "the fault rates add up to more than 1\n");
        return 2;
    }
    faults.slowStart = std::chrono::milliseconds(slowMilliseconds);

    DemoCatalogue catalogue(companies, seed);
    DemoSite site(catalogue, faults);
    site.SetStyle(modern ? DemoSiteStyle::Modern : DemoSiteStyle::Classic);
    site.SetLayout(layout);
    if (!truthFile.empty()) {
        std::ofstream out(truthFile, std::ios::binary | std::ios::trunc);
        for (const std::string& line : TruthLines(catalogue, site, conditions)) out << line;
        out.close();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", truthFile.c_str());
            return 1;
        }
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    CertificateAuthority::Issued identity;
    if (wire.https) {
        // Made afresh at each start; clients trust the demo by adding the CA written to caFile.
        const CertificateAuthority authority("Harvio demo test CA", -kCertificateBackdate,
                                             kCertificateLifetime);
        identity = authority.Issue(kDemoServerNames, -kCertificateBackdate, kCertificateLifetime);
        std::ofstream authorityFile(caFile, std::ios::binary);
        authorityFile << authority.CertificatePem();
        authorityFile.close();
        if (!identity.certificate || !authorityFile) {
            std::fprintf(stderr, "cannot make the test CA or write it to %s\n", caFile.c_str());
            return 1;
        }
    }
    DemoServer server(site, wire, identity.certificate ? &identity : nullptr);
    server.SetSlowStart(faults.slowStart);
    if (requestLog) server.EnableRequestLog();
    if (requireCookie) server.RequireSessionCookie(seed);
    return ServeUntilStopped(server, port);
}
