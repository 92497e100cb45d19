#pragma once
// Running other programs from a test: shell quoting, a command's exit status and output, and
// Debian's python3 (the one with openpyxl) on a script given as text.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace brevant::testing {

// `text` as one shell word.
inline std::string shellQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// `text` as a Python string literal.
inline std::string pyString(const std::string &text) {
  std::string out = "'";
  for (char c : text)
    out += (c == '\'' || c == '\\') ? std::string("\\") + c : std::string(1, c);
  return out + "'";
}

// Runs a shell command; its exit status (-1 when it did not exit normally) and standard output.
inline int runCommand(const std::string &command, std::string *output = nullptr) {
  FILE *pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    text.append(buffer, n);
  const int status = ::pclose(pipe);
  if (output != nullptr)
    *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `script` with /usr/bin/python3; its output (standard error included). A failing script
// fails the test.
inline std::string python(const std::string &script) {
  std::string out;
  const int status = runCommand("/usr/bin/python3 -c " + shellQuote(script) + " 2>&1", &out);
  EXPECT_EQ(status, 0) << out;
  return out;
}

} // namespace brevant::testing
