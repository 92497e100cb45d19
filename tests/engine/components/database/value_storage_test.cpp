// Values kept in the column buffers come back exactly, whatever their kind and size.

#include "engine/components/database/iso_datetime.h"
#include "engine/components/database/recordset.h"
#include "engine/components/database/result_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <stdexcept>
#include <string>

namespace brevant {
namespace {

TEST(ValueStorageTest, EveryKindRoundTrips) {
  ResultColumn c;
  c.appendNull();
  c.appendBool(true);
  c.appendInteger(INT64_MIN);
  c.appendDouble(-0.1);
  c.appendDouble(NAN);
  c.appendDecimal("-123456789012345678901234567890.05");
  c.appendText("");
  c.appendText(std::string("a\0b", 3));
  c.appendBinary(std::string("\xff\x00", 2));
  c.appendDate(DateValue{-44, 3, 15});
  c.appendTime(TimeValue{23, 59, 60, 999999999});
  c.appendDateTime(DateTimeValue{{2024, 12, 31}, {23, 59, 59, 123456000}}); // packed
  c.appendDateTime(DateTimeValue{{2024, 12, 31}, {23, 59, 59, 123456789}}); // nanoseconds
  c.appendDateTime(DateTimeValue{{-1, 1, 1}, {0, 0, 0, 0}});                // before year 0
  c.beginBytes(CellKind::Text);
  c.appendBytes("pie");
  c.appendBytes("ces");
  c.finishBytes();
  c.appendInteger(LLONG_MAX);

  ASSERT_EQ(c.size(), 16u);
  EXPECT_TRUE(isNull(c.value(0)));
  EXPECT_EQ(c.value(1), Variant(true));
  EXPECT_EQ(c.value(2), Variant(INT64_MIN));
  EXPECT_EQ(c.value(3), Variant(-0.1));
  EXPECT_TRUE(std::isnan(std::get<double>(c.value(4))));
  EXPECT_EQ(c.value(5), Variant(DecimalValue{"-123456789012345678901234567890.05"}));
  EXPECT_EQ(c.value(6), Variant(std::string()));
  EXPECT_EQ(c.value(7), Variant(std::string("a\0b", 3)));
  EXPECT_EQ(c.value(8), Variant(BinaryValue{std::string("\xff\x00", 2)}));
  EXPECT_EQ(c.value(9), Variant(DateValue{-44, 3, 15}));
  EXPECT_EQ(c.value(10), Variant(TimeValue{23, 59, 60, 999999999}));
  EXPECT_EQ(c.value(11), Variant(DateTimeValue{{2024, 12, 31}, {23, 59, 59, 123456000}}));
  EXPECT_EQ(c.value(12), Variant(DateTimeValue{{2024, 12, 31}, {23, 59, 59, 123456789}}));
  EXPECT_EQ(c.value(13), Variant(DateTimeValue{{-1, 1, 1}, {0, 0, 0, 0}}));
  EXPECT_EQ(c.value(14), Variant(std::string("pieces")));
  EXPECT_EQ(c.bytes(14), "pieces");
  EXPECT_EQ(c.value(15), Variant(int64_t{LLONG_MAX}));
  EXPECT_EQ(c.bytes(2), ""); // no bytes for a number
}

// Rows on both sides of a block boundary keep their values, including text whose bytes live in
// the block's own arena and a value written in pieces as the boundary is crossed.
TEST(ValueStorageTest, ValuesAcrossBlockBoundariesRoundTrip) {
  const size_t block = ResultColumn::kBlockRows;
  ResultColumn c;
  for (size_t i = 0; i + 1 < block; ++i)
    c.appendText("t" + std::to_string(i));
  c.beginBytes(CellKind::Binary); // the last row of the first block
  c.appendBytes("ab");
  c.appendBytes("cd");
  c.finishBytes();
  c.beginBytes(CellKind::Text); // the first row of the second block
  c.appendBytes("next");
  c.finishBytes();
  c.appendDateTime(DateTimeValue{{2024, 1, 2}, {3, 4, 5, 6}}); // arena-held
  c.appendDouble(2.5);

  ASSERT_EQ(c.size(), block + 3);
  EXPECT_EQ(c.value(0), Variant(std::string("t0")));
  EXPECT_EQ(c.value(block - 2), Variant("t" + std::to_string(block - 2)));
  EXPECT_EQ(c.value(block - 1), Variant(BinaryValue{"abcd"}));
  EXPECT_EQ(c.bytes(block), "next");
  EXPECT_EQ(c.value(block + 1), Variant(DateTimeValue{{2024, 1, 2}, {3, 4, 5, 6}}));
  EXPECT_EQ(c.value(block + 2), Variant(2.5));
  EXPECT_THROW(c.kind(block + 3), std::logic_error); // beyond the end
}

// Releasing frees only whole blocks behind the given row: the rows after it, and the rows of
// its own block, still read; a released row throws instead of reading freed memory.
TEST(ValueStorageTest, ReleasedBlocksThrowAndTheRestStaysReadable) {
  const size_t block = ResultColumn::kBlockRows;
  ResultColumn c;
  for (size_t i = 0; i < 2 * block + 5; ++i)
    c.appendInteger(int64_t(i));
  c.releaseBefore(block - 1); // inside the first block: nothing goes
  EXPECT_EQ(c.value(0), Variant(int64_t{0}));
  c.releaseBefore(block + 7);
  EXPECT_THROW(c.value(0), std::logic_error);
  EXPECT_THROW(c.bytes(block - 1), std::logic_error);
  EXPECT_EQ(c.value(block), Variant(int64_t(block)));
  c.releaseBefore(100 * block); // beyond the end: the last, partly filled block stays
  EXPECT_THROW(c.value(2 * block - 1), std::logic_error);
  EXPECT_EQ(c.value(2 * block + 4), Variant(int64_t(2 * block + 4)));
  c.appendText("after");
  EXPECT_EQ(c.value(2 * block + 5), Variant(std::string("after")));
}

// Releasing everything of a column whose blocks are all full keeps the last block, so a row
// appended afterwards is stored and reads back.
TEST(ValueStorageTest, AppendAfterReleasingFullBlocks) {
  const size_t block = ResultColumn::kBlockRows;
  ResultColumn c;
  for (size_t i = 0; i < 2 * block; ++i)
    c.appendInteger(int64_t(i));
  c.releaseBefore(2 * block);
  EXPECT_THROW(c.value(0), std::logic_error);
  EXPECT_EQ(c.value(2 * block - 1), Variant(int64_t(2 * block - 1)));
  c.appendText("more");
  EXPECT_EQ(c.value(2 * block), Variant(std::string("more")));
}

// A record set read once by a fill: the passed records go, the current one still reads, and
// going back to the first record fails loudly rather than giving freed values.
TEST(ValueStorageTest, RecordsetReleasesPassedRecords) {
  const size_t block = ResultColumn::kBlockRows;
  ResultTable table;
  table.columns.resize(2);
  table.columns[0].name = "n";
  table.columns[1].name = "text";
  for (size_t i = 0; i < block + 2; ++i) {
    table.columns[0].appendInteger(int64_t(i));
    table.columns[1].appendText(std::to_string(i));
  }
  table.rowCount = block + 2;
  Recordset records;
  records.OpenResult(std::move(table));
  records.releasePassedRecords(); // at the first record: nothing to free
  Field &n = records.GetFields().Item(0);
  Field &text = records.GetFields().Item(1);
  for (size_t i = 0; i < block; ++i)
    records.MoveNext();
  records.releasePassedRecords();
  EXPECT_EQ(n.Value(), Variant(int64_t(block)));
  EXPECT_EQ(text.Value(), Variant(std::to_string(block)));
  records.MoveNext();
  EXPECT_EQ(text.GetChunk(100), Variant(std::to_string(block + 1)));
  records.MoveFirst();
  EXPECT_THROW(n.Value(), std::logic_error);
  records.Close();
}

TEST(ValueStorageTest, IsoDatesAndTimesParseOrAreRejected) {
  EXPECT_EQ(parseIsoDate("2024-02-29"), (DateValue{2024, 2, 29}));
  EXPECT_EQ(parseIsoDate("2024-02-29 10:00:00"), (DateValue{2024, 2, 29}));
  EXPECT_FALSE(parseIsoDate("2023-02-29"));
  EXPECT_FALSE(parseIsoDate("2024-13-01"));
  EXPECT_FALSE(parseIsoDate("2024-1-01"));
  EXPECT_FALSE(parseIsoDate("20240101"));
  EXPECT_FALSE(parseIsoDate("2024-01-01 garbage"));
  EXPECT_EQ(parseIsoDateTime("2024-03-05T14:30:15.5Z"),
            (DateTimeValue{{2024, 3, 5}, {14, 30, 15, 500000000}}));
  EXPECT_EQ(parseIsoDateTime("2024-03-05 14:30+01:00"),
            (DateTimeValue{{2024, 3, 5}, {14, 30, 0, 0}}));
  EXPECT_EQ(parseIsoDateTime("2024-03-05"), (DateTimeValue{{2024, 3, 5}, {0, 0, 0, 0}}));
  EXPECT_EQ(parseIsoTime("07:05:09.000001"), (TimeValue{7, 5, 9, 1000}));
  EXPECT_EQ(parseIsoTime("2024-03-05 07:05"), (TimeValue{7, 5, 0, 0}));
  EXPECT_FALSE(parseIsoTime("24:00"));
  EXPECT_FALSE(parseIsoTime("7:05"));
  EXPECT_FALSE(parseIsoTime("12:00:"));
  EXPECT_FALSE(parseIsoDateTime(""));
}

TEST(ValueStorageTest, IsoZoneDesignatorsAndCutOffTextAreChecked) {
  const DateTimeValue halfPastTwo{{2024, 3, 5}, {14, 30, 0, 0}};
  EXPECT_EQ(parseIsoDateTime("2024-03-05 14:30+0100"), halfPastTwo);
  EXPECT_EQ(parseIsoDateTime("2024-03-05 14:30-05"), halfPastTwo);
  EXPECT_EQ(parseIsoDateTime("2024-03-05 14:30z  "), halfPastTwo);
  EXPECT_EQ(parseIsoTime("23:59:60"), (TimeValue{23, 59, 60, 0})); // a leap second
  for (const char *text :
       {"2024-03-05 14:30+1", "2024-03-05 14:30+01:0", "2024-03-05T", "2024-03-05 14",
        "2024-03-05 14:30:15.", "2024-03-05 14:30 x", "2024-", "2024-03-0"})
    EXPECT_FALSE(parseIsoDateTime(text)) << text;
  EXPECT_FALSE(parseIsoTime("14:3"));
  EXPECT_FALSE(parseIsoTime("14:60"));
}

} // namespace
} // namespace brevant
