#pragma once
// The one exception the database layer throws. what() is the text the user reads in the run
// log's "Error Info: " line: the driver's or the server's own message wherever there is one.

#include <stdexcept>
#include <string>

namespace brevant {

class DatabaseError : public std::runtime_error {
public:
  explicit DatabaseError(const std::string &description) : std::runtime_error(description) {}
};

} // namespace brevant
