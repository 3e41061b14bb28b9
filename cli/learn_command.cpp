#include "cli/learn_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/captured_folders.h"
#include "cli/example_values_file.h"
#include "cli/exit_codes.h"
#include "cli/field_evidence_table.h"
#include "cli/learn_result_pages.h"
#include "engine/company_family.h"
#include "engine/result_files.h"
#include "engine/rules_file.h"
#include "learn/profile_learner.h"

namespace {

// The folder's own name, also when it is written with a trailing "/" (as the shell completes it).
std::filesystem::path FolderName(const std::string& folder) {
    const std::filesystem::path path(folder);
    return path.has_filename() ? path.filename() : path.parent_path().filename();
}

// The captured company a [FOLDER] line names: the same folder, else the one company whose folder
// has that name; none when no company or several fit.
std::optional<std::size_t> NamedCompany(const std::vector<CapturedFolder>& companies,
                                        const std::string& named) {
    const std::string place = CapturedFolderPath(named);
    std::optional<std::size_t> byName;
    std::size_t sameName = 0;
    for (std::size_t company = 0; company < companies.size(); ++company) {
        if (CapturedFolderPath(companies[company].folder) == place) return company;
        if (FolderName(companies[company].folder) == FolderName(named)) {
            byName = company;
            ++sameName;
        }
    }
    return sameName == 1 ? byName : std::nullopt;
}

// The profile is never half written and never replaces a file: one that appeared at the target
// while learning ran stays.
bool WriteNewProfile(const std::string& path, const std::string& text) {
    const WrittenFile written = WriteTextFileInPlace(path, text, ExistingFile::kKeep);
    if (written.keptExisting) {
        std::fprintf(stderr, "%s exists; learn writes a new profile\n", path.c_str());
    } else if (!written.written) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), written.failure.c_str());
    }
    return written.written;
}

}  // namespace

CLI::App* AddLearnCommand(CLI::App& app, LearnOptions& options) {
    CLI::App* command = app.add_subcommand(
        "learn", "learn a profile's rules from captured companies and the values read on them");
    command
        ->add_option("--pages", options.pageFolders,
                     "captured company folders, or folders holding them (as rules --dir reads them); a "
                     "folder of result pages (capture --keyword) teaches the result-page rules from the "
                     "公司名称 values given")
        ->required();
    command
        ->add_option("--values", options.valuesFile,
                     "UTF-8 file: a [FOLDER] line per example company, then FIELD=VALUE lines")
        ->required();
    command->add_option("--profile", options.baseProfile,
                        "a profile whose other keys (search, result pages, links) the new one keeps");
    command->add_option("--out", options.outFile, "the new profile (an existing file is never replaced)")
        ->required();
    return command;
}

int RunLearn(const LearnOptions& options) {
    if (std::filesystem::exists(options.outFile)) {
        std::fprintf(stderr, "%s exists; learn writes a new profile\n", options.outFile.c_str());
        return kExitUsage;
    }
    std::vector<CapturedFolder> captured;
    std::vector<std::string> resultPageFolders;
    for (const std::string& folder : options.pageFolders) {
        if (IsResultPageFolder(folder)) {
            resultPageFolders.push_back(folder);
            continue;
        }
        std::optional<std::vector<CapturedFolder>> found = ReadCapturedFolders(folder);
        if (!found) return kExitUsage;
        for (CapturedFolder& company : *found) captured.push_back(std::move(company));
    }
    if (captured.empty() && resultPageFolders.empty()) {
        std::fprintf(stderr, "no captured company or result page in the folders given\n");
        return kExitUsage;
    }
    const std::optional<std::string> valuesText = ReadWholeFile(options.valuesFile);
    if (!valuesText) {
        std::fprintf(stderr, "cannot read %s\n", options.valuesFile.c_str());
        return kExitUsage;
    }
    std::optional<std::string> baseText = std::string();
    if (!options.baseProfile.empty() && !(baseText = ReadWholeFile(options.baseProfile))) {
        std::fprintf(stderr, "cannot read %s\n", options.baseProfile.c_str());
        return kExitUsage;
    }
    const std::optional<std::vector<ExampleValues>> given =
        ParseExampleValues(*valuesText, options.valuesFile);
    if (!given) return kExitUsage;

    // The result pages' rules come first: the families they tell apart are the ones a search reads
    // the companies as, and so the ones their label rules are learned for.
    std::vector<FieldEvidence> fields;
    if (!resultPageFolders.empty()) {
        ExtractionRules base;
        LoadRulesFromText(*baseText, base);
        fields = LearnResultPageRules(resultPageFolders, CompanyNamesGiven(*given), base, stdout);
        ExtractionRules withResultPages;
        LoadRulesFromText(LearnedProfileText(*baseText, fields), withResultPages);
        for (CapturedFolder& company : captured)
            company.company.family = ChooseFamily(withResultPages, company.company.link);
    }
    std::vector<EvidenceCompany> names;
    std::vector<CapturedCompany> companies;
    for (CapturedFolder& company : captured) {
        names.push_back({company.folder, ProfileLearner::LabelRuleKey(company.company.family)});
        companies.push_back(std::move(company.company));
    }
    std::vector<CompanyExample> examples;
    for (const ExampleValues& example : *given) {
        if (IsResultPageFolder(example.folder)) continue;  // names of companies its pages list
        const std::optional<std::size_t> company = NamedCompany(captured, example.folder);
        if (!company) {
            std::fprintf(stderr, "%s: [%s] names none of the captured companies given with --pages\n",
                         options.valuesFile.c_str(), example.folder.c_str());
            return kExitUsage;
        }
        examples.push_back({*company, example.values});
    }
    if (!companies.empty()) {
        const ProfileLearner learner(std::move(companies));
        const std::vector<FieldEvidence> labelFields = learner.LearnFields(examples);
        PrintFieldEvidence(stdout, labelFields, names);
        fields.insert(fields.end(), labelFields.begin(), labelFields.end());
    }
    std::fflush(stdout);
    const std::size_t learned = static_cast<std::size_t>(std::count_if(
        fields.begin(), fields.end(), [](const FieldEvidence& field) { return field.learned; }));
    std::fprintf(stderr, "%zu of %zu rule%s learned\n", learned, fields.size(),
                 fields.size() == 1 ? "" : "s");
    // A profile that would only repeat the base is not written.
    if (learned == 0) {
        std::fprintf(stderr, "nothing learned; no profile written\n");
        return kExitNoRecord;
    }
    return WriteNewProfile(options.outFile, LearnedProfileText(*baseText, fields)) ? kExitOk : kExitUsage;
}
