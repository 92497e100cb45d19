#include "engine/components/database/recordset.h"

#include "engine/components/database/connection.h"
#include "engine/components/database/database_error.h"

#include <algorithm>

namespace brevant {

namespace {

[[noreturn]] void noCurrentRecord() {
  throw DatabaseError("Either BOF or EOF is True, or the current record has been deleted. "
                      "Requested operation requires a current record.");
}

} // namespace

const ResultColumn &Field::column() const {
  owner_->requireOpen();
  return owner_->table_.columns[index_];
}

size_t Field::currentRow() const {
  if (owner_->Eof())
    noCurrentRecord();
  return owner_->row_;
}

const std::string &Field::Name() const { return column().name; }

Variant Field::Value() const {
  const ResultColumn &c = column();
  return c.value(currentRow());
}

int Field::Attributes() const { return column().isLong ? adFldLong : 0; }

Variant Field::GetChunk(long size) {
  const ResultColumn &c = column();
  size_t row = currentRow();
  if (size < 0)
    throw DatabaseError("GetChunk needs a size of 0 or more.");
  CellKind kind = c.kind(row);
  if (kind == CellKind::Null)
    return std::monostate{};
  if (kind != CellKind::Text && kind != CellKind::Binary && kind != CellKind::Decimal)
    throw DatabaseError("GetChunk reads only text and binary fields (field \"" + c.name + "\").");
  if (chunkPosition_ != owner_->moves_) {
    chunkPosition_ = owner_->moves_;
    chunkOffset_ = 0;
  }
  std::string_view all = c.bytes(row);
  size_t offset = std::min(chunkOffset_, all.size());
  std::string piece(all.substr(offset, static_cast<size_t>(size)));
  chunkOffset_ = offset + piece.size();
  if (kind == CellKind::Binary)
    return BinaryValue{std::move(piece)};
  return piece;
}

Field &Fields::Item(int index) {
  if (index < 0 || index >= Count())
    throw DatabaseError("Item cannot be found in the collection corresponding to the requested "
                        "name or ordinal.");
  return items_[static_cast<size_t>(index)];
}

void Recordset::requireOpen() const {
  if (!open_)
    throw DatabaseError("Operation is not allowed when the object is closed.");
}

void Recordset::Open(const std::string &source, Connection &activeConnection) {
  if (open_)
    throw DatabaseError("Operation is not allowed when the object is open.");
  OpenResult(activeConnection.query(source));
}

void Recordset::OpenResult(ResultTable result) {
  if (open_)
    throw DatabaseError("Operation is not allowed when the object is open.");
  table_ = std::move(result);
  fields_.items_.clear();
  fields_.items_.reserve(table_.columns.size());
  for (size_t i = 0; i < table_.columns.size(); ++i)
    fields_.items_.push_back(Field(this, i));
  row_ = 0;
  ++moves_;
  open_ = true;
}

bool Recordset::Eof() const {
  requireOpen();
  return row_ >= table_.rowCount;
}

bool Recordset::Bof() const {
  requireOpen();
  return table_.rowCount == 0;
}

void Recordset::MoveNext() {
  if (Eof())
    noCurrentRecord();
  ++row_;
  ++moves_;
}

void Recordset::MoveFirst() {
  requireOpen();
  row_ = 0;
  ++moves_;
}

void Recordset::releasePassedRecords() {
  requireOpen();
  for (ResultColumn &column : table_.columns)
    column.releaseBefore(row_);
}

void Recordset::Close() {
  open_ = false;
  table_ = ResultTable{};
  fields_.items_.clear();
  row_ = 0;
}

Fields &Recordset::GetFields() {
  requireOpen();
  return fields_;
}

long Recordset::RecordCount() const {
  requireOpen();
  return static_cast<long>(table_.rowCount);
}

} // namespace brevant
