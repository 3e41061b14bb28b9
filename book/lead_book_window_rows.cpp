#include <sqlite3.h>

#include "book/lead_book.h"
#include "book/record_blob.h"
#include "book/sqlite_statement.h"

// The window's current rows: the table the window's list is restored from after a crash.

bool LeadBook::InsertWindowRow(const WindowRow& row) {
    return Statement(
               "INSERT INTO window_rows(id, site, company_key, known_before, checked, cells) "
               "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .Bind(1, row.id)
        .BindText(2, row.company.site)
        .Bind(3, row.company.key)
        .Bind(4, static_cast<int64_t>(row.knownBefore))
        .Bind(5, static_cast<int64_t>(row.checked))
        .Bind(6, EncodeCells(row.cells))
        .Run();
}

bool LeadBook::AddWindowRow(const WindowRow& row) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Transaction([&] { return InsertWindowRow(row); });
}

bool LeadBook::SetWindowRowChecked(int64_t id, bool checked) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Transaction([&] {
        return Statement("UPDATE window_rows SET checked = ?1 WHERE id = ?2")
            .Bind(1, static_cast<int64_t>(checked))
            .Bind(2, id)
            .Run();
    });
}

bool LeadBook::RemoveWindowRows(int64_t upToId) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Transaction(
        [&] { return Statement("DELETE FROM window_rows WHERE id <= ?1").Bind(1, upToId).Run(); });
}

std::optional<std::vector<WindowRow>> LeadBook::WindowRows() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_.IsOpen()) return Fail(), std::nullopt;
    SqliteStatement query(db_,
                          "SELECT w.id, w.site, w.company_key, w.known_before, w.checked, w.cells, "
                          "c.first_found, c.last_exported FROM window_rows w LEFT JOIN companies c "
                          "ON c.site = w.site AND c.company_key = w.company_key ORDER BY w.id");
    std::vector<WindowRow> rows;
    int step;
    while ((step = query.Step()) == SQLITE_ROW) {
        // A row that does not read back is left out; it names no place, so the rows after it
        // and their ticks stay right.
        std::optional<ResultCells> cells = DecodeCells(query.Bytes(5));
        if (!cells) continue;
        rows.push_back({query.Int64(0),
                        {query.Bytes(1), query.Bytes(2)},
                        query.Int64(3) != 0,
                        query.Int64(4) != 0,
                        std::move(*cells),
                        query.Int64(6),
                        query.Int64(7)});
    }
    if (step != SQLITE_DONE) return Fail(), std::nullopt;
    return rows;
}

int64_t LeadBook::LastWindowRowId() {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_.QueryNumber("SELECT coalesce(max(id), 0) FROM window_rows", 0);
}
