#pragma once

#include <array>
#include <cstdint>
#include <string>

// One company as the engine read it. Every text is GBK bytes as the directory's pages deliver
// them (after clean-up); a field stays empty when its page or rule yields nothing.
struct CompanyRecord {
    int32_t validate = 0;  // 1 for a member-site company, read with the validate rules

    std::string url;
    std::string contactUrl;
    std::string introduceUrl;
    std::string userInfo;
    std::string timeInfoUrl;
    std::string confirmInfoUrl;
    std::string contact;
    std::string compName;
    std::string address;
    std::string phone;
    std::string mobile;
    std::string zipCode;
    std::string fax;
    std::string webSite;
    std::string compIntroduce;
    std::string mainProduct;
    std::string mainIndustry;
    std::string compType;
    std::string businessMode;
    std::string legalPerson;
    std::string regAddress;
    std::string regCapital;
    std::string employeeCount;
    std::string foundTime;
    std::string annualTurnover;
    std::string annualImport;
    std::string annualExport;
    std::string mainPlace;
    std::string mainMarket;
    std::string brand;
    std::string mainCustomer;
    std::string mgmtCertification;
    std::string bank;
    std::string bankAccount;
    std::string creditLevel;
    std::string oem;
    std::string rdStaffCount;
    std::string plantArea;
    std::string qualityControl;
    std::string monthlyOutput;
    std::string bizRegInfo;
    std::string honors;
    std::string memberRating;
    std::string creditReferee;
    std::string memberId;
    std::string regTime;
    std::string lastLoginTime;
    std::string identityAuth;
    std::string trustYears;
};

// The 49 text fields in record order, under their field names, for code that walks them all
// (printing a record, comparing records).
struct CompanyField {
    const char* name;
    std::string CompanyRecord::*member;
};

inline constexpr int kCompanyFieldCount = 49;
extern const std::array<CompanyField, kCompanyFieldCount> kCompanyFields;
