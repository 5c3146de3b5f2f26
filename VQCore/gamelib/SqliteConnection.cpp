#include "VQCore/gamelib/SqliteConnection.h"

#include <cstring>

namespace Tessar {

namespace {

void FreeTable(char**& table, int32_t& rows, int32_t& columns) {
    if (table)
        sqlite3_free_table(table);
    table = nullptr;
    rows = 0;
    columns = 0;
}

}  // namespace

bool SqliteOpen(SqliteConnection& connection, const char* path) {
    SqliteClose(connection);
    if (!path)
        return false;
    const size_t length = strlen(path);
    if (length >= kSqlitePathSize)
        return false;
    memcpy(connection.path, path, length + 1);
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(path, &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    connection.handle = handle;
    if (rc != SQLITE_OK) {
        SqliteClose(connection);
        return false;
    }
    return true;
}

bool SqliteOpenCopy(SqliteConnection& connection, const char* path) {
    SqliteClose(connection);
    if (!path)
        return false;
    const size_t length = strlen(path);
    if (length >= kSqlitePathSize)
        return false;
    sqlite3* source = nullptr;
    sqlite3* copy = nullptr;
    bool copied = false;
    // Read-only: a missing file is not created.
    if (sqlite3_open_v2(path, &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_open_v2(":memory:", &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
        if (backup) {
            // One step of all pages: the copy is of one consistent state.
            copied = sqlite3_backup_step(backup, -1) == SQLITE_DONE;
            copied = sqlite3_backup_finish(backup) == SQLITE_OK && copied;
        }
    }
    sqlite3_close(source);
    if (!copied) {
        sqlite3_close(copy);
        return false;
    }
    memcpy(connection.path, path, length + 1);
    connection.handle = copy;
    return true;
}

void SqliteClose(SqliteConnection& connection) {
    FreeTable(connection.table, connection.rows, connection.columns);
    if (connection.handle) {
        sqlite3_close(connection.handle);
        connection.handle = nullptr;
        memset(connection.path, 0, sizeof(connection.path));
    }
}

int32_t SqliteQuery(SqliteConnection& connection, const char* statement, SqliteResult& result) {
    if (!connection.handle || !statement)
        return -1;
    SqliteFreeResult(result);
    char** table = nullptr;
    int rows = 0;
    int columns = 0;
    char* error = nullptr;
    const int rc = sqlite3_get_table(connection.handle, statement, &table, &rows, &columns, &error);
    if (rc != SQLITE_OK) {
        sqlite3_free(error);
        if (table)
            sqlite3_free_table(table);
        return -1;
    }
    result.table = table;
    result.rows = rows;
    result.columns = columns;
    return rows;
}

int32_t SqliteExec(SqliteConnection& connection, const char* statement) {
    if (!connection.handle || !statement)
        return -1;
    char* error = nullptr;
    if (sqlite3_exec(connection.handle, statement, nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        return -1;
    }
    return 0;
}

void SqliteRelease(SqliteConnection& connection) {
    SqliteClose(connection);
    FreeTable(connection.table, connection.rows, connection.columns);
}

void SqliteFreeResult(SqliteResult& result) {
    FreeTable(result.table, result.rows, result.columns);
}

const char* SqliteResultText(const SqliteResult& result, int32_t row, int32_t column) {
    if (!result.table || row < 1 || row > result.rows || column < 0 || column >= result.columns)
        return nullptr;
    return result.table[static_cast<size_t>(row) * result.columns + column];
}

VQSqliteStatement::VQSqliteStatement(SqliteConnection& connection, const char* statement)
    : m_statement(nullptr) {
    if (connection.handle && statement)
        sqlite3_prepare_v2(connection.handle, statement, -1, &m_statement, nullptr);
}

VQSqliteStatement::~VQSqliteStatement() {
    sqlite3_finalize(m_statement);
}

bool VQSqliteStatement::BindInt(int index, int32_t value) {
    return m_statement && sqlite3_bind_int(m_statement, index, value) == SQLITE_OK;
}

bool VQSqliteStatement::BindText(int index, const std::string& value) {
    return m_statement &&
           sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

bool VQSqliteStatement::Run() {
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    return rc == SQLITE_DONE;
}

}  // namespace Tessar
