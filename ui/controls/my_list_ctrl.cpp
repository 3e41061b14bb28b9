#include "ui/controls/my_list_ctrl.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <numeric>
#include <vector>

#include "ui/controls/my_header_ctrl.h"
#include "ui/controls/result_cell_delegate.h"
#include "ui/controls/result_list_model.h"

namespace {

// Space between a row's text and the grid lines above and below it.
constexpr int kRowVerticalRoom = 4;
// The text of a row whose company the lead book held before its search.
const QColor kKnownCompanyText(128, 128, 128);

}  // namespace

CMyListCtrl::CMyListCtrl(QWidget* parent)
    : QTableView(parent), model_(new ResultListModel(this)), header_(new CMyHeaderCtrl(this)) {
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(new ResultCellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    header_->setSectionsMovable(true);
    header_->setSectionsClickable(true);
    header_->setHighlightSections(false);
    header_->setStretchLastSection(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header_, &QHeaderView::sectionClicked, this, &CMyListCtrl::OnColumnClick);

    // Uniform rows: the view never measures a row, so a hundred thousand rows scroll freely.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + kRowVerticalRoom);
}

CMyListCtrl::~CMyListCtrl() = default;

int CMyListCtrl::InsertColumn(int subItem, const QString& title, Qt::Alignment alignment, int width) {
    int column = model_->InsertColumn(subItem, title, alignment);
    header_->resizeSection(column, width);
    return column;
}

int CMyListCtrl::InsertItem(int position, const QByteArray& text) {
    return model_->InsertRow(position, text);
}

bool CMyListCtrl::SetItemText(int row, int subItem, const QByteArray& text) {
    return model_->SetCellText(row, subItem, text);
}

QByteArray CMyListCtrl::GetItemText(int row, int subItem) const {
    return model_->CellText(row, subItem);
}

bool CMyListCtrl::SetCheck(int row, bool checked) {
    return model_->SetChecked(row, checked);
}

bool CMyListCtrl::GetCheck(int row) const {
    return model_->Checked(row);
}

// A row counts as selected when any of its cells is.
bool CMyListCtrl::IsSelected(int row) const {
    return row >= 0 && row < model_->rowCount() &&
           selectionModel()->rowIntersectsSelection(row, QModelIndex());
}

int CMyListCtrl::GetItemCount() const {
    return model_->rowCount();
}

void CMyListCtrl::DeleteAllItems() {
    model_->RemoveAllRows();
}

CMyHeaderCtrl* CMyListCtrl::GetHeader() const {
    return header_;
}

ResultListModel* CMyListCtrl::Model() const {
    return model_;
}

int CMyListCtrl::CompareItems(int, int, int) const {
    return 0;
}

QColor CMyListCtrl::GetCellTextColor(int row, int) const {
    if (model_->RowFacts(row).knownBefore) return kKnownCompanyText;
    return palette().color(QPalette::Text);
}

QColor CMyListCtrl::GetCellBkColor(int, int) const {
    return palette().color(QPalette::Base);
}

int CMyListCtrl::SortColumn() const {
    return sortColumn_;
}

bool CMyListCtrl::SortAscending() const {
    return sortAscending_;
}

void CMyListCtrl::OnColumnClick(int column) {
    bool ascending = header_->GetSortDirection(column) != 1;
    bool add = (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) && header_->MultiSort();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    header_->SetSortImage(column, ascending, add);
    sortColumn_ = column;
    sortAscending_ = ascending;
    SortRows();
    QApplication::restoreOverrideCursor();
}

// A stable sort: rows that compare equal keep their order, so with the plain comparison nothing
// moves and only the arrow changes.
void CMyListCtrl::SortRows() {
    std::vector<int> order(model_->rowCount());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        int result = CompareItems(a, b, sortColumn_);
        return (sortAscending_ ? result : -result) < 0;
    });
    bool moved = false;
    for (size_t i = 0; i < order.size() && !moved; ++i) moved = order[i] != static_cast<int>(i);
    if (moved) model_->ReorderRows(order);
}

void CMyListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit rowDoubleClicked(rowAt(event->position().toPoint().y()));
}
