#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo-directory/demo_company.h"

// The search conditions of one query, UTF-8; an empty text means no filter.
struct DemoConditions {
    std::string keyword;
    std::string province;
    std::string city;
    std::string industry;
    std::string businessModel;
};

// The generated directory: the same companies for the same count and seed, on every machine
// (its own random generator, no library distributions).
class DemoCatalogue {
public:
    DemoCatalogue(int companyCount, uint64_t seed);

    const std::vector<DemoCompany>& Companies() const { return companies; }
    // The company with this id, or none.
    const DemoCompany* FindById(int id) const;
    const DemoCompany* FindByMemberId(const std::string& memberId) const;
    // The companies a query finds, in the order the result pages list them.
    std::vector<const DemoCompany*> Search(const DemoConditions& conditions) const;

private:
    std::vector<DemoCompany> companies;
};

// The keyword finds a company when it is part of the company's name or of one of its products
// (ASCII letters compared without case, as the directory's search does).
bool KeywordFinds(const std::string& keyword, const DemoCompany& company);
