#include "engine/record_count.h"

#include "engine/components/database/recordset.h"

#include <exception>
#include <limits>

namespace brevant {

int32_t GetRecordCount(Recordset &records) {
  int32_t count = 0;
  try {
    while (!records.Eof()) {
      if (count == std::numeric_limits<int32_t>::max())
        break; // the fill's positions are 32-bit: more records could not be placed anyway
      ++count;
      records.MoveNext();
    }
    if (count >= 1)
      records.MoveFirst();
  } catch (const std::exception &) {
  }
  return count;
}

} // namespace brevant
