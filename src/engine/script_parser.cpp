#include "engine/script_parser.h"

#include "base/strings.h"
#include "base/tokenizer.h"
#include "definition/definition_file.h"
#include "engine/data_source_connections.h"
#include "engine/parameter_substitution.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace brevant {

namespace {

// A number written in the script ("2", " 2 ", "+2", "2.0", "1e1"), rounded half to even. Nothing
// for other text and for values outside the 16-bit range.
std::optional<int16_t> numericValue(std::string_view text) {
  const std::string trimmed = trimBlanks(text);
  std::string_view digits = trimmed;
  if (digits.starts_with('+')) {
    digits.remove_prefix(1);
    if (digits.starts_with('+') || digits.starts_with('-'))
      return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
    return std::nullopt;
  const double rounded = std::nearbyint(value);
  if (rounded < std::numeric_limits<int16_t>::min() ||
      rounded > std::numeric_limits<int16_t>::max())
    return std::nullopt;
  return static_cast<int16_t>(rounded);
}

bool isFunctionParameter(int16_t kind, std::string_view name) {
  static constexpr std::string_view kReportParameters[] = {
      "SHEET", "TYPE",       "FILLORDER", "CELL",      "RANGE",  "COPYRANGE", "RESERVE",
      "GROUP", "GROUPRANGE", "IMAGE",     "PAGEBREAK", "NODATA", "CONNECT"};
  switch (kind) {
  case kExecSqlFunction:
    return name == "CONNECT";
  case kNameFunction:
    return name == "NAME" || name == "CONNECT";
  default:
    for (std::string_view parameter : kReportParameters) {
      if (name == parameter)
        return true;
    }
    return false;
  }
}

bool takesValueList(std::string_view name) {
  return name == "CELL" || name == "NAME" || name == "GROUP" || name == "PAGEBREAK";
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

} // namespace

std::string stripComments(std::string_view text, bool &inComment) {
  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  if (inComment) {
    const size_t end = text.find("*/");
    if (end == std::string_view::npos)
      return result;
    pos = end + 2;
    inComment = false;
  }
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '"' || c == '\'') {
      // The quoted part is copied whole; a doubled quote inside it does not close it, and an
      // unterminated one runs to the end of the text.
      size_t end = pos + 1;
      while (end < text.size()) {
        if (text[end] == c) {
          if (end + 1 < text.size() && text[end + 1] == c) {
            end += 2;
            continue;
          }
          ++end;
          break;
        }
        ++end;
      }
      result.append(text.substr(pos, end - pos));
      pos = end;
      continue;
    }
    if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
      const size_t end = text.find("*/", pos + 2);
      if (end == std::string_view::npos) {
        inComment = true;
        return result;
      }
      pos = end + 2;
      continue;
    }
    result += c;
    ++pos;
  }
  return result;
}

ScriptParser::ScriptParser(const ReportDefinition &definition,
                           std::span<const bool> dataSourceConnected, RunLog &log,
                           FunctionDispatcher &dispatcher, RunControl &control, bool interactiveRun)
    : definition_(definition), dataSourceConnected_(dataSourceConnected), log_(log),
      dispatcher_(dispatcher), control_(control), interactiveRun_(interactiveRun) {}

void ScriptParser::parseAndRunScript(std::string_view scriptText) {
  settings_.reset("");
  state_ = State::Skip;
  inComment_ = false;
  sqlText_.clear();
  try {
    if (interactiveRun_) {
      runLines(scriptText);
    } else {
      const std::optional<std::string> script = readScript(definition_.definitionFilePath);
      if (!script)
        throw std::runtime_error("Can not read the file " + quoted(definition_.definitionFilePath) +
                                 ".");
      runLines(*script);
    }
  } catch (const std::exception &fault) {
    log_.logFunctionError(settings_.functionHeader,
                          "Parse error in [" + settings_.functionLabel + "].", fault.what());
  }
  sqlText_.clear();
}

void ScriptParser::runLines(std::string_view script) {
  int pos = 1;
  while (static_cast<size_t>(pos) <= script.size()) {
    const std::string line = nextLine(script, pos);
    if (interactiveRun_)
      control_.yieldToUserInterface();
    // A stop request drops the function gathered so far: nothing more runs.
    if (control_.cancelRequested())
      return;
    parseLine(line);
  }
  if (state_ == State::Sql && !sqlText_.empty())
    dispatchPending();
}

void ScriptParser::parseLine(std::string_view line) {
  int pos = 1;
  bool atLineStart = true;
  if (inComment_) {
    bool notFound = true;
    skipToCommentEnd(line, pos, notFound);
    if (notFound)
      return;
    inComment_ = false;
    atLineStart = false; // "*/ @x" does not start a function
  }
  if (atLineStart) {
    skipBlanks(line, pos);
    if (static_cast<size_t>(pos) <= line.size() && line[pos - 1] == '@') {
      // A pending function with empty SQL text, or with an unfinished header, is dropped.
      if (state_ == State::Sql && !sqlText_.empty())
        dispatchPending();
      sqlText_.clear();
      state_ = State::Label;
    }
  }
  if (state_ == State::Sql) {
    appendSql(line.substr(pos - 1));
    return;
  }
  while (static_cast<size_t>(pos) <= line.size()) {
    const std::string token = nextToken(line, pos, true);
    if (token.empty())
      return;
    // Only an unquoted "/*" opens a comment; '/*' is a value like any other.
    if (token == "/*") {
      bool notFound = true;
      skipToCommentEnd(line, pos, notFound);
      if (notFound) {
        inComment_ = true;
        return;
      }
      continue;
    }
    takeToken(token);
    if (state_ == State::Sql) {
      skipBlanks(line, pos);
      if (static_cast<size_t>(pos) <= line.size())
        appendSql(line.substr(pos - 1));
      return;
    }
  }
}

void ScriptParser::takeToken(const std::string &token) {
  const std::string value = unquote(token);
  std::string &header = settings_.functionHeader;
  switch (state_) {
  case State::Skip:
  case State::Sql:
    return;
  case State::Label:
    if (value.starts_with('@')) {
      settings_.reset(std::string_view(value).substr(1));
      state_ = State::Equals;
    }
    return;
  case State::Equals:
    if (value == "=")
      state_ = State::Function;
    else
      syntaxError("Syntax error. Expected \"=\" after \"@" + settings_.functionLabel + "\".");
    return;
  case State::Function: {
    const std::string name = asciiUpper(value);
    if (name == "EXECSQL")
      settings_.functionKind = kExecSqlFunction;
    else if (name == "NAME")
      settings_.functionKind = kNameFunction;
    else if (name == "REPORT")
      settings_.functionKind = kReportFunction;
    else
      return syntaxError("Syntax error. Unknown function name " + quoted(value) + ".");
    header += name;
    state_ = State::Open;
    return;
  }
  case State::Open:
    if (value != "(")
      return syntaxError("Syntax error. Expected \"(\" after a function name.");
    header += '(';
    state_ = State::Param;
    return;
  case State::Param:
    if (value == ")") {
      header += ')';
      state_ = State::Sql;
      return;
    }
    return beginParameter(value);
  case State::ParamEq:
    if (value != "=")
      return syntaxError("Syntax error. Expected \"=\" after the parameter name " +
                         quoted(parameter_) + ".");
    header += '=';
    state_ = State::Value;
    return;
  case State::Value:
    value_ = value;
    header += token;
    state_ = State::AfterValue;
    return;
  case State::AfterValue:
    if (!applyValue())
      return;
    if (value == ")") {
      header += ')';
      state_ = State::Sql;
    } else if (value == ",") {
      if (!takesValueList(parameter_))
        return syntaxError("Syntax error. Unexpected character \",\" for the parameter " +
                           quoted(parameter_) + ".");
      header += ',';
      state_ = State::List;
    } else {
      header += ' ';
      beginParameter(value);
    }
    return;
  case State::List:
    header += token;
    if (value != ",") {
      value_ = value;
      state_ = State::AfterValue;
    }
    return;
  }
}

void ScriptParser::beginParameter(const std::string &name) {
  parameter_ = asciiUpper(name);
  settings_.functionHeader += parameter_;
  if (!isFunctionParameter(settings_.functionKind, parameter_))
    return syntaxError("Syntax error. Unknown parameter name " + quoted(name) + ".");
  if (parameter_ == "GROUP" && !settings_.openGroupLevel())
    return syntaxError("Too much parameter name \"GROUP\". The number of parameter \"GROUP\" can "
                       "not be more than 10.");
  state_ = State::ParamEq;
}

bool ScriptParser::applyValue() {
  const std::string &name = parameter_;
  const std::string &value = value_;
  FunctionSettings &s = settings_;
  if (name == "CONNECT") {
    const int slot = findDataSource(definition_, value);
    const std::string where = "Connection error in [" + s.functionLabel + "]. ";
    if (slot < 0) {
      syntaxError(where + "Can not find data source " + quoted(value) + ".");
      return false;
    }
    if (static_cast<size_t>(slot) >= dataSourceConnected_.size() || !dataSourceConnected_[slot]) {
      syntaxError(where + "Can not connect to the data source " + quoted(value) + ".");
      return false;
    }
    s.dataSourceIndex = static_cast<int16_t>(slot);
  } else if (name == "NAME") {
    s.addName(value);
  } else if (name == "CELL") {
    s.addCell(value);
  } else if (name == "SHEET") {
    s.sheetName = value;
  } else if (name == "RANGE" || name == "COPYRANGE") {
    s.rangeText = value;
    s.copyRangeMode = name == "COPYRANGE";
  } else if (name == "TYPE" || name == "FILLORDER") {
    const std::string word = asciiUpper(value);
    const bool isType = name == "TYPE";
    if (word == (isType ? "FIX" : "COL")) {
      (isType ? s.fixedLayout : s.fillByColumn) = 1;
    } else if (word == (isType ? "VAR" : "ROW")) {
      (isType ? s.fixedLayout : s.fillByColumn) = 0;
    } else {
      syntaxError("Syntax error. Unknown value " + quoted(value) + " for the parameter " +
                  quoted(name) + ".");
      return false;
    }
  } else if (name == "RESERVE") {
    if (const std::optional<int16_t> number = numericValue(value))
      s.reserveMode = *number == 2 ? 2 : 1;
  } else if (name == "GROUP") {
    s.addGroupField(value);
  } else if (name == "GROUPRANGE") {
    if (s.groupCount < 1) {
      syntaxError("Syntax error. Parameter \"GROUPRANGE\" must follow parameter \"GROUP\".");
      return false;
    }
    s.groupRanges[s.groupCount - 1] = value;
  } else if (name == "IMAGE") {
    s.addImage(value);
  } else if (name == "PAGEBREAK") {
    s.addPageBreak(value);
  } else if (name == "NODATA") {
    if (asciiUpper(value) == "DELRANGE")
      s.deleteRangeOnNoData = true;
  }
  return true;
}

void ScriptParser::syntaxError(const std::string &message) {
  log_.logFunctionError(settings_.functionHeader, message, "");
  state_ = State::Skip;
}

void ScriptParser::appendSql(std::string_view rest) {
  const std::string piece =
      substituteParameters(trimEndAtNul(stripComments(rest, inComment_)), definition_);
  if (sqlText_.empty()) {
    sqlText_ = piece;
  } else {
    sqlText_ += ' ';
    sqlText_ += piece;
  }
}

void ScriptParser::dispatchPending() {
  dispatcher_.dispatchFunction(settings_, sqlText_);
  sqlText_.clear();
}

} // namespace brevant
