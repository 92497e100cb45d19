#pragma once
// The number of records a REPORT function will write, found by stepping through the whole
// record set once before the fill (the record set is client-side, so the pass is cheap and
// the fill then starts again from the first record).

#include <cstdint>

namespace brevant {

class Recordset;

// Counts from the current record to the end and goes back to the first record when there was
// any. A fault while counting ends the count there: the records counted so far are returned.
int32_t GetRecordCount(Recordset &records);

} // namespace brevant
