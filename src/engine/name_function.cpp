#include "engine/script_functions.h"

#include "engine/components/spreadsheet/workbook.h"
#include "engine/field_value.h"

#include <algorithm>
#include <stdexcept>

namespace brevant {

bool NameFunction(RunState &run, const FunctionSettings &settings, const std::string &sql) {
  const std::string label = "[" + settings.functionLabel + "]    ";
  Recordset *records = run.connections->recordset(settings.dataSourceIndex);
  try {
    Connection *connection = run.connections->connection(settings.dataSourceIndex);
    if (connection == nullptr || records == nullptr)
      throw std::runtime_error("The data source is not connected.");
    records->Open(sql, *connection);
    if (records->Eof()) {
      run.log.logLine(label + "Returns 0 record from the data source.");
      records->Close();
      return false;
    }
    if (run.interactiveRun())
      run.observer.recordCountChanged(1);
    run.log.logLine(label + "Returns 1 or more record from the data source.");

    Fields &fields = records->GetFields();
    const int count = std::min<int>(fields.Count(), settings.nameCount);
    for (int i = 0; i < count; ++i) {
      const Variant value = GetFieldValue(fields.Item(i));
      if (isNull(value))
        throw std::runtime_error("Invalid use of Null: the field \"" + fields.Item(i).Name() +
                                 "\" is Null and cannot be written into the name \"" +
                                 settings.targets[i] + "\".");
      run.reportWorkbook->Names(settings.targets[i]).setValue(value);
    }
    records->Close();
    return true;
  } catch (const std::exception &e) {
    run.log.logError("Failed to execute function NAME.", e.what());
    if (records != nullptr)
      records->Close();
    return false;
  }
}

} // namespace brevant
