#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTableView>

class CMyHeaderCtrl;
class ResultListModel;

// The check-box result list: rows of GBK cells, a check box in the first column, full-row
// selection of several rows, grid lines and movable columns. Cells keep their exact bytes.
class CMyListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CMyListCtrl(QWidget* parent = nullptr);
    ~CMyListCtrl() override;

    int InsertColumn(int subItem, const QString& title, Qt::Alignment alignment, int width);
    // Inserts a row at position (clamped to the row count) with cell 0 text; returns its position.
    int InsertItem(int position, const QByteArray& text);
    bool SetItemText(int row, int subItem, const QByteArray& text);
    QByteArray GetItemText(int row, int subItem) const;
    bool SetCheck(int row, bool checked = true);
    bool GetCheck(int row) const;
    bool IsSelected(int row) const;
    int GetItemCount() const;
    void DeleteAllItems();

    CMyHeaderCtrl* GetHeader() const;
    ResultListModel* Model() const;

    // Overridable parts: the order of a sort (0 keeps rows as they are) and the cell colours.
    virtual int CompareItems(int row1, int row2, int subItem) const;
    virtual QColor GetCellTextColor(int row, int subItem) const;
    virtual QColor GetCellBkColor(int row, int subItem) const;

    int SortColumn() const;
    bool SortAscending() const;

signals:
    // A double click: the row under the cursor, -1 when no row was hit.
    void rowDoubleClicked(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // A click on a column header: that column becomes the sort column, ascending first, each
    // further click on it reverses the direction.
    void OnColumnClick(int column);
    void SortRows();

    ResultListModel* model_;
    CMyHeaderCtrl* header_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};
