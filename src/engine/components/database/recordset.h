#pragma once
// A client-side record set: Open runs the query and keeps the whole result, so the end is
// known exactly and moving back to the first record after a full pass costs nothing.
//
// `EOF` itself cannot be a member name (the C library defines it as a macro), so the test for
// the end is Recordset::Eof.

#include "base/variant.h"
#include "engine/components/database/database_constants.h"
#include "engine/components/database/result_table.h"

#include <cstddef>
#include <string>
#include <vector>

namespace brevant {

class Connection;
class Recordset;

class Field {
public:
  const std::string &Name() const;
  // The value in the current record; throws at EOF.
  Variant Value() const;
  // adFldLong for long text and binary columns, 0 otherwise.
  int Attributes() const;
  // The next at most `size` bytes of the current record's text or binary value; an empty value
  // of the same type once all of it was read, Null when the value is Null. Moving to another
  // record starts again at the beginning.
  Variant GetChunk(long size);

private:
  friend class Recordset;
  Field(Recordset *owner, size_t index) : owner_(owner), index_(index) {}
  const ResultColumn &column() const;
  size_t currentRow() const;

  Recordset *owner_;
  size_t index_;
  uint64_t chunkPosition_ = 0; // the record set's position count the offset belongs to
  size_t chunkOffset_ = 0;
};

class Fields {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  // 0-based; throws for an index out of range.
  Field &Item(int index);

private:
  friend class Recordset;
  std::vector<Field> items_;
};

class Recordset {
public:
  Recordset() = default;
  Recordset(const Recordset &) = delete;
  Recordset &operator=(const Recordset &) = delete;

  // Runs `source` on `activeConnection` and fetches every row. A statement without a result
  // gives an open record set with no fields and no records. Throws when already open.
  void Open(const std::string &source, Connection &activeConnection);
  [[nodiscard]] bool Eof() const;
  [[nodiscard]] bool Bof() const;
  void MoveNext();
  void MoveFirst();
  int State() const { return open_ ? adStateOpen : adStateClosed; }
  // Releases the result; closing a closed record set does nothing.
  void Close();

  Fields &GetFields();
  // Records in the result (known at once: the record set is client-side).
  long RecordCount() const;

  // Frees the storage of the records before the current one, for a reader that goes through
  // the records once: a report fill hands them back while it writes the rest. Moving back to
  // them afterwards (MoveFirst) and reading a value throws.
  void releasePassedRecords();

  // A result fetched elsewhere, e.g. by a test or a back end of its own.
  void OpenResult(ResultTable result);

private:
  friend class Field;
  void requireOpen() const;

  ResultTable table_;
  Fields fields_;
  size_t row_ = 0;
  uint64_t moves_ = 1; // counts every positioning, so GetChunk knows to start over
  bool open_ = false;
};

} // namespace brevant
