#include "tools/demo-directory/demo_catalogue.h"

#include <algorithm>
#include <set>

#include "tools/demo-directory/demo_page_values.h"
#include "tools/demo-directory/demo_regions.h"

namespace {

// splitmix64: small, fast and fully specified, so a seed gives the same directory everywhere.
class DemoRandom {
public:
    explicit DemoRandom(uint64_t seed) : state(seed) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<uint64_t>(bound)); }
    bool Percent(int percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(static_cast<int>(items.size()))];
    }

private:
    uint64_t state;
};

const std::vector<std::string> kBrandWords = {
    "恒达", "华美", "金源", "宏远", "永盛", "鑫瑞", "东方", "正泰", "天宇", "立信", "嘉诚", "明辉",
    "盛世", "新星", "汇丰", "长城", "富达", "佳艺", "海纳", "振兴", "博远", "创新", "联合", "华夏",
    "中和", "万通", "凯旋", "瑞丰", "安泰", "德胜", "兴隆", "广源", "顺发", "泰和", "美达", "同创"};
const std::vector<std::string> kNameEndings = {"有限公司",     "科技有限公司", "实业有限公司",
                                               "贸易有限公司", "制品厂",       "经营部"};
const std::vector<std::string> kSurnames = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                            "徐", "孙", "胡", "朱", "高", "林", "何", "郭", "马", "罗"};
const std::vector<std::string> kGivenNames = {"建国", "志强", "秀英", "丽华", "国庆", "海燕", "伟民",
                                              "晓东", "春梅", "振华", "文静", "德明", "玉兰", "永刚"};
const std::vector<std::string> kTitles = {"经理", "销售经理", "总经理", "业务员", "厂长", "采购主管"};
const std::vector<std::string> kStreets = {"人民路",   "解放路",   "中山路", "建设路",
                                           "工业大道", "科技园路", "文化路", "开发区创业路"};
const std::vector<std::string> kCompanyTypes = {"私营有限责任公司", "私营独资企业", "股份有限公司",
                                                "有限责任公司",     "个体经营",     "外资企业"};
const std::vector<std::string> kEmployeeCounts = {"5人以下",   "5-10人",    "11-50人",   "51-100人",
                                                  "101-200人", "201-500人", "501-1000人"};
const std::vector<std::string> kCapitals = {"10万元",  "50万元",   "100万元", "200万元",
                                            "500万元", "1000万元", "3000万元"};
const std::vector<std::string> kMarkets = {"国内", "华东地区", "华南地区", "欧美", "东南亚", "全球"};
const std::vector<std::string> kTurnovers = {"100万元以下", "101万元-500万元", "501万元-1000万元",
                                             "1001万元-5000万元"};
const std::vector<std::string> kMunicipalities = {"北京", "上海", "天津", "重庆"};
const std::vector<std::string> kAutonomousRegions = {"内蒙古", "广西", "宁夏", "新疆", "西藏"};
// Every fourth company writes its contact the awkward ways real pages do: the bracket closed with
// nothing after it ("赵敏（采购）") or the title straight after the salutation ("王女士经理"); every
// tenth contact's surname is a character outside GBK, four bytes in GB18030. Decided by the id
// alone, so the random choices of every company stay as they were.
constexpr int kAwkwardContactEvery = 4;
constexpr int kFourByteSurnameEvery = 10;
constexpr std::size_t kSurnameBytes = 3;  // every surname is one character, three bytes in UTF-8
const std::string kFourByteSurname = "𠮷";

void AddAwkwardContact(int id, DemoCompany& company) {
    if (id % kAwkwardContactEvery == kAwkwardContactEvery - 1) {
        company.contactStyle = (id / kAwkwardContactEvery) % 2 == 0 ? 3 : 4;
        if (company.contactTitle.empty()) company.contactTitle = kTitles[id % kTitles.size()];
    }
    if (id % kFourByteSurnameEvery == kFourByteSurnameEvery - 3)
        company.contactName = kFourByteSurname + company.contactName.substr(kSurnameBytes);
}

// A district for the provinces that the window offers without cities.
std::string DistrictOf(const std::string& province) {
    static const std::vector<std::pair<std::string, std::string>> districts = {
        {"北京", "朝阳区"}, {"上海", "浦东新区"}, {"天津", "南开区"}, {"重庆", "渝北区"},
        {"香港", "中西区"}, {"澳门", "大堂区"},   {"台湾", "台北市"}};
    for (const auto& [name, district] : districts) {
        if (name == province) return district;
    }
    return "开发区";
}
// Provinces where most of the directory's companies are, as on the real site.
const std::vector<std::string> kBusyProvinces = {"浙江", "广东", "江苏", "福建", "山东"};

// Digits for telephone numbers that never hold "86": the window cuts a number at its first
// "86", so a number with "86" inside would not come back as written.
std::string DigitsWithout86(DemoRandom& random, int count) {
    std::string digits;
    while (static_cast<int>(digits.size()) < count) {
        char digit = static_cast<char>('0' + random.Below(10));
        if (digit == '6' && !digits.empty() && digits.back() == '8') continue;
        digits += digit;
    }
    return digits;
}

std::string AreaCode(DemoRandom& random) {
    std::string code;
    do {
        code = "0" + DigitsWithout86(random, 2 + random.Below(2));
    } while (code[1] == '0' || code.find("86") != std::string::npos);
    return code;
}

std::string ProvincePart(const std::string& province) {
    auto has = [&](const std::vector<std::string>& list) {
        return std::find(list.begin(), list.end(), province) != list.end();
    };
    if (has(kMunicipalities)) return province + "市";
    if (has(kAutonomousRegions)) return province + "自治区";
    if (province == "香港" || province == "澳门") return province + "特别行政区";
    return province + "省";
}

bool EndsWithAny(const std::string& text, const std::vector<std::string>& endings) {
    return std::any_of(endings.begin(), endings.end(), [&](const std::string& ending) {
        return text.size() >= ending.size() &&
               text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
    });
}

std::string Lowered(const std::string& text) {
    std::string lowered = text;
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

DemoCompany MakeCompany(int id, DemoRandom& random, std::set<std::string>& takenNames) {
    DemoCompany company;
    company.id = id;
    int familyRoll = random.Below(100);
    company.family = familyRoll < 40   ? DemoFamily::Member
                     : familyRoll < 60 ? DemoFamily::Detail
                     : familyRoll < 75 ? DemoFamily::Directory
                                       : DemoFamily::CompanySite;
    if (company.family == DemoFamily::Member) company.memberId = "m" + std::to_string(100000 + id);
    company.trustMember = company.family == DemoFamily::Member ||
                          (company.family == DemoFamily::CompanySite && random.Percent(30));
    int introRoll = random.Below(100);
    company.introduction = introRoll < 4   ? DemoIntroduction::NoLink
                           : introRoll < 9 ? DemoIntroduction::NotRegistered
                                           : DemoIntroduction::Written;

    const auto& provinces = DemoProvinces();
    company.province = random.Percent(40) ? random.Pick(kBusyProvinces) : random.Pick(provinces).name;
    const DemoProvince& province =
        *std::find_if(provinces.begin(), provinces.end(),
                      [&](const DemoProvince& p) { return p.name == company.province; });
    if (!province.cities.empty()) company.city = random.Pick(province.cities);

    const DemoIndustry& industry = random.Pick(DemoIndustries());
    company.industry = industry.name;
    company.businessModel = random.Pick(DemoBusinessModels());
    std::vector<std::string> products = industry.products;
    int productCount = 1 + random.Below(static_cast<int>(products.size()));
    for (int i = 0; i < productCount; ++i) {
        int pick = i + random.Below(static_cast<int>(products.size()) - i);
        std::swap(products[i], products[pick]);
        company.products.push_back(products[i]);
    }

    std::string place = company.city.empty() ? company.province : company.city;
    // Trailing blanks of stored city names ("海东 ") do not belong into a company name.
    while (!place.empty() && place.back() == ' ') place.pop_back();
    do {
        company.name =
            place + random.Pick(kBrandWords) + company.products.front() + random.Pick(kNameEndings);
    } while (!takenNames.insert(company.name).second);

    company.contactStyle = random.Below(3);
    company.contactName = random.Pick(kSurnames) + (random.Percent(50) ? "先生" : "女士");
    if (company.contactStyle != 2) company.contactTitle = random.Pick(kTitles);
    AddAwkwardContact(id, company);
    company.phoneWithCountryCode = random.Percent(70);
    std::string area = AreaCode(random);
    std::string number = DigitsWithout86(random, 8);
    // The window drops the country code together with everything before it.
    company.phone = company.phoneWithCountryCode ? "-" + area.substr(1) + "-" + number : area + "-" + number;
    if (random.Percent(75)) company.mobile = "13" + DigitsWithout86(random, 9);
    if (random.Percent(70)) company.fax = area + "-" + DigitsWithout86(random, 8);
    company.wideSpaceInAddress = random.Percent(50);
    std::string locality = company.city.empty() ? DistrictOf(company.province) : company.city;
    if (!company.city.empty() && !EndsWithAny(locality, {"县", "盟", "自治州", "区"})) locality += "市";
    company.address = ProvincePart(company.province) + " " + locality + random.Pick(kStreets) +
                      std::to_string(1 + random.Below(300)) + "号";
    company.zipCode = std::to_string(100000 + random.Below(800000));
    if (random.Percent(60)) company.webSite = "http://www.c" + std::to_string(id) + ".demo-b2b.test";

    company.productsWithSolidus = random.Percent(50);
    company.mainProduct = JoinedValues(company.products, company.productsWithSolidus ? "/ " : "、");
    company.companyType = random.Pick(kCompanyTypes);
    int foundYear = 1985 + random.Below(40);
    company.foundTime = std::to_string(foundYear) + "年";
    company.legalPerson = random.Pick(kSurnames) + random.Pick(kGivenNames);
    company.employeeCount = random.Pick(kEmployeeCounts);
    company.regCapital = random.Pick(kCapitals);
    company.mainMarket = random.Pick(kMarkets);
    company.annualTurnover = random.Pick(kTurnovers);
    company.brand = random.Pick(kBrandWords) + "牌";
    company.regTime = std::to_string(std::max(foundYear, 2003) + random.Below(3)) + "-0" +
                      std::to_string(1 + random.Below(9)) + "-1" + std::to_string(random.Below(10));
    company.lastLoginTime = "2026-11-2" + std::to_string(random.Below(10));
    company.trustYears = "第" + std::to_string(1 + random.Below(12)) + "年";

    company.introParagraphs.push_back(company.name + "位于" + place + "，是一家专业从事" +
                                      JoinedValues(company.products, "、") + "的" + company.businessModel +
                                      "企业。");
    company.introParagraphs.push_back("公司成立于" + company.foundTime + "，现有员工" +
                                      company.employeeCount + "，产品销往" + company.mainMarket + "。");
    if (random.Percent(50)) company.introParagraphs.push_back("欢迎新老客户来电洽谈！");
    if (company.introduction == DemoIntroduction::Written)
        company.introText = JoinedValues(company.introParagraphs, " ");
    return company;
}

}  // namespace

DemoCatalogue::DemoCatalogue(int companyCount, uint64_t seed) {
    DemoRandom random(seed);
    std::set<std::string> takenNames;
    companies.reserve(companyCount);
    for (int id = 1; id <= companyCount; ++id) companies.push_back(MakeCompany(id, random, takenNames));
}

const DemoCompany* DemoCatalogue::FindById(int id) const {
    if (id < 1 || id > static_cast<int>(companies.size())) return nullptr;
    return &companies[id - 1];
}

const DemoCompany* DemoCatalogue::FindByMemberId(const std::string& memberId) const {
    for (const DemoCompany& company : companies) {
        if (!company.memberId.empty() && company.memberId == memberId) return &company;
    }
    return nullptr;
}

bool KeywordFinds(const std::string& keyword, const DemoCompany& company) {
    std::string wanted = Lowered(keyword);
    if (Lowered(company.name).find(wanted) != std::string::npos) return true;
    return std::any_of(company.products.begin(), company.products.end(), [&](const std::string& product) {
        return Lowered(product).find(wanted) != std::string::npos;
    });
}

std::vector<const DemoCompany*> DemoCatalogue::Search(const DemoConditions& conditions) const {
    std::vector<const DemoCompany*> found;
    for (const DemoCompany& company : companies) {
        if (!conditions.keyword.empty() && !KeywordFinds(conditions.keyword, company)) continue;
        if (!conditions.province.empty() && conditions.province != company.province) continue;
        if (!conditions.city.empty() && conditions.city != company.city) continue;
        if (!conditions.industry.empty() && conditions.industry != company.industry) continue;
        if (!conditions.businessModel.empty() && conditions.businessModel != company.businessModel) continue;
        found.push_back(&company);
    }
    return found;
}
