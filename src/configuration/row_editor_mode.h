#pragma once
// What a row editor of the configuration dialog (data source, parameter) is shown for. The
// editors stay loaded between uses, so the mode comes with every showing.

namespace brevant {

enum class RowEditorMode {
  NewRow,      // append a row to the list
  SelectedRow, // change the row selected in the configuration dialog's visible list
};

} // namespace brevant
