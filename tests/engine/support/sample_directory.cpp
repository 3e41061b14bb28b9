#include "sample_directory.h"

#include "loopback_site.h"

namespace sample {

std::string RulesText() {
    std::string rules =
        "# rules of the test directory\n"
        "searchBaseUrl,,,http://dir.test/company/\n"
        "companySitePrefix,,,http://corp\n"
        "detailPrefix,,,http://detail\n"
        "directoryPrefix,,,http://dir\n"
        "compTotalPageReg,,,共\\s*(\\d+)\\s*页\n"
        "compTotalCompanyReg,,,找到\\s*(\\d+)\\s*家\n"
        "validateCompReg,,,<a class=\"m\" href=\"([^\"]*)\"\n"
        "generalCompReg,,,<a class=\"g\" href=\"([^\"]*)\"\n"
        "CompReg,,,<a class=\"c\" href=\"([^\"]*)\"\n"
        "TimeInfoUrl,,,http://member.test/time/{id}.html\n"
        "ConfirmInfoUrl,,,http://member.test/confirm/{id}/{id}.html\n"
        "validateCompUserInfoReg,,,<span id=\"user\">([^<]*)</span>\n"
        "validate,,,注册时间,,,注册时间：([0-9-]+)\n"
        "validate,,,最后登录时间,,,最后登录：([^<]*)<\n"
        "validate,,,企业身份认证,,,身份认证：(.*?)</td>\n"
        "validate,,,诚信通年限,,,诚信通：(\\d+)\n";
    for (const std::string prefix : {"validateComp", "generalComp", "Comp"}) {
        rules += prefix + "ContactReg,,,href=\"([^\"]*contact\\.html)\"\n";
        rules += prefix + "IntroduceReg,,,href=\"([^\"]*intro\\.html)\"\n";
    }
    for (const std::string family : {"validate", "general", "company"}) {
        rules += family + ",,,公司名称,,,<H1[^>]*>(.*?)</H1>\n";
        rules += family + ",,,联系人,,,联系人：(.*?)<\n";
        rules += family + ",,,电话,,,<P[^>]*>电话：(.*?)<\n";
        rules += family + ",,,移动电话,,,移动电话：(.*?)<\n";
        rules += family + ",,,传真,,,传真：(.*?)<\n";
        rules += family + ",,,地址,,,地址：(.*?)<\n";
        rules += family + ",,,公司介绍,,,公司介绍：(.*?)。\n";
    }
    return rules;
}

std::string MemberLink(int number) {
    return "http://m" + std::to_string(number) + ".test/";
}
std::string GeneralLink(int number) {
    return "http://detail.test/d" + std::to_string(number) + "/";
}
std::string CompanyLink(int number) {
    return "http://corp.test/c" + std::to_string(number) + "/";
}
std::string CompanyName(int number) {
    return "公司" + std::to_string(number);
}
std::string MemberId(int number) {
    return "m" + std::to_string(number);
}

std::string ListPage(int totalPages, int totalCompanies, const std::vector<std::string>& memberLinks,
                     const std::vector<std::string>& generalLinks,
                     const std::vector<std::string>& companyLinks) {
    std::string page = "<html><body><p>共" + std::to_string(totalPages) + "页，找到" +
                       std::to_string(totalCompanies) + "家</p>\n";
    // The groups are mixed on the page; the engine still queues them pattern by pattern.
    for (const std::string& link : companyLinks) page += "<a class=\"c\" href=\"" + link + "\">c</a>\n";
    for (const std::string& link : generalLinks) page += "<a class=\"g\" href=\"" + link + "\">g</a>\n";
    for (const std::string& link : memberLinks) page += "<a class=\"m\" href=\"" + link + "\">m</a>\n";
    return page + "</body></html>\n";
}

CompanyPages PagesOf(const std::string& link, int number) {
    const std::string digit = std::to_string(number);
    CompanyPages pages;
    pages.home = "<html><body><h1 class=\"name\">" + CompanyName(number) + "</h1>\n<a href=\"" + link +
                 "contact.html\">联系方式</a> <a href=\"" + link + "intro.html\">介绍</a></body></html>\n";
    pages.contact = "<html><body><span id=\"user\">user" + digit + "</span>\n<p class=\"t\">电话：86-0571-" +
                    digit + "</p>\n<p>移动电话：139" + digit + "</p>\n<p>传真：0571-" + digit +
                    "</p>\n<p>联系人：张三先生 经理</p>\n<p>地址：杭州市</p></body></html>\n";
    pages.introduction = "<html><body><div>公司介绍：做好产品" + digit + "。</div></body></html>\n";
    pages.time =
        "<table><tr><td>注册时间：2009-01-0" + digit + "</td><td>最后登录：2010-05-06</td></tr></table>";
    pages.confirmation =
        "<table><tr><td>身份认证：<b>已认证</b></td><td>诚信通：" + digit + "年</td></tr></table>";
    return pages;
}

void AddCompany(LoopbackSite& site, const std::string& link, int number) {
    const CompanyPages pages = PagesOf(link, number);
    site.AddPage(link, pages.home);
    site.AddPage(link + "contact.html", pages.contact);
    site.AddPage(link + "intro.html", pages.introduction);
    const std::string id = MemberId(number);
    site.AddPage("http://member.test/time/" + id + ".html", pages.time);
    site.AddPage("http://member.test/confirm/" + id + "/" + id + ".html", pages.confirmation);
}

}  // namespace sample
