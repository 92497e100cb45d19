#pragma once
// The value written for one database field: long text and binary fields are read in pieces of
// 16,384 bytes; a field that cannot be read gives the text "#Error".

#include "base/variant.h"
#include "engine/components/database/recordset.h"

namespace brevant {

constexpr long kFieldChunkSize = 16384;

Variant GetFieldValue(Field &field);

// A value as text, the way a defined name or a log line shows it; throws for Null.
std::string variantText(const Variant &value);

} // namespace brevant
