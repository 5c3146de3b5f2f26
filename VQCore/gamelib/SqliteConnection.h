#pragma once
// A thin wrapper of plain functions over the SQLite library: one open
// database in a plain record, whole-table queries, statements run for their
// effect, and a prepared statement whose texts are bound, never pasted in.

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace Tessar {

const size_t kSqlitePathSize = 255;  // at most 254 bytes of UTF-8 path

// One open database; all zero when closed.
struct SqliteConnection {
    sqlite3* handle;
    char** table;     // a whole-table result held by the record (never filled by the index)
    int32_t rows;
    int32_t columns;
    char path[kSqlitePathSize];
};

// The result of one query, as sqlite3_get_table gives it: row 0 holds the
// column names, data rows are 1 to rows, each of columns entries; a null
// entry is an SQL NULL. All zero when empty.
struct SqliteResult {
    char** table;
    int32_t rows;
    int32_t columns;
};

// Closes an open connection first. False for a null path, a path of 255
// bytes or more, or when SQLite cannot open or create the file.
bool SqliteOpen(SqliteConnection& connection, const char* path);
// Opens a private in-memory copy of the database file at the path (same
// path rules): the file is read once and then neither held open nor locked,
// so that others may delete or rebuild it while the copy is searched.
// False when the file cannot be opened or is not a database.
bool SqliteOpenCopy(SqliteConnection& connection, const char* path);
void SqliteClose(SqliteConnection& connection);
// The row count, or -1 when the connection is closed, the statement null or
// the query fails (the result is then empty).
int32_t SqliteQuery(SqliteConnection& connection, const char* statement, SqliteResult& result);
// 0 on success, -1 otherwise; the error text is dropped.
int32_t SqliteExec(SqliteConnection& connection, const char* statement);
// Close, for owners that go away.
void SqliteRelease(SqliteConnection& connection);
void SqliteFreeResult(SqliteResult& result);

// The text of the table entry at data row (1-based) and column; null for an
// SQL NULL or a position outside the result.
const char* SqliteResultText(const SqliteResult& result, int32_t row, int32_t column);

// One prepared statement on an open connection, finalised on destruction.
class VQSqliteStatement {
public:
    VQSqliteStatement(SqliteConnection& connection, const char* statement);
    ~VQSqliteStatement();
    VQSqliteStatement(const VQSqliteStatement&) = delete;
    VQSqliteStatement& operator=(const VQSqliteStatement&) = delete;

    bool IsValid() const { return m_statement != nullptr; }
    // Parameters are numbered from 1; texts are UTF-8 and copied by SQLite.
    bool BindInt(int index, int32_t value);
    bool BindText(int index, const std::string& value);
    // Runs a statement that gives no rows; true on success. The statement
    // is reset afterwards (bindings stay) so that it can run again.
    bool Run();

private:
    sqlite3_stmt* m_statement;
};

}  // namespace Tessar
