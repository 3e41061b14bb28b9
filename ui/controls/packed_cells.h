#pragma once

#include <QByteArray>

// The cells of one result row, packed into a single allocation: a count, the end offset of every
// cell, then the cell bytes back to back. A hundred thousand rows of twenty cells then cost one
// block per row instead of twenty. Cells keep their exact bytes.
class PackedCells {
public:
    int Count() const;
    // An index past the stored cells reads as an empty cell.
    QByteArray Cell(int index) const;
    void SetCell(int index, const QByteArray& text);
    // Shifts the cells from index on one place right, leaving an empty cell at index.
    void InsertEmptyCell(int index);

private:
    void Rebuild(int count, int changed, const QByteArray* text, bool insert);

    QByteArray blob_;
};
