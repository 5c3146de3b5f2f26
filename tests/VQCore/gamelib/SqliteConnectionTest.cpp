#include "VQCore/gamelib/SqliteConnection.h"

#include "common/CodePage.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

TEST(SqliteConnectionTest, RefusesNullAndLongPaths) {
    SqliteConnection connection = {};
    EXPECT_FALSE(SqliteOpen(connection, nullptr));
    EXPECT_FALSE(SqliteOpen(connection, std::string(255, 'a').c_str()));
    EXPECT_EQ(nullptr, connection.handle);
    EXPECT_EQ('\0', connection.path[0]);
}

TEST(SqliteConnectionTest, ClosedConnectionRefusesStatements) {
    SqliteConnection connection = {};
    SqliteResult result = {};
    EXPECT_EQ(-1, SqliteQuery(connection, "select 1;", result));
    EXPECT_EQ(-1, SqliteExec(connection, "select 1;"));
    VQSqliteStatement statement(connection, "select 1;");
    EXPECT_FALSE(statement.IsValid());
    EXPECT_FALSE(statement.Run());
}

TEST(SqliteConnectionTest, OpensQueriesAndCloses) {
    VQTempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    const std::string path = WideToUtf8(temp.PathOf(L"测试.db"));
    SqliteConnection connection = {};
    ASSERT_TRUE(SqliteOpen(connection, path.c_str()));
    EXPECT_EQ(path, std::string(connection.path));
    EXPECT_EQ(-1, SqliteExec(connection, nullptr));
    EXPECT_EQ(0, SqliteExec(connection, "create table t (a INTEGER, b TEXT);"));
    {
        VQSqliteStatement insert(connection, "insert into t values(?1, ?2);");
        ASSERT_TRUE(insert.IsValid());
        ASSERT_TRUE(insert.BindInt(1, 7) && insert.BindText(2, "it's"));
        EXPECT_TRUE(insert.Run());
        ASSERT_TRUE(insert.BindInt(1, 8));
        EXPECT_TRUE(insert.Run());  // bindings stay: b is still "it's"
    }
    EXPECT_EQ(-1, SqliteExec(connection, "insert into missing values(1);"));

    SqliteResult result = {};
    ASSERT_EQ(2, SqliteQuery(connection, "select a, b, null from t order by a;", result));
    EXPECT_EQ(3, result.columns);
    EXPECT_STREQ("a", result.table[0]);
    EXPECT_STREQ("7", SqliteResultText(result, 1, 0));
    EXPECT_STREQ("it's", SqliteResultText(result, 2, 1));
    EXPECT_EQ(nullptr, SqliteResultText(result, 1, 2));  // SQL NULL
    EXPECT_EQ(nullptr, SqliteResultText(result, 3, 0));
    EXPECT_EQ(nullptr, SqliteResultText(result, 1, 3));

    // A failed query leaves the result empty.
    EXPECT_EQ(-1, SqliteQuery(connection, "select * from missing;", result));
    EXPECT_EQ(nullptr, result.table);
    EXPECT_EQ(0, result.rows);
    EXPECT_EQ(0, result.columns);
    EXPECT_EQ(nullptr, SqliteResultText(result, 1, 0));

    SqliteRelease(connection);
    EXPECT_EQ(nullptr, connection.handle);
    EXPECT_EQ('\0', connection.path[0]);
    SqliteFreeResult(result);
}

}  // namespace
}  // namespace Tessar
