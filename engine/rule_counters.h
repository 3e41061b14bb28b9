#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/company_family.h"
#include "engine/company_record.h"
#include "engine/extraction_rules.h"
#include "engine/page_source.h"

// How often one rule was tried on a page and how often it found something. Written by the
// engine threads with relaxed increments (no order with anything else is needed: a reader wants
// figures, not a consistent cut), read at any time.
struct RuleCount {
    std::atomic<uint64_t> tried{0};
    std::atomic<uint64_t> matched{0};
    std::atomic<uint64_t> skipped{0};  // links it captured that lead nowhere a search can go

    void Note(bool hit) {
        tried.fetch_add(1, std::memory_order_relaxed);
        if (hit) matched.fetch_add(1, std::memory_order_relaxed);
    }
    void NoteSkippedLink() { skipped.fetch_add(1, std::memory_order_relaxed); }
};

// The single-pattern rules, in the order the rules file's table gives them.
enum class PatternRule {
    compTotalPageReg,
    compTotalCompanyReg,
    validateCompReg,
    generalCompReg,
    CompReg,
    validateCompContactReg,
    validateCompIntroduceReg,
    validateCompUserInfoReg,
    generalCompContactReg,
    generalCompIntroduceReg,
    CompContactReg,
    CompIntroduceReg,
    nextPageReg,
    memberIdReg,
};
inline constexpr std::size_t kPatternRuleCount = 14;

// The validate label rules applied to the member's own pages rather than the combined text.
enum class MemberPageRule { regTime, lastLoginTime, identityAuth, trustYears };
inline constexpr std::size_t kMemberPageRuleCount = 4;

// One rule's figures, copied out for a report.
struct RuleFigures {
    std::string name;  // the key, or "key label" for a label rule (GBK)
    uint64_t tried = 0;
    uint64_t matched = 0;
    uint64_t skipped = 0;
};

// A copy of all counters at one moment.
struct RuleHealthSnapshot {
    uint64_t companiesRead = 0;  // companies whose home page was read
    uint64_t records = 0;        // companies that gave a record
    // Records read without the page, whose link rule is empty or found no link on the home page.
    uint64_t recordsWithoutContactPage = 0;
    uint64_t recordsWithoutIntroductionPage = 0;
    uint64_t listPages = 0;
    uint64_t listPagesWithoutLinks = 0;
    uint32_t statedCompanies = 0;  // the company count result page 1 gave
    std::vector<RuleFigures> rules;
    std::array<uint64_t, kCompanyFieldCount> filledFields{};  // in kCompanyFields order
};

// The rule and field counters of one search. Built from the rules the search uses; the label
// rules are counted by their position in the family's label map, which the rules never change
// during a search.
class RuleCounters {
public:
    explicit RuleCounters(const ExtractionRules& rules);
    RuleCounters(const RuleCounters&) = delete;
    RuleCounters& operator=(const RuleCounters&) = delete;

    RuleCount& Pattern(PatternRule rule) { return patterns[static_cast<std::size_t>(rule)]; }
    RuleCount& Label(CompanyFamily family, std::size_t position) {
        return labels[static_cast<std::size_t>(family)][position];
    }
    RuleCount& MemberPage(MemberPageRule rule) { return memberPages[static_cast<std::size_t>(rule)]; }

    void NoteCompanyRead() { companiesRead.fetch_add(1, std::memory_order_relaxed); }
    // A record read without its contact or introduction page, which the site does not link.
    void NoteRecordWithoutPage(CompanyPage page);
    // Counts the record and every field it filled.
    void NoteRecord(const CompanyRecord& record);
    void NoteListPage(bool gaveLinks);
    void SetStatedCompanies(uint32_t count) { statedCompanies.store(count, std::memory_order_relaxed); }

    RuleHealthSnapshot Snapshot() const;

private:
    std::array<RuleCount, kPatternRuleCount> patterns;
    std::array<std::vector<RuleCount>, 3> labels;  // by CompanyFamily
    std::array<std::vector<std::string>, 3> labelNames;
    std::array<RuleCount, kMemberPageRuleCount> memberPages;
    std::array<std::atomic<uint64_t>, kCompanyFieldCount> filledFields{};
    std::atomic<uint64_t> companiesRead{0};
    std::atomic<uint64_t> records{0};
    std::atomic<uint64_t> recordsWithoutContactPage{0};
    std::atomic<uint64_t> recordsWithoutIntroductionPage{0};
    std::atomic<uint64_t> listPages{0};
    std::atomic<uint64_t> listPagesWithoutLinks{0};
    std::atomic<uint32_t> statedCompanies{0};
};

// Notes a search with a rule that may be absent. An absent rule is not counted: the site has no
// such page, or its profile leaves that part out (the rules check names the keys a search needs).
inline void NoteRule(const std::optional<boost::regex>& rule, RuleCount* count, bool hit) {
    if (rule && count != nullptr) count->Note(hit);
}
