#pragma once

#include <string>
#include <vector>

#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_site.h"

// The rows the window must show for a query, straight from the catalogue's clean values:
// columns 1 to 19 of the result list (the row number depends on arrival order and is left
// out), one CSV line per company in the export's form (every cell quoted and followed by a
// comma), GBK, CR LF, sorted by their bytes. Companies that the site's faults keep from the
// engine are not among them. The rows are the same for both of the site's styles.
std::vector<std::string> TruthLines(const DemoCatalogue& catalogue, const DemoSite& site,
                                    const DemoConditions& conditions);

// The 19 cells (UTF-8) of one company's row, columns 1 to 19.
std::vector<std::string> TruthCells(const DemoCompany& company);
