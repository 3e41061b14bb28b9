#include "tools/demo-directory/demo_pages.h"

#include <algorithm>

#include "tools/demo-directory/demo_page_values.h"

namespace {

using demo_site::PageKind;

std::string Head(const std::string& title) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
           "<html>\r\n<head>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n"
           "<title>" +
           title +
           "</title>\r\n"
           "<style type=\"text/css\">\r\n"
           "body { font-size: 12px; margin: 0 }\r\n.label { color: #666 }\r\n"
           "</style>\r\n"
           "<script type=\"text/javascript\" src=\"http://s.demo-b2b.test/js/common.js\"></script>\r\n"
           "<script type=\"text/javascript\">\r\n"
           "var pageTrack = { site: \"demo\", loaded: false }; if (window.top != window) { pageTrack.framed "
           "= true; }\r\n"
           "</script>\r\n"
           "</head>\r\n<body>\r\n";
}

const char* kFoot =
    "<div class=\"footer\">&copy; 示范企业名录 版权所有&nbsp;|&nbsp;<a "
    "href=\"http://s.demo-b2b.test/about.html\">关于我们</a></div>\r\n"
    "</body>\r\n</html>\r\n";

std::string TrustBadge(const DemoCompany& company) {
    if (!company.trustMember) return "";
    return "<span class=\"cxt-badge\" title=\"诚信通会员\"><img src=\"http://s.demo-b2b.test/img/cxt.gif\" "
           "alt=\"诚信通\" width=\"16\" height=\"16\" /></span>";
}

// A commented-out block from an older page layout, with a stale name: the clean-up removes
// comments before the rules run, so it must never reach a row.
std::string StaleComment(const std::string& labelCell, const std::string& valueCell,
                         const std::string& closing) {
    return "<!-- 旧版页面\r\n" + labelCell + "公司名称：" + valueCell + "旧版示范有限公司</" + closing +
           ">\r\n-->\r\n";
}

// ---- company site: definition lists

std::string Dl(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string html = "<dl class=\"info-list\">\r\n";
    for (const auto& [label, value] : rows) {
        html += "  <dt class=\"label\">" + label + "：</dt>\r\n  <dd class=\"value\">" + value + "</dd>\r\n";
    }
    return html + "</dl>\r\n";
}

std::string CompanySiteNav(const DemoCompany& company) {
    std::string nav =
        "<ul class=\"nav\">\r\n<li><a href=\"" + demo_site::HomeUrl(company) + "\">首页</a></li>\r\n";
    nav += "<li><a href=\"" + demo_site::HomeUrl(company) + "offer.html\">供应产品</a></li>\r\n";
    if (company.introduction != DemoIntroduction::NoLink) {
        nav += "<li><a href=\"" + demo_site::IntroductionUrl(company) +
               "\" title=\"公司介绍\">公司介绍</a></li>\r\n";
    }
    nav += "<li><a href=\"" + demo_site::ContactUrl(company) +
           "\" title=\"联系方式\">联系方式</a></li>\r\n</ul>\r\n";
    return nav;
}

std::string CompanySitePage(const DemoCompany& company, PageKind kind) {
    std::string html = Head(company.name) + "<div class=\"header\"><h1 class=\"company-name\">" +
                       company.name + "</h1>" + TrustBadge(company) + "</div>\r\n" + CompanySiteNav(company);
    switch (kind) {
        case PageKind::Home:
            html += StaleComment("<dt>", "</dt><dd>", "dd");
            html += "<div class=\"main\">\r\n" +
                    Dl({{"主营产品或服务", ProductsText(company)},
                        {"主营行业", company.industry},
                        {"经营模式", company.businessModel}}) +
                    "</div>\r\n";
            break;
        case PageKind::Contact:
            html += "<div class=\"contact\">\r\n" +
                    Dl({{"联系人", ContactText(company)},
                        {"电话", PhoneText(company)},
                        {"移动电话", company.mobile},
                        {"传真", company.fax},
                        {"地址", AddressText(company)},
                        {"邮编", company.zipCode},
                        {"公司网址", WebSiteText(company)}}) +
                    "</div>\r\n";
            break;
        default: {
            html += "<div class=\"intro\">\r\n<h2>公司介绍</h2>\r\n<div class=\"intro-text\">" +
                    IntroductionBody(company, "<br>", "") + "</div>\r\n</div>\r\n";
            PageFacts registration = RegistrationFacts(company);
            registration.emplace_back("经营品牌", company.brand);
            html += "<div class=\"reg\">\r\n<h2>工商注册信息</h2>\r\n" + Dl(registration) + "</div>\r\n";
        }
    }
    return html + kFoot;
}

// ---- general pages (detail and directory hosts): tables with spaced-out labels

std::string Table(const std::vector<std::pair<std::string, std::string>>& rows, const std::string& cssClass) {
    std::string html = "<table class=\"" + cssClass + "\" width=\"100%\" border=\"0\" cellspacing=\"0\">\r\n";
    for (const auto& [label, value] : rows) {
        html += "<tr>\r\n  <td class=\"t\" width=\"90\">" + label + "：</td>\r\n  <td class=\"v\">" + value +
                "</td>\r\n</tr>\r\n";
    }
    return html + "</table>\r\n";
}

std::string GeneralPage(const DemoCompany& company, PageKind kind) {
    std::string wide = std::string(kWideSpace) + kWideSpace;
    std::string html = Head(company.name + " - 企业档案") + "<div id=\"hd\"><span class=\"name\">" +
                       company.name + "</span></div>\r\n<table class=\"nav\"><tr>\r\n<td><a href=\"" +
                       demo_site::ContactUrl(company) + "\" class=\"nav-item\">联系方式</a></td>\r\n";
    if (company.introduction != DemoIntroduction::NoLink) {
        html += "<td><a href=\"" + demo_site::IntroductionUrl(company) +
                "\" class=\"nav-item\">公司档案</a></td>\r\n";
    }
    html += "</tr></table>\r\n";
    switch (kind) {
        case PageKind::Home:
            html += StaleComment("<td class=\"t\">", "</td><td class=\"v\">", "td");
            html += Table({{"主营产品或服务", ProductsText(company)},
                           {"主营行业", company.industry},
                           {"经营模式", company.businessModel}},
                          "base");
            break;
        case PageKind::Contact:
            html += Table({{"联&nbsp;系&nbsp;人", ContactText(company)},
                           {"电" + wide + "话", PhoneText(company)},
                           {"移动电话", company.mobile},
                           {"传" + wide + "真", company.fax},
                           {"地" + wide + "址", AddressText(company)},
                           {"邮" + wide + "编", company.zipCode},
                           {"公司网址", WebSiteText(company)}},
                          "contact");
            break;
        default:
            html += Table({{"公司介绍", IntroductionBody(company, "<br>", "")}}, "profile");
            html += "<h3>工商注册信息</h3>\r\n" + Table(RegistrationFacts(company), "reg");
    }
    return html + kFoot;
}

// ---- member sites: tables whose cells carry attributes, a script inside the introduction

std::string MemberTable(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string html = "<table class=\"info-table\" cellpadding=\"4\">\r\n";
    for (const auto& [label, value] : rows) {
        html += "<tr><td class=\"th\" nowrap>" + label + "：</td><td class=\"td\" colspan=\"3\">" + value +
                "</td></tr>\r\n";
    }
    return html + "</table>\r\n";
}

std::string MemberPage(const DemoCompany& company, PageKind kind) {
    std::string html = Head(company.name + " - 诚信通") + "<div class=\"top-bar\">" + company.name +
                       TrustBadge(company) + "</div>\r\n<div class=\"nav\">\r\n<a href=\"" +
                       demo_site::HomeUrl(company) + "\">首页</a>\r\n<a href=\"" +
                       demo_site::ContactUrl(company) + "\" target=\"_self\">联系方式</a>\r\n";
    if (company.introduction != DemoIntroduction::NoLink) {
        html += "<a href=\"" + demo_site::IntroductionUrl(company) + "\" target=\"_self\">公司档案</a>\r\n";
    }
    html += "</div>\r\n<div class=\"side\">\r\n" + MemberTable({{"诚信通年限", company.trustYears}}) +
            "</div>\r\n";
    switch (kind) {
        case PageKind::Home:
            html += StaleComment("<td class=\"th\">", "</td><td class=\"td\">", "td");
            html += MemberTable({{"主营产品或服务", ProductsText(company)},
                                 {"主营行业", company.industry},
                                 {"经营模式", company.businessModel}});
            break;
        case PageKind::Contact:
            html += "<div class=\"userinfo\">" + company.contactName + "</div>\r\n";
            html += MemberTable({{"联系人", ContactText(company)},
                                 {"电话", PhoneText(company)},
                                 {"移动电话", company.mobile},
                                 {"传真", company.fax},
                                 {"地址", AddressText(company)},
                                 {"邮编", company.zipCode},
                                 {"公司网址", WebSiteText(company)}});
            break;
        default:
            html +=
                "<h3 class=\"title\">公司介绍</h3>\r\n<div class=\"content\" id=\"intro\">" +
                IntroductionBody(company, "<br/>",
                                 "<script type=\"text/javascript\">pageTrack.loaded = true;</script>\r\n") +
                "</div>\r\n";
            html += MemberTable({{"公司名称", company.name},
                                 {"企业类型", company.companyType},
                                 {"公司成立时间", company.foundTime},
                                 {"法定代表人/负责人", company.legalPerson},
                                 {"注册资本", company.regCapital},
                                 {"员工人数", company.employeeCount},
                                 {"年营业额", company.annualTurnover},
                                 {"经营品牌", company.brand}});
    }
    return html + kFoot;
}

std::string TimeInfoPage(const DemoCompany& company) {
    return Head("会员信息") +
           "<table class=\"member-info\">\r\n<tr><td class=\"label\">注册时间：</td><td class=\"value\">" +
           company.regTime + "</td></tr>\r\n<tr><td class=\"label\">最后登录时间：</td><td class=\"value\">" +
           company.lastLoginTime + "</td></tr>\r\n</table>\r\n" + kFoot;
}

std::string ConfirmInfoPage(const DemoCompany& company) {
    return Head("认证信息") +
           "<table class=\"member-info\">\r\n<tr><td class=\"label\">企业身份认证：</td><td class=\"value\">"
           "<span class=\"pass\">已通过</span>&nbsp;认证机构：<b>示范信用认证中心</b></td></tr>\r\n"
           "<tr><td class=\"label\">诚信通年限：</td><td class=\"value\">" +
           company.trustYears + "</td></tr>\r\n</table>\r\n" + kFoot;
}

std::string ListEntry(const DemoCompany& company) {
    std::string home = demo_site::HomeUrl(company);
    std::string html = "<li class=\"company-item\">\r\n<div class=\"title\"><a class=\"item-title";
    if (company.trustMember) html += " cxt";
    html += "\" href=\"" + home + "\" target=\"_blank\" title=\"" + company.name + "\">" + company.name +
            "</a>" + TrustBadge(company) + "</div>\r\n";
    html += "<div class=\"detail\">主营：" + ProductsText(company) + kWideSpace + "所在地：" +
            company.province + " " + company.city + "</div>\r\n<div class=\"links\"><a href=\"" +
            demo_site::ContactUrl(company) + "\" target=\"_blank\">联系方式</a>";
    // The same address once more: the engine must queue it only once.
    if (company.family == DemoFamily::CompanySite) {
        html += "&nbsp;<a class=\"more\" href=\"" + home + "\" target=\"_blank\">进入公司网站</a>";
    }
    return html + "</div>\r\n</li>\r\n";
}

std::string PageUrl(const std::string& pageUrl, int page) {
    std::size_t at = pageUrl.rfind("_p-");
    if (at == std::string::npos) return pageUrl;
    std::size_t end = pageUrl.find('_', at + 3);
    return pageUrl.substr(0, at) + "_p-" + std::to_string(page) + pageUrl.substr(end);
}

}  // namespace

std::string RenderListPage(const std::vector<const DemoCompany*>& found, int page,
                           const std::string& pageUrl) {
    int total = static_cast<int>(found.size());
    int totalPages = (total + kCompaniesPerListPage - 1) / kCompaniesPerListPage;
    std::string html = Head("公司库 - 搜索结果") + "<div class=\"search-result\">\r\n";
    if (total == 0) {
        return html +
               "<div class=\"no-result\">没有找到符合条件的公司，请更换关键字再试。</div>\r\n</div>\r\n" +
               kFoot;
    }
    html += "<div class=\"sm-navi\">找到 <em id=\"totalCount\">" + std::to_string(total) +
            "</em> 家符合条件的公司，共<span class=\"total-page\">" + std::to_string(totalPages) +
            "</span>页</div>\r\n";
    int first = (page - 1) * kCompaniesPerListPage;
    // From page 2 on, the last company of the page before is shown again as a recommendation.
    if (page >= 2 && first - 1 < total) {
        const DemoCompany& repeated = *found[first - 1];
        html += "<div class=\"recommend\">上页推荐：<a class=\"item-title" +
                std::string(repeated.trustMember ? " cxt" : "") + "\" href=\"" +
                demo_site::HomeUrl(repeated) + "\" target=\"_blank\">" + repeated.name + "</a></div>\r\n";
    }
    html += "<ul class=\"list\">\r\n";
    for (int i = first; i < std::min(total, first + kCompaniesPerListPage); ++i) html += ListEntry(*found[i]);
    html +=
        "</ul>\r\n<div class=\"page\">第" + std::to_string(page) + "/" + std::to_string(totalPages) + "页";
    if (page > 1) html += " <a href=\"" + PageUrl(pageUrl, page - 1) + "\">上一页</a>";
    if (page < totalPages) html += " <a href=\"" + PageUrl(pageUrl, page + 1) + "\">下一页</a>";
    return html + "</div>\r\n</div>\r\n" + kFoot;
}

std::string RenderCompanyPage(const DemoCompany& company, demo_site::PageKind kind) {
    switch (kind) {
        case PageKind::TimeInfo:
            return TimeInfoPage(company);
        case PageKind::ConfirmInfo:
            return ConfirmInfoPage(company);
        default:
            break;
    }
    switch (company.family) {
        case DemoFamily::Member:
            return MemberPage(company, kind);
        case DemoFamily::CompanySite:
            return CompanySitePage(company, kind);
        default:
            return GeneralPage(company, kind);
    }
}
