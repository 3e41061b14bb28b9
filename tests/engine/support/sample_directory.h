#pragma once

#include <string>
#include <vector>

class LoopbackSite;

// A small directory for tests: the rules that read it and its GBK pages. Company links end in
// "/"; the contact and introduction pages lie under them. Member links are
// "http://m<N>.test/", general ones "http://detail.test/d<N>/", company-site ones
// "http://corp.test/c<N>/".
namespace sample {

inline const std::string kSearchBase = "http://dir.test/company/";
inline const std::vector<std::string> kHosts = {"dir.test", "detail.test", "corp.test", "member.test",
                                                "m1.test",  "m2.test",     "m3.test",   "m4.test",
                                                "m5.test",  "m6.test",     "hang.test"};

std::string RulesText();
std::string MemberLink(int number);
std::string GeneralLink(int number);
std::string CompanyLink(int number);

// Result page text: the totals and the links, each group under its link pattern's markup.
std::string ListPage(int totalPages, int totalCompanies, const std::vector<std::string>& memberLinks,
                     const std::vector<std::string>& generalLinks = {},
                     const std::vector<std::string>& companyLinks = {});

struct CompanyPages {
    std::string home;
    std::string contact;
    std::string introduction;
    std::string time;          // member time page
    std::string confirmation;  // member confirmation page
};
// Pages of the company "公司<number>" (the number also in its telephone and fax).
CompanyPages PagesOf(const std::string& link, int number);
std::string CompanyName(int number);
std::string MemberId(int number);

// Serves the company's pages (and its member pages) from the site.
void AddCompany(LoopbackSite& site, const std::string& link, int number);

}  // namespace sample
