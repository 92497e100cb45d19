// What only PostgreSQL shows through psqlODBC: its server stopping in the middle of a record set,
// in both of the driver's fetch modes. The cases every server shares are in odbc_servers_test.cpp.

#include "database_test_support.h"

#include "engine/components/database/database_error.h"
#include "support/private_postgres.h"

#include <chrono>
#include <thread>

namespace brevant {
namespace {

using test::errorOf;

class PostgresOdbcTest : public ::testing::Test {
protected:
  void SetUp() override { BREVANT_REQUIRE_POSTGRES(); }
};

TEST_F(PostgresOdbcTest, ServerDyingInTheMiddleOfARecordSetGivesAnError) {
  // Rows fetched through a cursor in small batches, and the whole result read at once.
  for (const char *fetchMode : {"UseDeclareFetch=1;Fetch=10", "UseDeclareFetch=0"}) {
    SCOPED_TRACE(fetchMode);
    testing::PrivatePostgres server;
    ASSERT_TRUE(server.ok());
    Connection c;
    c.CommandTimeout = 0;
    c.Open(server.connectionString(fetchMode));
    Recordset rs;
    std::string message;
    auto start = std::chrono::steady_clock::now();
    std::thread killer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      server.stop();
    });
    message =
        errorOf([&] { rs.Open("SELECT g, pg_sleep(0.01) FROM generate_series(1, 3000) g", c); });
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_NE(message.find("server closed the connection unexpectedly"), std::string::npos)
        << message;
    EXPECT_EQ(rs.State(), adStateClosed);
    // The dead connection keeps failing cleanly, and closing it does not hang or crash.
    EXPECT_THROW(c.Execute("SELECT 1"), DatabaseError);
    try {
      c.Close();
    } catch (const DatabaseError &) {
    }
    EXPECT_EQ(c.State(), adStateClosed);
  }
}

} // namespace
} // namespace brevant
