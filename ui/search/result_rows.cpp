#include "ui/search/result_rows.h"

#include <QByteArray>
#include <QStyle>
#include <algorithm>

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

// The widest row number shown: the 100,000th row.
constexpr char kWidestRowNumber[] = "000000";

// The number column holds the check box and six digits at the list's own font and style; the
// fixed width assumes a small bitmap font.
int NumberColumnWidth(const CMyListCtrl& list) {
    const QStyle* style = list.style();
    // The style puts this margin on both sides of the check box and of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    const int needed = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &list) +
                       list.fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestRowNumber)) +
                       4 * margin + 1;
    return std::max(kNumberColumn.width, needed);
}

ColumnLook LookOf(const CMyListCtrl& list, int subItem) {
    switch (subItem) {
        case 0:
            return {kNumberColumn.alignment, NumberColumnWidth(list)};
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
        const ColumnLook look = LookOf(list, subItem);
        list.InsertColumn(subItem,
                          FromGbk(QByteArrayView(title.data(), static_cast<qsizetype>(title.size()))),
                          look.alignment, look.width);
    }
}

int AddCompanyRow(CMyListCtrl& list, const CompanyRecord& record, int rowNumber) {
    return AddResultRow(list, BuildResultCells(record, rowNumber));
}

int AddResultRow(CMyListCtrl& list, const std::array<std::string, kResultColumnCount>& cells) {
    const auto bytes = [](const std::string& cell) {
        return QByteArray(cell.data(), static_cast<qsizetype>(cell.size()));
    };
    const int position = list.InsertItem(list.GetItemCount(), bytes(cells[0]));
    for (int subItem = 1; subItem < kResultColumnCount; ++subItem) {
        list.SetItemText(position, subItem, bytes(cells[subItem]));
    }
    return position;
}
