#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringDecoder>
#include <vector>

#include "book/window_book.h"
#include "ui/controls/packed_cells.h"

// The rows of the result list: GBK cells kept as exact bytes, a check box per row, and the
// columns' titles and alignments. Text is turned into Unicode only when a cell is shown.
class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Inserts a column at position (clamped to the column count); returns its index.
    int InsertColumn(int position, const QString& title, Qt::Alignment alignment);
    // Inserts an unticked row at position (clamped to the row count); returns its index.
    int InsertRow(int position, const QByteArray& firstCell);
    bool SetCellText(int row, int column, const QByteArray& text);
    QByteArray CellText(int row, int column) const;
    bool SetChecked(int row, bool checked);
    bool Checked(int row) const;
    // What the lead book knows of the row's company; a row known before its search shows so in
    // its tooltip.
    void SetRowFacts(int row, const RowBookFacts& facts);
    RowBookFacts RowFacts(int row) const;
    void SetLastExported(int row, int64_t when);
    void RemoveAllRows();
signals:
    // The user ticked or cleared a row's check box (not the program through SetChecked).
    void checkEdited(int row, bool checked);

public:
    // Puts the rows in the order given: newOrder[i] is the current index of the row to show at i.
    void ReorderRows(const std::vector<int>& newOrder);

private:
    struct Column {
        QString title;
        Qt::Alignment alignment;
    };
    struct Row {
        PackedCells cells;
        bool checked = false;
        RowBookFacts facts;
    };

    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
    QString DisplayText(const QByteArray& gbk) const;

    std::vector<Column> columns_;
    std::vector<Row> rows_;
    mutable QStringDecoder gbkDecoder_;
};
