#pragma once

#include <memory>
#include <string>

#include "engine/company_record.h"

// What a search already knows of a company link, asked by the company workers before any
// request for it.
struct KnownCompany {
    enum class Kind {
        kRead,   // unknown, or known too long ago: read its pages
        kReuse,  // read lately: record holds its facts, and no request is made
        kSkip,   // the company of another link of this search: nothing to do
    };
    Kind kind = Kind::kRead;
    std::unique_ptr<CompanyRecord> record;
};

// A source of known companies for one search (the lead book). Asked from the company workers'
// threads at once, so it guards itself.
class KnownCompanies {
public:
    virtual ~KnownCompanies() = default;
    virtual KnownCompany Look(const std::string& link) = 0;
};
