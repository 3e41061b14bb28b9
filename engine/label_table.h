#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "engine/company_record.h"

// Label text (GBK) -> value, as the label rules of one company found them.
using LabelMap = std::map<std::string, std::string>;

// Moves every entry whose label the record knows into its field and removes it from the map;
// entries with other labels stay. An introduction saying the company has not registered its
// facts is dropped, leaving compIntroduce empty.
void MoveLabelsIntoRecord(LabelMap& labels, CompanyRecord& record);

// Whether the record has a field for the label.
bool IsKnownLabel(const std::string& label);
// Every label the record has a field for, in the record's field order (公司名称 after 联系人,
// 电话 before 移动电话): the names a person can give a value.
std::vector<std::string> KnownLabelsInRecordOrder();

// The label's place in the record's field order (the program's label table); labels the record
// has no field for come after all others.
std::size_t LabelOrder(const std::string& label);

// The validate labels that the member's own pages are read with, in the order regTime,
// lastLoginTime (time page), identityAuth, trustYears (confirmation page).
extern const char* const kMemberPageLabels[4];
bool IsMemberPageLabel(const std::string& label);
