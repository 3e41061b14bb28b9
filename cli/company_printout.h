#pragma once

#include "engine/company_parser.h"

// One company as `rules` prints it on standard output: "validate" and every filled field as
// "name<TAB>value" lines in record order, then the label rules that found nothing ("unmatched")
// and the labels the record has no field for ("unknown"); or, as jsonl, the search's JSON line.
void PrintCompany(const CompanyRecord& record, const ExtractionReport& report, bool jsonl);
