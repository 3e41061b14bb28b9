#include "engine/company_record.h"

#define HARVIO_FIELD(name) CompanyField{#name, &CompanyRecord::name}

const std::array<CompanyField, kCompanyFieldCount> kCompanyFields = {
    HARVIO_FIELD(url),           HARVIO_FIELD(contactUrl),     HARVIO_FIELD(introduceUrl),
    HARVIO_FIELD(userInfo),      HARVIO_FIELD(timeInfoUrl),    HARVIO_FIELD(confirmInfoUrl),
    HARVIO_FIELD(contact),       HARVIO_FIELD(compName),       HARVIO_FIELD(address),
    HARVIO_FIELD(phone),         HARVIO_FIELD(mobile),         HARVIO_FIELD(zipCode),
    HARVIO_FIELD(fax),           HARVIO_FIELD(webSite),        HARVIO_FIELD(compIntroduce),
    HARVIO_FIELD(mainProduct),   HARVIO_FIELD(mainIndustry),   HARVIO_FIELD(compType),
    HARVIO_FIELD(businessMode),  HARVIO_FIELD(legalPerson),    HARVIO_FIELD(regAddress),
    HARVIO_FIELD(regCapital),    HARVIO_FIELD(employeeCount),  HARVIO_FIELD(foundTime),
    HARVIO_FIELD(annualTurnover), HARVIO_FIELD(annualImport),  HARVIO_FIELD(annualExport),
    HARVIO_FIELD(mainPlace),     HARVIO_FIELD(mainMarket),     HARVIO_FIELD(brand),
    HARVIO_FIELD(mainCustomer),  HARVIO_FIELD(mgmtCertification), HARVIO_FIELD(bank),
    HARVIO_FIELD(bankAccount),   HARVIO_FIELD(creditLevel),    HARVIO_FIELD(oem),
    HARVIO_FIELD(rdStaffCount),  HARVIO_FIELD(plantArea),      HARVIO_FIELD(qualityControl),
    HARVIO_FIELD(monthlyOutput), HARVIO_FIELD(bizRegInfo),     HARVIO_FIELD(honors),
    HARVIO_FIELD(memberRating),  HARVIO_FIELD(creditReferee),  HARVIO_FIELD(memberId),
    HARVIO_FIELD(regTime),       HARVIO_FIELD(lastLoginTime),  HARVIO_FIELD(identityAuth),
    HARVIO_FIELD(trustYears),
};
