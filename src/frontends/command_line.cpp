#include "frontends/command_line.h"

#include "base/strings.h"

#include "engine/numeric_text.h"

#include <cctype>

namespace brevant {
namespace {

bool allDigits(const std::string &text) {
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  return true;
}

} // namespace

CommandLine
parseCommandLine(const std::vector<std::string> &arguments,
                 const std::array<CommandLineLogin, kMaxDataSources + 1> &startingLogins) {
  CommandLine line;
  line.logins = startingLogins;
  if (arguments.empty())
    return line;
  if (arguments[0] == "--help" || arguments[0] == "-h") {
    line.help = true;
    return line;
  }
  if (arguments[0] == "--version") {
    line.version = true;
    return line;
  }
  line.definitionFile = arguments[0];

  size_t i = 1;
  while (i < arguments.size()) {
    const std::string word = asciiUpper(arguments[i]);
    if (word == "-C") {
      line.batch = true;
    } else if (word == "-D") {
      line.displayReport = true;
    } else if (word == "-I") {
      line.progressInterval = 0.1;
      if (i + 1 < arguments.size()) {
        if (const auto n = numericValue(arguments[i + 1])) {
          line.progressInterval = *n;
          ++i;
        }
      }
    } else if (word.size() >= 2 &&
               (word.compare(0, 2, "-U") == 0 || word.compare(0, 2, "-P") == 0)) {
      const std::string number = word.substr(2);
      if (!(number.empty() || allDigits(number)))
        break; // not a switch: the values start here
      const std::string given = i + 1 < arguments.size() ? arguments[i + 1] : std::string();
      if (i + 1 < arguments.size())
        ++i;
      long n = 1;
      if (!number.empty())
        n = number.size() > 3 ? 0 : std::stol(number);
      if (n >= 1 && n <= kMaxDataSources + 1) {
        CommandLineLogin &login = line.logins[static_cast<size_t>(n - 1)];
        login.given = true;
        (word[1] == 'U' ? login.user : login.password) = given;
      }
    } else {
      break;
    }
    ++i;
  }
  for (; i < arguments.size() && line.values.size() < static_cast<size_t>(kMaxParameters); ++i)
    line.values.push_back(arguments[i]);
  return line;
}

std::string usageText() {
  return "Usage: brevant definition-file [-C] [-D] [-I n] [-U[n] user] [-P[n] password] "
         "[value1 ... value10]\n"
         "  -C          run the report in batch (no window; everything goes to the logs)\n"
         "  -D          show the report with the desktop's default program when it is saved\n"
         "  -I n        log a progress line every n records (n <= 1: a fraction of them)\n"
         "  -U[n] user  the login user of data source n (1 when n is left out)\n"
         "  -P[n] pass  the login password of data source n\n"
         "  values      the values of the report's parameters 1 to 10, in order\n"
         "  --help      this text;  --version  the program's version\n"
         "Logins may also come from the environment: BREVANT_USER<n>, BREVANT_PASSWORD<n>.\n"
         "Exit status: 0 the run logged no error, 1 it logged errors, 2 it could not start.\n";
}

} // namespace brevant
