#include "tools/demo-directory/demo_modern_pages.h"

#include <algorithm>
#include <utility>

#include "tools/demo-directory/demo_page_values.h"

namespace {

using demo_modern::PageKind;

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           title +
           "</title>\n<link rel=\"stylesheet\" href=\"/static/site.css?v=3\">\n"
           "<script src=\"//static.demo-b2b.test/app.js\" defer></script>\n</head>\n<body>\n"
           "<nav class=\"top\"><a href=\"/\">首页</a> <a href=\"/search\">找公司</a></nav>\n";
}

const char* kFoot =
    "<footer><a href=\"/about\">关于我们</a> &middot; <a href=\"javascript:void(0)\" "
    "onclick=\"feedback()\">意见反馈</a></footer>\n</body>\n</html>\n";

// The company's address as the site's own links write it.
std::string EscapedLink(std::string link) {
    std::string escaped;
    for (const char c : link) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    return escaped;
}

std::string FactList(const PageFacts& facts, const std::string& cssClass) {
    std::string html = "<dl class=\"" + cssClass + "\">\n";
    for (const auto& [label, value] : facts) {
        html += "<dt data-field=\"" + cssClass + "\">" + label + "：</dt><dd>" + value + "</dd>\n";
    }
    return html + "</dl>\n";
}

PageFacts ContactFacts(const DemoCompany& company) {
    return {{"联系人", ContactText(company)},  {"电话", PhoneText(company)},
            {"移动电话", company.mobile},      {"传真", company.fax},
            {"地址", AddressText(company)},    {"邮编", company.zipCode},
            {"公司网址", WebSiteText(company)}};
}

// Where the home page's link to the contact page leads, relative to the home page.
std::string ContactLink(const DemoCompany& company) {
    const std::string tail = "contact?tab=contact&amp;src=home";
    return company.family == DemoFamily::Member ? tail : std::to_string(company.id) + "/" + tail;
}

std::string FactsPage(const DemoCompany& company) {
    std::string html =
        Head(company.name + " - 示范名录") + "<header><h1>" + company.name + "</h1></header>\n<main>\n";
    // A company that never filled in its profile shows no registration facts.
    if (company.introduction != DemoIntroduction::NoLink) {
        html += "<section class=\"profile\">\n<h2>公司介绍</h2>\n<p class=\"intro\">" +
                IntroductionBody(company, "<br>", "") + "</p>\n" +
                FactList(RegistrationFacts(company), "reg") + "</section>\n";
    }
    html += "<section class=\"business\">\n" +
            FactList({{"主营产品或服务", ProductsText(company)},
                      {"主营行业", company.industry},
                      {"经营模式", company.businessModel}},
                     "biz") +
            "</section>\n<section class=\"contact\">\n";
    if (demo_modern::HasContactPage(company)) {
        html += "<a class=\"contact-link\" href=\"" + ContactLink(company) + "\">联系方式</a>\n";
    } else {
        html += FactList(ContactFacts(company), "contact");
    }
    return html + "</section>\n</main>\n" + kFoot;
}

std::string ContactPage(const DemoCompany& company) {
    return Head(company.name + " - 联系方式") + "<header><h1>" + company.name + "</h1></header>\n<main>\n" +
           "<section class=\"contact\">\n" + FactList(ContactFacts(company), "contact") +
           "</section>\n</main>\n" + kFoot;
}

// How the result list links a company: members' shops protocol-relative, the others
// root-relative or relative to the search page, every "&" written "&amp;".
std::string ListLink(const DemoCompany& company) {
    if (company.family == DemoFamily::Member)
        return "//" + std::string(demo_modern::kShopHost) + "/" + company.memberId +
               "/?src=list&amp;tab=info";
    const std::string page = "company/" + std::to_string(company.id) + ".html?src=list&amp;tab=info";
    return company.id % 2 == 0 ? page : "/" + page;
}

std::string ListEntry(const DemoCompany& company, const std::string& link) {
    const bool member = company.family == DemoFamily::Member;
    return "<li class=\"item\" data-id=\"" + std::to_string(company.id) + "\">\n<a class=\"" +
           (member ? "shop-link" : "company-link") + "\" href=\"" + link + "\">" + company.name +
           "</a>\n<p class=\"meta\">" + ProductsText(company) + " · " + company.province + " " +
           company.city + "</p>\n</li>\n";
}

// The query-only link of another result page.
std::string PageLink(const DemoConditions& query, int page) {
    const std::string target = demo_modern::SearchTarget(query, page);
    return EscapedLink(target.substr(target.find('?')));
}

}  // namespace

std::string RenderModernListPage(const std::vector<const DemoCompany*>& found, const DemoConditions& query,
                                 int page) {
    const int total = static_cast<int>(found.size());
    const int first = (page - 1) * demo_modern::kCompaniesPerPage;
    std::string html = Head("找公司 - 示范名录") + "<main class=\"results\">\n";
    if (first >= total) {
        return html + "<p class=\"empty\">没有找到符合条件的公司，请更换关键字再试。</p>\n</main>\n" + kFoot;
    }
    // An advertisement in the list's own markup, whose link is no page.
    html +=
        "<ul class=\"list\">\n<li class=\"item ad\"><a class=\"company-link\" "
        "href=\"javascript:void(0)\">推广："
        "示范名录会员服务</a></li>\n";
    // From page 2 on, the last company of the page before comes again, its slashes written as
    // character references.
    if (page >= 2) {
        std::string link = ListLink(*found[first - 1]);
        for (std::size_t at = link.find('/'); at != std::string::npos; at = link.find('/', at + 6))
            link.replace(at, 1, "&#x2F;");
        html += ListEntry(*found[first - 1], link);
    }
    for (int i = first; i < std::min(total, first + demo_modern::kCompaniesPerPage); ++i)
        html += ListEntry(*found[i], ListLink(*found[i]));
    html += "</ul>\n<nav class=\"pager\">";
    if (page > 1) html += "<a class=\"prev\" href=\"" + PageLink(query, page - 1) + "\">上一页</a> ";
    html += "<span class=\"current\">" + std::to_string(page) + "</span>";
    if (first + demo_modern::kCompaniesPerPage < total)
        html += " <a class=\"next\" rel=\"next\" href=\"" + PageLink(query, page + 1) + "\">下一页</a>";
    return html + "</nav>\n</main>\n" + kFoot;
}

std::string RenderModernCompanyPage(const DemoCompany& company, PageKind kind) {
    return kind == PageKind::Home ? FactsPage(company) : ContactPage(company);
}
