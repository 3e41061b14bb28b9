#include "ui/controls/result_list_model.h"

#include <algorithm>

#include "engine/gbk_characters.h"
#include "ui/controls/book_dates.h"

ResultListModel::ResultListModel(QObject* parent)
    : QAbstractTableModel(parent), gbkDecoder_(kCellEncoding, QStringConverter::Flag::Stateless) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

// A cell shows on one line: line breaks inside it (company introductions) become spaces.
QString ResultListModel::DisplayText(const QByteArray& gbk) const {
    QString text = gbkDecoder_.decode(gbk);
    for (QChar& c : text) {
        if (c == u'\r' || c == u'\n') c = u' ';
    }
    return text;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return QVariant();
    const Row& row = rows_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return DisplayText(row.cells.Cell(index.column()));
        case Qt::TextAlignmentRole:
            return int(columns_[index.column()].alignment | Qt::AlignVCenter);
        case Qt::CheckStateRole:
            if (index.column() == 0) return row.checked ? Qt::Checked : Qt::Unchecked;
            return QVariant();
        case Qt::ToolTipRole:
            if (!row.facts.knownBefore) return QVariant();
            return QStringLiteral("已收录：首次 %1，最后导出 %2")
                .arg(BookDate(row.facts.firstFound), LastExportedText(row.facts.lastExported));
        default:
            return QVariant();
    }
}

bool ResultListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0) return false;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return false;
    const bool checked = value.toInt() == Qt::Checked;
    const bool changed = Checked(index.row()) != checked;
    SetChecked(index.row(), checked);
    if (changed) emit checkEdited(index.row(), checked);
    return true;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) return columns_[section].title;
    if (role == Qt::TextAlignmentRole) return int(columns_[section].alignment);
    return QVariant();
}

int ResultListModel::InsertColumn(int position, const QString& title, Qt::Alignment alignment) {
    position = std::clamp(position, 0, columnCount());
    beginInsertColumns(QModelIndex(), position, position);
    columns_.insert(columns_.begin() + position, Column{title, alignment & Qt::AlignHorizontal_Mask});
    for (Row& row : rows_) row.cells.InsertEmptyCell(position);
    endInsertColumns();
    return position;
}

int ResultListModel::InsertRow(int position, const QByteArray& firstCell) {
    position = std::clamp(position, 0, rowCount());
    beginInsertRows(QModelIndex(), position, position);
    Row row;
    row.cells.SetCell(0, firstCell);
    rows_.insert(rows_.begin() + position, std::move(row));
    endInsertRows();
    return position;
}

bool ResultListModel::SetCellText(int row, int column, const QByteArray& text) {
    // Column 0 exists even before any column is inserted, as in any list control.
    if (!ValidRow(row) || column < 0 || (column > 0 && column >= columnCount())) return false;
    rows_[row].cells.SetCell(column, text);
    if (column < columnCount()) emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
    return true;
}

QByteArray ResultListModel::CellText(int row, int column) const {
    if (!ValidRow(row)) return QByteArray();
    return rows_[row].cells.Cell(column);
}

bool ResultListModel::SetChecked(int row, bool checked) {
    if (!ValidRow(row)) return false;
    if (rows_[row].checked != checked) {
        rows_[row].checked = checked;
        if (columnCount() > 0) emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    }
    return true;
}

bool ResultListModel::Checked(int row) const {
    return ValidRow(row) && rows_[row].checked;
}

void ResultListModel::RemoveAllRows() {
    beginResetModel();
    std::vector<Row>().swap(rows_);  // gives the memory of a large result back at once
    endResetModel();
}

void ResultListModel::ReorderRows(const std::vector<int>& newOrder) {
    if (newOrder.size() != rows_.size()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(newOrder.size());
    for (size_t i = 0; i < newOrder.size(); ++i) newPosition[newOrder[i]] = static_cast<int>(i);
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (int from : newOrder) sorted.push_back(std::move(rows_[from]));
    rows_.swap(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) after.push_back(index(newPosition[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultListModel::SetRowFacts(int row, const RowBookFacts& facts) {
    if (ValidRow(row)) rows_[row].facts = facts;
}

RowBookFacts ResultListModel::RowFacts(int row) const {
    return ValidRow(row) ? rows_[row].facts : RowBookFacts{};
}

void ResultListModel::SetLastExported(int row, int64_t when) {
    if (ValidRow(row)) rows_[row].facts.lastExported = when;
}
