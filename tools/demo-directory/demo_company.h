#pragma once

#include <string>
#include <vector>

// Which of the directory's page families shows a company; the engine tells them apart by the
// first label of the link's host.
enum class DemoFamily { Member, Detail, Directory, CompanySite };

// What a company's introduction page link and text look like.
enum class DemoIntroduction {
    Written,        // a text; the row shows it
    NotRegistered,  // the directory's "not registered" notice; the row's introduction is empty
    NoLink,         // the home page has no link to it; the row lacks that page's facts
};

// One company of the demo directory: the clean values the window must show (UTF-8), and the
// choices of how its pages dress them up.
struct DemoCompany {
    int id = 0;
    DemoFamily family = DemoFamily::CompanySite;
    std::string memberId;      // first host label of a member site
    bool trustMember = false;  // listed with the member-site mark on result pages
    DemoIntroduction introduction = DemoIntroduction::Written;

    // Search conditions that find it.
    std::string province;
    std::string city;
    std::string industry;
    std::string businessModel;
    std::vector<std::string> products;

    // Row values, as shown.
    std::string name;
    std::string contactName;
    std::string contactTitle;
    std::string phone;  // without the country code
    std::string mobile;
    std::string fax;
    std::string address;
    std::string zipCode;
    std::string webSite;
    std::string introText;  // the shown introduction, paragraphs joined by one space
    std::string mainProduct;
    std::string companyType;
    std::string foundTime;
    std::string legalPerson;
    std::string employeeCount;
    std::string regCapital;

    // Further facts the pages carry.
    std::string mainMarket;
    std::string annualTurnover;
    std::string brand;
    std::string regTime;
    std::string lastLoginTime;
    std::string trustYears;

    // How the pages write the values.
    // 0 name and title with a blank, 1 title in full-width brackets and a blank, 2 name only,
    // 3 title in full-width brackets with nothing after them, 4 title straight after the name
    int contactStyle = 0;
    bool phoneWithCountryCode = false;
    bool wideSpaceInAddress = false;   // the address's blank written as a full-width space, else "&nbsp;"
    bool productsWithSolidus = false;  // products joined by the full-width solidus, else "、"
    std::vector<std::string> introParagraphs;
};
