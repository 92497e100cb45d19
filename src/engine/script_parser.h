#pragma once
// The report script parser. A script is a sequence of functions, each a header line
//   @label=FUNCTION(PARAMETER=value ...)
// followed by the SQL text it runs. The parser reads the script line by line, checks each
// header, fills the function settings, gathers the SQL text and hands every complete function
// to a dispatcher before it reads the next one. A syntax error skips only its own function; a
// fault (a capacity exceeded, an unreadable script) ends the parse.
//
// What the parser logs: the syntax errors of a header ("Syntax error. ..."), the connection
// errors of CONNECT and "Parse error in [label]." for a fault. Everything about running a
// function, its header echo included, is the dispatcher's to log.

#include "definition/report_definition.h"
#include "definition/run_log.h"
#include "engine/function_settings.h"

#include <span>
#include <string>
#include <string_view>

namespace brevant {

// Runs one complete function. `settings` is filled from the header; the dispatcher may write
// the page-break fields it derives from settings.pageBreakText. `sqlText` is joined, stripped
// of comments and has the parameters substituted; it is never empty.
class FunctionDispatcher {
public:
  virtual ~FunctionDispatcher() = default;
  virtual void dispatchFunction(FunctionSettings &settings, const std::string &sqlText) = 0;
};

// How a run lets its user interface work and learns that the user wants it stopped.
class RunControl {
public:
  virtual ~RunControl() = default;
  // Processes pending user-interface events (the Run dialog's stop button among them).
  virtual void yieldToUserInterface() = 0;
  [[nodiscard]] virtual bool cancelRequested() const = 0;
};

// A run without a user interface that is never cancelled.
class BatchRunControl final : public RunControl {
public:
  void yieldToUserInterface() override {}
  bool cancelRequested() const override { return false; }
};

// Removes /* ... */ comments outside quoted parts ("..." or '...', a doubled quote does not end
// one). When `text` ends inside a comment, `inComment` is set; when it is set on entry, the text
// up to the first "*/" is taken as the rest of that comment.
std::string stripComments(std::string_view text, bool &inComment);

class ScriptParser {
public:
  // `dataSourceConnected[i]` tells whether data source slot i connected at the start of the run;
  // a slot past its end counts as not connected.
  ScriptParser(const ReportDefinition &definition, std::span<const bool> dataSourceConnected,
               RunLog &log, FunctionDispatcher &dispatcher, RunControl &control,
               bool interactiveRun);

  // Runs the whole script. In an interactive run the lines are those of `scriptText` (the
  // editor's text); in a batch run `scriptText` is ignored and the script is read again from the
  // definition file, from the line after "[SQL]".
  void parseAndRunScript(std::string_view scriptText);

  // The settings of the last function started (its label and header survive the parse).
  const FunctionSettings &settings() const { return settings_; }

private:
  enum class State {
    Skip,
    Label,
    Equals,
    Function,
    Open,
    Param,
    ParamEq,
    Value,
    AfterValue,
    List,
    Sql
  };

  void runLines(std::string_view script);
  void parseLine(std::string_view line);
  // Applies one header token (quotes kept) to the state machine.
  void takeToken(const std::string &token);
  // A parameter name in PARAM or AFTER_VALUE: echo, check, open a GROUP level.
  void beginParameter(const std::string &name);
  // Applies the value just read to the current parameter. False after a logged error.
  [[nodiscard]] bool applyValue();
  void syntaxError(const std::string &message);
  void appendSql(std::string_view rest);
  void dispatchPending();

  const ReportDefinition &definition_;
  std::span<const bool> dataSourceConnected_;
  RunLog &log_;
  FunctionDispatcher &dispatcher_;
  RunControl &control_;
  bool interactiveRun_;

  FunctionSettings settings_;
  State state_ = State::Skip;
  bool inComment_ = false;
  std::string sqlText_;
  std::string parameter_; // upper-cased name of the parameter being read
  std::string value_;     // its value, unquoted
};

} // namespace brevant
