// Opens one record set and steps through it twice, the way a report fill does: a counting pass,
// MoveFirst, then every field of every record read. Prints the wall time of each phase and the
// peak resident memory.
//   bench_database_fetch <connection string> <query> [base folder]

#include "engine/components/database/connection.h"
#include "engine/components/database/recordset.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <exception>

using namespace brevant;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <connection string> <query> [base folder]\n", argv[0]);
    return 2;
  }
  try {
    auto start = std::chrono::steady_clock::now();
    Connection connection;
    connection.CommandTimeout = 0;
    if (argc > 3)
      connection.BaseFolder = argv[3];
    connection.Open(argv[1]);
    Recordset rs;
    rs.Open(argv[2], connection);
    double openTime = seconds(start);

    long count = 0;
    while (!rs.Eof()) {
      ++count;
      rs.MoveNext();
    }
    if (count > 0)
      rs.MoveFirst();
    double countTime = seconds(start) - openTime;

    Fields &fields = rs.GetFields();
    int fieldCount = fields.Count();
    size_t nonNull = 0;
    for (; !rs.Eof(); rs.MoveNext())
      for (int i = 0; i < fieldCount; ++i)
        nonNull += !isNull(fields.Item(i).Value());
    double total = seconds(start);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("records=%ld fields=%d values=%zu open=%.3fs count=%.3fs read=%.3fs total=%.3fs "
                "peak_rss=%.1fMB\n",
                count, fieldCount, nonNull, openTime, countTime, total - openTime - countTime,
                total, usage.ru_maxrss / 1024.0);
    return 0;
  } catch (const std::exception &e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
}
