#include "ui/search/result_rows.h"

#include <QByteArray>

#include "engine/result_row.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/search/gbk_text.h"

namespace {

struct ColumnLook {
    Qt::Alignment alignment;
    int width;  // pixels
};

constexpr int kDefaultColumnWidth = 100;
constexpr ColumnLook kNumberColumn = {Qt::AlignLeft, 35};
constexpr ColumnLook kValidateColumn = {Qt::AlignHCenter, 45};
constexpr ColumnLook kCompanyNameColumn = {Qt::AlignHCenter, 185};
constexpr ColumnLook kFieldColumn = {Qt::AlignHCenter, kDefaultColumnWidth};

ColumnLook LookOf(int subItem) {
    switch (subItem) {
        case 0:
            return kNumberColumn;
        case 1:
            return kValidateColumn;
        case 2:
            return kCompanyNameColumn;
        default:
            return kFieldColumn;
    }
}

}  // namespace

void InsertResultColumns(CMyListCtrl& list) {
    for (int subItem = 0; subItem < kResultColumnCount; ++subItem) {
        const std::string_view title = kResultColumnTitles[subItem];
        const ColumnLook look = LookOf(subItem);
        list.InsertColumn(subItem,
                          FromGbk(QByteArrayView(title.data(), static_cast<qsizetype>(title.size()))),
                          look.alignment, look.width);
    }
}

int AddCompanyRow(CMyListCtrl& list, const CompanyRecord& record, int rowNumber) {
    const std::array<std::string, kResultColumnCount> cells = BuildResultCells(record, rowNumber);
    const auto bytes = [](const std::string& cell) {
        return QByteArray(cell.data(), static_cast<qsizetype>(cell.size()));
    };
    const int position = list.InsertItem(list.GetItemCount(), bytes(cells[0]));
    for (int subItem = 1; subItem < kResultColumnCount; ++subItem) {
        list.SetItemText(position, subItem, bytes(cells[subItem]));
    }
    return position;
}
