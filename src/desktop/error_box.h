#pragma once
// The workspace's standard error message box: "Error!" above "Error Info: " + the description,
// with the exclamation icon, titled with the product name. It never fails towards its caller.

#include <string>

class QWidget;

namespace brevant {

void ShowErrorMessage(const std::string &text, QWidget *parent = nullptr);

} // namespace brevant
