#pragma once
// The program's icon: brevant.png beside the program, or a drawn stand-in when it is missing.

#include <QIcon>

#include <string>

namespace brevant {

QIcon applicationIcon(const std::string &programFolder);

} // namespace brevant
