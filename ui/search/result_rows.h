#pragma once

#include <array>
#include <string>

#include "engine/company_record.h"
#include "engine/result_row.h"

class CMyListCtrl;

// Inserts the 20 result columns with their titles, alignments and widths, in index order.
void InsertResultColumns(CMyListCtrl& list);

// Adds the row of a record (cell 0 the row number, cells 1 to 19 from the record) after every
// row already in the list, so that a later search's rows follow the earlier ones in order;
// returns the row's position.
int AddCompanyRow(CMyListCtrl& list, const CompanyRecord& record, int rowNumber);
// The same for cells already built (a restored row).
int AddResultRow(CMyListCtrl& list, const std::array<std::string, kResultColumnCount>& cells);
